#pragma once

#include "programtext.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QString>

#include <optional>

// The program file (.prg): "Option=" and four hexadecimal digits, then one
// program line per line, CR LF after each. Readers take the option line at
// any position (its first six characters are "Option"; the option is the
// text from its eighth character on) and lines of any length, LF or CR LF.
namespace ProgramFile {

// A file larger than this is no program file: the drive holds 1024 blocks
// of at most 80 characters, a batch holds up to 100 such files.
constexpr qint64 MaxFileBytes = 256 * 1024;

struct Content
{
    QByteArray option = "0000"; // as written in the file
    bool hasOption = false;
    int optionLine = 0;
    QByteArrayList lines;
    int blockCount = 0;
    QList<int> fileLines; // the 1-based line of the file each line came from
};

enum class ReadFailure { None, CannotOpen, TooLarge };

// "prg" as the last three characters of the path.
bool isProgramFile(const QString &path);

// The raw lines of a file, without their line ends.
std::optional<QByteArrayList> readLines(const QString &path, ReadFailure *failure = nullptr);

// The reader of a download: blanks at both ends of every line go; the
// option line gives the option; every other line is program text.
std::optional<Content> readForDownload(const QString &path, ReadFailure *failure = nullptr);
// The reader of the editor: trailing blanks go; the option stays as read
// (hasOption false when the file has no option line).
std::optional<Content> readForEditor(const QString &path, ReadFailure *failure = nullptr);

// The first line of `content` the drive would refuse, with its fault;
// nullopt when every line is sound and the option is one the drive takes.
struct Fault
{
    int line = 0; // 1-based line of the file
    ProgramText::LineFault fault = ProgramText::LineFault::None;
    bool badOption = false;
};
std::optional<Fault> firstFault(const Content &content);

// The file's bytes: the option line, then each line, CR LF after each.
QByteArray compose(const QByteArray &option, const QByteArrayList &lines);

enum class SaveFailure { None, LineTooLong, WriteFailed };
// The editor's Save: every line is checked before the file is touched (a
// line over 80 characters leaves any earlier file as it was, *badLine its
// 0-based index), then the file is written whole through SafeFileWriter.
SaveFailure save(const QString &path, const QByteArray &option, const QByteArrayList &lines,
                 int *badLine = nullptr);

} // namespace ProgramFile
