#include "backupindex.h"

#include "app/batchfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <optional>

namespace {

// An index of a drive's whole user data has a few hundred lines at most.
constexpr qint64 MaxIndexBytes = 1 << 20;

std::optional<int> number(const QByteArray &text)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

} // namespace

BackupIndex::Result BackupIndex::read(const QString &path)
{
    Result result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxIndexBytes) {
        result.fault = Fault::CannotOpen;
        return result;
    }
    const QByteArrayList lines = file.readAll().split('\n');
    for (int i = 0; i < lines.size(); ++i) {
        QByteArray line = lines.at(i);
        while (line.endsWith('\r'))
            line.chop(1);
        const qsizetype colon = line.indexOf(':', 1);
        if (colon < 0)
            continue;
        const qsizetype second = line.indexOf(':', colon + 1);
        const std::optional<int> code = number(line.left(colon));
        const std::optional<int> item =
            second < 0 ? std::nullopt : number(line.mid(colon + 1, second - colon - 1));
        if (!code || !item) {
            result = {{}, Fault::Malformed, i + 1, {}};
            return result;
        }
        QByteArray name = line.mid(second + 1);
        while (name.endsWith(' '))
            name.chop(1);
        const QString text = QString::fromLocal8Bit(name);
        if (!BatchFile::isSafeName(text)) {
            result = {{}, Fault::UnsafeName, i + 1, text};
            return result;
        }
        result.entries.append({*code, *item, text, i + 1});
    }
    return result;
}

QByteArray BackupIndex::line(const Entry &entry)
{
    return QByteArray::number(entry.code).rightJustified(2, ' ') + ':' +
           QByteArray::number(entry.item).rightJustified(2, ' ') + ':' + entry.name.toLocal8Bit() +
           "\r\n";
}

QByteArray BackupIndex::compose(const QList<Entry> &entries)
{
    QByteArray bytes;
    for (const Entry &entry : entries)
        bytes += line(entry);
    return bytes;
}

std::unique_ptr<QTemporaryDir> BackupIndex::makeStaging(const QString &folder,
                                                        const QString &baseName)
{
    auto staging = std::make_unique<QTemporaryDir>(
        QDir(folder).filePath(QLatin1Char('.') + baseName + QStringLiteral("-XXXXXX")));
    if (!staging->isValid())
        return nullptr;
    return staging;
}

bool BackupIndex::commitStaged(const QString &staging, const QString &folder,
                               const QStringList &names, QString *failedPath, QString *reason)
{
    const QDir from(staging);
    const QDir to(folder);
    for (const QString &name : names) {
        if (std::rename(QFile::encodeName(from.filePath(name)).constData(),
                        QFile::encodeName(to.filePath(name)).constData()) != 0) {
            *failedPath = to.filePath(name);
            *reason = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
    }
    return true;
}
