#pragma once

#include <QByteArray>
#include <QByteArrayList>

#include <optional>

// The rules of program text: the option word, the block count, the
// preparation of a program for registration and the rebuild of a program
// from the blocks the drive returns.
//
// A line may end in a comment, from its first "'" to the end. The drive
// stores a line with code and a comment as two blocks (the code with a "$"
// appended, then the comment); every other line, empty ones included, is one
// block.
namespace ProgramText {

constexpr int MaxLineLength = 80;
constexpr int MaxComment = 40;     // a comment after code, "'" included
constexpr int MaxLeadComment = 41; // a comment that is the whole line
constexpr int CommentColumn = 30;  // where the rebuild puts a comment
constexpr int LowestProgram = 0;
constexpr int HighestRegistered = 89; // registering, deleting, listing
constexpr int HighestReadable = 99;   // reading
constexpr int FreeBlockEntry = 100;   // the list entry that carries the free blocks

// Option bits.
constexpr quint32 ServoOnNecessary = 0x1;
constexpr quint32 CoordinateNecessary = 0x2;

// "0000" … "0003": the value in hexadecimal, four digits.
QByteArray optionText(quint32 option);
// Hexadecimal digits are accumulated after leading blanks; the first other
// character ends the number.
quint32 parseOption(const QByteArray &text);
// True for one to four hexadecimal digits: what the drive takes as an option.
bool isOptionText(const QByteArray &text);

// The blocks a line takes: two for code with a comment, else one; leading
// blanks do not count.
int blocksOf(const QByteArray &line);

enum class LineFault {
    None,
    CommentOver, // a comment longer than 40 (41 at the start of a line)
    TooLong,     // a line longer than 80 characters
    NotText,     // control bytes: not program text
};
// What is wrong with a line as the drive would store it.
LineFault check(const QByteArray &line);

struct Prepared
{
    QByteArrayList lines;
    int lineCount = 0;
    int blockCount = 0;
};
struct PrepareFailure
{
    LineFault fault = LineFault::None;
    int line = 0; // 0-based index of the offending line
};
// The editor's preparation: leading blanks go, a comment after code gets
// exactly one blank before it.
std::optional<Prepared> prepare(const QByteArrayList &lines, PrepareFailure *failure = nullptr);

// Rebuilds program lines from the drive's blocks in order. A code block that
// ends in "$" waits for its comment, which is set at column 30, or at the
// next multiple of 10 at or above a longer code part; a comment that would
// then end past column 80 gets a single blank instead.
class Rebuilder
{
public:
    // One block's text, without its block number.
    void addBlock(const QByteArray &block);
    // The lines so far; a code block still waiting for its comment is given
    // back as it came, "$" included.
    QByteArrayList lines() const;
    void clear();

private:
    QByteArrayList m_lines;
    std::optional<QByteArray> m_pending;
};

// The block text of an "R2Z" reply: from its sixth character, after the
// block number and its ":".
QByteArray blockOfReply(const QByteArray &reply);

} // namespace ProgramText
