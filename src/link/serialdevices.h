#pragma once

#include <QList>
#include <QString>

// A serial device the system has now: a USB adapter (ttyUSB, ttyACM) or a
// built-in port (ttyS).
struct SerialDevice
{
    QString path;       // "/dev/ttyUSB0"
    QString stablePath; // "/dev/serial/by-id/usb-FTDI_…-if00-port0", or empty
    QString description;
    QString manufacturer;
    QString serialNumber;

    // The path a COM number should keep: the by-id link follows the adapter
    // from socket to socket, while ttyUSB numbers go by the order of plugging.
    QString preferredPath() const { return stablePath.isEmpty() ? path : stablePath; }
    // "FT232R USB UART, FTDI, serial A10K3B7Q" (the parts the system knows).
    QString details() const;
};

// Where the port chooser and `torvane-cli ports` learn the devices from;
// tests give a list of their own.
class SerialDeviceSource
{
public:
    virtual ~SerialDeviceSource() = default;
    // Sorted by path.
    virtual QList<SerialDevice> devices() const = 0;
};

// The system's devices as QSerialPortInfo lists them, each with its link
// under /dev/serial/by-id when udev made one.
class SystemSerialDevices final : public SerialDeviceSource
{
public:
    explicit SystemSerialDevices(const QString &byIdFolder = QStringLiteral("/dev/serial/by-id"));

    QList<SerialDevice> devices() const override;

    // The link in byIdFolder that leads to devicePath, empty when none does.
    static QString stablePath(const QString &devicePath, const QString &byIdFolder);

private:
    QString m_byIdFolder;
};
