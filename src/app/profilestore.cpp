#include "profilestore.h"

#include "safefilewriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
// Section and entry names compare without regard to case, as INI services do.
bool sameName(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
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

void ProfileStore::load()
{
    m_sections.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // A profile is small; anything far larger is not ours and is ignored.
    if (file.size() > 1024 * 1024)
        return;
    const QByteArray bytes = file.readAll();
    Section *current = nullptr;
    for (QByteArray raw : bytes.split('\n')) {
        if (raw.endsWith('\r'))
            raw.chop(1);
        const QString line = QString::fromUtf8(raw);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            const QString name = trimmed.mid(1, trimmed.size() - 2);
            current = nullptr;
            for (Section &s : m_sections) {
                if (sameName(s.name, name))
                    current = &s;
            }
            if (!current) {
                m_sections.append(Section{name, {}});
                current = &m_sections.last();
            }
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (!current || eq <= 0)
            continue; // garbage outside a section, or a line without an entry
        const QString key = line.left(eq).trimmed();
        const QString value = line.mid(eq + 1);
        bool replaced = false;
        for (Entry &e : current->entries) {
            if (sameName(e.key, key)) {
                e.value = value;
                replaced = true;
            }
        }
        if (!replaced)
            current->entries.append(Entry{key, value});
    }
}

bool ProfileStore::save() const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QByteArray out;
    for (const Section &s : m_sections) {
        out += '[' + s.name.toUtf8() + "]\n";
        for (const Entry &e : s.entries)
            out += e.key.toUtf8() + '=' + e.value.toUtf8() + '\n';
    }
    return SafeFileWriter::writeWhole(m_path, out);
}

const ProfileStore::Entry *ProfileStore::find(const QString &section, const QString &entry) const
{
    for (const Section &s : m_sections) {
        if (!sameName(s.name, section))
            continue;
        for (const Entry &e : s.entries) {
            if (sameName(e.key, entry))
                return &e;
        }
    }
    return nullptr;
}

int ProfileStore::readInt(const QString &section, const QString &entry, int defaultValue) const
{
    const Entry *e = find(section, entry);
    if (!e)
        return defaultValue;
    bool ok = false;
    const int value = e->value.trimmed().toInt(&ok);
    return ok ? value : defaultValue;
}

QString ProfileStore::readString(const QString &section, const QString &entry) const
{
    const Entry *e = find(section, entry);
    return e ? e->value : QString();
}

bool ProfileStore::writeInt(const QString &section, const QString &entry, int value)
{
    return writeString(section, entry, QString::number(value));
}

bool ProfileStore::writeString(const QString &section, const QString &entry, const QString &value)
{
    // Another copy of the program, or the user, may have changed the file.
    load();
    Section *target = nullptr;
    for (Section &s : m_sections) {
        if (sameName(s.name, section))
            target = &s;
    }
    if (!target) {
        m_sections.append(Section{section, {}});
        target = &m_sections.last();
    }
    bool found = false;
    for (Entry &e : target->entries) {
        if (sameName(e.key, entry)) {
            e.value = value;
            found = true;
        }
    }
    if (!found)
        target->entries.append(Entry{entry, value});
    return save();
}
