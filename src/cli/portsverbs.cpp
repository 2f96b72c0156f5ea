#include "app/profilestore.h"
#include "clisession.h"
#include "link/portmap.h"
#include "link/serialdevices.h"
#include "verbs.h"

// ports: what COM1-COM8 stand for (the program's own map, as the port
// chooser shows it), then the serial devices the system has now.
int runPortsVerb(CliSession &, const QStringList &args)
{
    if (!args.isEmpty())
        return -1;
    ProfileStore profile;
    PortMap map;
    map.load(profile);
    for (int n = 1; n <= PortMap::Count; ++n)
        CliSession::printLine(QStringLiteral("COM%1 %2").arg(n).arg(map.path(n)).toLocal8Bit());

    const QList<SerialDevice> devices = SystemSerialDevices().devices();
    CliSession::printLine(QByteArray());
    if (devices.isEmpty()) {
        CliSession::printLine(CliSession::text(1242).toLocal8Bit());
        return CliSession::Success;
    }
    CliSession::printLine(CliSession::text(1240).toLocal8Bit());
    for (const SerialDevice &device : devices) {
        QString line = device.preferredPath();
        if (!device.stablePath.isEmpty())
            line += QStringLiteral(" -> ") + device.path;
        const QString details = device.details();
        if (!details.isEmpty())
            line += QStringLiteral("  (%1)").arg(details);
        CliSession::printLine(line.toLocal8Bit());
    }
    return CliSession::Success;
}
