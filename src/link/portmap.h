#pragma once

#include <QString>

#include <array>

class ProfileStore;

// COM1-COM8 as the drive's manuals and the port chooser name them, each
// mapped to a device path on this machine. The paths live in the profile's
// "PORTMAP" section; a path given on the command line replaces the path of
// one number for this run only.
class PortMap
{
public:
    static constexpr int Count = 8;

    PortMap();

    static QString defaultPath(int comPort);

    QString path(int comPort) const;
    void setPath(int comPort, const QString &path);
    void setOverride(int comPort, const QString &path);

    void load(const ProfileStore &profile);
    void save(ProfileStore &profile) const;

    // COM 1-7 as stored; any other number is COM8.
    static int chooserPort(int stored) { return stored >= 1 && stored <= 7 ? stored : 8; }

private:
    std::array<QString, Count> m_paths;
    int m_overridePort = 0;
    QString m_overridePath;
};
