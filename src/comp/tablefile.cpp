#include "tablefile.h"

#include <QFile>

#include <limits>

namespace {

const QByteArray lineEnd = "\r\n";

QByteArray numbered(int number, const QByteArray &entry, char separator)
{
    return QByteArray::number(number).rightJustified(3, ' ') + separator +
           entry.rightJustified(10, ' ');
}

std::optional<qint64> decimalOf(const QByteArray &text)
{
    const QByteArray trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    qsizetype start = (trimmed.front() == '-' || trimmed.front() == '+') ? 1 : 0;
    if (start == trimmed.size() || trimmed.size() - start > 12)
        return std::nullopt;
    for (qsizetype i = start; i < trimmed.size(); ++i) {
        if (trimmed.at(i) < '0' || trimmed.at(i) > '9')
            return std::nullopt;
    }
    bool ok = false;
    const qint64 value = trimmed.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

// Reads a table file line by line; `entryOf` takes the entry from a line or
// refuses it. Lines may end in CR LF, LF or nothing (the last one).
template <typename EntryOf>
TableFile::ReadResult readLines(const QString &path, int maxLines, EntryOf entryOf)
{
    using Fault = TableFile::ReadResult::Fault;
    TableFile::ReadResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.fault = Fault::CannotOpen;
        return result;
    }
    int lineNumber = 0;
    while (!file.atEnd()) {
        QByteArray line = file.readLine(4096);
        ++lineNumber;
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (lineNumber > maxLines) {
            result = {};
            result.fault = Fault::TooLong;
            result.line = lineNumber;
            return result;
        }
        Fault fault = Fault::None;
        const QByteArray entry = entryOf(line, &fault);
        if (fault != Fault::None) {
            result = {};
            result.fault = fault;
            result.line = lineNumber;
            return result;
        }
        result.entries.append(entry);
    }
    return result;
}

} // namespace

namespace TableFile {

QByteArray composeIndex(const QByteArrayList &entries)
{
    QByteArray bytes;
    for (int i = 0; i < entries.size(); ++i)
        bytes += numbered(i, entries.at(i), '|') + lineEnd;
    return bytes;
}

ReadResult readIndex(const QString &path)
{
    ReadResult result = readLines(path, MaxIndexEntries, [](const QByteArray &line, auto *fault) {
        const qsizetype bar = line.indexOf('|');
        if (bar < 0) {
            *fault = ReadResult::Fault::Malformed;
            return QByteArray();
        }
        const QByteArray entry = line.mid(bar + 1).trimmed();
        if (!encodeIndexEntry(entry))
            *fault = ReadResult::Fault::BadValue;
        return entry;
    });
    if (result.fault == ReadResult::Fault::None && result.entries.isEmpty())
        result.fault = ReadResult::Fault::TooShort;
    return result;
}

QByteArray composeAccuracy(const QByteArrayList &entries)
{
    QByteArray bytes;
    for (int i = 0; i < entries.size(); ++i)
        bytes += numbered(i, entries.at(i), ':') + ':' + lineEnd;
    return bytes;
}

ReadResult readAccuracy(const QString &path)
{
    ReadResult result = readLines(path, MaxAccuracyPoints, [](const QByteArray &line, auto *fault) {
        const qsizetype colon = line.indexOf(':');
        if (colon < 0) {
            *fault = ReadResult::Fault::Malformed;
            return QByteArray();
        }
        QByteArray entry = line.mid(colon + 1).trimmed();
        if (entry.endsWith(':'))
            entry.chop(1);
        const std::optional<QByteArray> value = boundedValue(entry);
        if (!value)
            *fault = ReadResult::Fault::BadValue;
        return value.value_or(QByteArray());
    });
    if (result.fault == ReadResult::Fault::None && result.entries.size() < MinAccuracyPoints) {
        result.fault = ReadResult::Fault::TooShort;
        result.entries.clear();
    }
    return result;
}

std::optional<QByteArray> encodeIndexEntry(const QByteArray &decimal)
{
    const std::optional<qint64> value = decimalOf(decimal);
    if (!value || *value < std::numeric_limits<qint32>::min() ||
        *value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return QByteArray::number(quint32(qint32(*value)), 16).toUpper().rightJustified(8, '0');
}

std::optional<QByteArray> decodeIndexEntry(const QByteArray &hex)
{
    const QByteArray digits = hex.trimmed();
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    bool ok = false;
    const quint32 value = digits.toUInt(&ok, 16);
    if (!ok)
        return std::nullopt;
    return QByteArray::number(qint32(value));
}

std::optional<QByteArray> boundedValue(const QByteArray &text)
{
    const std::optional<qint64> value = decimalOf(text);
    if (!value || *value > MaxMagnitude || *value < -MaxMagnitude)
        return std::nullopt;
    return QByteArray::number(*value);
}

} // namespace TableFile
