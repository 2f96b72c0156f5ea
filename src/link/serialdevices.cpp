#include "serialdevices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

#include <algorithm>

QString SerialDevice::details() const
{
    QStringList parts;
    if (!description.isEmpty())
        parts.append(description);
    if (!manufacturer.isEmpty())
        parts.append(manufacturer);
    if (!serialNumber.isEmpty())
        parts.append(QStringLiteral("serial %1").arg(serialNumber));
    return parts.join(QLatin1String(", "));
}

SystemSerialDevices::SystemSerialDevices(const QString &byIdFolder)
    : m_byIdFolder(byIdFolder)
{}

QList<SerialDevice> SystemSerialDevices::devices() const
{
    QList<SerialDevice> found;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        SerialDevice device;
        device.path = info.systemLocation();
        device.stablePath = stablePath(device.path, m_byIdFolder);
        device.description = info.description();
        device.manufacturer = info.manufacturer();
        device.serialNumber = info.serialNumber();
        found.append(device);
    }
    std::sort(found.begin(), found.end(),
              [](const SerialDevice &a, const SerialDevice &b) { return a.path < b.path; });
    return found;
}

QString SystemSerialDevices::stablePath(const QString &devicePath, const QString &byIdFolder)
{
    const QString target = QFileInfo(devicePath).canonicalFilePath();
    if (target.isEmpty())
        return {};
    const QDir folder(byIdFolder);
    const QStringList links = folder.entryList(QDir::System | QDir::Files, QDir::Name);
    for (const QString &name : links) {
        const QString link = folder.filePath(name);
        if (QFileInfo(link).canonicalFilePath() == target)
            return link;
    }
    return {};
}
