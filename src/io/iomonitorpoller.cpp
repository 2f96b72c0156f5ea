#include "iomonitorpoller.h"

#include "axisstatuspoller.h"
#include "link/drivecommands.h"
#include "link/terminalsession.h"

IoMonitorPoller::IoMonitorPoller(TerminalSession &terminal, QObject *parent)
    : QObject(parent)
    , m_terminal(terminal)
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the period must not be cut short.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &IoMonitorPoller::onTimer);
}

IoMonitorPoller::~IoMonitorPoller()
{
    m_terminal.removeClient(this);
}

quint8 IoMonitorPoller::dummyByte(quint8 ticks)
{
    return quint8(~ticks);
}

QByteArray IoMonitorPoller::dummyAddress(int range, int row)
{
    return QByteArray::number(DummyBase + 4 * quint32(range) + quint32(row), 16).toUpper();
}

void IoMonitorPoller::setRange(int range)
{
    const int r = qBound(0, range, MaxRanges - 1);
    if (r == m_range)
        return;
    m_range = r;
    // The words read belong to the range shown before, and so does a reply
    // on its way: it is let go, and the next tick reads the new range.
    m_words.fill(0);
    if (m_step != Waiting)
        m_step = Waiting;
    Q_EMIT lampsChanged();
}

int IoMonitorPoller::count(Side side) const
{
    return qBound(0, side == Inputs ? m_inputCount : m_outputCount, MaxSignals);
}

int IoMonitorPoller::rangeCount() const
{
    return (qMax(count(Inputs), count(Outputs)) + RangeSize - 1) / RangeSize;
}

bool IoMonitorPoller::isOn(Side side, int position) const
{
    if (position < 0 || position >= RangeSize || m_range * RangeSize + position >= count(side))
        return false;
    const quint16 word = m_words.at((side == Inputs ? 0 : 2) + position / 16);
    return (word >> (position % 16)) & 1;
}

void IoMonitorPoller::setTicked(int signal, bool ticked)
{
    if (signal >= 0 && signal < MaxSignals)
        m_ticks.set(size_t(signal), ticked);
}

bool IoMonitorPoller::isTicked(int signal) const
{
    return signal >= 0 && signal < MaxSignals && m_ticks.test(size_t(signal));
}

void IoMonitorPoller::start()
{
    m_step = m_dummy ? DummyRow0 : Counts;
    sendStep();
}

void IoMonitorPoller::stop()
{
    m_timer.stop();
    m_step = Waiting;
    Q_EMIT activityChanged(false);
}

void IoMonitorPoller::onTimer()
{
    // A new cycle; a reply that never came ends the old one here too.
    m_step = m_dummy ? DummyRow0 : Counts;
    sendStep();
}

void IoMonitorPoller::sendStep()
{
    QByteArray command;
    const int first = 2 * m_range;
    switch (m_step) {
    case Counts:
        command = DriveCommand::ioCounts();
        break;
    case InputLow:
    case InputHigh:
        command = DriveCommand::readInputWord(first + m_step - InputLow);
        break;
    case OutputLow:
    case OutputHigh:
        command = DriveCommand::readOutputWord(first + m_step - OutputLow);
        break;
    default: {
        const int row = m_step - DummyRow0;
        quint8 ticks = 0;
        for (int b = 0; b < 8; ++b) {
            if (isTicked(m_range * RangeSize + 8 * row + b))
                ticks |= quint8(1u << b);
        }
        command = DriveCommand::dummyInput(dummyAddress(m_range, row), dummyByte(ticks));
        break;
    }
    }
    if (m_terminal.sendForMonitor(DriveCommand::tagged(command)) == 0)
        Q_EMIT activityChanged(true);
    // Should the reply never come, the next tick starts a new cycle.
    m_timer.start(PollMs);
}

void IoMonitorPoller::endCycle()
{
    m_step = Waiting;
    Q_EMIT activityChanged(false);
    m_timer.start(PollMs);
}

void IoMonitorPoller::onTerminalReply(const QByteArray &line)
{
    if (m_step == Waiting)
        return; // late, after its cycle ended
    m_timer.stop();
    if (m_step == Counts) {
        if (!line.startsWith("R2D")) {
            endCycle();
            return;
        }
        const QByteArrayList counts = line.mid(5).split(':');
        const auto countOf = [&counts](int field) {
            return int(
                qBound(qint64(-1), parseDecimal(counts.value(field)).value_or(-1), qint64(4096)));
        };
        const int inputs = countOf(0);
        const int outputs = countOf(1);
        if (inputs < 0 || outputs < 0) {
            endCycle();
            return;
        }
        if (inputs != m_inputCount || outputs != m_outputCount) {
            m_inputCount = inputs;
            m_outputCount = outputs;
            if (m_range >= rangeCount())
                setRange(0);
            Q_EMIT countsChanged();
        }
        m_step = InputLow;
        sendStep();
        return;
    }
    if (m_step >= InputLow && m_step <= OutputHigh) {
        if (!line.startsWith("R1H")) {
            endCycle();
            return;
        }
        m_words[m_step - InputLow] = AxisStatusPoller::parseWord(line);
        Q_EMIT lampsChanged();
        if (m_step == OutputHigh) {
            endCycle();
            return;
        }
        ++m_step;
        sendStep();
        return;
    }
    // A dummy row written.
    if (!line.startsWith("R00") || m_step == DummyRow0 + 3) {
        endCycle();
        return;
    }
    ++m_step;
    sendStep();
}
