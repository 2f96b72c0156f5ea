#include "programtext.h"

#include "link/hexdigit.h"

namespace ProgramText {

namespace {

QByteArray withoutLeadingBlanks(const QByteArray &text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == ' ')
        ++i;
    return text.mid(i);
}

QByteArray withoutTrailingBlanks(const QByteArray &text)
{
    qsizetype n = text.size();
    while (n > 0 && text.at(n - 1) == ' ')
        --n;
    return text.left(n);
}

} // namespace

QByteArray optionText(quint32 option)
{
    return QByteArray::number(option, 16).toUpper().rightJustified(4, '0');
}

quint32 parseOption(const QByteArray &text)
{
    quint32 value = 0;
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == ' ')
        ++i;
    for (; i < text.size(); ++i) {
        const int digit = hexDigit(text.at(i));
        if (digit < 0)
            break;
        value = (value << 4) | quint32(digit);
    }
    return value;
}

bool isOptionText(const QByteArray &text)
{
    if (text.isEmpty() || text.size() > 4)
        return false;
    for (char c : text) {
        if (hexDigit(c) < 0)
            return false;
    }
    return true;
}

int blocksOf(const QByteArray &line)
{
    // Leading blanks never reach the drive: a comment the rebuild set at
    // column 30 with nothing before it is still one block.
    return withoutLeadingBlanks(line).indexOf('\'') > 0 ? 2 : 1;
}

LineFault check(const QByteArray &line)
{
    for (char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 && c != '\t')
            return LineFault::NotText;
        if (byte == 0x7f)
            return LineFault::NotText;
    }
    const qsizetype quote = line.indexOf('\'');
    if (quote >= 0 && line.size() - quote > (quote == 0 ? MaxLeadComment : MaxComment))
        return LineFault::CommentOver;
    if (line.size() > MaxLineLength)
        return LineFault::TooLong;
    return LineFault::None;
}

std::optional<Prepared> prepare(const QByteArrayList &lines, PrepareFailure *failure)
{
    Prepared result;
    result.lineCount = int(lines.size());
    result.blockCount = result.lineCount;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = withoutLeadingBlanks(lines.at(i));
        const qsizetype quote = line.indexOf('\'');
        if (quote >= 0) {
            const QByteArray code = withoutTrailingBlanks(line.left(quote));
            const QByteArray comment = line.mid(quote);
            line = code.isEmpty() ? comment : code + ' ' + comment;
        }
        const LineFault fault = check(line);
        if (fault != LineFault::None) {
            if (failure)
                *failure = {fault, int(i)};
            return std::nullopt;
        }
        if (line.indexOf('\'') > 0)
            ++result.blockCount;
        result.lines.append(line);
    }
    return result;
}

void Rebuilder::addBlock(const QByteArray &block)
{
    if (!block.contains('\'')) {
        if (m_pending) {
            // A "$" block without its comment after it: the "$" was the
            // program's own text.
            m_lines.append(*m_pending + '$');
            m_pending.reset();
        }
        if (block.endsWith('$'))
            m_pending = block.left(block.size() - 1);
        else
            m_lines.append(block);
        return;
    }
    const QByteArray comment = withoutLeadingBlanks(block);
    const QByteArray code = m_pending.value_or(QByteArray());
    const qsizetype length = code.size();
    qsizetype column = CommentColumn;
    if (length > CommentColumn)
        column = (length + 9) / 10 * 10;
    qsizetype blanks = qMax<qsizetype>(0, column - length);
    if (length + blanks + comment.size() > MaxLineLength)
        blanks = length > 0 ? 1 : 0;
    m_lines.append(code + QByteArray(blanks, ' ') + comment);
    m_pending.reset();
}

QByteArrayList Rebuilder::lines() const
{
    QByteArrayList lines = m_lines;
    if (m_pending)
        lines.append(*m_pending + '$');
    return lines;
}

void Rebuilder::clear()
{
    m_lines.clear();
    m_pending.reset();
}

QByteArray blockOfReply(const QByteArray &reply)
{
    const QByteArray text = reply.mid(5);
    const qsizetype colon = text.indexOf(':');
    return colon < 0 ? text : text.mid(colon + 1);
}

} // namespace ProgramText
