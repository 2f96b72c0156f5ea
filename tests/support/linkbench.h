#pragma once

#include "link/drivelink.h"
#include "link/memoryport.h"
#include "scripteddrive.h"
#include "sim/virtualdrive.h"

#include <memory>

// A link on an in-memory port, with the virtual drive or a scripted one on
// the far side.
class LinkBench
{
public:
    enum Far { Virtual, Scripted };

    explicit LinkBench(Far far = Virtual)
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
    int count(const QByteArray &line) const { return int(received().count(line)); }

    // Feeds a line from the drive's side directly.
    void feed(const QByteArray &line) { m_port->feed(line + '\r'); }
    MemoryPort *port() const { return m_port; }

    DriveLink link;
    std::unique_ptr<VirtualDrive> drive;
    std::unique_ptr<ScriptedDrive> scripted;

private:
    MemoryPort *m_port = nullptr;
};
