#include "memoryport.h"

#include <QMetaObject>

MemoryPort::MemoryPort(const QString &name, QObject *parent)
    : PortIo(parent)
    , m_name(name)
{}

bool MemoryPort::open(QString *error)
{
    if (!m_openError.isEmpty()) {
        if (error)
            *error = m_openError;
        return false;
    }
    m_open = true;
    ++m_openCount;
    return true;
}

void MemoryPort::close()
{
    m_open = false;
    m_input.clear();
}

bool MemoryPort::write(const QByteArray &bytes)
{
    if (!m_open)
        return false;
    m_written += bytes;
    Q_EMIT written(bytes);
    return true;
}

QByteArray MemoryPort::readAll()
{
    QByteArray bytes;
    bytes.swap(m_input);
    return bytes;
}

void MemoryPort::feed(const QByteArray &bytes)
{
    if (!m_open || bytes.isEmpty())
        return;
    m_input += bytes;
    announce();
}

void MemoryPort::fail(const QString &message)
{
    m_open = false;
    m_input.clear();
    Q_EMIT failed(message);
}

QByteArray MemoryPort::takeWritten()
{
    QByteArray bytes;
    bytes.swap(m_written);
    return bytes;
}

void MemoryPort::announce()
{
    if (m_announcePending)
        return;
    m_announcePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_announcePending = false;
            if (!m_input.isEmpty())
                Q_EMIT readyRead();
        },
        Qt::QueuedConnection);
}
