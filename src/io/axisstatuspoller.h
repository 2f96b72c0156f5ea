#pragma once

#include "link/terminalclient.h"

#include <QObject>
#include <QTimer>

#include <array>

class TerminalSession;

// The exchange of the "Axis signal status" window: reads once which of the
// sixteen axis signals the drive has (!@56:0), then polls their state
// (!@57:0) about once a second, through Terminal mode's monitor path.
class AxisStatusPoller : public QObject, public TerminalClient
{
    Q_OBJECT
public:
    static constexpr int SignalCount = 16;
    static constexpr int PollMs = 1000;

    // Numbered as the shared lamp images are.
    enum Lamp { GreenLit, GreenDark, GreenHollow, RedLit, RedDark, RedHollow, Blank };
    enum class Kind { Green, Red, Spare };
    enum PollState { ReadingAvailability = 1, ReadingState = 2 };

    explicit AxisStatusPoller(TerminalSession &terminal, QObject *parent = nullptr);
    ~AxisStatusPoller() override;

    static Kind kind(int bit);
    // The lamp of a signal as a fresh window draws it: dark, or blank.
    static Lamp idleLamp(int bit);
    // The word of an R1H reply: from its sixth character on, one blank
    // skipped, hexadecimal digits up to the first other character.
    static quint16 parseWord(const QByteArray &line);

    int pollState() const { return m_pollState; }
    quint16 available() const { return m_available; }
    Lamp lamp(int bit) const { return m_lamps.at(bit); }
    bool labelEnabled(int bit) const { return m_labelEnabled.at(bit); }
    bool isPolling() const { return m_timer.isActive(); }

    void start() override;
    void stop() override;
    void onTerminalReply(const QByteArray &line) override;

Q_SIGNALS:
    void lampsChanged();
    void activityChanged(bool lit);

private:
    void poll();
    void onTimer();

    TerminalSession &m_terminal;
    QTimer m_timer;
    int m_pollState = ReadingAvailability;
    quint16 m_available = 0;
    std::array<Lamp, SignalCount> m_lamps{};
    std::array<bool, SignalCount> m_labelEnabled{};
};
