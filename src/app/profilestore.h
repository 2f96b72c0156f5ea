#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The private profile: an INI-style file of sections and entries, read and
// written exactly as they stand. Section names keep their blanks ("ENGLISH
// DSP"); values are taken as the text after the first "=", untouched. Every
// write rewrites the file whole through a temporary, so a crash never leaves
// half a profile.
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
    // An absent entry gives the empty text.
    QString readString(const QString &section, const QString &entry) const;

    bool writeInt(const QString &section, const QString &entry, int value);
    bool writeString(const QString &section, const QString &entry, const QString &value);

private:
    struct Entry
    {
        QString key;
        QString value;
    };
    struct Section
    {
        QString name;
        QList<Entry> entries;
    };

    void load();
    bool save() const;
    const Entry *find(const QString &section, const QString &entry) const;

    QString m_path;
    QList<Section> m_sections;
};
