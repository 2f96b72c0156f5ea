#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QDateTime>
#include <QString>

#include <optional>

// The drive's three identification replies, each kept as the whole line the
// drive sent (reply code included). They head every parameter file.
struct DriveIdentification
{
    QByteArray driveIdentity;      // the answer to @44: "R5Z title:ID:kernel:app:cpu:ext"
    QByteArray motorTypeText;      // the answer to @94: "R2Z line 1:line 2…"
    QByteArray interfaceBoardText; // the answer to "pr:30: "RD board:…"
};

// The parameter file (.prm): an information block of at least 15 lines, then
// one line per listed parameter. Every line is a label column, a bar and, on
// data lines, "#n=value" laid out in fixed columns; lines end in CR LF. The
// text is 8-bit as the drive sent it: nothing here decodes or encodes.
namespace ParameterFile {

// The downloader skips this many lines before the first parameter; the
// writer therefore never writes a shorter information block.
constexpr int InformationLines = 15;
// Width of the label column before the bar.
constexpr int LabelWidth = 23;
// The longest command line the drive takes; a longer write is never sent.
constexpr int CommandLineLength = 79;

// The information block, each line ending in CR LF. A missing field is
// written empty and a motor type of one line gets an empty second line, so
// the block is never shorter than InformationLines. With `english` the first
// line has one blank less before its bar.
QByteArray informationBlock(const DriveIdentification &identification, const QDateTime &uploadTime,
                            bool english);

// The key of a listed entry ("#12N" -> "#12", "#250H" -> "#250"); an entry
// that ends in neither type letter is its own key.
QByteArray entryKey(const QByteArray &entry);

// One data line with its CR LF, from a listed entry and the drive's reading
// of it (" label:value", as it follows "R1D"). An H entry shows 20 asterisks
// instead of its label.
QByteArray dataLine(const QByteArray &entry, const QByteArray &reading);

// The whole file: the information block, then one data line for each pair of
// entries[i] and readings[i] (the shorter list decides the count).
QByteArray compose(const DriveIdentification &identification, const QByteArrayList &entries,
                   const QByteArrayList &readings, const QDateTime &uploadTime, bool english);

// Reads a file line by line, each line whole whatever its length, with its
// trailing white space removed. CR, LF and CR LF each end a line. Nothing when the file
// cannot be opened.
std::optional<QByteArrayList> read(const QString &path);

// The assignment a line carries: the text after the label column's bar with
// its blanks removed ("X    |#  5=   100" -> "#5=100"); empty for a line that
// has nothing after its label (every line of the information block, a line
// that begins with its bar). The label is Shift-JIS: the second byte of a
// double-byte character is never taken for the bar.
QByteArray normalise(const QByteArray &line);

// True when the path ends in "prm" exactly (case matters: "A.PRM" is not one).
bool isParameterFile(const QString &path);

// An assignment "#n=value" split into key and value text. Nothing for text
// that does not have that form (no "=", or a key that is not "#" and digits).
struct Assignment
{
    QByteArray key;
    QByteArray value;
};
std::optional<Assignment> assignment(const QByteArray &normalised);

// True for a line that may follow the information block in a file to be
// downloaded: one with nothing after its label column (a label, a
// separator, an empty line), or one whose assignment is "#n=value" with a
// decimal value (an optional "-" and digits) that fits a command line.
bool isDownloadable(const QByteArray &line);

// The index of the first line after the information block that is not
// downloadable; nothing when the whole file can be sent.
std::optional<qsizetype> firstRefusedLine(const QByteArrayList &lines);

} // namespace ParameterFile
