#pragma once

#include <QByteArray>
#include <QString>

// Drive lines and files are 8-bit text in the drive's code page (Shift-JIS,
// CP932): labels may carry half-width katakana. Bytes stay bytes everywhere;
// these convert only where text is shown or where the program writes text of
// its own.
namespace DriveText {
QString decode(const QByteArray &bytes);
QByteArray encode(const QString &text);
} // namespace DriveText
