#include "terminalsession.h"

#include "app/userprompt.h"
#include "drivecommands.h"
#include "drivelink.h"
#include "drivetext.h"
#include "resources/catalogue.h"
#include "terminalclient.h"

namespace {
// A reply tagged once belongs to a monitor (or, in the simple terminal, to
// the terminal itself); "!!" and deeper belong to the feature windows and
// are shown like any other reply.
bool singleTagged(const QByteArray &line)
{
    return DriveLink::isSingleTagged(line);
}
} // namespace

TerminalSession::TerminalSession(DriveLink &link, Variant variant, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_variant(variant)
    , m_lines(variant == Variant::Full ? FullLines : SimpleLines)
{
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    // A command without a reply ends silently in the terminal itself.
    connect(&m_replyTimer, &QTimer::timeout, this, [this] { endAwaiting(true); });
}

TerminalSession::~TerminalSession()
{
    if (m_open)
        close();
}

void TerminalSession::open()
{
    if (m_open)
        return;
    setBusy(false);
    m_helpMode = NoHelp;
    m_lines.clear();
    m_current.clear();
    m_history.fill(QByteArray());
    m_historyCount = 0;
    m_browseIndex = 0;
    m_browsing = false;
    m_awaiting = false;
    if (m_variant == Variant::Simple)
        m_link.addTap(this);
    else
        m_link.pushOwner(this);
    m_link.open();
    m_open = true;
    Q_EMIT outputChanged();
}

void TerminalSession::close()
{
    if (!m_open)
        return;
    hideMonitors();
    hideHelp();
    setBusy(false);
    m_helpMode = NoHelp;
    if (m_variant == Variant::Simple) {
        // The feature window beside us owns the link and may be waiting for
        // a reply: its exchange is left exactly as it is.
        m_link.removeTap(this);
        m_replyTimer.stop();
        m_open = false;
        m_awaiting = false;
        return;
    }
    m_link.reset();
    // A command still unanswered must not hand its time-out to the window
    // below us.
    m_link.disarmTimer();
    m_link.close();
    if (m_link.owner() == this)
        m_link.popOwner();
    m_open = false;
    m_awaiting = false;
}

bool TerminalSession::enter(const QByteArray &command)
{
    if (m_busy || !m_open)
        return false;
    m_current = command;
    sendTyped(m_current);
    return true;
}

bool TerminalSession::resend()
{
    if (m_busy || !m_open || m_historyCount == 0)
        return false;
    sendTyped(m_current);
    return true;
}

void TerminalSession::sendTyped(const QByteArray &command)
{
    appendLine(command);
    m_awaiting = true;
    if (m_variant == Variant::Simple) {
        m_link.send(DriveCommand::tagged(command), false);
        m_replyTimer.start(TimeoutMs);
    } else {
        m_link.send(command, true, TimeoutMs);
    }
    record(command);
    m_browsing = false;
}

void TerminalSession::record(const QByteArray &command)
{
    if (m_historyCount < HistorySize) {
        m_history[m_historyCount++] = command;
        return;
    }
    std::move(m_history.begin() + 1, m_history.end(), m_history.begin());
    m_history.back() = command;
}

QByteArray TerminalSession::historyAt(int index) const
{
    if (index < 0 || index >= m_historyCount)
        return {};
    return m_history[index];
}

std::optional<QByteArray> TerminalSession::browseUp()
{
    if (!m_browsing) {
        m_browsing = true;
        m_browseIndex = m_historyCount;
    }
    if (m_historyCount == 0)
        return std::nullopt;
    m_browseIndex = qMax(0, m_browseIndex - 1);
    return m_history[m_browseIndex];
}

std::optional<QByteArray> TerminalSession::browseDown()
{
    if (!m_browsing) {
        m_browsing = true;
        m_browseIndex = m_historyCount;
    }
    // One step past the newest entry empties the input; the index never
    // leaves the entries actually held.
    m_browseIndex = qMin(m_browseIndex + 1, m_historyCount);
    if (m_browseIndex >= m_historyCount)
        return QByteArray();
    return m_history[m_browseIndex];
}

void TerminalSession::appendLine(const QByteArray &text)
{
    const QString line = DriveText::decode(text);
    m_lines.append(line + QStringLiteral("\r\n"));
    Q_EMIT lineAdded(line);
    Q_EMIT outputChanged();
}

void TerminalSession::endAwaiting(bool timedOut)
{
    if (!m_awaiting)
        return;
    m_awaiting = false;
    if (timedOut)
        Q_EMIT replyTimedOut();
    Q_EMIT replyEnded();
}

void TerminalSession::setMonitor(Monitor monitor, TerminalClient *client)
{
    Slot &slot = m_monitors[monitor];
    if (slot.shown && slot.client)
        slot.client->stop();
    slot = Slot{client, false};
}

void TerminalSession::setHelp(HelpMode mode, TerminalClient *client)
{
    if (Slot *slot = helpSlot(mode)) {
        if (slot->shown && slot->client)
            slot->client->stop();
        *slot = Slot{client, false};
    }
}

void TerminalSession::removeClient(TerminalClient *client)
{
    for (Slot *slot : {&m_monitors[0], &m_monitors[1], &m_monitors[2], &m_monitors[3],
                       &m_parameterHelp, &m_commandHelp, &m_errorList}) {
        if (slot->client == client)
            *slot = Slot{};
    }
}

TerminalSession::Slot *TerminalSession::helpSlot(HelpMode mode)
{
    switch (mode) {
    case ParameterHelp:
        return &m_parameterHelp;
    case CommandHelp:
        return &m_commandHelp;
    case ErrorList:
        return &m_errorList;
    case NoHelp:
        break;
    }
    return nullptr;
}

const TerminalSession::Slot *TerminalSession::helpSlot(HelpMode mode) const
{
    return const_cast<TerminalSession *>(this)->helpSlot(mode);
}

void TerminalSession::showMonitor(Monitor monitor)
{
    if (!m_monitors[monitor].client)
        return;
    for (int m = 0; m < MonitorCount; ++m) {
        if (m != monitor)
            hideMonitor(Monitor(m));
    }
    Slot &slot = m_monitors[monitor];
    if (slot.shown)
        return;
    slot.shown = true;
    Q_EMIT monitorVisibilityChanged(monitor, true);
    slot.client->start();
}

void TerminalSession::hideMonitor(Monitor monitor)
{
    Slot &slot = m_monitors[monitor];
    if (!slot.shown)
        return;
    slot.shown = false;
    if (slot.client)
        slot.client->stop();
    Q_EMIT monitorVisibilityChanged(monitor, false);
}

void TerminalSession::hideMonitors()
{
    for (int m = 0; m < MonitorCount; ++m)
        hideMonitor(Monitor(m));
}

void TerminalSession::showHelp(HelpMode mode)
{
    if (mode != ParameterHelp && mode != CommandHelp)
        return;
    Slot *chosen = helpSlot(mode);
    if (!chosen->client)
        return;
    Slot *other = helpSlot(mode == ParameterHelp ? CommandHelp : ParameterHelp);
    if (other->shown) {
        other->shown = false;
        if (other->client)
            other->client->stop();
        Q_EMIT helpVisibilityChanged(mode == ParameterHelp ? CommandHelp : ParameterHelp, false);
    }
    if (chosen->shown)
        return;
    chosen->shown = true;
    Q_EMIT helpVisibilityChanged(mode, true);
    chosen->client->start();
}

void TerminalSession::hideHelp()
{
    for (HelpMode mode : {ParameterHelp, CommandHelp}) {
        Slot *slot = helpSlot(mode);
        if (!slot->shown)
            continue;
        slot->shown = false;
        if (slot->client)
            slot->client->stop();
        Q_EMIT helpVisibilityChanged(mode, false);
    }
}

bool TerminalSession::isHelpShown(HelpMode mode) const
{
    const Slot *slot = helpSlot(mode);
    return slot && slot->shown;
}

int TerminalSession::sendForMonitor(const QByteArray &command)
{
    if (m_busy)
        return -1;
    m_link.send(command, true, TimeoutMs);
    return 0;
}

int TerminalSession::sendForHelp(const QByteArray &command, HelpMode mode, bool checkBusy)
{
    if (checkBusy && m_busy)
        return -1;
    m_helpMode = mode;
    m_link.send(command, true, TimeoutMs);
    m_link.armTimer(TimeoutMs);
    return 0;
}

void TerminalSession::setBusy(bool busy)
{
    if (m_busy == busy)
        return;
    m_busy = busy;
    Q_EMIT busyChanged(busy);
}

void TerminalSession::endHelp()
{
    hideHelp();
    setBusy(false);
    Q_EMIT helpEnded();
}

void TerminalSession::onLinkReply(const QByteArray &line)
{
    if (m_variant == Variant::Simple) {
        // Only our own tagged commands are answered here; the feature window
        // beside us keeps its untagged traffic.
        if (singleTagged(line))
            showOwnReply(line);
        return;
    }
    if (singleTagged(line)) {
        const QByteArray reply = line.mid(1);
        for (const Slot &slot : m_monitors) {
            if (slot.shown && slot.client) {
                slot.client->onTerminalReply(reply);
                return;
            }
        }
        Q_EMIT replyDropped(line);
        endAwaiting();
        return;
    }
    if (m_busy) {
        const Slot *slot = helpSlot(m_helpMode);
        if (m_helpMode != ErrorList && slot && slot->client) {
            slot->client->onTerminalReply(line);
            return;
        }
    }
    appendLine(line);
    Q_EMIT replyShown(line);
    endAwaiting();
}

void TerminalSession::onTappedLine(const QByteArray &line)
{
    if (m_variant == Variant::Simple && m_open && singleTagged(line))
        showOwnReply(line);
}

void TerminalSession::showOwnReply(const QByteArray &line)
{
    const QByteArray reply = line.mid(1);
    appendLine(reply);
    Q_EMIT replyShown(reply);
    m_replyTimer.stop();
    endAwaiting();
}

void TerminalSession::showTimeoutMessage()
{
    if (m_prompt)
        m_prompt->message(Catalogue::instance().string(159));
}

void TerminalSession::onLinkTimeout()
{
    endAwaiting(true);
    if (!m_busy)
        return;
    if (m_helpMode != ErrorList) {
        showTimeoutMessage();
        endHelp();
        return;
    }
    // The error listing polls on: while its box is still open, later
    // time-outs do not stack a second one.
    if (!m_messageOpen) {
        m_messageOpen = true;
        showTimeoutMessage();
        m_messageOpen = false;
    }
    if (m_errorList.client)
        m_errorList.client->onTerminalTimeout();
}
