#pragma once

#include "sim/virtualdrive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

// The tool's side of an in-memory line to a VirtualDrive: collects every
// chunk the drive transmits and notices a reply sent from inside receive().
class SimWire : public QObject
{
public:
    explicit SimWire(VirtualDrive *drive)
        : m_drive(drive)
    {
        connect(drive, &VirtualDrive::transmit, this, [this](const QByteArray &bytes) {
            if (m_inReceive)
                repliedInsideReceive = true;
            chunks.append(bytes);
        });
    }

    void send(const QByteArray &bytes)
    {
        m_inReceive = true;
        m_drive->receive(bytes);
        m_inReceive = false;
    }

    // Waits until the drive has answered everything (generous bound).
    bool settle(int timeoutMs = 5000)
    {
        QElapsedTimer t;
        t.start();
        do {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            if (m_drive->isIdle()) {
                QCoreApplication::processEvents();
                if (m_drive->isIdle())
                    return true;
            }
        } while (t.elapsed() < timeoutMs);
        return false;
    }

    QByteArray take()
    {
        const QByteArray all = chunks.join();
        chunks.clear();
        return all;
    }

    // Sends one line with its CR and returns everything the drive answered.
    QByteArray ask(const QByteArray &line)
    {
        send(line + '\r');
        settle();
        return take();
    }

    QList<QByteArray> chunks;
    bool repliedInsideReceive = false;

private:
    VirtualDrive *m_drive;
    bool m_inReceive = false;
};
