#pragma once

#include "camprofile.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDateTime>
#include <QString>

#include <optional>

// The cam profile file (cdt): comment lines, then one record line per title,
// item and data line, then "END". A record line is a label padded to 14
// characters, "|" and the record: "TT1:title", "TI1:0x%04x:0x%04x" (items 1
// to 3) or "TI1:0x%04x:0x%08x", "TD1:%03d:%03d" with ":0x%08x" per point.
// Lines end in CR LF.
//
// Reading skips every line without text after its first "|"; a field that
// begins "0x" is hexadecimal, any other decimal. A file is taken only whole:
// the twelve items, each once and within its width, and 101 data lines that
// cover the points 0 … 500 in order, each with as many values as its range
// says. Nothing of a refused file is used.
class CamFile
{
public:
    struct ReadResult
    {
        enum class Fault { None, CannotOpen, NotCamFile };
        CamProfile profile;
        Fault fault = Fault::None;
        int line = 0; // the line of the fault, 0 when the file ended short
    };

    static ReadResult read(const QString &path);
    // The file's bytes: the comment lines (padded by commentLine()), the
    // records with the section titles before the items and the data.
    static QByteArray compose(const CamProfile &profile, const QByteArrayList &comments);
    // compose() through SafeFileWriter: the file is written whole or not at all.
    static bool write(const QString &path, const CamProfile &profile,
                      const QByteArrayList &comments);

    // A comment: the text padded to 23 characters and "|" with nothing after.
    static QByteArray commentLine(const QByteArray &text);
    // A record: the label padded to 14 characters (a longer one kept whole),
    // "|" and the record.
    static QByteArray recordLine(const QByteArray &label, const QByteArray &record);
    // The comments the program writes at the top: the file's name, the
    // backup information block with the date, the file name and the profile
    // number (0: none, shown as "X").
    static QByteArrayList header(const QString &path, int number,
                                 const QDateTime &date = QDateTime::currentDateTime());
    // The title a profile takes in the file written to `path`: the file's
    // base name, at most 15 characters.
    static QByteArray titleFor(const QString &path);

    // A field of a record: "0x…" hexadecimal (up to 8 digits), else decimal.
    static std::optional<qint64> field(const QByteArray &text);
};
