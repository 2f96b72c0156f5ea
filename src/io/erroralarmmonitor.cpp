#include "erroralarmmonitor.h"

#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivetext.h"
#include "link/terminalsession.h"
#include "resources/catalogue.h"

ErrorAlarmMonitor::ErrorAlarmMonitor(TerminalSession &terminal, QObject *parent)
    : QObject(parent)
    , m_terminal(terminal)
{
    // Repeats: a status poll that gets no answer is simply sent again.
    // A coarse timer may fire up to 5 % early; the period must not be cut short.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &ErrorAlarmMonitor::onTimer);
}

ErrorAlarmMonitor::~ErrorAlarmMonitor()
{
    m_terminal.removeClient(this);
}

quint32 ErrorAlarmMonitor::parseStatus(const QByteArray &line)
{
    QByteArray text = line.mid(5);
    const qsizetype colon = text.indexOf(':');
    if (colon >= 0)
        text.truncate(colon);
    return quint32(parseHex(text).value_or(0));
}

QString ErrorAlarmMonitor::messageText(const QByteArray &line)
{
    const qsizetype colon = line.indexOf(':');
    return DriveText::decode(colon < 0 ? line : line.mid(colon + 1));
}

QString ErrorAlarmMonitor::errorText() const
{
    return m_error ? Catalogue::instance().string(158) : QString();
}

QString ErrorAlarmMonitor::alarmText() const
{
    return m_alarm ? Catalogue::instance().string(196) : QString();
}

void ErrorAlarmMonitor::start()
{
    m_error = false;
    m_alarm = false;
    m_present = false;
    m_messages.clear();
    m_listing = Listing::None;
    m_running = true;
    Q_EMIT indicatorsChanged();
    Q_EMIT messagesChanged();
    // The first poll goes out at once so that the indicators are right as
    // soon as the window shows.
    onTimer();
}

void ErrorAlarmMonitor::stop()
{
    m_running = false;
    m_timer.stop();
    m_windowListWanted = false;
    if (m_listing != Listing::None)
        endListing();
}

void ErrorAlarmMonitor::onTimer()
{
    if (!m_running)
        return;
    if (m_windowListWanted && beginListing(Listing::Window))
        return;
    if (m_present) {
        beginListing(Listing::Monitor);
        return;
    }
    m_timer.start(PollMs);
    if (m_terminal.sendForMonitor(DriveCommand::tagged(DriveCommand::function(0, "0"))) == 0) {
        m_lampLit = !m_lampLit;
        Q_EMIT activityChanged(m_lampLit);
    }
}

bool ErrorAlarmMonitor::beginListing(Listing target)
{
    if (m_terminal.sendForHelp(DriveCommand::tagged(DriveCommand::function(50)),
                               TerminalSession::ErrorList) != 0) {
        // A help listing runs; try again on the next tick.
        m_timer.start(PollMs);
        return false;
    }
    m_timer.stop();
    m_terminal.setBusy(true);
    m_listing = target;
    if (target == Listing::Window) {
        m_windowListWanted = false;
        m_windowMessages.clear();
        Q_EMIT windowMessagesChanged();
    } else {
        m_messages.clear();
        Q_EMIT messagesChanged();
    }
    return true;
}

void ErrorAlarmMonitor::endListing()
{
    m_listing = Listing::None;
    m_terminal.setBusy(false);
    if (m_running)
        m_timer.start(PollMs);
}

void ErrorAlarmMonitor::refreshWindowList()
{
    m_windowListWanted = true;
    if (m_running && m_listing == Listing::None)
        onTimer();
}

void ErrorAlarmMonitor::onTerminalReply(const QByteArray &line)
{
    if (line.startsWith("R3H")) {
        // A status answer, possibly a late one that crossed a listing.
        const quint32 status = parseStatus(line);
        m_error = status & ErrorBit;
        m_alarm = status & AlarmBit;
        if (m_error || m_alarm)
            m_present = true;
        Q_EMIT indicatorsChanged();
        if (m_running && m_listing == Listing::None)
            m_timer.start(PollMs);
        return;
    }
    if (m_listing == Listing::None)
        return;
    if (line.startsWith("R1Z")) {
        if (m_listing == Listing::Window) {
            m_windowMessages.append(messageText(line));
            Q_EMIT windowMessagesChanged();
        } else {
            m_messages.append(messageText(line));
            Q_EMIT messagesChanged();
        }
        m_terminal.sendForHelp(DriveCommand::tagged(DriveCommand::pageAck()),
                               TerminalSession::ErrorList, false);
        return;
    }
    if (line.startsWith("R00")) {
        if (m_listing == Listing::Monitor)
            m_present = false;
        endListing();
        return;
    }
    // Shown as it came; the next poll tries again. The listing stays busy
    // while the box is open, so that no second box can follow it.
    if (UserPrompt *prompt = m_terminal.prompt())
        prompt->message(DriveText::decode(line));
    endListing();
}

void ErrorAlarmMonitor::onTerminalTimeout()
{
    if (m_listing != Listing::None)
        endListing();
}
