#include "logconditions.h"

#include "samplestore.h"

#include <QFile>

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

namespace {

constexpr std::array<qint32, WaveScale::TimeEntries> TimeTable{
    10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000, 50000};

// Lines are read in pieces of at most 80 characters, as the files always were.
constexpr qsizetype FileLineLength = 80;
// A file larger than any record with its conditions can be is not one of ours.
constexpr qint64 MaxFileSize = qint64(32) << 20;

QByteArray format(const char *pattern, auto... values)
{
    char buffer[160];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, values...);
    return QByteArray(buffer, qBound(0, n, int(sizeof buffer) - 1));
}

std::optional<qint64> number(const QByteArray &field, qint64 low, qint64 high)
{
    bool ok = false;
    const qint64 value = field.trimmed().toLongLong(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

LogConditions &LogConditions::active()
{
    static LogConditions conditions;
    return conditions;
}

LogConditions &LogConditions::edited()
{
    static LogConditions conditions;
    return conditions;
}

void LogConditions::applyPresetScales()
{
    channelShown = {true, true, true, true};
    voltsPerDivIndex = {0, 10, 9, 8};
    positionIndex = {12, 14, 16, 18};
    timeIndex = 3;
    singleMode = true;
    riseEdge = true;
    triggerChannel = 0;
    triggerLevel = 1;
    triggerPosition = 1;
}

// --- Scales -----------------------------------------------------------------

qint32 WaveScale::msPerDiv(int index)
{
    return TimeTable[qBound(0, index, TimeEntries - 1)];
}

qint64 WaveScale::unitsPerDiv(int index)
{
    index = qBound(0, index, UnitEntries - 1);
    static constexpr int Steps[] = {1, 2, 5};
    qint64 value = Steps[index % 3];
    for (int decade = 0; decade < index / 3; ++decade)
        value *= 10;
    return value;
}

QByteArray WaveScale::timeText(int index)
{
    return QByteArray::number(msPerDiv(index)).rightJustified(5, ' ');
}

QByteArray WaveScale::unitsText(int index)
{
    return QByteArray::number(unitsPerDiv(index)).rightJustified(9, ' ');
}

QByteArray WaveScale::positionText(int index)
{
    return QByteArray::number(index - 10);
}

StartArguments WaveScale::startArguments(int timeIndex, int triggerPosition)
{
    StartArguments a;
    const qint32 t = msPerDiv(timeIndex) * 10;
    a.recordLengthMs = t;
    if (t >= 250) {
        a.samples = 250;
        a.intervalMs = t / 250;
    } else {
        a.samples = t;
        a.intervalMs = 1;
    }
    a.postTriggerMs = (10 - qBound(0, triggerPosition, 10)) * t / 10;
    return a;
}

WaveScale::Range WaveScale::channelRange(int unitsIndex, int positionIndex)
{
    const qint64 v = unitsPerDiv(unitsIndex);
    const qint64 x = qBound(0, positionIndex, PositionEntries - 1) - 10;
    return {(x - 10) * v, x * v};
}

int WaveScale::sampleForPoint(int point, int count)
{
    // With no samples every point shows the zero-filled first entry.
    if (count <= 0)
        return 0;
    return int(qint64(count - 1) * qBound(0, point, Points - 1) / (Points - 1));
}

int WaveScale::autoUnitsIndex(qint64 largestMagnitude)
{
    const qint64 a = largestMagnitude / 5;
    for (int i = 0; i < UnitEntries; ++i) {
        if (unitsPerDiv(i) >= a)
            return i;
    }
    return UnitEntries - 1;
}

QByteArray WaveScale::timeReadout(int pixelsApart, int divWidth, int msPerDivision)
{
    const int dt = divWidth > 0 ? int(double(std::abs(pixelsApart)) / divWidth * msPerDivision) : 0;
    return format("DT      %6d ms", dt);
}

QByteArray WaveScale::frequencyReadout(int pixelsApart, int divWidth, int msPerDivision)
{
    const int dt = divWidth > 0 ? int(double(std::abs(pixelsApart)) / divWidth * msPerDivision) : 0;
    if (dt <= 0)
        return "1/DT    ----";
    return format("1/DT %7.3f Hz", 1000.0 / dt);
}

QByteArray WaveScale::levelReadout(int channel, int pixelsApart, int divHeight,
                                   qint64 unitsPerDivision)
{
    const qint64 dh =
        divHeight > 0 ? qint64(double(std::abs(pixelsApart)) / divHeight * double(unitsPerDivision))
                      : 0;
    return format("DH[%d] %6lld unit", channel + 1, static_cast<long long>(dh));
}

// --- Files ------------------------------------------------------------------

QByteArray WaveFile::conditionBytes(const LogConditions &c)
{
    QByteArray out;
    out += format("VD:%hd:%hd:%hd:%hd\r\n", c.voltsPerDivIndex[0], c.voltsPerDivIndex[1],
                  c.voltsPerDivIndex[2], c.voltsPerDivIndex[3]);
    out += format("VP:%hd:%hd:%hd:%hd\r\n", c.positionIndex[0], c.positionIndex[1],
                  c.positionIndex[2], c.positionIndex[3]);
    out += format("CH:%hd:%hd:%hd:%hd\r\n", c.sourceIndex[0], c.sourceIndex[1], c.sourceIndex[2],
                  c.sourceIndex[3]);
    out += format("TR:%d:%d:%hd:%d:%hd\r\n", int(c.singleMode), int(c.riseEdge), c.triggerChannel,
                  c.triggerLevel, c.triggerPosition);
    out += format("TM:%hd\r\n", c.timeIndex);
    return out;
}

QByteArray WaveFile::graphBytes(const LogConditions &c, const SampleStore &store)
{
    QByteArray out;
    out += format("VD;%hd;%hd;%hd;%hd;\r\n", c.voltsPerDivIndex[0], c.voltsPerDivIndex[1],
                  c.voltsPerDivIndex[2], c.voltsPerDivIndex[3]);
    out += format("VP;%hd;%hd;%hd;%hd;\r\n", c.positionIndex[0], c.positionIndex[1],
                  c.positionIndex[2], c.positionIndex[3]);
    out += format("CH;%hd;%hd;%hd;%hd;\r\n", c.sourceIndex[0], c.sourceIndex[1], c.sourceIndex[2],
                  c.sourceIndex[3]);
    out += format("TR;%d;%d;%hd;%d;%hd\r\n", int(c.singleMode), int(c.riseEdge), c.triggerChannel,
                  c.triggerLevel, c.triggerPosition);
    out += format("TM;%hd;;;;\r\n", c.timeIndex);
    for (int i = 0; i < store.count(); ++i)
        out += format("Data;%10d;%10d;%10d;%10d;%10d\r\n", i, store.sample(0, i),
                      store.sample(1, i), store.sample(2, i), store.sample(3, i));
    return out;
}

QByteArray WaveFile::csvBytes(const SampleStore &store, const std::array<QByteArray, 4> &names,
                              double msPerSample)
{
    // Names are the drive's bytes; a comma or quote in one is quoted.
    const auto cell = [](QByteArray text) {
        text = text.trimmed();
        if (text.contains(',') || text.contains('"'))
            return '"' + text.replace("\"", "\"\"") + '"';
        return text;
    };
    QByteArray out = "time_ms";
    for (const QByteArray &name : names)
        out += ',' + cell(name);
    out += "\r\n";
    for (int i = 0; i < store.count(); ++i) {
        out += QByteArray::number(i * msPerSample, 'g', 10);
        for (int c = 0; c < SampleStore::Channels; ++c)
            out += ',' + QByteArray::number(store.sample(c, i));
        out += "\r\n";
    }
    return out;
}

WaveFile::ReadResult WaveFile::read(const QString &path, LogConditions &conditions,
                                    SampleStore &store, bool clearStore)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ReadResult::CannotOpen;
    if (file.size() > MaxFileSize)
        return ReadResult::FormatError;
    return readBytes(file.readAll(), conditions, store, clearStore);
}

WaveFile::ReadResult WaveFile::readBytes(const QByteArray &bytes, LogConditions &conditions,
                                         SampleStore &store, bool clearStore)
{
    // Everything is read into copies that replace the originals only when
    // the whole file was good.
    LogConditions edited = conditions;
    SampleStore samples = store;
    if (clearStore)
        samples.clear();
    bool sawData = false;

    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', pos);
        end = end < 0 ? bytes.size() : end + 1;
        // A line longer than a piece reads as several lines.
        if (end - pos > FileLineLength)
            end = pos + FileLineLength;
        QByteArray line = bytes.mid(pos, end - pos);
        pos = end;
        if (line.endsWith('\n'))
            line.chop(1);
        if (line.endsWith('\r'))
            line.chop(1);
        // Empty fields are skipped, as the separators of a graph file's
        // "TM;0;;;;" line require.
        QByteArrayList fields;
        for (const QByteArray &f : line.split(':')) {
            for (const QByteArray &g : f.split(';')) {
                if (!g.isEmpty())
                    fields.append(g);
            }
        }
        if (fields.isEmpty())
            continue; // a blank line
        const QByteArray keyword = fields.takeFirst();
        if (fields.size() > 8)
            return ReadResult::FormatError;
        const qsizetype n = fields.size();

        if (keyword == "VD" || keyword == "VP" || keyword == "CH") {
            if (n != 4 && n != 5)
                return ReadResult::FormatError;
            const int limit = keyword == "VD"   ? WaveScale::UnitEntries - 1
                              : keyword == "VP" ? WaveScale::PositionEntries - 1
                                                : 699;
            std::array<quint16, 4> values{};
            for (int i = 0; i < 4; ++i) {
                const auto v = number(fields.at(i), 0, limit);
                if (!v)
                    return ReadResult::FormatError;
                values[i] = quint16(*v);
            }
            (keyword == "VD"   ? edited.voltsPerDivIndex
             : keyword == "VP" ? edited.positionIndex
                               : edited.sourceIndex) = values;
        } else if (keyword == "TR") {
            if (n != 5)
                return ReadResult::FormatError;
            const auto mode = number(fields.at(0), 0, 1);
            const auto edge = number(fields.at(1), 0, 1);
            const auto channel = number(fields.at(2), 0, 3);
            const auto level = number(fields.at(3), std::numeric_limits<qint32>::min(),
                                      std::numeric_limits<qint32>::max());
            const auto position = number(fields.at(4), 0, 10);
            if (!mode || !edge || !channel || !level || !position)
                return ReadResult::FormatError;
            edited.singleMode = *mode != 0;
            edited.riseEdge = *edge != 0;
            edited.triggerChannel = quint16(*channel);
            edited.triggerLevel = qint32(*level);
            edited.triggerPosition = quint16(*position);
        } else if (keyword == "TM") {
            if (n != 1 && n != 5)
                return ReadResult::FormatError;
            const auto index = number(fields.at(0), 0, WaveScale::TimeEntries - 1);
            if (!index)
                return ReadResult::FormatError;
            edited.timeIndex = quint16(*index);
        } else if (keyword == "Data") {
            if (n != 5)
                return ReadResult::FormatError;
            // An index beyond the store makes the file invalid: nothing is
            // ever written past it.
            const auto index = number(fields.at(0), 0, SampleStore::Capacity - 1);
            if (!index)
                return ReadResult::FormatError;
            std::array<qint32, 4> values{};
            for (int c = 0; c < 4; ++c) {
                const auto v = number(fields.at(c + 1), std::numeric_limits<qint32>::min(),
                                      std::numeric_limits<qint32>::max());
                if (!v)
                    return ReadResult::FormatError;
                values[c] = qint32(*v);
            }
            samples.set(int(*index), values);
            samples.setCount(int(*index) + 1);
            sawData = true;
        } else {
            return ReadResult::FormatError;
        }
    }
    edited.channelShown = conditions.channelShown;
    conditions = edited;
    if (sawData || clearStore)
        store = samples;
    return ReadResult::Read;
}
