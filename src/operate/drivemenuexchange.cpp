#include "drivemenuexchange.h"

#include "app/userprompt.h"
#include "link/drivelink.h"
#include "resources/catalogue.h"

DriveMenuExchange::DriveMenuExchange(DriveLink &link, QObject *parent)
    : QObject(parent)
    , m_link(link)
{
    m_poll.setSingleShot(true);
    m_poll.setTimerType(Qt::PreciseTimer);
    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &DriveMenuExchange::onPollTick);
}

DriveMenuExchange::~DriveMenuExchange()
{
    close();
}

QString DriveMenuExchange::text(int id) const
{
    return Catalogue::instance().string(id);
}

void DriveMenuExchange::open()
{
    if (m_owner)
        return;
    m_owner = m_link.pushOwner(this);
    if (!m_owner)
        return;
    m_paused = false;
    // The first status is read at once, so that the test-mode button knows
    // what the drive is doing.
    send("!!@0:0", Poll);
}

void DriveMenuExchange::close()
{
    m_poll.stop();
    if (!m_owner)
        return;
    // The drive is not left in test mode behind a closed menu, whatever is
    // on its way: a poll or the request that enters it.
    if ((m_testMode && m_state != TestOff) || m_state == TestOn) {
        m_link.send("@2", false);
        m_testMode = false;
    }
    m_link.reset();
    m_link.popOwner();
    m_owner = false;
    m_state = Closed;
}

void DriveMenuExchange::pausePolling(std::function<void()> then)
{
    m_paused = true;
    m_poll.stop();
    m_whenPaused = std::move(then);
    if (m_state != Poll && m_state != TestOn && m_state != TestOff)
        toIdle();
}

void DriveMenuExchange::resumePolling()
{
    m_paused = false;
    if (m_state == Idle && m_owner)
        m_poll.start();
}

bool DriveMenuExchange::motionButtonsEnabled() const
{
    return m_owner && !m_testMode && (m_state == Idle || m_state == Poll);
}

void DriveMenuExchange::send(const QByteArray &command, State state)
{
    m_state = state;
    m_link.send(command);
    emit changed();
}

void DriveMenuExchange::toIdle()
{
    if (m_state != Closed)
        m_state = Idle;
    if (m_whenPaused) {
        auto then = std::move(m_whenPaused);
        m_whenPaused = {};
        QTimer::singleShot(0, this, std::move(then));
        emit changed();
        return;
    }
    if (m_toggleWanted) {
        m_toggleWanted = false;
        toggleTestMode();
        return;
    }
    if (!m_paused && m_owner)
        m_poll.start();
    emit changed();
}

void DriveMenuExchange::onPollTick()
{
    if (m_state == Idle && m_owner && !m_paused)
        send("!!@0:0", Poll);
}

void DriveMenuExchange::toggleTestMode()
{
    if (!m_owner)
        return;
    if (m_state == Poll) {
        // Answered once the poll is back.
        m_toggleWanted = true;
        return;
    }
    if (m_state != Idle)
        return;
    m_poll.stop();
    if (m_testMode) {
        send("@2", TestOff);
        return;
    }
    const bool axisMove = m_status.axisMoving();
    const bool driveMode = m_status.driveModeRunning();
    if (m_status.serialPossible() && !axisMove && !driveMode) {
        if (m_prompt && !m_prompt->askOkCancel(text(199))) {
            toIdle();
            return;
        }
        send("@3:0", TestOn);
        return;
    }
    QString why;
    if (!axisMove && !driveMode)
        why = text(216);
    else if (axisMove && driveMode)
        why = text(268);
    else
        why = text(223);
    if (m_prompt)
        m_prompt->message(why);
    toIdle();
}

void DriveMenuExchange::onLinkReply(const QByteArray &line)
{
    m_timeoutShown = false;
    const QByteArray r = untagged(line);
    switch (m_state) {
    case Poll:
        if (const auto status = DriveStatus::fromPoll(r))
            m_status = *status;
        break;
    case TestOn:
    case TestOff:
        if (r.startsWith("R00")) {
            m_testMode = m_state == TestOn;
        } else if (m_prompt) {
            m_prompt->message((r.startsWith("ALM") ? text(221) : text(126)) + u'\n' +
                              QString::fromLatin1(r));
        }
        break;
    case Closed:
    case Idle:
        return;
    }
    toIdle();
}

void DriveMenuExchange::onLinkTimeout()
{
    // A dead line is reported once, not on every poll.
    if (!m_timeoutShown && m_prompt) {
        m_timeoutShown = true;
        m_prompt->captionedMessage(text(218), text(159) + u'\n' + text(217));
    }
    toIdle();
}
