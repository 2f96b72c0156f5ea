#include "axisstatuspoller.h"

#include "link/drivecommands.h"
#include "link/hexdigit.h"
#include "link/terminalsession.h"

namespace {
constexpr std::array<AxisStatusPoller::Kind, AxisStatusPoller::SignalCount> kinds = {
    AxisStatusPoller::Kind::Green, // 0 driver ready
    AxisStatusPoller::Kind::Green, // 1 servo ready
    AxisStatusPoller::Kind::Red,   // 2 driver overload
    AxisStatusPoller::Kind::Spare, // 3
    AxisStatusPoller::Kind::Green, // 4 proximity detected
    AxisStatusPoller::Kind::Red,   // 5 over travel (+)
    AxisStatusPoller::Kind::Red,   // 6 over travel (-)
    AxisStatusPoller::Kind::Spare, // 7
    AxisStatusPoller::Kind::Green, // 8 servo mark
    AxisStatusPoller::Kind::Green, // 9 reference mark
    AxisStatusPoller::Kind::Red,   // 10 servo pulse disconnected
    AxisStatusPoller::Kind::Red,   // 11 reference pulse disconnected
    AxisStatusPoller::Kind::Green, // 12 servo Z or M
    AxisStatusPoller::Kind::Green, // 13 reference Z or M
    AxisStatusPoller::Kind::Spare, // 14
    AxisStatusPoller::Kind::Spare, // 15
};

} // namespace

AxisStatusPoller::AxisStatusPoller(TerminalSession &terminal, QObject *parent)
    : QObject(parent)
    , m_terminal(terminal)
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the period must not be cut short.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &AxisStatusPoller::onTimer);
    for (int bit = 0; bit < SignalCount; ++bit) {
        m_lamps[bit] = idleLamp(bit);
        m_labelEnabled[bit] = true;
    }
}

AxisStatusPoller::~AxisStatusPoller()
{
    m_terminal.removeClient(this);
}

AxisStatusPoller::Kind AxisStatusPoller::kind(int bit)
{
    return kinds.at(bit);
}

AxisStatusPoller::Lamp AxisStatusPoller::idleLamp(int bit)
{
    switch (kind(bit)) {
    case Kind::Green:
        return GreenDark;
    case Kind::Red:
        return RedDark;
    case Kind::Spare:
        break;
    }
    return Blank;
}

quint16 AxisStatusPoller::parseWord(const QByteArray &line)
{
    qsizetype i = 5;
    if (i < line.size() && line.at(i) == ' ')
        ++i;
    quint32 word = 0;
    for (; i < line.size(); ++i) {
        const int d = hexDigit(line.at(i));
        if (d < 0)
            break;
        word = (word << 4) | quint32(d);
    }
    return quint16(word);
}

void AxisStatusPoller::start()
{
    m_pollState = ReadingAvailability;
    poll();
}

void AxisStatusPoller::stop()
{
    m_timer.stop();
    Q_EMIT activityChanged(false);
}

void AxisStatusPoller::poll()
{
    const QByteArray command =
        m_pollState == ReadingState ? DriveCommand::axisState() : DriveCommand::axisAvailability();
    if (m_terminal.sendForMonitor(DriveCommand::tagged(command)) == 0)
        Q_EMIT activityChanged(true);
    m_timer.start(PollMs);
}

void AxisStatusPoller::onTimer()
{
    m_timer.stop();
    if (m_pollState != ReadingState)
        m_pollState = ReadingAvailability;
    poll();
}

void AxisStatusPoller::onTerminalReply(const QByteArray &line)
{
    m_timer.stop();
    if (line.startsWith("R1H")) {
        const quint16 word = parseWord(line);
        const bool availability = m_pollState != ReadingState;
        if (availability) {
            m_pollState = ReadingState;
            m_available = word;
        }
        for (int bit = 0; bit < SignalCount; ++bit) {
            const Kind k = kind(bit);
            if (k == Kind::Spare) {
                m_lamps[bit] = Blank;
                continue;
            }
            const quint16 mask = quint16(1u << bit);
            const bool has = m_available & mask;
            const int base = k == Kind::Green ? GreenLit : RedLit;
            if (!has)
                m_lamps[bit] = Lamp(base + 2);
            else if (!availability && (word & mask))
                m_lamps[bit] = Lamp(base);
            else
                m_lamps[bit] = Lamp(base + 1);
            m_labelEnabled[bit] = has;
        }
        Q_EMIT lampsChanged();
    }
    Q_EMIT activityChanged(false);
    m_timer.start(PollMs);
}
