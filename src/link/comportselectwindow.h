#pragma once

#include <QWidget>

#include <array>
#include <memory>

class DriveLink;
class LinkOwner;
class PortMap;
class ProfileStore;
class QLabel;
class QLineEdit;
class QRadioButton;
class QToolButton;
class QTreeWidget;
class SerialDeviceSource;

// "ComPortSelect": COM1-COM8, each beside the device path it stands for on
// this machine. Choosing a number closes the port and opens the new one;
// editing a path changes what that number means. Below them, the serial
// devices the system has now; the button beside a number maps it to one of
// them, by its /dev/serial/by-id link when it has one.
class ComPortSelectWindow : public QWidget
{
    Q_OBJECT
public:
    // Without a device source the window asks the system (QSerialPortInfo).
    ComPortSelectWindow(DriveLink &link, PortMap &map, ProfileStore *profile, LinkOwner *mainWindow,
                        QWidget *parent = nullptr, const SerialDeviceSource *devices = nullptr);
    ~ComPortSelectWindow() override;

    static constexpr std::array<int, 8> ButtonIds{1028, 1029, 1037, 1038, 1039, 1040, 1041, 1042};

    // Configures the link for the stored port and selects its button.
    void initialise(int storedPort);
    // A click on COM n.
    void choose(int comPort);
    int selected() const;

    // Lists the devices the system has now.
    void refreshDevices();
    // Maps COM n to a device (a click in the device menu of its row).
    void useDevice(int comPort, const QString &path);
    QTreeWidget *deviceList() const { return m_deviceList; }
    QLabel *noDevicesLabel() const { return m_noDevices; }
    QToolButton *deviceButton(int comPort) const { return m_deviceButtons[size_t(comPort - 1)]; }

private:
    void pathEdited(int comPort);
    void fillDeviceMenu(int comPort);

    DriveLink &m_link;
    PortMap &m_map;
    ProfileStore *m_profile;
    LinkOwner *m_mainWindow;
    std::array<QRadioButton *, 8> m_buttons{};
    std::array<QLineEdit *, 8> m_paths{};
    std::array<QToolButton *, 8> m_deviceButtons{};
    std::unique_ptr<SerialDeviceSource> m_systemDevices;
    const SerialDeviceSource *m_devices;
    QTreeWidget *m_deviceList = nullptr;
    QLabel *m_noDevices = nullptr;
};
