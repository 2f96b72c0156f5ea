#include "profilestore.h"

#include "safefilewriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// Section and entry names compare without regard to case, as INI services do.
bool sameName(const QByteArray &a, const QByteArray &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

QByteArray withoutLineEnd(const QByteArray &line)
{
    QByteArray text = line;
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.endsWith('\r'))
        text.chop(1);
    return text;
}

bool isComment(const QByteArray &trimmed)
{
    return trimmed.startsWith(';') || trimmed.startsWith('#');
}

// The name of a section header line, or a null array for any other line.
QByteArray sectionName(const QByteArray &line)
{
    QByteArray trimmed = withoutLineEnd(line).trimmed();
    if (trimmed.startsWith("\xEF\xBB\xBF")) // a byte order mark is not part of the name
        trimmed = trimmed.mid(3).trimmed();
    if (trimmed.size() >= 2 && trimmed.startsWith('[') && trimmed.endsWith(']'))
        return trimmed.mid(1, trimmed.size() - 2);
    return QByteArray();
}

// Splits an entry line into name and raw value; false for blanks, comments,
// headers and lines without "name=".
bool splitEntry(const QByteArray &line, QByteArray *key, QByteArray *value)
{
    const QByteArray text = withoutLineEnd(line);
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty() || isComment(trimmed) || !sectionName(line).isNull())
        return false;
    const qsizetype eq = text.indexOf('=');
    if (eq <= 0)
        return false;
    *key = text.left(eq).trimmed();
    if (key->isEmpty())
        return false;
    if (value)
        *value = text.mid(eq + 1);
    return true;
}

bool holdsLineBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
           text.contains(QChar(0));
}

QString decode(const QByteArray &bytes)
{
    const QString utf8 = QString::fromUtf8(bytes);
    return utf8.toUtf8() == bytes ? utf8 : QString::fromLatin1(bytes);
}
} // namespace

ProfileStore::ProfileStore(const QString &path)
    : m_path(path.isEmpty() ? defaultPath() : path)
{
    load();
}

QString ProfileStore::defaultPath()
{
    const QString overridden = qEnvironmentVariable("TORVANE_PROFILE");
    if (!overridden.isEmpty())
        return overridden;
    QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
    if (name.isEmpty())
        name = QStringLiteral("torvane");
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return QDir(folder).filePath(name + QStringLiteral(".ini"));
}

bool ProfileStore::load()
{
    m_lines.clear();
    m_lineEnd = "\n";
    QFile file(m_path);
    if (!QFileInfo::exists(m_path))
        return true; // no profile yet: the first write creates it
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning("torvane: cannot read the profile %s (%s); it is left as it is",
                 qPrintable(m_path), qPrintable(file.errorString()));
        return false;
    }
    QByteArray bytes;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(64 * 1024);
        if (chunk.isEmpty() && file.error() != QFileDevice::NoError) {
            qWarning("torvane: cannot read the profile %s (%s); it is left as it is",
                     qPrintable(m_path), qPrintable(file.errorString()));
            return false;
        }
        if (chunk.isEmpty())
            break;
        bytes += chunk;
    }
    const qsizetype firstBreak = bytes.indexOf('\n');
    if (firstBreak > 0 && bytes.at(firstBreak - 1) == '\r')
        m_lineEnd = "\r\n";
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end + 1;
        m_lines.append(bytes.mid(start, end - start));
        start = end;
    }
    return true;
}

bool ProfileStore::save() const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QByteArray out;
    for (const QByteArray &line : m_lines)
        out += line;
    return SafeFileWriter::writeWhole(m_path, out);
}

qsizetype ProfileStore::findEntry(const QByteArray &section, const QByteArray &entry) const
{
    // The first entry of that name in the first section of that name counts;
    // later copies stay in the file but are never read.
    bool inSection = false;
    bool seenSection = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArray name = sectionName(m_lines.at(i));
        if (!name.isNull()) {
            if (seenSection)
                return -1;
            inSection = sameName(name, section);
            seenSection = inSection;
            continue;
        }
        QByteArray key;
        if (inSection && splitEntry(m_lines.at(i), &key, nullptr) && sameName(key, entry))
            return i;
    }
    return -1;
}

int ProfileStore::readInt(const QString &section, const QString &entry, int defaultValue) const
{
    bool ok = false;
    const int value = readString(section, entry).toInt(&ok);
    return ok ? value : defaultValue;
}

QString ProfileStore::readString(const QString &section, const QString &entry) const
{
    const qsizetype line = findEntry(section.toUtf8(), entry.toUtf8());
    if (line < 0)
        return QString();
    QByteArray key;
    QByteArray value;
    splitEntry(m_lines.at(line), &key, &value);
    return decode(value.trimmed());
}

bool ProfileStore::writeInt(const QString &section, const QString &entry, int value)
{
    return writeString(section, entry, QString::number(value));
}

bool ProfileStore::writeString(const QString &section, const QString &entry, const QString &value)
{
    // A line break would end the entry and start a line of the caller's
    // choosing, a "]" or "=" would make a name that reads back otherwise.
    if (holdsLineBreak(section) || holdsLineBreak(entry) || holdsLineBreak(value) ||
        section.contains(QLatin1Char(']')) || entry.contains(QLatin1Char('=')) ||
        section.trimmed().isEmpty() || entry.trimmed().isEmpty()) {
        qWarning("torvane: refused to store [%s] %s: a line break or bracket in the name or value "
                 "would change the file",
                 qPrintable(section), qPrintable(entry));
        return false;
    }
    // Another copy of the program, or the user, may have changed the file.
    if (!load())
        return false;
    const QByteArray sectionBytes = section.toUtf8();
    const QByteArray entryBytes = entry.toUtf8();
    const QByteArray text = entryBytes + '=' + value.toUtf8();

    const qsizetype existing = findEntry(sectionBytes, entryBytes);
    if (existing >= 0) {
        const QByteArray &old = m_lines.at(existing);
        const QByteArray oldEnd = old.mid(withoutLineEnd(old).size());
        m_lines[existing] = text + oldEnd;
        return save();
    }

    // A new entry goes after the last entry of the section, or after its
    // header; a new section goes at the end.
    qsizetype insertAt = -1;
    bool inSection = false;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArray name = sectionName(m_lines.at(i));
        if (!name.isNull()) {
            if (insertAt >= 0)
                break;
            inSection = sameName(name, sectionBytes);
            if (inSection)
                insertAt = i + 1;
            continue;
        }
        QByteArray key;
        if (inSection && splitEntry(m_lines.at(i), &key, nullptr))
            insertAt = i + 1;
    }
    QList<QByteArray> added;
    if (insertAt < 0) {
        insertAt = m_lines.size();
        added.append('[' + sectionBytes + ']' + m_lineEnd);
    }
    added.append(text + m_lineEnd);
    // The line before may be the file's last, without a line end.
    if (insertAt > 0 && !m_lines.at(insertAt - 1).endsWith('\n'))
        m_lines[insertAt - 1] += m_lineEnd;
    for (qsizetype i = 0; i < added.size(); ++i)
        m_lines.insert(insertAt + i, added.at(i));
    return save();
}
