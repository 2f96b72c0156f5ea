#pragma once

#include "portio.h"

// An in-memory port for tests and for a drive that lives in the same process.
// Bytes the link writes leave through written(); bytes fed from the far side
// are buffered and announced with readyRead() from the event loop, as a real
// port would, so that a reply never arrives inside the link's own send().
class MemoryPort : public PortIo
{
    Q_OBJECT
public:
    explicit MemoryPort(const QString &name = QStringLiteral("memory"), QObject *parent = nullptr);

    bool open(QString *error) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    QString deviceName() const override { return m_name; }
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    void clearInput() override { m_input.clear(); }

    // Test steering.
    void setOpenError(const QString &error) { m_openError = error; }
    void fail(const QString &message);
    QByteArray takeWritten();
    int openCount() const { return m_openCount; }

public Q_SLOTS:
    void feed(const QByteArray &bytes);

Q_SIGNALS:
    void written(const QByteArray &bytes);

private:
    void announce();

    QString m_name;
    QString m_openError;
    QByteArray m_input;
    QByteArray m_written;
    bool m_open = false;
    bool m_announcePending = false;
    int m_openCount = 0;
};
