#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The byte stream to the drive. DriveLink is the only user: QSerialPort in
// the program (a real port or a pseudo-terminal), an in-memory pipe in tests.
class PortIo : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Opens the device with 9600 8N1, no handshaking, DTR and RTS asserted.
    // On failure returns false and fills *error with a sentence that names
    // the device and the reason.
    virtual bool open(QString *error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual QString deviceName() const = 0;

    virtual bool write(const QByteArray &bytes) = 0;
    virtual QByteArray readAll() = 0;
    // Discards whatever arrived and was not read yet.
    virtual void clearInput() = 0;

Q_SIGNALS:
    void readyRead();
    // The open device failed (for example a USB adapter was pulled out).
    void failed(const QString &message);
};
