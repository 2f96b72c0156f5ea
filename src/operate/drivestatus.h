#pragma once

#include <QByteArray>

#include <optional>

// The drive status word as the test windows read it.
struct DriveStatus
{
    quint32 word = 0;

    bool serialPossible() const { return word & 0x1; }
    bool ready() const { return word & 0x2; }
    bool driveModeRunning() const { return word & 0x4; }
    bool axisMoving() const { return word & 0x8; }
    bool inPosition() const { return word & 0x10; }
    bool waiting() const { return word & 0x100; }
    bool error() const { return word & 0x10000; }
    bool alarm() const { return word & 0x20000; }
    bool autoTuningAvailable() const { return word & 0x1000000; }

    // A poll reply ("R3H :01000013:00:0000", its "!" tags removed): the
    // word runs from the sixth character to the next ":".
    static std::optional<DriveStatus> fromPoll(const QByteArray &reply);
    // The reply to the opening @0:0: the word is the second ":" field.
    static std::optional<DriveStatus> fromField(const QByteArray &reply);
};

// The reply without its leading "!" tags.
QByteArray untagged(const QByteArray &reply);
// The text after the first ":" of a data reply ("RD IFB-STD:0" -> "0").
QByteArray afterColon(const QByteArray &reply);
// A refusal: a reply beginning "ALM" or "ERR".
bool isRefusal(const QByteArray &reply);
// A decimal integer as the drive takes it in a command: an optional "-" and
// digits, nothing else, within the range.
std::optional<qint64> commandInteger(const QByteArray &text, qint64 min, qint64 max);
