#include "sim/simtext.h"

namespace SimText {

std::optional<qint64> parseDecimal(const QByteArray &text, qint64 min, qint64 max)
{
    const QByteArray t = trimBlanks(text);
    if (t.isEmpty())
        return std::nullopt;
    int i = 0;
    bool negative = false;
    if (t[0] == '+' || t[0] == '-') {
        negative = t[0] == '-';
        i = 1;
    }
    if (i >= t.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
        // Anything beyond 12 digits is out of every range the drive knows;
        // stop before the accumulator could overflow.
        if (value > 999999999999LL)
            return std::nullopt;
    }
    if (negative)
        value = -value;
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

std::optional<quint32> parseHex(const QByteArray &text)
{
    const QByteArray t = trimBlanks(text);
    if (t.isEmpty() || t.size() > 8)
        return std::nullopt;
    quint32 value = 0;
    for (char c : t) {
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else if (c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        value = (value << 4) | quint32(digit);
    }
    return value;
}

QByteArray decimal(qint64 value)
{
    return QByteArray::number(value);
}

QByteArray hex(quint32 value, int width)
{
    QByteArray digits = QByteArray::number(value, 16).toUpper();
    if (digits.size() < width)
        digits.prepend(QByteArray(width - digits.size(), '0'));
    return digits;
}

QByteArray trimBlanks(const QByteArray &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == ' ')
        ++begin;
    while (end > begin && text[end - 1] == ' ')
        --end;
    return text.mid(begin, end - begin);
}

QByteArray halfWidthKana(const char *utf8)
{
    const QString s = QString::fromUtf8(utf8);
    QByteArray out;
    out.reserve(s.size());
    for (QChar c : s) {
        const char16_t u = c.unicode();
        if (u >= 0xFF61 && u <= 0xFF9F)
            out.append(char(u - 0xFEC0));
        else if (u < 0x80)
            out.append(char(u));
        else
            out.append('?');
    }
    return out;
}

QByteArray escaped(const QByteArray &bytes)
{
    static const char digits[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(bytes.size());
    for (char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' || c == '\\')
            out += QByteArray("\\") + char(c);
        else if (c >= 0x20 && c < 0x7F)
            out += char(c);
        else {
            out += "\\x";
            out += digits[c >> 4];
            out += digits[c & 15];
        }
    }
    return out;
}

QByteArray unescaped(const QString &text)
{
    const QByteArray in = text.toLatin1();
    QByteArray out;
    for (qsizetype i = 0; i < in.size(); ++i) {
        const char c = in[i];
        if (c != '\\' || i + 1 >= in.size()) {
            out += c;
            continue;
        }
        const char n = in[++i];
        switch (n) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case 'x':
            if (i + 2 < in.size()) {
                if (const auto v = parseHex(in.mid(i + 1, 2))) {
                    out += char(*v);
                    i += 2;
                    break;
                }
            }
            out += "\\x";
            break;
        default:
            out += n;
        }
    }
    return out;
}

} // namespace SimText
