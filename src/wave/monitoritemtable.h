#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>

// One signal the drive can record: its item number and the text the channel
// lists show ("#319:TestResponse").
struct MonitorItem
{
    quint16 code = 0;
    QByteArray text;
};

// The drive's monitor-item list as the viewer caches it in "data/Monstr.dat":
// one "#n:name ,  n" line per item the drive listed with @42, then the plain
// numeric ranges 400-449, 500-549 and 600-699.
class MonitorItemTable
{
public:
    static constexpr int Capacity = 700;
    static constexpr int MaxTextLength = 39;

    enum class LoadResult { Loaded, CannotOpen, TooMany, BadFormat };

    static MonitorItemTable &instance();

    const QList<MonitorItem> &items() const { return m_items; }
    int count() const { return int(m_items.size()); }
    MonitorItem item(int index) const
    {
        return index >= 0 && index < count() ? m_items.at(index) : MonitorItem();
    }
    QByteArray text(int index) const { return item(index).text; }
    // The first entry whose text contains key, or -1.
    int indexContaining(const QByteArray &key) const;
    // The text of the last entry before the first one numbered 202 or more,
    // without trailing blanks: the list's item 201, whose name tells the
    // list's language.
    QByteArray languageEntry() const;

    // Reads the cache. On any failure the table keeps what it held.
    LoadResult load(const QString &path);
    void setItems(const QList<MonitorItem> &items) { m_items = items; }

    // The cache file's bytes from the lines the drive listed (each as the
    // drive sent it, "R2Z :#1:ScaleNumerator").
    static QByteArray cacheBytes(const QByteArrayList &listedLines);

    static QString cachePath(const QString &baseDir);
    // The Japanese name of item 201 in half-width katakana (Shift-JIS).
    static QByteArray japaneseLanguageEntry();

private:
    QList<MonitorItem> m_items;
};
