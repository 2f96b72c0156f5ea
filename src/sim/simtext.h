#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Small helpers for the 8-bit text the drive reads and writes. Numbers in
// commands are read leniently (blanks around them, an optional sign);
// numbers in replies are written plainly (no padding, upper-case hex).
namespace SimText {

// A decimal integer within [min, max]; blanks around it are skipped.
std::optional<qint64> parseDecimal(const QByteArray &text, qint64 min, qint64 max);
// 1 to 8 hexadecimal digits (either case); blanks around them are skipped.
std::optional<quint32> parseHex(const QByteArray &text);

QByteArray decimal(qint64 value);
// Upper-case hexadecimal, zero-padded to `width` digits (0: no padding).
QByteArray hex(quint32 value, int width = 0);

// Removes leading and trailing blanks (0x20) only.
QByteArray trimBlanks(const QByteArray &text);

// Half-width katakana written in UTF-8 in the sources becomes the single
// Shift-JIS bytes 0xA1-0xDF the drive sends; ASCII passes unchanged.
QByteArray halfWidthKana(const char *utf8);

// A line as it appears in the trace: printable ASCII as is, everything else
// as \r, \n or \xHH, quotes and backslashes escaped.
QByteArray escaped(const QByteArray &bytes);
// The reverse, for texts given on the command line: \r \n \t \\ \" \xHH.
QByteArray unescaped(const QString &text);

} // namespace SimText
