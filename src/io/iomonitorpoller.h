#pragma once

#include "link/terminalclient.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <array>
#include <bitset>

class TerminalSession;

// The exchange of the "I/O Monitor" window, through Terminal mode's monitor
// path (every command tagged with "!"). Once a second it reads the counts
// (!@47) and the two input and two output words of the shown range
// (!@45:2r, !@45:2r+1, !@46:2r, !@46:2r+1), one exchange each. In dummy mode
// it writes the ticked inputs of the range instead, as four bytes, one per
// row of eight: !"MB:<0x320480 + 4r + row>:<byte>, a set bit standing for
// an input that is not ticked.
class IoMonitorPoller : public QObject, public TerminalClient
{
    Q_OBJECT
public:
    static constexpr int PollMs = 1000;
    static constexpr int RangeSize = 32;
    static constexpr int MaxSignals = 256; // 16 words per side
    static constexpr int MaxRanges = MaxSignals / RangeSize;
    static constexpr quint32 DummyBase = 0x320480;

    enum Side { Inputs, Outputs };
    // Steps of one cycle: the counts, then the four words in order.
    enum Step {
        Counts = 0,
        InputLow = 1,
        InputHigh = 2,
        OutputLow = 3,
        OutputHigh = 4,
        DummyRow0 = 5, // dummy mode: rows 0 to 3 are steps 5 to 8
        Waiting = 9,   // the cycle is over until the next tick
    };

    explicit IoMonitorPoller(TerminalSession &terminal, QObject *parent = nullptr);
    ~IoMonitorPoller() override;

    // The dummy byte of a row: bit b set when box b is not ticked.
    static quint8 dummyByte(quint8 ticks);
    // The address of a row of a range, as the drive takes it ("320480").
    static QByteArray dummyAddress(int range, int row);

    void setRange(int range);
    int range() const { return m_range; }
    // 0 until the drive has reported its counts.
    int rangeCount() const;
    int count(Side side) const;
    // On or off as last read, in the shown range (0-31); off beyond the count.
    bool isOn(Side side, int position) const;

    void setDummy(bool on) { m_dummy = on; }
    bool dummy() const { return m_dummy; }
    // The dummy ticks of the inputs, kept for every range.
    void setTicked(int signal, bool ticked);
    bool isTicked(int signal) const;

    int step() const { return m_step; }
    bool isPolling() const { return m_timer.isActive(); }

    void start() override;
    void stop() override;
    void onTerminalReply(const QByteArray &line) override;

Q_SIGNALS:
    void countsChanged();
    void lampsChanged();
    void activityChanged(bool lit);

private:
    void onTimer();
    void sendStep();
    void endCycle();

    TerminalSession &m_terminal;
    QTimer m_timer;
    int m_step = Waiting;
    int m_range = 0;
    int m_inputCount = -1;
    int m_outputCount = -1;
    bool m_dummy = false;
    // The words of the shown range: low and high of each side.
    std::array<quint16, 4> m_words{};
    std::bitset<MaxSignals> m_ticks;
};
