#include "drivestatus.h"

#include <QList>

namespace {

std::optional<DriveStatus> parseWord(const QByteArray &hex)
{
    bool ok = false;
    const quint32 word = hex.trimmed().toUInt(&ok, 16);
    if (!ok || hex.trimmed().isEmpty())
        return std::nullopt;
    return DriveStatus{word};
}

} // namespace

std::optional<DriveStatus> DriveStatus::fromPoll(const QByteArray &reply)
{
    if (!reply.startsWith("R3H") || reply.size() < 6)
        return std::nullopt;
    const QByteArray rest = reply.mid(5);
    const qsizetype end = rest.indexOf(':');
    return parseWord(end < 0 ? rest : rest.left(end));
}

std::optional<DriveStatus> DriveStatus::fromField(const QByteArray &reply)
{
    const QList<QByteArray> fields = reply.split(':');
    if (!reply.startsWith("R3H") || fields.size() < 2)
        return std::nullopt;
    return parseWord(fields.at(1));
}

QByteArray untagged(const QByteArray &reply)
{
    qsizetype i = 0;
    while (i < reply.size() && reply.at(i) == '!')
        ++i;
    return reply.mid(i);
}

QByteArray afterColon(const QByteArray &reply)
{
    const qsizetype colon = reply.indexOf(':');
    return colon < 0 ? QByteArray() : reply.mid(colon + 1);
}

bool isRefusal(const QByteArray &reply)
{
    return reply.startsWith("ALM") || reply.startsWith("ERR");
}

std::optional<qint64> commandInteger(const QByteArray &text, qint64 min, qint64 max)
{
    const qsizetype digitsFrom = text.startsWith('-') ? 1 : 0;
    if (text.size() <= digitsFrom || text.size() > 11)
        return std::nullopt;
    for (qsizetype i = digitsFrom; i < text.size(); ++i) {
        if (text.at(i) < '0' || text.at(i) > '9')
            return std::nullopt;
    }
    const qint64 value = text.toLongLong();
    if (value < min || value > max)
        return std::nullopt;
    return value;
}
