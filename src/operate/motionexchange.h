#pragma once

#include "drivestatus.h"
#include "link/linkowner.h"
#include "motionkind.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>

class DriveLink;
class UserPrompt;

// The exchange of one motion window (homing, signal search, jog, index type
// A and B, the reference table): the opening sequence ("pr:30, #217 unless
// the board is 100, @0:0, the homing items, @43: with the window's drive
// mode, the grid's parameters), the 1000 ms status poll, start, stop, abort,
// the error reset, the error read (!!!@50 paged with !!!R0P) and Set. One
// command is outstanding at a time; a button pressed while a poll is on its
// way is sent when the poll has been answered.
//
// Whenever the axis may be moving, closing the window or losing the link
// sends the window's stop command first, and the stop buttons stay usable
// until the status shows the axis at rest.
class MotionExchange : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum State {
        Closed = 0,
        OpenBoard = 1,     // "pr:30
        OpenSerial = 2,    // #217
        OpenStatus = 3,    // @0:0
        OpenHomeZero = 4,  // "pr:12
        OpenHomeLimit = 5, // #358
        OpenMode = 6,      // @43:
        ReadRows = 7,      // #n per grid row
        Idle = 10,
        Poll = 11,      // !!@0:0
        PollFlag = 12,  // !!!!#318
        ErrorRead = 13, // !!!@50, !!!R0P
        Command = 20,   // start, stop, abort, error reset
        SetWrite = 21,  // n=v per edited row
        Closing = 30,   // the stop command before the window closes
    };
    enum class Direction { None, Plus, Minus };

    struct Row
    {
        int number = 0;
        QByteArray label;
        QByteArray value;
    };
    struct Enables
    {
        bool start = false; // Start(&D), or Start + for the jog
        bool startMinus = false;
        bool stop = false; // the jog's Stop(&S), Abort(&A) elsewhere
        bool errReset = false;
        bool set = false;
        bool exit = false;
    };

    static constexpr int PollMs = 1000;

    MotionExchange(DriveLink &link, const MotionKind &kind, QObject *parent = nullptr);
    ~MotionExchange() override;

    void setPrompt(UserPrompt *prompt) { m_prompt = prompt; }
    // Tests poll faster than the drive's second.
    void setPollMs(int ms) { m_poll.setInterval(ms); }
    const MotionKind &kind() const { return m_kind; }

    // Takes the link and runs the opening sequence.
    void open();
    // Stops the motion if one may be running, then gives the link back;
    // finished() follows.
    void close();

    void startPlus();  // Start + (jog), Start(&D) (others, without options)
    void startMinus(); // Start - (jog)
    // Start(&D) with options: option 1 always, 2 unless disabled2, 3 unless
    // disabled3. Texts that are not integers within range are refused with
    // string 189 and nothing is sent.
    bool startWithOptions(const QList<QByteArray> &options, bool disabled2, bool disabled3);
    void stop(); // the jog's Stop, the others' Abort
    void errorReset();
    // Set: each pair (item, value text) in turn; refused with string 189 and
    // nothing sent when a value is not an integer.
    bool setParameters(const QList<QPair<int, QByteArray>> &writes);

    State state() const { return m_state; }
    Enables enables() const;
    DriveStatus status() const { return m_status; }
    bool serialAllowed() const { return m_serialAllowed; }
    bool board100() const { return m_board100; }
    Direction direction() const { return m_direction; }
    bool moving() const { return m_moving; }
    bool errorFlag() const { return m_errorFlag; }
    bool alarmFlag() const { return m_alarmFlag; }
    bool busy() const;
    QList<Row> rows() const { return m_rows; }
    // The homing window's "pr:12 value and #358 limit.
    QByteArray homeZero() const { return m_homeZero; }
    QByteArray homeLimit() const { return m_homeLimit; }
    QByteArray measuredValue() const { return m_measured; }
    // The command a start with these options sends (for the window's log).
    static QByteArray startCommand(const MotionKind &kind, const QList<QByteArray> &options,
                                   bool disabled2, bool disabled3);

    // Polls stop while another window (the offset window, a terminal) owns
    // the link: `action` runs from the event loop once nothing is
    // outstanding, and resumePolling() restarts the poll afterwards.
    void whenIdle(std::function<void()> action);
    void resumePolling();

    void onLinkTimeout() override;
    void onLinkReply(const QByteArray &line) override;

Q_SIGNALS:
    void changed(); // flags, buttons or values moved
    void rowsRead();
    void measuredValueChanged(const QByteArray &value);
    void finished();

private:
    void sendNow(const QByteArray &command, State state);
    void userCommand(const QByteArray &command, State state, std::function<void()> onSend = {});
    void proceed();
    void sendRow();
    void sendWrite();
    void onPollTick();
    void armPoll();
    void toIdle();
    void applyStatus(const DriveStatus &status);
    void refusal(const QByteArray &reply);
    void report(const QString &text);
    void reportTimeout();
    void onLinkLost();
    bool motionMayRun() const;
    void finishClose();
    QString text(int id) const;

    DriveLink &m_link;
    MotionKind m_kind;
    UserPrompt *m_prompt = nullptr;
    QTimer m_poll;
    State m_state = Closed;
    bool m_owner = false;
    bool m_pollPaused = false;

    DriveStatus m_status;
    bool m_serialAllowed = false;
    bool m_board100 = false;
    Direction m_direction = Direction::None;
    bool m_moving = false;
    bool m_stopPending = false; // stopped; waiting for the status to show rest
    bool m_errorFlag = false;
    bool m_alarmFlag = false;
    bool m_timeoutShown = false;

    QByteArray m_lastCommand;
    QByteArray m_pendingCommand;
    State m_pendingState = Idle;
    std::function<void()> m_pendingOnSend;
    std::function<void()> m_idleAction;
    bool m_stopAfterFailure = false;
    bool m_closeRequested = false;

    QList<Row> m_rows;
    int m_rowIndex = 0;
    QList<QPair<int, QByteArray>> m_writes;
    int m_writeIndex = 0;
    QList<QByteArray> m_errorLines;
    QByteArray m_homeZero;
    QByteArray m_homeLimit;
    QByteArray m_measured;
};
