#include "portmap.h"

#include "app/profilestore.h"

namespace {
const QString section = QStringLiteral("PORTMAP");
QString entry(int comPort)
{
    return QStringLiteral("COM%1").arg(comPort);
}
} // namespace

PortMap::PortMap()
{
    for (int n = 1; n <= Count; ++n)
        m_paths[n - 1] = defaultPath(n);
}

QString PortMap::defaultPath(int comPort)
{
    // Most engineers plug a USB adapter in; the first four numbers take the
    // adapters, the last four the built-in ports.
    if (comPort <= 4)
        return QStringLiteral("/dev/ttyUSB%1").arg(comPort - 1);
    return QStringLiteral("/dev/ttyS%1").arg(comPort - 5);
}

QString PortMap::path(int comPort) const
{
    const int n = chooserPort(comPort);
    if (n == m_overridePort)
        return m_overridePath;
    return m_paths[n - 1];
}

void PortMap::setPath(int comPort, const QString &path)
{
    const int n = chooserPort(comPort);
    m_paths[n - 1] = path.isEmpty() ? defaultPath(n) : path;
    if (n == m_overridePort)
        m_overridePort = 0;
}

void PortMap::setOverride(int comPort, const QString &path)
{
    m_overridePort = chooserPort(comPort);
    m_overridePath = path;
}

void PortMap::load(const ProfileStore &profile)
{
    for (int n = 1; n <= Count; ++n) {
        const QString stored = profile.readString(section, entry(n)).trimmed();
        m_paths[n - 1] = stored.isEmpty() ? defaultPath(n) : stored;
    }
}

void PortMap::save(ProfileStore &profile) const
{
    for (int n = 1; n <= Count; ++n)
        profile.writeString(section, entry(n), m_paths[n - 1]);
}
