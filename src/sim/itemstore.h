#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>

#include <optional>

// One `#n` item of the drive: a parameter (listed by @40 in its group), a
// monitor item (read-only, its value comes from the running drive) or a point
// register.
struct SimItem
{
    enum class Kind { Parameter, Monitor, Point };

    int number = 0;
    Kind kind = Kind::Parameter;
    int group = 0;   // parameters: 1 to 5
    char type = 'N'; // parameters: 'N' or 'H'
    QByteArray english;
    QByteArray japanese; // Shift-JIS bytes
    qint64 min = 0;
    qint64 max = 0;
    QList<qint64> allowed; // when not empty, the only values accepted
    bool writable = true;
    bool binary = false; // answered as R1B with 16 binary digits
    qint32 value = 0;
};

// The drive's item table: definitions and the stored values. Monitor items
// keep a stored value too, used when the running drive has nothing better.
class ItemStore
{
public:
    enum class WriteResult { Accepted, UnknownOrReadOnly, BadValue };

    // The seeded table: several hundred parameters over the five groups, the
    // monitor items and the point registers.
    void seed();

    bool contains(int number) const { return m_items.contains(number); }
    const SimItem *find(int number) const;
    SimItem *find(int number);
    void insert(const SimItem &item) { m_items.insert(item.number, item); }
    void remove(int number) { m_items.remove(number); }
    // Removes every item of the given kind (and group, when group > 0).
    void removeAll(SimItem::Kind kind, int group = 0);

    // Parameters of one group in ascending number.
    QList<const SimItem *> group(int group) const;
    // Parameters and monitor items in ascending number (the help listing).
    QList<const SimItem *> helpItems() const;
    QList<const SimItem *> all() const;
    int parameterCount() const;

    // Range-checked write of a text value as the drive receives it.
    WriteResult write(int number, const QByteArray &valueText);
    // Range-checked write of a number.
    WriteResult write(int number, qint64 value);
    // No checks at all (test steering): an unknown number is ignored.
    void force(int number, qint32 value);

private:
    QMap<int, SimItem> m_items;
};
