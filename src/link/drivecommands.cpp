#include "drivecommands.h"

#include "hexdigit.h"

#include <limits>

namespace DriveCommand {

namespace {
QByteArray num(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray hex(quint64 value)
{
    return QByteArray::number(value, 16).toUpper();
}

QByteArray hex4(quint16 value)
{
    return zeroPadded(hex(value), 4);
}
} // namespace

QByteArray zeroPadded(const QByteArray &text, int width)
{
    if (text.size() >= width)
        return text;
    return QByteArray(width - text.size(), '0') + text;
}

QByteArray hex32(qint32 value, int width)
{
    return zeroPadded(hex(quint32(value)), width);
}

QByteArray function(int number)
{
    return '@' + num(number);
}

QByteArray function(int number, const QByteArray &args)
{
    return '@' + num(number) + ':' + args;
}

QByteArray readItem(int number)
{
    return '#' + num(number);
}

QByteArray writeItem(int number, qint64 value)
{
    return '#' + num(number) + '=' + num(value);
}

QByteArray writeItem(int number, const QByteArray &value)
{
    return '#' + num(number) + '=' + value;
}

QByteArray writeKey(const QByteArray &key, qint64 value)
{
    return key + '=' + num(value);
}

QByteArray writeKey(const QByteArray &key, const QByteArray &value)
{
    return key + '=' + value;
}

QByteArray readShortParam(int number)
{
    return "\"pr:" + num(number);
}

QByteArray tagged(const QByteArray &command, int depth)
{
    return QByteArray(qMax(0, depth), '!') + command;
}

QByteArray pageAck()
{
    return QByteArrayLiteral("R0P");
}

QByteArray identification()
{
    return function(44);
}
QByteArray motorType()
{
    return function(94);
}
QByteArray interfaceBoard()
{
    return readShortParam(30);
}
QByteArray communicationReset()
{
    return function(98);
}
QByteArray openTransfer()
{
    return function(53);
}
QByteArray closeTransfer()
{
    return function(54);
}
QByteArray switchToWriting()
{
    return function(55);
}
QByteArray restart()
{
    return function(96);
}
QByteArray listGroup(int group)
{
    return function(40, num(group));
}
QByteArray commandHelp(int page)
{
    return function(41, num(page));
}
QByteArray itemHelp(int page)
{
    return function(42, num(page));
}

QByteArray listPrograms()
{
    return function(60);
}
QByteArray beginProgram(int program, int blocks, quint16 option)
{
    return function(61, num(program) + ':' + num(blocks) + ':' + hex4(option));
}
QByteArray endProgram()
{
    return function(62);
}
QByteArray readProgram(int program)
{
    return function(63, num(program));
}
QByteArray deleteProgram(int program)
{
    return function(64, num(program));
}
QByteArray programStatusPoll()
{
    return tagged(function(0, "0"));
}
QByteArray startProgram(int program, int block)
{
    return function(3, "4:" + num(program) + ':' + num(block));
}

QByteArray beginCam(int profile)
{
    return function(72, num(profile));
}
QByteArray camTitle(const QByteArray &title)
{
    return "TT1:" + title;
}
QByteArray camItem(quint32 item, quint32 value)
{
    return "TI1:" + hex(item) + ':' + hex(value);
}
QByteArray camData(quint32 point, quint32 first, const QByteArray &rest)
{
    return "TD1:" + hex(point) + ':' + hex(first) + rest;
}
QByteArray endCam()
{
    return function(72, "0");
}
QByteArray readCam(int profile)
{
    return function(73, num(profile));
}
QByteArray readCamTag(const QByteArray &tag)
{
    return function(70, tag);
}
QByteArray readCamPoints(int profile)
{
    return function(71, num(profile));
}

QByteArray beginIndexTable(int table, int count)
{
    return function(66, num(table) + ':' + num(count));
}
QByteArray indexEntry(qint32 value)
{
    return "TC1:" + hex32(value);
}
QByteArray endIndexTable()
{
    return function(67);
}
QByteArray readIndexTable(int table)
{
    return function(68, num(table));
}
QByteArray indexTablesPresent()
{
    return function(65);
}
QByteArray beginDivisionTable(int table, int count)
{
    return function(81, num(table) + ':' + num(count));
}
QByteArray divisionEntry(qint32 value)
{
    return "TB1:" + hex32(value);
}
QByteArray endDivisionTable()
{
    return function(82);
}
QByteArray readDivisionTable(int table)
{
    return function(83, num(table));
}
QByteArray divisionTablesPresent()
{
    return function(80);
}
QByteArray beginAccuracyTable(int size)
{
    return function(85, num(size));
}
QByteArray accuracyEntry(int entry, qint64 value)
{
    return "TE1:" + num(entry) + ':' + num(value);
}
QByteArray endAccuracyTable()
{
    return function(85, "0");
}
QByteArray readAccuracyTable()
{
    return function(84);
}

QByteArray listLogicWords()
{
    return function(78);
}
QByteArray ioCounts()
{
    return function(47);
}
QByteArray enterLogicSetting()
{
    return function(79, "1");
}
QByteArray leaveLogicSetting()
{
    return function(79, "0");
}
QByteArray inputLogic(quint16 index, quint16 word)
{
    return "LIS:" + hex4(index) + ':' + hex4(word);
}
QByteArray outputLogic(quint16 index, quint16 word)
{
    return "LOS:" + hex4(index) + ':' + hex4(word);
}
QByteArray inputLogicPrefix(const QByteArray &index)
{
    return "LIS:" + index + ':';
}
QByteArray outputLogicPrefix(const QByteArray &index)
{
    return "LOS:" + index + ':';
}
QByteArray axisAvailability()
{
    return function(56, "0");
}
QByteArray axisState()
{
    return function(57, "0");
}
QByteArray readInputWord(int index)
{
    return function(45, num(index));
}
QByteArray readOutputWord(int index)
{
    return function(46, num(index));
}
QByteArray dummyInput(const QByteArray &address, quint8 byte)
{
    return "\"MB:" + address + ':' + zeroPadded(hex(byte), 2);
}

QByteArray logChannels(qint16 ch1, qint16 ch2, qint16 ch3, qint16 ch4)
{
    return "\"LGCHSU:" + num(ch1) + ':' + num(ch2) + ':' + num(ch3) + ':' + num(ch4);
}
QByteArray logTrigger(int mode, int source, int edge, qint32 level)
{
    return "\"LGTRS:" + num(mode) + ':' + num(source) + ':' + num(edge) + ':' + num(level);
}
QByteArray logStart(qint32 samples, qint32 intervalMs, qint32 postMs)
{
    return "\"LGSTR:" + num(samples) + ':' + num(intervalMs) + ':' + num(postMs);
}
QByteArray logStatus()
{
    return QByteArrayLiteral("\"LGSTS");
}
QByteArray logAbort()
{
    return QByteArrayLiteral("\"LGABR");
}
QByteArray logOpen()
{
    return QByteArrayLiteral("\"LGDOPN");
}
QByteArray logNext()
{
    return QByteArrayLiteral("\"LGDRN");
}
QByteArray logClose()
{
    return QByteArrayLiteral("\"LGDCLS");
}

QByteArray characteristicWriteOpen(int table)
{
    return "\"FWOPN:" + num(table);
}
QByteArray characteristicPoint(qint16 a, qint16 b)
{
    return "\"FDW:" + num(a) + ':' + num(b);
}
QByteArray characteristicClose()
{
    return QByteArrayLiteral("\"FCLS");
}
QByteArray characteristicReadOpen(int table)
{
    return "\"FROPN:" + num(table);
}
QByteArray characteristicNext()
{
    return QByteArrayLiteral("\"FDRN");
}
QByteArray motorStringWrite(char which, const QByteArray &text)
{
    return "\"PS" + QByteArray(1, which) + "W:" + text;
}
QByteArray motorStringRead(char which)
{
    return "\"PS" + QByteArray(1, which) + 'R';
}
QByteArray machineParamRead(qint16 number)
{
    return "\"PR:" + num(number);
}
QByteArray machineParamWrite(qint16 number, qint32 value)
{
    return "\"PW:" + num(number) + ':' + num(value);
}
QByteArray registerPartB()
{
    return QByteArrayLiteral("\"REGBD");
}
QByteArray registerPartA()
{
    return QByteArrayLiteral("\"REGAD");
}

} // namespace DriveCommand

namespace {
bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}
bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}
bool isTypeLetter(char c)
{
    return c == 'D' || c == '1' || c == '2' || c == '4' || c == 'S';
}
} // namespace

ReplyLine::ReplyLine(const QByteArray &line)
    : m_raw(line)
{
    while (m_tagDepth < line.size() && line.at(m_tagDepth) == '!')
        ++m_tagDepth;
    m_body = line.mid(m_tagDepth);
    const QByteArray &b = m_body;
    if (b.isEmpty()) {
        m_kind = Kind::Empty;
    } else if (b.startsWith("R00")) {
        m_kind = Kind::Done;
    } else if (b.startsWith("R0P")) {
        m_kind = Kind::NextLine;
    } else if (b.startsWith("ALM")) {
        m_kind = Kind::Alarm;
    } else if (b.startsWith("ERR")) {
        m_kind = Kind::Error;
    } else if (b.at(0) == 'R') {
        if (b.size() >= 3 && isDigit(b.at(1)) && isUpper(b.at(2))) {
            m_kind = Kind::Data;
        } else {
            // "R" + one type letter per value + a blank: a typed answer.
            const qsizetype blank = b.indexOf(' ');
            bool typed = blank > 1;
            for (qsizetype i = 1; typed && i < blank; ++i)
                typed = isTypeLetter(b.at(i));
            m_kind = typed ? Kind::Typed : Kind::Short;
        }
    } else {
        m_kind = Kind::Other;
    }
}

QByteArray ReplyLine::code() const
{
    return m_body.left(3);
}

QByteArray ReplyLine::refusalNumber() const
{
    if (!isRefusal())
        return {};
    QByteArray number;
    for (qsizetype i = 3; i < m_body.size(); ++i) {
        const char c = m_body.at(i);
        if (!isDigit(c) && c != '.')
            break;
        number.append(c);
    }
    return number;
}

std::optional<qint64> ReplyLine::value() const
{
    const QByteArrayList parts = fields();
    if (parts.size() < 2)
        return std::nullopt;
    return parseDecimal(parts.at(1));
}

std::optional<qint64> ReplyLine::hexValue() const
{
    const QByteArrayList parts = fields();
    if (parts.size() < 2)
        return std::nullopt;
    return parseHex(parts.at(1));
}

QByteArray ReplyLine::afterFirstColon() const
{
    const qsizetype colon = m_body.indexOf(':');
    return colon < 0 ? m_body : m_body.mid(colon + 1);
}

QByteArray ReplyLine::afterLastColon() const
{
    const qsizetype colon = m_body.lastIndexOf(':');
    return colon < 0 ? m_body : m_body.mid(colon + 1);
}

// Read like the C library's strtol: leading blanks, an optional sign, then as
// many digits as there are; text after them is ignored. No digit at all means
// no value.
namespace {
std::optional<qint64> parseInteger(const QByteArray &text, int base)
{
    qsizetype i = 0;
    while (i < text.size() && (text.at(i) == ' ' || text.at(i) == '\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == '-' || text.at(i) == '+'))
        negative = text.at(i++) == '-';
    qint64 value = 0;
    int digits = 0;
    for (; i < text.size(); ++i) {
        const int d = hexDigit(text.at(i));
        if (d < 0 || d >= base)
            break;
        if (value > (std::numeric_limits<qint64>::max() - d) / base)
            return std::nullopt;
        value = value * base + d;
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    return negative ? -value : value;
}
} // namespace

std::optional<qint64> parseDecimal(const QByteArray &text)
{
    return parseInteger(text, 10);
}

std::optional<qint64> parseHex(const QByteArray &text)
{
    return parseInteger(text, 16);
}
