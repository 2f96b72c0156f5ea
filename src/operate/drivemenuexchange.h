#pragma once

#include "drivestatus.h"
#include "link/linkowner.h"

#include <QObject>
#include <QTimer>

#include <functional>

class DriveLink;
class UserPrompt;

// The exchange of the drive menu: the 1000 ms status poll (!!@0:0) and the
// driver's test-operation mode (@3:0 on, @2 off). Test mode is entered only
// with serial operation possible and neither a drive mode nor an axis move
// running, and only after the user has been warned that the motor will move.
class DriveMenuExchange : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum State { Closed = 0, Idle = 1, Poll = 2, TestOn = 3, TestOff = 4 };
    static constexpr int PollMs = 1000;

    explicit DriveMenuExchange(DriveLink &link, QObject *parent = nullptr);
    ~DriveMenuExchange() override;

    void setPrompt(UserPrompt *prompt) { m_prompt = prompt; }
    // Tests poll faster than the drive's second.
    void setPollMs(int ms) { m_poll.setInterval(ms); }

    void open();
    void close();
    // The menu's motion windows take the link while they are open: the
    // poll stops, `then` runs from the event loop once no poll is on its
    // way, and resumePolling() restarts the poll afterwards.
    void pausePolling(std::function<void()> then);
    void resumePolling();

    // The test-mode button.
    void toggleTestMode();

    State state() const { return m_state; }
    bool testMode() const { return m_testMode; }
    DriveStatus status() const { return m_status; }
    // The motion windows may be opened: not in test mode, nothing outstanding.
    bool motionButtonsEnabled() const;

    void onLinkTimeout() override;
    void onLinkReply(const QByteArray &line) override;

Q_SIGNALS:
    void changed();

private:
    void onPollTick();
    void send(const QByteArray &command, State state);
    void toIdle();
    QString text(int id) const;

    DriveLink &m_link;
    UserPrompt *m_prompt = nullptr;
    QTimer m_poll;
    State m_state = Closed;
    bool m_owner = false;
    bool m_paused = false;
    bool m_testMode = false;
    bool m_toggleWanted = false;
    bool m_timeoutShown = false;
    DriveStatus m_status;
    std::function<void()> m_whenPaused;
};
