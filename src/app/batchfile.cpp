#include "batchfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// A batch line is short; a longer one is no batch line and is not kept.
constexpr qint64 MaxLineBytes = 4096;

} // namespace

bool BatchFile::isSafeName(const QString &name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return false;
    if (name.contains(QLatin1String("..")))
        return false;
    // "C:name" is a drive-relative path on the system the files may come from.
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':'))
        return false;
    return !QDir::isAbsolutePath(name) && !name.contains(QChar(0));
}

BatchFile::Result BatchFile::read(const QString &path, int lowest, int highest, int maxEntries)
{
    Result result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.fault = Fault::CannotOpen;
        return result;
    }
    const QDir folder = QFileInfo(path).absoluteDir();
    int lineNumber = 0;
    while (!file.atEnd()) {
        QByteArray line = file.readLine(MaxLineBytes);
        ++lineNumber;
        if (lineNumber > maxEntries) {
            result.fault = Fault::TooLarge;
            result.line = lineNumber;
            result.entries.clear();
            return result;
        }
        const bool whole = line.endsWith('\n') || file.atEnd();
        if (!whole) {
            result.fault = Fault::Malformed;
            result.line = lineNumber;
            result.entries.clear();
            return result;
        }
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const qsizetype colon = line.indexOf(':');
        bool ok = false;
        const int number = colon > 0 ? line.left(colon).trimmed().toInt(&ok) : 0;
        if (colon <= 0 || !ok) {
            result.fault = Fault::Malformed;
            result.line = lineNumber;
            result.entries.clear();
            return result;
        }
        if (number < lowest || number > highest) {
            result.fault = Fault::BadNumber;
            result.line = lineNumber;
            result.entries.clear();
            return result;
        }
        QByteArray name = line.mid(colon + 1);
        while (name.endsWith(' '))
            name.chop(1);
        const QString text = QString::fromLocal8Bit(name);
        if (!isSafeName(text)) {
            result.fault = Fault::UnsafeName;
            result.line = lineNumber;
            result.name = text;
            result.entries.clear();
            return result;
        }
        result.entries.append({number, text, folder.filePath(text), lineNumber});
    }
    return result;
}

QString BatchFile::memberName(const QString &baseName, int number, const QString &extension)
{
    return baseName + QString::number(number).rightJustified(2, QLatin1Char('0')) +
           QLatin1Char('.') + extension;
}

QString BatchFile::memberPath(const QString &folder, const QString &baseName, int number,
                              const QString &extension)
{
    return QDir(folder).filePath(memberName(baseName, number, extension));
}

QByteArray BatchFile::line(int number, const QString &name)
{
    return QByteArray::number(number).rightJustified(2, ' ') + ':' + name.toLocal8Bit() + "\r\n";
}
