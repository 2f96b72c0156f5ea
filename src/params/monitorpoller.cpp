#include "monitorpoller.h"

#include "link/drivecommands.h"
#include "link/terminalsession.h"

MonitorPoller::MonitorPoller(TerminalSession &terminal, QObject *parent)
    : QObject(parent)
    , m_terminal(terminal)
{
    // Coarse timers may fire up to 5 % early; a poll period or a reply
    // time-out must never be cut short.
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replyTimer, &QTimer::timeout, this, &MonitorPoller::onReplyTimeout);
    connect(&m_pauseTimer, &QTimer::timeout, this, &MonitorPoller::advance);
    m_roundTimer.setSingleShot(true);
    m_roundTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_roundTimer, &QTimer::timeout, this, [this] {
        m_roundClock.start();
        request();
    });
    setDefaultRows();
}

MonitorPoller::~MonitorPoller()
{
    m_terminal.removeClient(this);
}

void MonitorPoller::setDefaultRows()
{
    m_rows.clear();
    for (int i = 0; i < DefaultRows; ++i)
        m_rows.append(Row{300 + i, i == 0, {}, {}});
    m_current = 0;
}

void MonitorPoller::setRows(const QList<int> &numbers)
{
    m_rows.clear();
    for (int number : numbers)
        m_rows.append(Row{qBound(MinNumber, number, MaxNumber), true, {}, {}});
    if (m_rows.isEmpty())
        m_rows.append(Row{300, true, {}, {}});
    m_current = 0;
}

void MonitorPoller::setNumber(int row, int number)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows[row].number = qBound(MinNumber, number, MaxNumber);
}

void MonitorPoller::setActive(int row, bool active)
{
    if (row <= 0 || row >= m_rows.size())
        return;
    Row &r = m_rows[row];
    r.active = active;
    if (!active) {
        r.label.clear();
        r.value.clear();
        Q_EMIT rowChanged(row);
    }
}

void MonitorPoller::start()
{
    m_replyTimer.stop();
    m_pauseTimer.stop();
    m_roundTimer.stop();
    for (int i = 0; i < m_rows.size(); ++i) {
        m_rows[i].label.clear();
        m_rows[i].value.clear();
        Q_EMIT rowChanged(i);
    }
    m_current = 0;
    m_running = true;
    m_refused = false;
    m_roundClock.start();
    request();
}

void MonitorPoller::stop()
{
    m_running = false;
    m_waiting = false;
    m_refused = false;
    m_replyTimer.stop();
    m_pauseTimer.stop();
    m_roundTimer.stop();
    Q_EMIT lampChanged(false);
}

void MonitorPoller::request()
{
    if (!m_running)
        return;
    if (m_terminal.sendForMonitor(
            DriveCommand::tagged(DriveCommand::readItem(m_rows.at(m_current).number))) != 0) {
        // A listing holds the terminal: the row keeps what it shows and is
        // asked again when the reply timer runs out.
        m_refused = true;
        m_replyTimer.start(ReplyTimeoutMs);
        return;
    }
    m_waiting = true;
    Q_EMIT lampChanged(true);
    m_replyTimer.start(ReplyTimeoutMs);
}

void MonitorPoller::onTerminalReply(const QByteArray &line)
{
    // A reply that comes while nothing is asked (a late one, or one to a
    // command the user tagged by hand) would land in the wrong row.
    if (!m_running || !m_waiting)
        return;
    m_replyTimer.stop();
    m_waiting = false;
    Row &r = m_rows[m_current];
    if (line.startsWith("R1D") || line.startsWith("R1B")) {
        const QByteArray text = line.mid(4);
        const qsizetype colon = text.indexOf(':');
        r.label = colon < 0 ? text : text.left(colon);
        r.value = colon < 0 ? QByteArray() : text.mid(colon + 1);
    } else {
        r.label = line;
        r.value.clear();
    }
    Q_EMIT rowChanged(m_current);
    Q_EMIT rowRead(m_current);
    Q_EMIT lampChanged(false);
    m_pauseTimer.start(PauseMs);
}

void MonitorPoller::onReplyTimeout()
{
    if (!m_running)
        return;
    if (m_refused) {
        m_refused = false;
        request();
        return;
    }
    m_waiting = false;
    Row &r = m_rows[m_current];
    r.label.clear();
    r.value.clear();
    Q_EMIT rowChanged(m_current);
    Q_EMIT rowTimedOut(m_current);
    Q_EMIT lampChanged(false);
    advance();
}

void MonitorPoller::advance()
{
    if (!m_running)
        return;
    int next = m_current;
    do {
        next = (next + 1) % int(m_rows.size());
    } while (!m_rows.at(next).active && next != 0);
    m_current = next;
    if (next == 0 && m_roundPeriodMs > 0) {
        const qint64 wait = m_roundPeriodMs - m_roundClock.elapsed();
        if (wait > 0) {
            m_roundTimer.start(int(wait));
            return;
        }
        m_roundClock.start();
    }
    request();
}
