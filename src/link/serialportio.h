#pragma once

#include "portio.h"

#include <QSerialPort>

// A serial device by path: a real RS-232C port, a USB adapter or the slave end
// of a pseudo-terminal. The drive speaks 9600 baud, 8 data bits, no parity,
// one stop bit, without handshaking, with DTR and RTS asserted.
class SerialPortIo : public PortIo
{
    Q_OBJECT
public:
    explicit SerialPortIo(const QString &path, QObject *parent = nullptr);

    bool open(QString *error) override;
    void close() override;
    bool isOpen() const override { return m_port.isOpen(); }
    QString deviceName() const override { return m_path; }
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override { return m_port.readAll(); }
    void clearInput() override;

    // The sentence shown to the user for a failure to open or use the device.
    static QString describeError(const QString &path, QSerialPort::SerialPortError error,
                                 const QString &detail);

private:
    void onError(QSerialPort::SerialPortError error);

    QString m_path;
    QSerialPort m_port;
};
