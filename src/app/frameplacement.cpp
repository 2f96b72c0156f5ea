#include "frameplacement.h"

#include <QEvent>
#include <QWidget>
#include <QWindow>

void FramePlacement::place(QWidget *window, const QRect &area, Qt::Alignment alignment)
{
    new FramePlacement(window, area, alignment);
}

FramePlacement::FramePlacement(QWidget *window, const QRect &area, Qt::Alignment alignment)
    : QObject(window)
    , m_window(window)
    , m_area(area)
    , m_alignment(alignment)
{
    window->winId();
    apply();
    window->windowHandle()->installEventFilter(this);
}

bool FramePlacement::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Expose && m_window->windowHandle()->isExposed()) {
        apply();
        watched->removeEventFilter(this);
        deleteLater();
    }
    return false;
}

void FramePlacement::apply()
{
    QWindow *handle = m_window->windowHandle();
    const QSize frame = m_window->size().grownBy(handle->frameMargins());
    QPoint topLeft = m_area.topLeft();
    if (m_alignment & Qt::AlignRight)
        topLeft.setX(m_area.right() - frame.width() + 1);
    if (m_alignment & Qt::AlignBottom)
        topLeft.setY(m_area.bottom() - frame.height() + 1);
    if (handle->frameMargins().isNull())
        handle->setFramePosition(topLeft);
    else
        m_window->move(topLeft);
}
