#pragma once

#include "link/drivelink.h"
#include "link/memoryport.h"
#include "sim/virtualdrive.h"

#include <QByteArrayList>
#include <QHash>
#include <QObject>

#include <memory>

// A drive that answers from a table: the first line of a command's answer
// is its reply, the others follow one per R0P, then R00. A command without
// an entry gets no answer.
class ScriptedDrive : public QObject
{
public:
    QHash<QByteArray, QByteArrayList> answers;
    QByteArrayList received;

    explicit ScriptedDrive(MemoryPort *port)
    {
        connect(port, &MemoryPort::written, this, [this, port](const QByteArray &bytes) {
            const QByteArray line = bytes.chopped(1);
            received.append(line);
            QByteArray reply;
            if (line == "R0P") {
                reply = m_paging.isEmpty() ? QByteArray("R00") : m_paging.takeFirst();
            } else {
                const auto it = answers.constFind(line);
                if (it == answers.constEnd() || it->isEmpty())
                    return;
                reply = it->first();
                m_paging = it->mid(1);
            }
            port->feed(reply + '\r');
        });
    }

private:
    QByteArrayList m_paging;
};

// A link on an in-memory port, with a virtual drive or a scripted one on the
// far side.
class DriveBench
{
public:
    enum Far { Virtual, Scripted };

    explicit DriveBench(Far far = Virtual)
    {
        auto port = std::make_unique<MemoryPort>();
        m_port = port.get();
        link.setPort(std::move(port));
        if (far == Virtual) {
            drive = std::make_unique<VirtualDrive>();
            drive->applyPreset(QStringLiteral("default"));
            drive->setRestartMs(50);
            QObject::connect(m_port, &MemoryPort::written, drive.get(), &VirtualDrive::receive);
            QObject::connect(drive.get(), &VirtualDrive::transmit, m_port, &MemoryPort::feed);
        } else {
            scripted = std::make_unique<ScriptedDrive>(m_port);
        }
    }

    QByteArrayList received() const
    {
        return drive ? QByteArrayList(drive->trace().received()) : scripted->received;
    }

    DriveLink link;
    std::unique_ptr<VirtualDrive> drive;
    std::unique_ptr<ScriptedDrive> scripted;

private:
    MemoryPort *m_port = nullptr;
};
