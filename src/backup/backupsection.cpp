#include "backupsection.h"

#include "app/batchfile.h"

#include <QDir>
#include <QFileInfo>

BackupSection::BackupSection(int code, const QString &extension, bool numbered, int highestItem,
                             UserPrompt &user, QObject *parent)
    : QObject(parent)
    , m_prompt(user)
    , m_code(code)
    , m_extension(extension)
    , m_numbered(numbered)
    , m_highestItem(numbered ? highestItem : 0)
{}

QString BackupSection::fileName(const QString &baseName, int item) const
{
    if (m_numbered)
        return BatchFile::memberName(baseName, item, m_extension);
    return baseName + QLatin1Char('.') + m_extension;
}

bool BackupSection::hasFilesIn(const QString &folder, const QString &baseName) const
{
    const QDir dir(folder);
    for (int item = m_lowestItem; item <= m_highestItem; ++item) {
        if (QFileInfo::exists(dir.filePath(fileName(baseName, item))))
            return true;
    }
    return false;
}

QString BackupSection::path(const QString &name) const
{
    return QDir(m_folder).filePath(name);
}

void BackupSection::addWritten(int item, const QString &name)
{
    m_written.append({m_code, item, name, 0});
}

void BackupSection::backup(const QString &folder, const QString &baseName)
{
    m_folder = folder;
    m_baseName = baseName;
    m_entries.clear();
    m_written.clear();
    m_restoring = false;
    startBackup();
}

void BackupSection::restore(const QList<BackupIndex::Entry> &entries, const QString &folder)
{
    m_folder = folder;
    m_baseName.clear();
    m_entries = entries;
    m_nextEntry = 0;
    m_written.clear();
    m_restoring = true;
    startRestore();
}

const BackupIndex::Entry *BackupSection::nextEntry()
{
    if (m_nextEntry >= m_entries.size())
        return nullptr;
    const BackupIndex::Entry &entry = m_entries.at(m_nextEntry++);
    Q_EMIT itemStarted(entry.name);
    return &entry;
}

void BackupSection::end(Outcome outcome, const QString &message)
{
    Q_EMIT finished(outcome, message);
}
