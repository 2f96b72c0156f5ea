#include "appsettings.h"

#include <QDir>

namespace {
QString withSeparator(const QString &dir)
{
    return dir.endsWith(QLatin1Char('/')) ? dir : dir + QLatin1Char('/');
}
} // namespace

AppSettings::AppSettings(ProfileStore *profile)
    : m_profile(profile)
{}

AppSettings &AppSettings::instance()
{
    static AppSettings settings;
    return settings;
}

void AppSettings::setComPort(quint16 port)
{
    m_comPort = port;
    if (m_profile)
        m_profile->writeInt(QStringLiteral("COMPORT"), QStringLiteral("ComPort"), port);
}

void AppSettings::readStartupEntries()
{
    if (!m_profile)
        return;
    const int port = m_profile->readInt(QStringLiteral("COMPORT"), QStringLiteral("ComPort"), 1);
    // The port chooser maps any number outside 1-7 to COM8; a value that
    // does not even fit the field is garbage and gives the default.
    setComPort(port >= 0 && port <= 0xFFFF ? quint16(port) : quint16(1));
    m_strSetEnglish =
        m_profile->readInt(QStringLiteral("OSCSCOPE"), QStringLiteral("StrSetEnglish"), 0) != 0;
}

void AppSettings::initDirectories()
{
    const QString cwd = QDir::currentPath();
    if (cwd.isEmpty()) {
        m_baseDir.clear();
        m_dataDir.clear();
        return;
    }
    m_baseDir = withSeparator(QDir::toNativeSeparators(cwd));
    const QString stored =
        m_profile ? m_profile->readString(QStringLiteral("DATADIR"), QStringLiteral("DataDir"))
                  : QString();
    m_dataDir = stored.isEmpty() ? m_baseDir + QStringLiteral("data/") : withSeparator(stored);
}

void AppSettings::rememberChosenFile(const QString &path)
{
    if (path.isEmpty())
        return;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    // "/file" keeps the root itself as the folder.
    const QString folder =
        slash >= 1 ? path.left(slash) : (slash == 0 ? QStringLiteral("/") : path);
    m_dataDir = folder;
    if (m_profile)
        m_profile->writeString(QStringLiteral("DATADIR"), QStringLiteral("DataDir"), folder);
}

void AppSettings::writeExitEntries()
{
    if (!m_profile)
        return;
    m_profile->writeString(QStringLiteral("ROM"), QStringLiteral("RomVerStr"), m_romVersion);
    // An empty data directory (none could be worked out) never replaces a
    // stored one.
    if (!m_dataDir.isEmpty())
        m_profile->writeString(QStringLiteral("DATADIR"), QStringLiteral("DataDir"), m_dataDir);
    m_profile->writeInt(QStringLiteral("COMPORT"), QStringLiteral("ComPort"), m_comPort);
    m_profile->writeInt(QStringLiteral("ENGLISH DSP"), QStringLiteral("EnglishDsp"),
                        m_englishDisplay ? 1 : 0);
}
