#include "serialportio.h"

#include "resources/catalogue.h"

SerialPortIo::SerialPortIo(const QString &path, QObject *parent)
    : PortIo(parent)
    , m_path(path)
{
    m_port.setPortName(path);
    connect(&m_port, &QSerialPort::readyRead, this, &PortIo::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPortIo::onError);
}

bool SerialPortIo::open(QString *error)
{
    if (m_port.isOpen())
        return true;
    m_port.setBaudRate(QSerialPort::Baud9600);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(0);
    if (!m_port.open(QIODevice::ReadWrite)) {
        if (error)
            *error = describeError(m_path, m_port.error(), m_port.errorString());
        m_port.clearError();
        return false;
    }
    // A pseudo-terminal has no modem lines: asserting them fails there with
    // "Inappropriate ioctl for device", which is harmless.
    m_port.setDataTerminalReady(true);
    m_port.setRequestToSend(true);
    m_port.clearError();
    return true;
}

void SerialPortIo::close()
{
    if (m_port.isOpen())
        m_port.close();
}

bool SerialPortIo::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return false;
    return m_port.write(bytes) == bytes.size();
}

void SerialPortIo::clearInput()
{
    if (!m_port.isOpen())
        return;
    m_port.readAll();
    m_port.clear(QSerialPort::Input);
    m_port.clearError();
}

void SerialPortIo::onError(QSerialPort::SerialPortError error)
{
    // Errors of modem-line control on a pty, and errors raised while opening
    // (open() reports those itself), are not failures of an open device.
    if (error == QSerialPort::NoError || error == QSerialPort::UnsupportedOperationError ||
        !m_port.isOpen())
        return;
    if (error == QSerialPort::ResourceError || error == QSerialPort::PermissionError ||
        error == QSerialPort::DeviceNotFoundError) {
        const QString message = describeError(m_path, error, m_port.errorString());
        m_port.close();
        m_port.clearError();
        Q_EMIT failed(message);
    }
}

QString SerialPortIo::describeError(const QString &path, QSerialPort::SerialPortError error,
                                    const QString &detail)
{
    // The sentences are in the loaded module's language; the English ones
    // stand in when no module is loaded.
    const auto messageText = [&](int id, const char *english) {
        const QString text = Catalogue::instance().format(id, {QVariant(path), QVariant(detail)});
        if (!text.isEmpty())
            return text;
        return QString::fromUtf8(english)
            .replace(QLatin1String("%1"), path)
            .replace(QLatin1String("%2"), detail);
    };
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return messageText(1020, "Cannot open %1: the device does not exist. Check that the cable "
                                 "or USB adapter is plugged in, or choose another port.");
    case QSerialPort::PermissionError:
        return messageText(1021, "Cannot open %1: permission denied. Add your user to the dialout "
                                 "group (sudo usermod -aG dialout $USER), then log in again.");
    case QSerialPort::OpenError:
        return messageText(1022, "Cannot open %1: the device is already open.");
    case QSerialPort::ResourceError:
        return messageText(1023,
                           "The port %1 stopped working (%2). Check the cable or USB adapter; "
                           "the link is used again as soon as the device is back.");
    default:
        return messageText(1024, "Cannot open %1: %2.");
    }
}
