#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The private profile: an INI-style file of sections and entries. The file is
// held as its raw lines, so a write changes only the line of the entry it
// sets; comments (';' or '#'), unknown sections and entries, bytes that are
// not UTF-8 and the file's line ends (LF or CR LF) stay exactly as they were.
// Section names keep their blanks ("ENGLISH DSP"); values are read trimmed of
// blanks around them. Every write rewrites the file whole through a temporary,
// so a crash never leaves half a profile.
class ProfileStore
{
public:
    explicit ProfileStore(const QString &path = QString());

    // The profile named after the executable in the user's configuration
    // folder (TORVANE_PROFILE names another file, for tests and scripts).
    static QString defaultPath();

    QString path() const { return m_path; }

    // An absent entry, or one that is not a whole number, gives the default.
    int readInt(const QString &section, const QString &entry, int defaultValue) const;
    // An absent entry gives the empty text. Bytes that are not UTF-8 read as
    // Latin-1, so nothing is lost.
    QString readString(const QString &section, const QString &entry) const;

    // False, and the file untouched, when the profile exists but cannot be
    // read, when a name or value holds a line break (it would forge entries)
    // or when the file cannot be written.
    bool writeInt(const QString &section, const QString &entry, int value);
    bool writeString(const QString &section, const QString &entry, const QString &value);

private:
    bool load();
    bool save() const;
    // Index of the line holding the entry, or -1.
    qsizetype findEntry(const QByteArray &section, const QByteArray &entry) const;

    QString m_path;
    QList<QByteArray> m_lines; // each with its own line end, if it has one
    QByteArray m_lineEnd = "\n";
};
