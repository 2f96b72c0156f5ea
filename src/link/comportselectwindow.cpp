#include "comportselectwindow.h"

#include "app/appsettings.h"
#include "app/dialogtexts.h"
#include "drivelink.h"
#include "portmap.h"
#include "resources/catalogue.h"
#include "serialdevices.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>

namespace {
// The program's own texts of this window, by number, with the English text
// for a set that lacks them.
QString text(int id, const char *english)
{
    const QString own = Catalogue::instance().string(id);
    return own.isEmpty() ? QString::fromUtf8(english) : own;
}
} // namespace

ComPortSelectWindow::ComPortSelectWindow(DriveLink &link, PortMap &map, ProfileStore *profile,
                                         LinkOwner *mainWindow, QWidget *parent,
                                         const SerialDeviceSource *devices)
    : QWidget(parent, Qt::Tool)
    , m_link(link)
    , m_map(map)
    , m_profile(profile)
    , m_mainWindow(mainWindow)
    , m_systemDevices(devices ? nullptr : std::make_unique<SystemSerialDevices>())
    , m_devices(devices ? devices : m_systemDevices.get())
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
        auto *pick = new QToolButton(this);
        pick->setText(QStringLiteral("\u2026"));
        pick->setToolTip(text(1241, "Use a serial device found on this system for this number."));
        pick->setPopupMode(QToolButton::InstantPopup);
        auto *menu = new QMenu(pick);
        pick->setMenu(menu);
        connect(menu, &QMenu::aboutToShow, this, [this, comPort] { fillDeviceMenu(comPort); });
        grid->addWidget(button, i, 0);
        grid->addWidget(path, i, 1);
        grid->addWidget(pick, i, 2);
        m_buttons[size_t(i)] = button;
        m_paths[size_t(i)] = path;
        m_deviceButtons[size_t(i)] = pick;
        connect(button, &QRadioButton::clicked, this, [this, comPort] { choose(comPort); });
        connect(path, &QLineEdit::editingFinished, this, [this, comPort] { pathEdited(comPort); });
    }

    const int row = PortMap::Count;
    grid->addWidget(new QLabel(text(1240, "Serial devices on this system:"), this), row, 0, 1, 2);
    auto *refresh = new QPushButton(text(1243, "Refresh"), this);
    grid->addWidget(refresh, row, 2);
    connect(refresh, &QPushButton::clicked, this, &ComPortSelectWindow::refreshDevices);
    m_deviceList = new QTreeWidget(this);
    m_deviceList->setRootIsDecorated(false);
    m_deviceList->setHeaderLabels({text(1244, "Device"), text(1245, "Description"),
                                   text(1246, "Manufacturer"), text(1247, "Serial number"),
                                   text(1253, "Stable path")});
    // Room for four devices; more scroll.
    m_deviceList->setFixedHeight(m_deviceList->header()->sizeHint().height() +
                                 5 * m_deviceList->fontMetrics().height() + 8);
    m_deviceList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_deviceList->setToolTip(
        text(1248, "Double-click a device to use it for the selected number."));
    connect(m_deviceList, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *item) {
        if (selected() != 0)
            useDevice(selected(), item->data(0, Qt::UserRole).toString());
    });
    grid->addWidget(m_deviceList, row + 1, 0, 1, 3);
    m_noDevices = new QLabel(text(1242, "No serial devices found."), this);
    grid->addWidget(m_noDevices, row + 2, 0, 1, 3);
    DialogTexts::apply(this, 139);
    refreshDevices();
}

ComPortSelectWindow::~ComPortSelectWindow() = default;

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

void ComPortSelectWindow::refreshDevices()
{
    m_deviceList->clear();
    const QList<SerialDevice> devices = m_devices->devices();
    for (const SerialDevice &device : devices) {
        auto *item =
            new QTreeWidgetItem(m_deviceList, {device.path, device.description, device.manufacturer,
                                               device.serialNumber, device.stablePath});
        item->setData(0, Qt::UserRole, device.preferredPath());
        item->setToolTip(0, device.preferredPath());
    }
    // Wide enough for all but the stable path, which may scroll.
    const QAbstractItemView *view = m_deviceList;
    int width = 2 * m_deviceList->frameWidth() + 4;
    for (int column = 0; column < 4; ++column)
        width += std::max(view->sizeHintForColumn(column),
                          m_deviceList->header()->sectionSizeHint(column));
    m_deviceList->setMinimumWidth(width);
    m_deviceList->setVisible(!devices.isEmpty());
    m_noDevices->setVisible(devices.isEmpty());
}

void ComPortSelectWindow::useDevice(int comPort, const QString &path)
{
    m_paths[size_t(comPort - 1)]->setText(path);
    pathEdited(comPort);
}

void ComPortSelectWindow::fillDeviceMenu(int comPort)
{
    QMenu *menu = m_deviceButtons[size_t(comPort - 1)]->menu();
    menu->clear();
    const QList<SerialDevice> devices = m_devices->devices();
    if (devices.isEmpty())
        menu->addAction(text(1242, "No serial devices found."))->setEnabled(false);
    for (const SerialDevice &device : devices) {
        const QString details = device.details();
        const QString label = details.isEmpty()
                                  ? device.preferredPath()
                                  : QStringLiteral("%1  (%2)").arg(device.preferredPath(), details);
        const QString path = device.preferredPath();
        connect(menu->addAction(label), &QAction::triggered, this,
                [this, comPort, path] { useDevice(comPort, path); });
    }
}
