#pragma once

#include <QByteArray>
#include <QList>

#include <array>

// One of the drive's 16 cam profiles: a title, twelve descriptive items and
// 501 position points (2^24 = one unit of travel).
struct CamProfile
{
    static constexpr int LowestNumber = 1;
    static constexpr int HighestNumber = 16;
    static constexpr int ItemCount = 12;
    static constexpr int PointCount = 501;
    static constexpr int LastPoint = PointCount - 1;
    // Five points to a data line, point 500 on a line of its own: 101 lines.
    static constexpr int PointsPerLine = 5;
    static constexpr int DataLines = 101;
    // Positions and velocities in 2^24 units, accelerations in 2^18 units.
    static constexpr double PositionScale = 16777216.0;
    static constexpr double AccelerationScale = 262144.0;

    struct Item
    {
        quint32 index; // as on the wire, in hexadecimal there
        const char *label;
        int digits; // in the file: 4 or 8 hexadecimal digits
    };
    // The twelve items in the order the file, the drive and the reading use.
    static const std::array<Item, ItemCount> &items();
    // The position of an item index in items(), or -1.
    static int itemSlot(quint32 index);
    enum Slot {
        Ready,
        Type,
        Size,
        Tag,
        PosAtStart,
        PosAtEnd,
        VelAtStart,
        VelAtEnd,
        VelMax,
        VelMin,
        AccMax,
        AccMin
    };

    QByteArray title;
    std::array<quint32, ItemCount> values{};
    std::array<qint32, PointCount> points{};

    // The first and last point of data line `line` (0 … 100).
    static int firstPointOf(int line) { return line * PointsPerLine; }
    static int lastPointOf(int line)
    {
        return line == DataLines - 1 ? LastPoint : line * PointsPerLine + PointsPerLine - 1;
    }

    static bool isValidNumber(int number)
    {
        return number >= LowestNumber && number <= HighestNumber;
    }

    bool operator==(const CamProfile &other) const = default;
};
