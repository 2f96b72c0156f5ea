#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>

#include <optional>

// The table files of the compensation tables. Entries are decimal texts as
// the grids and the drive's readings give them; lines end in CR LF.
//
// Index compensation and unequal division tables (idx, idp): "%3d|%10s" per
// entry, numbered from 0; an entry is the text after the first "|", blanks
// removed. Absolute-accuracy tables (aac): "%3d:%10s:" per entry; an entry is
// the text after the first ":", blanks and the closing ":" removed.
namespace TableFile {

// An index table holds at most this many entries.
constexpr int MaxIndexEntries = 100;
// An absolute-accuracy table holds this many points.
constexpr int MinAccuracyPoints = 2;
constexpr int MaxAccuracyPoints = 360;
// Point-table and absolute-accuracy values stay within ±this.
constexpr qint64 MaxMagnitude = 999999999;

struct ReadResult
{
    enum class Fault {
        None,
        CannotOpen,
        Malformed, // a line without its separator
        BadValue,  // an entry that is no number the drive can take
        TooLong,   // more lines than the table holds
        TooShort,  // fewer lines than the table needs (an empty file)
    };
    QByteArrayList entries;
    Fault fault = Fault::None;
    int line = 0; // 1-based line of the fault
};

QByteArray composeIndex(const QByteArrayList &entries);
ReadResult readIndex(const QString &path);

QByteArray composeAccuracy(const QByteArrayList &entries);
ReadResult readAccuracy(const QString &path);

// An index entry as the drive takes it: the decimal text as a 32-bit value
// in eight upper-case hexadecimal digits (two's complement for negatives).
std::optional<QByteArray> encodeIndexEntry(const QByteArray &decimal);
// An uploaded hexadecimal entry as signed 32-bit decimal text.
std::optional<QByteArray> decodeIndexEntry(const QByteArray &hex);

// A typed or read value of the absolute-accuracy and point tables: a decimal
// integer of magnitude at most MaxMagnitude, in its plain form ("+5" -> "5").
std::optional<QByteArray> boundedValue(const QByteArray &text);

} // namespace TableFile
