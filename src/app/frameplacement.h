#pragma once

#include <QObject>
#include <QRect>

class QWidget;

// Puts a window's frame, title bar included, into a corner of an area. A
// position given before the window is shown is taken as the client area's
// by most window managers, which pushes the title bar off the screen; the
// frame's size is known only once the manager has framed the window, so the
// placement is made again at the window's first exposure and then left to
// the user.
class FramePlacement : public QObject
{
public:
    static void place(QWidget *window, const QRect &area, Qt::Alignment alignment);

private:
    FramePlacement(QWidget *window, const QRect &area, Qt::Alignment alignment);

    bool eventFilter(QObject *watched, QEvent *event) override;
    void apply();

    QWidget *m_window;
    QRect m_area;
    Qt::Alignment m_alignment;
};
