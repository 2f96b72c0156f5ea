#include "servotuningexchange.h"

#include "app/userprompt.h"
#include "link/drivelink.h"
#include "resources/catalogue.h"

namespace {

// The gain fields in dialog order: Inertia Set, Servo Rigidity, Vel Gain1,
// Pos Gain1, Vel Gain2, Pos Gain2, Pos Integral Limit, the three feed
// forwards and the torque limit.
constexpr int fieldItems[ServoTuningExchange::FieldCount] = {155, 38, 51, 50, 63, 62,
                                                             53,  54, 55, 56, 68};
constexpr int filterItems[] = {ServoTuningExchange::FilterSelectItem,
                               ServoTuningExchange::NotchItem, ServoTuningExchange::FirstLagItem};

} // namespace

ServoTuningExchange::ServoTuningExchange(DriveLink &link, QObject *parent)
    : QObject(parent)
    , m_link(link)
{
    for (QTimer *t : {&m_fast, &m_slow}) {
        t->setSingleShot(true);
        t->setTimerType(Qt::PreciseTimer);
        connect(t, &QTimer::timeout, this, &ServoTuningExchange::onPollTick);
    }
    m_fast.setInterval(FastPollMs);
    m_slow.setInterval(PollMs);
}

ServoTuningExchange::~ServoTuningExchange()
{
    close();
}

QString ServoTuningExchange::text(int id) const
{
    return Catalogue::instance().string(id);
}

int ServoTuningExchange::parameter(int field) const
{
    if (field < 0 || field >= FieldCount)
        return 0;
    if (m_board100 && field == 4)
        return 49;
    if (m_board100 && field == 5)
        return 48;
    return fieldItems[field];
}

void ServoTuningExchange::open()
{
    if (m_owner)
        return;
    m_owner = m_link.pushOwner(this);
    if (!m_owner)
        return;
    m_field = -1;
    m_fieldsEnabled = false;
    m_autoTuning = false;
    m_autoTuningRuns = false;
    sendNow("@0:0", OpenStatus);
}

bool ServoTuningExchange::requestClose()
{
    if (m_testMode) {
        if (m_prompt)
            m_prompt->message(text(203));
        return false;
    }
    close();
    return true;
}

void ServoTuningExchange::close()
{
    stopPolling();
    if (!m_owner)
        return;
    m_link.reset();
    m_link.popOwner();
    m_owner = false;
    m_state = Closed;
    m_pendingCommand.clear();
}

bool ServoTuningExchange::commandPending() const
{
    return !m_pendingCommand.isEmpty() ||
           (m_state != Idle && m_state != Poll && m_state != AutoTuning && m_state != Closed);
}

void ServoTuningExchange::setCurrentField(int field)
{
    m_field = field >= 0 && field < FieldCount ? field : -1;
}

// --- Sending -----------------------------------------------------------------

void ServoTuningExchange::sendNow(const QByteArray &command, State state)
{
    m_state = state;
    m_link.send(command);
    emit changed();
}

bool ServoTuningExchange::userCommand(const QByteArray &command, State state)
{
    if (!m_owner || commandPending())
        return false;
    stopPolling();
    if (m_state == Idle || m_state == AutoTuning) {
        sendNow(command, state);
    } else {
        m_pendingCommand = command;
        m_pendingState = state;
        emit changed();
    }
    return true;
}

void ServoTuningExchange::proceed()
{
    if (!m_pendingCommand.isEmpty()) {
        const QByteArray command = m_pendingCommand;
        m_pendingCommand.clear();
        sendNow(command, m_pendingState);
        return;
    }
    m_state = m_autoTuningRuns ? AutoTuning : Idle;
    resumePolling();
    emit changed();
}

void ServoTuningExchange::stopPolling()
{
    m_fast.stop();
    m_slow.stop();
}

void ServoTuningExchange::resumePolling()
{
    if (m_owner)
        m_fast.start();
}

void ServoTuningExchange::onPollTick()
{
    if (!m_owner || (m_state != Idle && m_state != AutoTuning))
        return;
    emit polled();
    const bool tuning = m_state == AutoTuning;
    m_polledField = tuning ? -1 : m_field;
    if (m_polledField >= 0)
        m_link.send("!!#" + QByteArray::number(parameter(m_polledField)));
    else
        m_link.send("!!@0:0");
    m_state = Poll;
}

// --- Buttons -----------------------------------------------------------------

bool ServoTuningExchange::enter(const QByteArray &value)
{
    if (!m_fieldsEnabled || m_field < 0)
        return false;
    const QByteArray t = value.trimmed();
    if (!commandInteger(t, -999999999, 999999999)) {
        if (m_prompt)
            m_prompt->message(text(189));
        return false;
    }
    if (!userCommand('#' + QByteArray::number(parameter(m_field)) + '=' + t, WriteField))
        return false;
    m_fieldsEnabled = false;
    emit changed();
    return true;
}

void ServoTuningExchange::startAutoTuning()
{
    if (!m_autoTuning || !m_fieldsEnabled || commandPending())
        return;
    if (m_prompt && !m_prompt->askOkCancel(text(199)))
        return;
    if (userCommand("@3:1", AutoTuneStart)) {
        m_fieldsEnabled = false;
        m_autoTuning = false;
        emit changed();
    }
}

void ServoTuningExchange::toggleTestMode()
{
    if (commandPending() || m_state == Closed)
        return;
    if (m_testMode) {
        userCommand("@2", TestOff);
        return;
    }
    if (m_prompt && !m_prompt->askOkCancel(text(199)))
        return;
    userCommand("@3:0", TestOn);
}

void ServoTuningExchange::readFilter()
{
    m_filterStep = 0;
    userCommand('#' + QByteArray::number(FilterSelectItem), FilterRead);
}

bool ServoTuningExchange::selectFilter(int choice)
{
    if (choice < 0 || choice > 3)
        return false;
    m_writtenItem = FilterSelectItem;
    m_writtenValue = QByteArray::number(choice);
    return userCommand("#152=" + m_writtenValue, FilterWrite);
}

bool ServoTuningExchange::setFilter(int item, const QByteArray &value)
{
    if (item != NotchItem && item != FirstLagItem)
        return false;
    const QByteArray t = value.trimmed();
    if (!commandInteger(t, -999999999, 999999999)) {
        if (m_prompt)
            m_prompt->message(text(189));
        return false;
    }
    m_writtenItem = item;
    m_writtenValue = t;
    return userCommand('#' + QByteArray::number(item) + '=' + t, FilterWrite);
}

bool ServoTuningExchange::spinFilter(int item, int value)
{
    if ((item != NotchItem && item != FirstLagItem) || value < FilterMin || value > FilterMax)
        return false;
    if (commandPending())
        return false;
    m_writtenItem = item;
    m_writtenValue = QByteArray::number(value);
    return userCommand('#' + QByteArray::number(item) + '=' + m_writtenValue, FilterWrite);
}

bool ServoTuningExchange::trigger(int type, int time, int point)
{
    return userCommand("@86:" + QByteArray::number(type) + ':' + QByteArray::number(time) + ':' +
                           QByteArray::number(point),
                       Trigger);
}

bool ServoTuningExchange::readResponse()
{
    if (commandPending())
        return false;
    m_block = 0;
    m_response.clear();
    return userCommand("@87:0", Display);
}

// --- Replies -----------------------------------------------------------------

void ServoTuningExchange::showAsIs(const QByteArray &reply)
{
    if (m_prompt)
        m_prompt->message(QString::fromLatin1(reply));
}

void ServoTuningExchange::onLinkReply(const QByteArray &line)
{
    m_timeoutShown = false;
    const QByteArray r = untagged(line);
    switch (m_state) {
    case OpenStatus:
    case OpenBoard: {
        const auto status = m_state == OpenStatus ? DriveStatus::fromPoll(r) : std::nullopt;
        const bool board = m_state == OpenBoard && r.startsWith("RD");
        if (!status && !board) {
            if (m_prompt)
                m_prompt->message(text(152));
            close();
            emit closeRequested();
            return;
        }
        if (status) {
            m_serialAllowed = status->serialPossible() && !status->driveModeRunning();
            m_fieldsEnabled = true;
            m_autoTuning = status->autoTuningAvailable();
            sendNow("\"pr:30", OpenBoard);
            return;
        }
        m_board100 = afterColon(r).trimmed().toInt() == 100;
        break;
    }
    case Poll:
        if (const auto status = DriveStatus::fromPoll(r)) {
            if (m_autoTuningRuns && !status->driveModeRunning()) {
                // The tuning has ended.
                m_autoTuningRuns = false;
                m_field = -1;
                m_fieldsEnabled = true;
            }
            m_autoTuning = status->autoTuningAvailable() && !m_autoTuningRuns;
        } else if (m_polledField >= 0 && m_polledField == m_field) {
            if (r.startsWith("R1D"))
                emit fieldRead(m_field, afterColon(r).trimmed());
            else if (r.startsWith("ALM"))
                emit fieldRead(m_field, r);
        }
        if (!m_pendingCommand.isEmpty())
            return proceed();
        m_slow.start();
        m_state = m_autoTuningRuns ? AutoTuning : Idle;
        emit changed();
        return;
    case WriteField:
        if (!r.startsWith("R00"))
            showAsIs(r);
        m_fieldsEnabled = true;
        break;
    case AutoTuneStart:
        if (r.startsWith("R00")) {
            m_autoTuningRuns = true;
        } else {
            showAsIs(r);
            m_fieldsEnabled = true;
        }
        break;
    case TestOn:
    case TestOff:
        if (r.startsWith("R00"))
            m_testMode = m_state == TestOn;
        else
            showAsIs(r);
        break;
    case FilterRead:
        if (!r.startsWith("R1D")) {
            showAsIs(r);
            break;
        }
        m_filterValues[m_filterStep] = afterColon(r).trimmed();
        if (++m_filterStep < 3) {
            sendNow('#' + QByteArray::number(filterItems[m_filterStep]), FilterRead);
            return;
        }
        emit filterRead(m_filterValues[0].toInt(), m_filterValues[1], m_filterValues[2]);
        break;
    case FilterWrite:
        if (r.startsWith("R00"))
            emit filterWritten(m_writtenItem, m_writtenValue);
        else
            showAsIs(r);
        break;
    case Trigger:
        if (!r.startsWith("R00"))
            showAsIs(r);
        break;
    case Display: {
        if (r == "R00" || r.startsWith("R00 ")) {
            emit responseRead();
            break;
        }
        // "RDDD… TRS:first:last:v…": the block's values, as many as its range.
        const qsizetype blank = r.indexOf(' ');
        const QList<QByteArray> f = blank < 0 ? QList<QByteArray>() : r.mid(blank + 1).split(':');
        bool ok = r.startsWith("RD") && f.size() >= 3 && f.at(0) == "TRS";
        const int first = ok ? f.at(1).toInt() : 0;
        const int last = ok ? f.at(2).toInt() : -1;
        ok = ok && first == m_block * 10 && last >= first && f.size() - 3 == last - first + 1;
        QList<double> values;
        for (qsizetype i = 3; ok && i < f.size(); ++i)
            values.append(f.at(i).toDouble(&ok));
        if (!ok) {
            if (m_prompt)
                m_prompt->message(isRefusal(r) ? QString::fromLatin1(r) : text(197));
            break;
        }
        m_response.append(values);
        ++m_block;
        sendNow("@87:" + QByteArray::number(m_block), Display);
        return;
    }
    case Idle:
    case AutoTuning:
    case Closed:
        return;
    }
    proceed();
}

void ServoTuningExchange::onLinkTimeout()
{
    // A dead line is reported once, not on every poll.
    if (m_prompt && !m_timeoutShown)
        m_prompt->message(text(159));
    m_timeoutShown = true;
    if (m_state == OpenStatus || m_state == OpenBoard) {
        close();
        emit closeRequested();
        return;
    }
    if (m_state == Poll && m_pendingCommand.isEmpty()) {
        m_state = m_autoTuningRuns ? AutoTuning : Idle;
        m_slow.start();
        emit changed();
        return;
    }
    if (!m_autoTuningRuns)
        m_fieldsEnabled = true;
    proceed();
}
