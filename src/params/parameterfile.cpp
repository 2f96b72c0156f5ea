#include "parameterfile.h"

#include <QFile>

namespace ParameterFile {

namespace {

const QByteArray lineEnd = "\r\n";

// The k-th ":"-field (from 1), empty when the text has fewer fields.
QByteArray field(const QByteArrayList &fields, int k)
{
    return k <= fields.size() ? fields.at(k - 1) : QByteArray();
}

// "%-Ns": padded with blanks on the right, a longer text kept whole.
QByteArray leftAligned(const QByteArray &text, int width)
{
    return text.size() >= width ? text : text + QByteArray(width - text.size(), ' ');
}

// "%Ns": padded with blanks on the left, a longer text kept whole.
QByteArray rightAligned(const QByteArray &text, int width)
{
    return text.size() >= width ? text : QByteArray(width - text.size(), ' ') + text;
}

QByteArray labelled(const char *label, const QByteArray &value)
{
    return QByteArray(label) + leftAligned(value, 12) + '|' + lineEnd;
}

QByteArray columnLine(const QByteArray &text)
{
    return leftAligned(text, LabelWidth) + '|' + lineEnd;
}

bool isSeparator(char c)
{
    return c == '\r' || c == '\n' || c == '|';
}

// Bytes that begin a Shift-JIS double-byte character: the byte after one is
// its second half, whatever its value (0x7C included), never a bar.
bool isLeadByte(char c)
{
    const auto byte = quint8(c);
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// The length of the character at i: two bytes for a double-byte character
// that is whole, else one.
qsizetype characterLength(const QByteArray &line, qsizetype i)
{
    return isLeadByte(line.at(i)) && i + 1 < line.size() ? 2 : 1;
}

// Where the label column's bar is, or -1 for a line without one.
qsizetype barIndex(const QByteArray &line)
{
    for (qsizetype i = 0; i < line.size(); i += characterLength(line, i)) {
        if (line.at(i) == '|')
            return i;
    }
    return -1;
}

// "-" at most once in front, then one or more decimal digits.
bool isDecimal(const QByteArray &text)
{
    const qsizetype first = text.startsWith('-') ? 1 : 0;
    if (first >= text.size())
        return false;
    for (qsizetype i = first; i < text.size(); ++i) {
        if (text.at(i) < '0' || text.at(i) > '9')
            return false;
    }
    return true;
}

// White space as the C library's isspace() knows it in the "C" locale.
bool isTrailingSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

QByteArray withoutTrailingSpace(QByteArray line)
{
    qsizetype end = line.size();
    while (end > 0 && isTrailingSpace(line.at(end - 1)))
        --end;
    line.truncate(end);
    return line;
}

} // namespace

QByteArray informationBlock(const DriveIdentification &identification, const QDateTime &uploadTime,
                            bool english)
{
    const QByteArrayList identity = identification.driveIdentity.split(':');
    const QByteArrayList board = identification.interfaceBoardText.split(':');
    QByteArrayList motor = identification.motorTypeText.split(':');
    // Two motor-type lines make the block its 15 lines; a drive that sends a
    // single line gets an empty second one rather than a shorter block.
    while (motor.size() < 2)
        motor.append(QByteArray());

    const QByteArray separator = columnLine(QByteArray());
    QByteArray block;
    block += '[' + field(identity, 1) + ']' + QByteArray(english ? 10 : 11, ' ') + '|' + lineEnd;
    block += labelled("ID       : ", field(identity, 2));
    block += labelled("KerVer   : ", field(identity, 3));
    block += labelled("AppVer   : ", field(identity, 4));
    block += labelled("CpuFRom  : ", field(identity, 5));
    block += labelled("ExtFRom  : ", field(identity, 6));
    block += labelled("IFB      : ", field(board, 1));
    block += separator;
    block += columnLine("[MotorType]");
    for (const QByteArray &text : std::as_const(motor))
        block += columnLine(text);
    block += separator;
    block += columnLine("Date : " + uploadTime.toString(QStringLiteral("yyyy.MM.dd")).toLatin1());
    block += columnLine("Time : " + uploadTime.toString(QStringLiteral("HH:mm")).toLatin1());
    block += separator;
    return block;
}

QByteArray entryKey(const QByteArray &entry)
{
    if (!entry.endsWith('N') && !entry.endsWith('H'))
        return entry;
    qsizetype cut = entry.indexOf('N');
    const qsizetype h = entry.indexOf('H');
    if (cut < 0 || (h >= 0 && h < cut))
        cut = h;
    return entry.left(cut);
}

QByteArray dataLine(const QByteArray &entry, const QByteArray &reading)
{
    const qsizetype colon = reading.indexOf(':');
    const QByteArray label = entry.endsWith('H') ? QByteArray(20, '*')
                             : colon < 0         ? reading
                                                 : reading.left(colon);
    const QByteArray value = colon < 0 ? QByteArray() : reading.mid(colon + 1);

    // "#", then the number right-aligned in three places; longer keys as they are.
    QByteArray key = entryKey(entry);
    if (key.size() == 2)
        key = key.left(1) + "  " + key.mid(1);
    else if (key.size() == 3)
        key = key.left(1) + ' ' + key.mid(1);

    return leftAligned(label, LabelWidth) + '|' + key + '=' + rightAligned(value, 12) + lineEnd;
}

QByteArray compose(const DriveIdentification &identification, const QByteArrayList &entries,
                   const QByteArrayList &readings, const QDateTime &uploadTime, bool english)
{
    QByteArray text = informationBlock(identification, uploadTime, english);
    const qsizetype count = qMin(entries.size(), readings.size());
    for (qsizetype i = 0; i < count; ++i)
        text += dataLine(entries.at(i), readings.at(i));
    return text;
}

std::optional<QByteArrayList> read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray text = file.readAll();
    QByteArrayList lines;
    // CR, LF and CR LF each end a line.
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text.at(end) != '\r' && text.at(end) != '\n')
            ++end;
        lines.append(withoutTrailingSpace(text.mid(start, end - start)));
        start = end + 1;
        if (end + 1 < text.size() && text.at(end) == '\r' && text.at(end + 1) == '\n')
            ++start;
    }
    return lines;
}

QByteArray normalise(const QByteArray &line)
{
    // Tokens as a tokenizer splits them: runs of separators count as one and
    // leading separators are skipped. Only the first two matter.
    QByteArrayList tokens;
    qsizetype i = 0;
    while (tokens.size() < 2) {
        while (i < line.size() && isSeparator(line.at(i)))
            ++i;
        if (i >= line.size())
            break;
        const qsizetype start = i;
        while (i < line.size() && !isSeparator(line.at(i)))
            i += characterLength(line, i);
        tokens.append(line.mid(start, i - start));
    }
    QByteArray result;
    if (tokens.size() == 2)
        result = tokens.at(1);
    else if (tokens.isEmpty())
        result = line;
    result.replace(' ', QByteArray());
    return result;
}

bool isParameterFile(const QString &path)
{
    return path.endsWith(QLatin1String("prm"), Qt::CaseSensitive);
}

std::optional<Assignment> assignment(const QByteArray &normalised)
{
    const qsizetype equals = normalised.indexOf('=');
    if (equals < 2 || normalised.at(0) != '#')
        return std::nullopt;
    const QByteArray key = normalised.left(equals);
    for (qsizetype i = 1; i < key.size(); ++i) {
        if (key.at(i) < '0' || key.at(i) > '9')
            return std::nullopt;
    }
    return Assignment{key, normalised.mid(equals + 1)};
}

bool isDownloadable(const QByteArray &line)
{
    // What follows the label column's bar (the whole line when it has none),
    // without blanks and further bars: a line that leaves nothing is a
    // label, a separator or empty, and carries nothing to write.
    const qsizetype bar = barIndex(line);
    QByteArray payload = line.mid(bar + 1);
    payload.replace(' ', QByteArray());
    payload.replace('|', QByteArray());
    if (payload.isEmpty())
        return true;
    const QByteArray normalised = normalise(line);
    if (normalised.size() > CommandLineLength)
        return false;
    const std::optional<Assignment> parsed = assignment(normalised);
    return parsed && isDecimal(parsed->value);
}

std::optional<qsizetype> firstRefusedLine(const QByteArrayList &lines)
{
    for (qsizetype i = InformationLines; i < lines.size(); ++i) {
        if (!isDownloadable(lines.at(i)))
            return i;
    }
    return std::nullopt;
}

} // namespace ParameterFile
