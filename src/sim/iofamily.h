#pragma once

#include "sim/commandfamily.h"

#include <QMap>

#include <array>

// The drive's discrete inputs and outputs: how many there are, the logic
// word of every sixteen (bit n of word k is signal 16k + n, 1 = positive
// logic), the physical input states and the dummy input bytes the I/O
// monitor writes. Kept in DriveState::io.
struct DiscreteIo
{
    static constexpr int MaxCount = 512;
    static constexpr int MaxWords = MaxCount / 16;
    // The dummy input bytes: four per range of 32 inputs, one per row of 8.
    static constexpr quint32 DummyBase = 0x320480;
    static constexpr qint64 DummyLifeMs = 3000;

    DiscreteIo();

    static int words(int count) { return (count + 15) / 16; }
    // Input word k as @45 reports it at `nowMs`: the physical states, a
    // walking input while inputCycleMs is set, and dummy bytes younger than
    // DummyLifeMs over the inputs they cover (a clear bit reads on).
    quint16 inputWord(int k, qint64 nowMs) const;

    int inputCount = 48;
    int outputCount = 24;
    std::array<quint16, MaxWords> inputLogic{};
    std::array<quint16, MaxWords> outputLogic{};
    std::array<quint16, MaxWords> inputPhysical{};
    // The next busyCount listings (@78) answer with the counts instead.
    int busyCount = 0;
    // Non-zero: one of the inputs 8-15 is on in turn, each for this long.
    int inputCycleMs = 0;

    struct Written
    {
        quint8 byte = 0;
        qint64 atMs = 0;
    };
    // Every "MB write, by address (only the dummy range has an effect).
    QMap<quint32, Written> memory;
};

// I/O: the counts (@47), the logic listing (@78), the logic-setting mode
// (@79:1, LIS:/LOS: lines staged until @79:0 stores them), the input and
// output words (@45:k, @46:k) and memory byte writes ("MB:addr:byte).
class IoFamily : public CommandFamily
{
public:
    bool handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply) override;
    bool modeOpen() const override { return m_modeOpen; }
    SimReply modeLine(const QByteArray &line, DriveState &state) override;
    void restart(DriveState &state) override;
    void communicationReset(DriveState &state) override;

    // Output word k: 0 driver ready, 1 servo ready, 2 in position, 3 an
    // error present, 4 an alarm present, 5 moving.
    static quint16 outputWord(int k, const DriveState &state);

private:
    bool m_modeOpen = false;
    std::array<quint16, DiscreteIo::MaxWords> m_stagedInputs{};
    std::array<quint16, DiscreteIo::MaxWords> m_stagedOutputs{};
};
