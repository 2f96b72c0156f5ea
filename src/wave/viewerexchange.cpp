#include "viewerexchange.h"

#include "app/appsettings.h"
#include "app/safefilewriter.h"
#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "monitoritemtable.h"
#include "resources/cataloguetext.h"
#include "samplestore.h"
#include "typedreply.h"

#include <QDir>
#include <QFileInfo>

#include <utility>

namespace {

using CatalogueText::text;

const QString paragraph = QStringLiteral("\n\n");

} // namespace

ViewerExchange::ViewerExchange(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
    , m_table(MonitorItemTable::instance())
    , m_store(SampleStore::instance())
{
    m_poll.setSingleShot(true);
    // A coarse timer may fire a poll early by a twentieth of its interval:
    // early enough to find a record unfinished that is due by then, and the
    // next look comes a whole interval later.
    m_poll.setTimerType(Qt::PreciseTimer);
    connect(&m_poll, &QTimer::timeout, this, &ViewerExchange::poll);
}

ViewerExchange::~ViewerExchange() = default;

QString ViewerExchange::cachePath() const
{
    return MonitorItemTable::cachePath(m_baseDir.isNull() ? AppSettings::instance().baseDir()
                                                          : m_baseDir);
}

void ViewerExchange::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    Q_EMIT stateChanged(state);
}

void ViewerExchange::send(const QByteArray &command)
{
    m_lastCommand = command;
    m_outstanding = true;
    m_link.send(command, true, DriveLink::DefaultTimeoutMs);
}

void ViewerExchange::tell(const QString &message)
{
    m_prompt->message(message);
}

void ViewerExchange::enableControls(bool enable)
{
    Q_EMIT controlsChanged(enable);
}

void ViewerExchange::startPoll(int delayMs)
{
    // Not while the condition dialog is open: it stopped the poll.
    if (!m_offline && !m_editing && m_state != State::Closing)
        m_poll.start(delayMs >= 0 ? qMin(delayMs, m_pollIntervalMs) : m_pollIntervalMs);
}

void ViewerExchange::resumePolling()
{
    if (!m_outstanding)
        startPoll();
}

void ViewerExchange::poll()
{
    // A button may have started an exchange since the timer was armed.
    if (m_outstanding || m_offline)
        return;
    Q_EMIT lampChanged(LampBusy);
    send(DriveCommand::logStatus());
}

// --- Operations --------------------------------------------------------------

void ViewerExchange::open()
{
    m_offline = false;
    Q_EMIT lampChanged(LampRest);
    setState(State::ReadLanguage);
    send(DriveCommand::readItem(201));
}

void ViewerExchange::startLogging()
{
    if (m_state == State::Logging) {
        m_poll.stop();
        setState(State::Abort);
        Q_EMIT lampChanged(LampBusy);
        // A poll on its way is answered first; the abort follows its reply.
        if (m_outstanding)
            m_deferred = Deferred::Abort;
        else
            send(DriveCommand::logAbort());
        return;
    }
    if (m_state == State::Idle || m_state == State::RecordReady)
        Q_EMIT conditionsRequested();
}

void ViewerExchange::beginConditions()
{
    m_editing = true;
    m_poll.stop();
    LogConditions::edited() = LogConditions::active();
}

void ViewerExchange::finishConditions(bool accepted)
{
    m_editing = false;
    enableControls(true);
    Q_EMIT setUpStarted();
    if (!accepted || m_offline) {
        resumePolling();
        return;
    }
    LogConditions::active() = LogConditions::edited();
    Q_EMIT timeFieldChanged(
        QByteArray::number(WaveScale::msPerDiv(LogConditions::active().timeIndex)));
    setState(State::SetChannels);
    Q_EMIT lampChanged(LampBusy);
    // The reply to a poll already on its way must not be read as the first
    // acknowledgement: the set-up starts after it.
    if (m_outstanding) {
        m_deferred = Deferred::SetUp;
        return;
    }
    sendChannels();
}

void ViewerExchange::sendChannels()
{
    const LogConditions &c = LogConditions::active();
    send(DriveCommand::logChannels(
        qint16(m_table.item(c.sourceIndex[0]).code), qint16(m_table.item(c.sourceIndex[1]).code),
        qint16(m_table.item(c.sourceIndex[2]).code), qint16(m_table.item(c.sourceIndex[3]).code)));
}

void ViewerExchange::acquire()
{
    if (m_state == State::Transfer) {
        // The reply to the outstanding "LGDRN is read as an abort's.
        setState(State::Abort);
        Q_EMIT acquireCaptionChanged(253);
        return;
    }
    if (m_state != State::RecordReady || m_outstanding)
        return;
    m_poll.stop();
    enableControls(false);
    m_transferOpen = false;
    setState(State::Transfer);
    Q_EMIT acquireCaptionChanged(254);
    Q_EMIT lampChanged(LampBusy);
    send(DriveCommand::logOpen());
}

void ViewerExchange::onFileShown(bool fileLoaded)
{
    m_poll.stop();
    if (!fileLoaded) {
        resumePolling();
        return;
    }
    if (m_offline || m_state == State::Idle) {
        showFile();
        return;
    }
    if (m_outstanding) {
        // Something is on its way; the reset starts after its reply.
        setState(m_state == State::Logging ? State::FileResetAbort : State::FileResetChannels);
        m_pendingReset = true;
        return;
    }
    if (m_state == State::Logging) {
        setState(State::FileResetAbort);
        send(DriveCommand::logAbort());
    } else {
        setState(State::FileResetChannels);
        send(DriveCommand::logChannels(304, 304, 304, 304));
    }
}

void ViewerExchange::close()
{
    m_poll.stop();
    m_link.disarmTimer();
    m_outstanding = false;
}

// --- Replies -------------------------------------------------------------------

void ViewerExchange::onLinkReply(const QByteArray &line)
{
    if (line.startsWith('!')) {
        // Not a reply to the viewer: the terminal's. The viewer's own command
        // is still waiting for its answer.
        Q_EMIT terminalLine(line.mid(1) + "\r\n");
        if (m_outstanding)
            m_link.armTimer(DriveLink::DefaultTimeoutMs);
        return;
    }
    if (!m_outstanding)
        return; // late, after a time-out or a close
    m_outstanding = false;
    if (m_deferred != Deferred::None) {
        // The reply to what was outstanding when a button started the next step.
        const Deferred next = std::exchange(m_deferred, Deferred::None);
        if (next == Deferred::Abort)
            send(DriveCommand::logAbort());
        else
            sendChannels();
        return;
    }
    if (m_pendingReset) {
        // The reply to what was outstanding when a file was shown.
        m_pendingReset = false;
        if (m_state == State::FileResetAbort)
            send(DriveCommand::logAbort());
        else
            send(DriveCommand::logChannels(304, 304, 304, 304));
        return;
    }
    switch (m_state) {
    case State::ReadLanguage:
        languageReply(line);
        break;
    case State::ReadItemList:
        itemListReply(line);
        break;
    case State::Idle:
    case State::PollAfterList:
    case State::Logging:
    case State::RecordReady:
        statusReply(line);
        break;
    case State::SetChannels:
    case State::SetTrigger:
    case State::StartLog:
        setUpReply(line);
        break;
    case State::Abort:
        abortReply(line);
        break;
    case State::Transfer:
        transferReply(line);
        break;
    case State::FileResetChannels:
    case State::FileResetTrigger:
    case State::FileResetStart:
    case State::FileResetAbort:
        resetReply(line);
        break;
    case State::FileShow:
        showFile();
        break;
    case State::Closing:
        Q_EMIT closeRequested();
        break;
    }
}

void ViewerExchange::onLinkTimeout()
{
    if (!m_outstanding)
        return;
    m_outstanding = false;
    m_pendingReset = false;
    m_deferred = Deferred::None;
    if (m_state == State::Closing) {
        // The drive is gone as well; the viewer closes as it meant to.
        Q_EMIT closeRequested();
        return;
    }
    m_transferOpen = false;
    m_logRunning = false;
    m_recordReady = false;
    enableControls(true);
    setState(State::Idle);
    m_offline = true;
    Q_EMIT lampChanged(LampTimeout);
    m_poll.stop();
    tell(text(271));
    if (loadCache(false))
        Q_EMIT redrawRequested();
    Q_EMIT wentOffline();
}

// --- Item list -------------------------------------------------------------

QString ViewerExchange::loaderMessage(int result) const
{
    switch (MonitorItemTable::LoadResult(result)) {
    case MonitorItemTable::LoadResult::TooMany:
        return cachePath() + paragraph + text(208);
    case MonitorItemTable::LoadResult::BadFormat:
        return cachePath() + paragraph + text(207);
    case MonitorItemTable::LoadResult::CannotOpen:
    case MonitorItemTable::LoadResult::Loaded:
        break;
    }
    return cachePath() + paragraph + text(206);
}

bool ViewerExchange::loadCache(bool quietly)
{
    const auto result = m_table.load(cachePath());
    if (result == MonitorItemTable::LoadResult::Loaded)
        return true;
    if (!quietly)
        tell(loaderMessage(int(result)));
    return false;
}

void ViewerExchange::languageReply(const QByteArray &line)
{
    AppSettings &settings = AppSettings::instance();
    const QByteArrayList fields = line.split(':');
    if (fields.size() > 1)
        settings.setEnglishDisplay(fields.at(1).trimmed().toLongLong() != 0);
    ProfileStore *profile = settings.profile();
    const QString romText =
        profile ? profile->readString(QStringLiteral("ROM"), QStringLiteral("RomVerStr"))
                : QString();
    const bool cached = profile && profile->readInt(QStringLiteral("OSCSCOPE"),
                                                    QStringLiteral("IsNotFirstTime"), 0) != 0;
    if (cached && settings.romVersion() == romText) {
        const auto result = m_table.load(cachePath());
        if (result != MonitorItemTable::LoadResult::Loaded) {
            tell(loaderMessage(int(result)));
            fatal(cachePath() + paragraph + text(206));
            return;
        }
        const QByteArray entry = m_table.languageEntry();
        if (entry == "#201:EnglishDisplay")
            settings.setStrSetEnglish(true);
        else if (entry == MonitorItemTable::japaneseLanguageEntry())
            settings.setStrSetEnglish(false);
        if (settings.strSetEnglish() == settings.englishDisplay()) {
            m_itemListValid = true;
            Q_EMIT redrawRequested();
            Q_EMIT lampChanged(LampRest);
            enableControls(true);
        }
    }
    if (m_itemListValid) {
        afterList();
        return;
    }
    // The list is read from the drive and kept in memory until it is
    // complete; only then is the cache written, whole.
    m_listed.clear();
    m_block = 1;
    m_awaitingFirstLine = true;
    enableControls(false);
    setState(State::ReadItemList);
    send(DriveCommand::itemHelp(m_block));
}

void ViewerExchange::itemListReply(const QByteArray &line)
{
    m_lampLit = !m_lampLit;
    Q_EMIT lampChanged(m_lampLit ? LampDone : LampRest);
    if (line.startsWith("R00")) {
        if (m_awaitingFirstLine) {
            listComplete();
        } else {
            ++m_block;
            m_awaitingFirstLine = true;
            send(DriveCommand::itemHelp(m_block));
        }
        return;
    }
    if (line.startsWith("ALM")) {
        fatal(text(204) + paragraph + text(213));
        return;
    }
    // No drive lists more items than the table holds; a list that does not
    // end is cut there (the cache then reports too many items).
    if (m_listed.size() <= MonitorItemTable::Capacity)
        m_listed.append(line);
    m_awaitingFirstLine = false;
    send(DriveCommand::pageAck());
}

void ViewerExchange::listComplete()
{
    const QString path = cachePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!SafeFileWriter::writeWhole(path, MonitorItemTable::cacheBytes(m_listed))) {
        fatal(path + paragraph + text(206));
        return;
    }
    m_listed.clear();
    const auto result = m_table.load(path);
    if (result != MonitorItemTable::LoadResult::Loaded) {
        tell(loaderMessage(int(result)));
        fatal(path + paragraph + text(206));
        return;
    }
    m_itemListValid = true;
    AppSettings &settings = AppSettings::instance();
    settings.setStrSetEnglish(settings.englishDisplay());
    if (ProfileStore *profile = settings.profile())
        profile->writeInt(QStringLiteral("OSCSCOPE"), QStringLiteral("IsNotFirstTime"), 1);
    Q_EMIT redrawRequested();
    Q_EMIT lampChanged(LampRest);
    enableControls(true);
    afterList();
}

void ViewerExchange::afterList()
{
    setState(State::PollAfterList);
    Q_EMIT lampChanged(LampBusy);
    send(DriveCommand::logStatus());
    enableControls(true);
}

void ViewerExchange::fatal(const QString &message)
{
    Q_EMIT exitBlocked();
    tell(message);
    m_itemListValid = false;
    setState(State::Closing);
    m_poll.stop();
    send(DriveCommand::communicationReset());
}

// --- Logging -----------------------------------------------------------------

void ViewerExchange::statusReply(const QByteArray &line)
{
    const TypedReply reply(line);
    if (!reply.isAccepted() || (reply.count() != 2 && !reply.isBareStatus())) {
        unexpected();
        return;
    }
    m_logRunning = reply.value(0) == 0;
    m_recordReady = reply.value(1) != 0;
    if (m_logRunning && !m_recordReady) {
        setState(State::Logging);
    } else if (m_recordReady && !m_logRunning) {
        setState(State::RecordReady);
        Q_EMIT acquireCaptionChanged(253);
    } else {
        setState(State::Idle);
        if (!m_logRunning)
            Q_EMIT acquireCaptionChanged(253);
    }
    Q_EMIT lampChanged(LampRest);
    enableControls(true);
    startPoll();
    Q_EMIT statusPolled(m_logRunning, m_recordReady);
}

void ViewerExchange::setUpReply(const QByteArray &line)
{
    const TypedReply reply(line);
    if (!reply.isAccepted() || reply.count() != 0) {
        unexpected();
        return;
    }
    const LogConditions &c = LogConditions::active();
    if (m_state == State::SetChannels) {
        setState(State::SetTrigger);
        send(DriveCommand::logTrigger(c.singleMode ? 1 : 0, c.triggerChannel, c.riseEdge ? 1 : 0,
                                      c.triggerLevel));
    } else if (m_state == State::SetTrigger) {
        const StartArguments a = WaveScale::startArguments(c.timeIndex, c.triggerPosition);
        m_recordLength = a.recordLengthMs;
        m_startPosition = c.triggerPosition;
        setState(State::StartLog);
        send(DriveCommand::logStart(a.samples, a.intervalMs, a.postTriggerMs));
    } else {
        setState(State::Idle);
        Q_EMIT lampChanged(LampRest);
        // No record is ready before its length has passed; one shorter than
        // the poll interval is looked for as soon as it can be there.
        startPoll(m_recordLength);
    }
}

void ViewerExchange::abortReply(const QByteArray &line)
{
    const TypedReply reply(line);
    if (!reply.isAccepted() || (reply.count() != 0 && reply.count() != 2 && reply.count() != 6)) {
        unexpected();
        return;
    }
    m_transferOpen = false;
    setState(State::Idle);
    enableControls(true);
    Q_EMIT lampChanged(LampRest);
    if (reply.count() != 0) {
        // Its answer is a status reply and restarts the poll itself.
        Q_EMIT lampChanged(LampBusy);
        send(DriveCommand::logClose());
        return;
    }
    startPoll();
}

void ViewerExchange::transferReply(const QByteArray &line)
{
    const TypedReply reply(line);
    if (!reply.isAccepted()) {
        unexpected();
        return;
    }
    if (!m_transferOpen) {
        if (reply.count() != 5) {
            unexpected();
            return;
        }
        Q_EMIT timeFieldChanged(QByteArray::number(reply.value(4) / 10));
        m_store.setCount(0);
        m_transferOpen = true;
        send(DriveCommand::logNext());
        return;
    }
    if (reply.count() == 6) {
        // A drive that sends more samples than the store holds is not
        // followed past it.
        if (!m_store.append({qint32(reply.value(2)), qint32(reply.value(3)), qint32(reply.value(4)),
                             qint32(reply.value(5))})) {
            m_transferOpen = false;
            unexpected();
            return;
        }
        Q_EMIT sampleReceived(m_store.count());
        send(DriveCommand::logNext());
        return;
    }
    if (reply.count() == 0) {
        m_transferOpen = false;
        Q_EMIT redrawRequested();
        setState(State::Idle);
        Q_EMIT acquireCaptionChanged(253);
        Q_EMIT lampChanged(LampRest);
        enableControls(true);
        startPoll();
        return;
    }
    m_transferOpen = false;
    unexpected();
}

void ViewerExchange::resetReply(const QByteArray &line)
{
    if (TypedReply(line).kind() == TypedReply::Kind::Malformed) {
        unexpected();
        return;
    }
    switch (m_state) {
    case State::FileResetChannels:
        setState(State::FileResetTrigger);
        send(DriveCommand::logTrigger(1, 0, 0, 0));
        break;
    case State::FileResetTrigger:
        setState(State::FileResetStart);
        send(DriveCommand::logStart(250, 2000, 500000));
        break;
    case State::FileResetStart:
        setState(State::FileResetAbort);
        send(DriveCommand::logAbort());
        break;
    default:
        showFile();
        break;
    }
}

void ViewerExchange::showFile()
{
    setState(State::FileShow);
    m_logRunning = false;
    m_recordReady = false;
    Q_EMIT redrawRequested();
    Q_EMIT fileShown();
    setState(State::Idle);
    Q_EMIT lampChanged(LampRest);
    enableControls(true);
    startPoll();
}

void ViewerExchange::unexpected()
{
    const bool transfer = m_state == State::Transfer;
    tell(text(204) + paragraph + text(transfer ? 214 : 212));
    Q_EMIT lampChanged(LampDone);
    setState(State::Abort);
    startPoll();
}
