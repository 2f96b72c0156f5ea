#include "oscillomenu.h"

#include "analogmonitorwindow.h"
#include "app/dialogtexts.h"
#include "viewerwindow.h"

#include <QPushButton>
#include <QVBoxLayout>

OscilloMenu::OscilloMenu(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_viewerButton(new QPushButton(this))
    , m_analogButton(new QPushButton(this))
    , m_exit(new QPushButton(this))
{
    DialogTexts::tag(m_viewerButton, 1043);
    DialogTexts::tag(m_analogButton, 1045);
    DialogTexts::tag(m_exit, 1);
    auto *layout = new QVBoxLayout(this);
    for (QPushButton *b : {m_viewerButton, m_analogButton, m_exit}) {
        b->setAutoDefault(false);
        b->setMinimumWidth(160);
        layout->addWidget(b);
    }
    m_exit->setDefault(true);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_viewerButton, &QPushButton::clicked, this, [this] {
        viewer()->exec();
        m_exit->setFocus();
    });
    connect(m_analogButton, &QPushButton::clicked, this, [this] {
        analogMonitor()->exec();
        m_exit->setFocus();
    });
    connect(m_exit, &QPushButton::clicked, this, &QDialog::accept);
    DialogTexts::apply(this, 160);
}

QPushButton *OscilloMenu::button(int controlId) const
{
    switch (controlId) {
    case 1043:
        return m_viewerButton;
    case 1045:
        return m_analogButton;
    case 1:
        return m_exit;
    default:
        return nullptr;
    }
}

ViewerWindow *OscilloMenu::viewer()
{
    if (!m_viewer)
        m_viewer = new ViewerWindow(m_link, this);
    return m_viewer;
}

AnalogMonitorWindow *OscilloMenu::analogMonitor()
{
    if (!m_analog)
        m_analog = new AnalogMonitorWindow(m_link, this);
    return m_analog;
}
