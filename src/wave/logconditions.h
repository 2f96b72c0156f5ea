#pragma once

#include <QByteArray>
#include <QString>

#include <array>

class SampleStore;

// What the drive is asked to record and how the viewer scales it. The
// viewer keeps two: the active conditions (shown, sent) and the edited copy
// the condition dialog works on.
struct LogConditions
{
    std::array<quint16, 4> voltsPerDivIndex{0, 0, 0, 0};
    std::array<quint16, 4> positionIndex{13, 15, 17, 19};
    std::array<quint16, 4> sourceIndex{0, 1, 2, 3};
    std::array<bool, 4> channelShown{true, true, true, true};
    bool singleMode = false;
    bool riseEdge = true;
    quint16 triggerChannel = 0;
    qint32 triggerLevel = 0;
    quint16 triggerPosition = 5;
    quint16 timeIndex = 0;

    static LogConditions &active();
    static LogConditions &edited();

    // The "Test Mode" and "Coin" presets of the condition dialog, without
    // the sources (those depend on the item list).
    void applyPresetScales();

    bool operator==(const LogConditions &) const = default;
};

// The arguments of the start command for a time base and trigger position.
struct StartArguments
{
    qint32 samples = 0;
    qint32 intervalMs = 0;
    qint32 postTriggerMs = 0;
    qint32 recordLengthMs = 0;
};

namespace WaveScale {

constexpr int TimeEntries = 12;
constexpr int UnitEntries = 27;
constexpr int PositionEntries = 31;
constexpr int PositionsBeforeTrigger = 11;
constexpr int Points = 501;

// Milliseconds per division of time-table entry i (10 … 50000).
qint32 msPerDiv(int index);
// Units per division of entry i (1, 2, 5, … 500000000).
qint64 unitsPerDiv(int index);
// The list texts: "   10", "        1", "-10".
QByteArray timeText(int index);
QByteArray unitsText(int index);
QByteArray positionText(int index);

StartArguments startArguments(int timeIndex, int triggerPosition);

// The value range of a channel: x = position index − 10 divisions from the
// top down to the zero line, 10 divisions high.
struct Range
{
    qint64 low = 0;
    qint64 high = 0;
};
Range channelRange(int unitsIndex, int positionIndex);
// The sample drawn at point k (0 … 500) of a record of count samples.
int sampleForPoint(int point, int count);
// Auto: the smallest units-per-division entry at least largest / 5.
int autoUnitsIndex(qint64 largestMagnitude);

// Cursor readouts for cursors apart by the given pixels.
QByteArray timeReadout(int pixelsApart, int divWidth, int msPerDivision);
QByteArray frequencyReadout(int pixelsApart, int divWidth, int msPerDivision);
QByteArray levelReadout(int channel, int pixelsApart, int divHeight, qint64 unitsPerDivision);

} // namespace WaveScale

// The graph ("gdt") and condition ("cnd") files.
namespace WaveFile {

enum class ReadResult { Read, CannotOpen, FormatError };

QByteArray graphBytes(const LogConditions &conditions, const SampleStore &store);
QByteArray conditionBytes(const LogConditions &conditions);
// The record as comma-separated values: a header row with the channels'
// item names, then one row per sample with its time in ms.
QByteArray csvBytes(const SampleStore &store, const std::array<QByteArray, 4> &names,
                    double msPerSample);

// Reads a graph or a condition file. On success the conditions (all but the
// shown flags) and, when the file held samples, the store are replaced; on
// any failure both are left exactly as they were. clearStore empties the
// store before the file's samples are taken (a condition file shows none).
ReadResult read(const QString &path, LogConditions &conditions, SampleStore &store,
                bool clearStore = false);
ReadResult readBytes(const QByteArray &bytes, LogConditions &conditions, SampleStore &store,
                     bool clearStore = false);

} // namespace WaveFile
