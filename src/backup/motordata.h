#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <array>
#include <optional>

// The motor data of a drive as the motor-data backup moves it: the two
// pairs of motor strings, three characteristic tables and the machine
// parameters of the fixed table (43 entries in the groups COM, ROT and LNR,
// and the four adjustment entries 400 to 403).
//
// The two script files hold it as driver commands: the main script ("dfb")
// the strings PSAW/PSBW, the tables and the COM entries with the ROT or LNR
// entries of the motor kind; the adjustment script ("dfa") the strings
// PSCW/PSDW and the adjustment entries. Each line is a label padded with
// blanks to 43 characters (Shift-JIS), " | " and the command without its
// leading double quote.
struct MotorData
{
    enum class Group { Com, Rot, Lnr, Adj };
    struct Entry
    {
        Group group;
        qint16 slot;
        qint16 number;
        const char *label; // UTF-8; written in Shift-JIS
    };
    struct Point
    {
        qint16 first = 0;
        qint16 second = 0;
        bool operator==(const Point &other) const
        {
            return first == other.first && second == other.second;
        }
    };

    static constexpr int MaxStringLength = 31;
    static constexpr int MaxPoints = 15;
    static constexpr int TableCount = 3;
    static constexpr int LabelWidth = 43;
    // The table: COM (20), ROT (14), LNR (9), then the adjustment entries (4).
    static const QList<Entry> &entries();
    static int entryCount() { return int(entries().size()); }

    // The strings A, B (main script) and C, D (adjustment script); a string
    // or table that a script did not carry stays unset and is not written.
    std::array<std::optional<QByteArray>, 4> strings;
    std::array<std::optional<QList<Point>>, TableCount> tables;
    // One value per entry of entries(), in table order.
    QList<std::optional<qint32>> values = QList<std::optional<qint32>>(entryCount());

    // The motor kind (COM entry 0): 0 rotary, 1 linear.
    bool isLinear() const;
    int indexOf(Group group, int number) const;
    bool operator==(const MotorData &other) const
    {
        return strings == other.strings && tables == other.tables && values == other.values;
    }
};

class MotorScript
{
public:
    enum class Kind { Main, Adjust };
    struct Fault
    {
        int line = 0; // 1-based
        QByteArray text;
    };

    static QByteArray compose(Kind kind, const MotorData &data);
    // Reads a script into `data` (only what the script carries is set).
    // Every line is taken whole; a line that is not one of the script's
    // commands, a string over 31 characters, a table of more than 15 points
    // or a motor kind other than 0 or 1 is a fault.
    static std::optional<Fault> parse(Kind kind, const QByteArray &bytes, MotorData *data);
    // A label in the file's code, padded to the label width.
    static QByteArray paddedLabel(const char *utf8);
    static const char *tableLabel(int table);
};
