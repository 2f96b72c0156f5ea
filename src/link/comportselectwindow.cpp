#include "comportselectwindow.h"

#include "app/appsettings.h"
#include "app/dialogtexts.h"
#include "drivelink.h"
#include "portmap.h"
#include "resources/catalogue.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>

ComPortSelectWindow::ComPortSelectWindow(DriveLink &link, PortMap &map, ProfileStore *profile,
                                         LinkOwner *mainWindow, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_link(link)
    , m_map(map)
    , m_profile(profile)
    , m_mainWindow(mainWindow)
{
    auto *grid = new QGridLayout(this);
    auto *group = new QButtonGroup(this);
    for (int i = 0; i < 8; ++i) {
        const int comPort = i + 1;
        auto *button = new QRadioButton(QStringLiteral("ComPort%1").arg(comPort), this);
        DialogTexts::tag(button, ButtonIds[size_t(i)]);
        group->addButton(button, comPort);
        auto *path = new QLineEdit(m_map.path(comPort), this);
        const QString tip = Catalogue::instance().string(1025);
        path->setToolTip(tip.isEmpty() ? QStringLiteral("The device this number stands for. Press "
                                                        "Enter to use a new one.")
                                       : tip);
        path->setMinimumWidth(150);
        grid->addWidget(button, i, 0);
        grid->addWidget(path, i, 1);
        m_buttons[size_t(i)] = button;
        m_paths[size_t(i)] = path;
        connect(button, &QRadioButton::clicked, this, [this, comPort] { choose(comPort); });
        connect(path, &QLineEdit::editingFinished, this, [this, comPort] { pathEdited(comPort); });
    }
    DialogTexts::apply(this, 139);
}

void ComPortSelectWindow::initialise(int storedPort)
{
    const int port = PortMap::chooserPort(storedPort);
    m_link.configure(port);
    m_buttons[size_t(port - 1)]->setChecked(true);
}

void ComPortSelectWindow::choose(int comPort)
{
    m_link.close();
    m_link.reset();
    m_link.popOwner();
    m_link.configure(comPort);
    AppSettings::instance().setComPort(quint16(comPort));
    m_link.pushOwner(m_mainWindow);
    m_link.open();
    m_buttons[size_t(comPort - 1)]->setChecked(true);
}

int ComPortSelectWindow::selected() const
{
    for (int i = 0; i < 8; ++i) {
        if (m_buttons[size_t(i)]->isChecked())
            return i + 1;
    }
    return 0;
}

void ComPortSelectWindow::pathEdited(int comPort)
{
    QLineEdit *edit = m_paths[size_t(comPort - 1)];
    const QString path = edit->text().trimmed();
    if (path == m_map.path(comPort))
        return;
    m_map.setPath(comPort, path);
    if (m_profile)
        m_map.save(*m_profile);
    edit->setText(m_map.path(comPort));
    if (selected() == comPort)
        choose(comPort);
}
