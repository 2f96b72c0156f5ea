#include "drivetext.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace DriveText {

namespace {
const char *codePage()
{
    // CP932 where the converter knows it, plain Shift-JIS otherwise.
    static const char *name = QStringDecoder("windows-31j").isValid() ? "windows-31j" : "Shift_JIS";
    return name;
}
} // namespace

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder(codePage());
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QByteArray encode(const QString &text)
{
    QStringEncoder encoder(codePage());
    if (!encoder.isValid())
        return text.toLatin1();
    return encoder.encode(text);
}

} // namespace DriveText
