#include "motionexchange.h"

#include "app/userprompt.h"
#include "link/drivelink.h"
#include "resources/catalogue.h"

MotionExchange::MotionExchange(DriveLink &link, const MotionKind &kind, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_kind(kind)
{
    m_poll.setSingleShot(true);
    m_poll.setTimerType(Qt::PreciseTimer);
    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &MotionExchange::onPollTick);
    connect(&m_link, &DriveLink::portError, this, &MotionExchange::onLinkLost);
}

MotionExchange::~MotionExchange()
{
    if (m_owner) {
        m_link.reset();
        m_link.popOwner();
    }
}

QString MotionExchange::text(int id) const
{
    return Catalogue::instance().string(id);
}

void MotionExchange::open()
{
    if (m_owner)
        return;
    m_owner = m_link.pushOwner(this);
    if (!m_owner)
        return;
    m_closeRequested = false;
    m_rows.clear();
    for (int number : m_kind.parameterRows)
        m_rows.append({number, {}, {}});
    if (m_kind.readsBoard)
        sendNow("\"pr:30", OpenBoard);
    else
        sendNow("@0:0", OpenStatus);
}

bool MotionExchange::motionMayRun() const
{
    return m_moving || m_direction != Direction::None || m_stopPending || m_status.axisMoving() ||
           m_status.driveModeRunning();
}

void MotionExchange::close()
{
    if (!m_owner) {
        emit finished();
        return;
    }
    m_closeRequested = true;
    m_poll.stop();
    if (motionMayRun()) {
        userCommand(m_kind.stopCommand, Closing);
        return;
    }
    if (m_state == Idle)
        finishClose();
    // Otherwise the close follows the answer to what is outstanding.
}

void MotionExchange::finishClose()
{
    m_poll.stop();
    m_state = Closed;
    m_pendingCommand.clear();
    m_idleAction = {};
    if (m_owner) {
        m_link.reset();
        m_link.popOwner();
        m_owner = false;
    }
    emit finished();
}

bool MotionExchange::busy() const
{
    switch (m_state) {
    case Idle:
    case Poll:
    case PollFlag:
    case ErrorRead:
        return !m_pendingCommand.isEmpty();
    default:
        return true;
    }
}

MotionExchange::Enables MotionExchange::enables() const
{
    Enables e;
    if (m_state == Closed || m_state == Closing)
        return e;
    const bool userBusy = busy();
    const bool base = m_serialAllowed && m_status.ready() && !m_status.driveModeRunning() &&
                      !m_status.error() && !m_status.alarm() && !m_errorFlag && !m_alarmFlag &&
                      !userBusy;
    if (m_kind.isJog()) {
        e.start = base && m_direction != Direction::Plus;
        e.startMinus = base && m_direction != Direction::Minus;
        // Stop stays at hand while the axis may move, even with a command on
        // its way: pressed then, it goes out next.
        e.stop = m_direction != Direction::None || m_stopPending;
        e.set =
            !userBusy && m_direction == Direction::None && !m_stopPending && !m_status.axisMoving();
    } else {
        e.start = base && !m_moving && !m_status.axisMoving();
        // Abort is always at hand, with a command on its way too.
        e.stop = true;
        e.set = !userBusy && !m_moving && !m_status.driveModeRunning() && !m_status.axisMoving();
    }
    e.errReset = !userBusy && !m_status.driveModeRunning();
    e.exit = true;
    return e;
}

// --- Sending -----------------------------------------------------------------

void MotionExchange::sendNow(const QByteArray &command, State state)
{
    m_state = state;
    m_lastCommand = command;
    m_link.send(command);
    emit changed();
}

void MotionExchange::userCommand(const QByteArray &command, State state,
                                 std::function<void()> onSend)
{
    if (!m_owner)
        return;
    m_poll.stop();
    if (m_state == Idle) {
        if (onSend)
            onSend();
        sendNow(command, state);
        return;
    }
    // A poll (or the opening) is on its way: this goes out after its answer.
    // A later press replaces an earlier one that has not gone out yet.
    m_pendingCommand = command;
    m_pendingState = state;
    m_pendingOnSend = std::move(onSend);
    emit changed();
}

void MotionExchange::proceed()
{
    if (!m_pendingCommand.isEmpty()) {
        const QByteArray command = m_pendingCommand;
        const State state = m_pendingState;
        auto onSend = std::move(m_pendingOnSend);
        m_pendingCommand.clear();
        m_pendingOnSend = {};
        if (onSend)
            onSend();
        sendNow(command, state);
        return;
    }
    if (m_closeRequested) {
        finishClose();
        return;
    }
    toIdle();
}

void MotionExchange::toIdle()
{
    m_state = Idle;
    if (m_idleAction) {
        m_pollPaused = true;
        auto action = std::move(m_idleAction);
        m_idleAction = {};
        QTimer::singleShot(0, this, std::move(action));
    } else {
        armPoll();
    }
    emit changed();
}

void MotionExchange::armPoll()
{
    if (m_owner && !m_pollPaused && !m_closeRequested)
        m_poll.start();
}

void MotionExchange::whenIdle(std::function<void()> action)
{
    m_poll.stop();
    m_idleAction = std::move(action);
    if (m_state == Idle)
        toIdle();
}

void MotionExchange::resumePolling()
{
    m_pollPaused = false;
    if (m_state == Idle)
        armPoll();
}

void MotionExchange::onPollTick()
{
    if (m_state != Idle || !m_owner)
        return;
    sendNow(m_kind.pollCommand, Poll);
}

// --- Buttons -----------------------------------------------------------------

QByteArray MotionExchange::startCommand(const MotionKind &kind, const QList<QByteArray> &options,
                                        bool disabled2, bool disabled3)
{
    QByteArray command = kind.startCommand;
    if (!kind.hasOptions())
        return command;
    command += ':' + options.value(0);
    if (!disabled2) {
        command += ':' + options.value(1);
        if (!disabled3)
            command += ':' + options.value(2);
    }
    return command;
}

void MotionExchange::startPlus()
{
    if (!enables().start)
        return;
    if (m_kind.isJog()) {
        userCommand("@11:1", Command, [this] {
            m_direction = Direction::Plus;
            m_moving = true;
        });
        return;
    }
    if (m_kind.hasOptions())
        return; // needs its options
    userCommand(m_kind.startCommand, Command, [this] { m_moving = true; });
}

void MotionExchange::startMinus()
{
    if (!m_kind.isJog() || !enables().startMinus)
        return;
    userCommand("@11:-1", Command, [this] {
        m_direction = Direction::Minus;
        m_moving = true;
    });
}

bool MotionExchange::startWithOptions(const QList<QByteArray> &options, bool disabled2,
                                      bool disabled3)
{
    if (!m_kind.hasOptions() || !enables().start)
        return false;
    // Ticking the second Disable box disables the third as well.
    disabled3 = disabled3 || disabled2;
    for (int i = 0; i < m_kind.options.size(); ++i) {
        if ((i == 1 && disabled2) || (i == 2 && disabled3))
            continue;
        const MotionKind::Range range = m_kind.options.at(i);
        if (!commandInteger(options.value(i).trimmed(), range.min, range.max)) {
            report(text(189));
            return false;
        }
    }
    QList<QByteArray> trimmed;
    for (const QByteArray &o : options)
        trimmed.append(o.trimmed());
    userCommand(startCommand(m_kind, trimmed, disabled2, disabled3), Command,
                [this] { m_moving = true; });
    return true;
}

void MotionExchange::stop()
{
    if (!enables().stop)
        return;
    userCommand(m_kind.stopCommand, Command, [this] {
        // The stop buttons stay usable until a poll shows the axis at rest.
        m_stopPending = true;
        m_direction = Direction::None;
        m_moving = false;
    });
}

void MotionExchange::errorReset()
{
    if (!enables().errReset)
        return;
    userCommand("@4", Command);
}

bool MotionExchange::setParameters(const QList<QPair<int, QByteArray>> &writes)
{
    if (!enables().set || writes.isEmpty())
        return false;
    for (const auto &w : writes) {
        if (!commandInteger(w.second.trimmed(), -999999999, 999999999)) {
            report(text(189));
            return false;
        }
    }
    m_writes = writes;
    m_writeIndex = 0;
    const auto &first = m_writes.first();
    userCommand('#' + QByteArray::number(first.first) + '=' + first.second.trimmed(), SetWrite);
    return true;
}

void MotionExchange::sendRow()
{
    sendNow('#' + QByteArray::number(m_rows.at(m_rowIndex).number), ReadRows);
}

void MotionExchange::sendWrite()
{
    const auto &w = m_writes.at(m_writeIndex);
    sendNow('#' + QByteArray::number(w.first) + '=' + w.second.trimmed(), SetWrite);
}

// --- Replies -----------------------------------------------------------------

void MotionExchange::applyStatus(const DriveStatus &status)
{
    m_status = status;
    if (m_board100 || !m_kind.readsBoard)
        m_serialAllowed = status.serialPossible();
    if (!status.error())
        m_errorFlag = false;
    if (!status.alarm())
        m_alarmFlag = false;
    if (!status.axisMoving()) {
        m_stopPending = false;
        // The motion has ended: by itself (a homing run, an index move) or
        // stopped by the drive (a jog at a soft limit).
        if (!status.driveModeRunning()) {
            m_moving = false;
            m_direction = Direction::None;
        }
    }
}

void MotionExchange::report(const QString &message)
{
    if (m_prompt)
        m_prompt->message(message);
}

void MotionExchange::reportTimeout()
{
    if (m_timeoutShown)
        return;
    m_timeoutShown = true;
    if (m_prompt)
        m_prompt->captionedMessage(text(218), text(159) + u'\n' + text(217));
}

void MotionExchange::refusal(const QByteArray &reply)
{
    const QString shown = QString::fromLatin1(reply);
    if (reply.startsWith("ALM")) {
        m_alarmFlag = true;
        m_poll.stop();
        QString message = text(221) + u'\n' + shown;
        if (reply.startsWith("ALM49") && m_kind.id == MotionKind::Id::Homing)
            message += u'\n' + text(219);
        report(message);
    } else {
        m_errorFlag = true;
        report(text(126) + u'\n' + shown);
    }
}

void MotionExchange::onLinkReply(const QByteArray &line)
{
    m_timeoutShown = false;
    m_stopAfterFailure = false;
    const QByteArray r = untagged(line);
    switch (m_state) {
    case OpenBoard:
        if (m_closeRequested)
            return proceed();
        m_board100 = r.startsWith("RD") && afterColon(r).trimmed().toInt() == 100;
        if (m_board100)
            sendNow("@0:0", OpenStatus);
        else
            sendNow("#217", OpenSerial);
        return;
    case OpenSerial: {
        if (m_closeRequested)
            return proceed();
        const QList<QByteArray> fields = r.split(':');
        m_serialAllowed = fields.size() >= 2 && fields.at(1).trimmed() == "1";
        sendNow("@0:0", OpenStatus);
        return;
    }
    case OpenStatus:
        if (m_closeRequested)
            return proceed();
        if (const auto status = DriveStatus::fromField(r)) {
            applyStatus(*status);
            if (!m_serialAllowed)
                report(text(216));
        } else if (isRefusal(r)) {
            refusal(r);
        }
        if (m_kind.readsHomingItems)
            sendNow("\"pr:12", OpenHomeZero);
        else
            sendNow("@43:" + QByteArray::number(m_kind.driveMode), OpenMode);
        return;
    case OpenHomeZero:
        if (m_closeRequested)
            return proceed();
        m_homeZero = r.startsWith("RD") ? afterColon(r).trimmed() : QByteArray();
        sendNow("#358", OpenHomeLimit);
        return;
    case OpenHomeLimit:
        if (m_closeRequested)
            return proceed();
        m_homeLimit = r.startsWith("R1D") ? afterColon(r).trimmed() : QByteArray();
        sendNow("@43:" + QByteArray::number(m_kind.driveMode), OpenMode);
        return;
    case OpenMode:
        if (isRefusal(r))
            refusal(r);
        if (m_closeRequested || m_rows.isEmpty())
            return proceed();
        m_rowIndex = 0;
        sendRow();
        return;
    case ReadRows: {
        Row &row = m_rows[m_rowIndex];
        if (r.startsWith("R1D") && r.contains(':')) {
            row.label = r.mid(4, r.indexOf(':') - 4).trimmed();
            row.value = afterColon(r).trimmed();
        } else {
            row.value = r;
        }
        if (++m_rowIndex < m_rows.size() && !m_closeRequested)
            return sendRow();
        emit rowsRead();
        return proceed();
    }
    case Poll:
        if (const auto status = DriveStatus::fromPoll(r)) {
            applyStatus(*status);
            if (status->error() && !m_errorFlag) {
                m_errorFlag = true;
                m_errorLines.clear();
                sendNow("!!!@50", ErrorRead);
                return;
            }
        }
        if (m_kind.pollsFlagPosition) {
            sendNow("!!!!#318", PollFlag);
            return;
        }
        return proceed();
    case PollFlag:
        if (r.startsWith("R1D")) {
            m_measured = afterColon(r).trimmed();
            emit measuredValueChanged(m_measured);
        }
        return proceed();
    case ErrorRead:
        if (r.startsWith("R1Z")) {
            m_errorLines.append(afterColon(r).trimmed());
            sendNow("!!!R0P", ErrorRead);
            return;
        }
        if (!m_errorLines.isEmpty()) {
            QString message = text(126);
            for (const QByteArray &l : std::as_const(m_errorLines))
                message += u'\n' + QString::fromLatin1(l);
            report(message);
        }
        return proceed();
    case Command:
        if (!r.startsWith("R00")) {
            // A refused start leaves nothing moving.
            if (m_lastCommand != m_kind.stopCommand) {
                m_moving = false;
                m_direction = Direction::None;
            }
            refusal(r);
        }
        return proceed();
    case SetWrite:
        if (r.startsWith("R00")) {
            for (Row &row : m_rows) {
                if (row.number == m_writes.at(m_writeIndex).first)
                    row.value = m_writes.at(m_writeIndex).second.trimmed();
            }
            if (++m_writeIndex < m_writes.size())
                return sendWrite();
            emit rowsRead();
            report(text(129));
        } else if (r.startsWith("ALM62")) {
            report(text(168) + u'\n' + text(215));
        } else {
            refusal(r);
        }
        return proceed();
    case Closing:
        finishClose();
        return;
    case Closed:
    case Idle:
        return; // a late answer to nothing
    }
}

void MotionExchange::onLinkTimeout()
{
    if (m_state == Closing) {
        reportTimeout();
        finishClose();
        return;
    }
    // The motion may still run: the stop goes out before anything else,
    // and Stop or Abort stays usable whatever its fate.
    if (motionMayRun() && !m_stopAfterFailure && m_lastCommand != m_kind.stopCommand) {
        m_stopAfterFailure = true;
        m_stopPending = true;
        m_direction = Direction::None;
        m_moving = false;
        sendNow(m_kind.stopCommand, Command);
        reportTimeout();
        return;
    }
    m_stopAfterFailure = false;
    if (m_state == ReadRows || m_state == OpenMode)
        emit rowsRead();
    reportTimeout();
    proceed();
}

void MotionExchange::onLinkLost()
{
    if (!m_owner || m_state == Closed)
        return;
    if (motionMayRun() && (m_state == Idle || m_state == Poll || m_state == PollFlag)) {
        m_poll.stop();
        m_stopPending = true;
        m_direction = Direction::None;
        m_moving = false;
        sendNow(m_kind.stopCommand, Command);
    }
    reportTimeout();
}
