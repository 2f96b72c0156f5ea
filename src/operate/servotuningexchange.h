#pragma once

#include "drivestatus.h"
#include "link/linkowner.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

class DriveLink;
class UserPrompt;

// The exchange of "Servo Tuning" (dialog 239) and its filter window (240):
// the opening status and board reads, the poll of the current gain field
// (or of the status, "!!" in front), Enter, auto tuning (@3:1, followed on
// the status until bit 2 clears), the driver's test mode (@3:0 / @2), the
// filter parameters #152–#154, the trigger of the recorded test response
// (@86:type:time:point) and its read-back in blocks of ten (@87:block).
//
// One command is outstanding at a time. A command asked for while a poll is
// on its way goes out when the poll has been answered; a second one asked
// for meanwhile is not sent.
class ServoTuningExchange : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum State {
        Closed = 0,
        WriteField = 11,
        AutoTuning = 12, // the status is polled until the tuning has ended
        Idle = 13,
        OpenStatus = 18,
        OpenBoard = 19,
        Poll = 20,
        AutoTuneStart = 21,
        TestOn = 22,
        TestOff = 23,
        FilterRead = 24,
        FilterWrite = 25,
        Trigger = 26,
        Display = 27,
    };
    static constexpr int FieldCount = 11;
    static constexpr int FilterSelectItem = 152;
    static constexpr int NotchItem = 153;
    static constexpr int FirstLagItem = 154;
    static constexpr int FilterMin = 50;
    static constexpr int FilterMax = 1500;
    static constexpr int FastPollMs = 100;
    static constexpr int PollMs = 1000;

    explicit ServoTuningExchange(DriveLink &link, QObject *parent = nullptr);
    ~ServoTuningExchange() override;

    void setPrompt(UserPrompt *prompt) { m_prompt = prompt; }
    void setPollMs(int ms) { m_slow.setInterval(ms); }

    void open();
    // Refused with string 203 while test mode runs; true when closed.
    bool requestClose();
    void close();

    // The parameter behind a gain field (board 100: #49 and #48 for the
    // second gains).
    int parameter(int field) const;
    void setCurrentField(int field); // -1: none
    int currentField() const { return m_field; }
    // Enter: the current field's text as "#n=text"; nothing without a
    // current field or with the fields disabled, string 189 for a text that
    // is not an integer.
    bool enter(const QByteArray &text);
    void startAutoTuning();
    void toggleTestMode();

    // The filter window: reading its three parameters, the radio buttons,
    // the Set buttons and the spins.
    void readFilter();
    bool selectFilter(int choice);                    // 0–3
    bool setFilter(int item, const QByteArray &text); // #153 or #154
    bool spinFilter(int item, int value);             // sent only within 50–1500

    // The test response: the trigger settings, then the blocks of the record.
    bool trigger(int type, int time, int point);
    bool readResponse();

    State state() const { return m_state; }
    bool commandPending() const;
    bool fieldsEnabled() const { return m_fieldsEnabled; }
    bool autoTuningEnabled() const { return m_autoTuning; }
    bool testMode() const { return m_testMode; }
    bool board100() const { return m_board100; }
    bool serialAllowed() const { return m_serialAllowed; }
    QList<double> response() const { return m_response; }

    void onLinkTimeout() override;
    void onLinkReply(const QByteArray &line) override;

Q_SIGNALS:
    void changed();
    void fieldRead(int field, const QByteArray &value);
    void filterRead(int choice, const QByteArray &notch, const QByteArray &firstLag);
    void filterWritten(int item, const QByteArray &value);
    void responseRead();
    // The opening failed: the window closes.
    void closeRequested();
    void polled(); // each poll, for the activity lamp

private:
    bool userCommand(const QByteArray &command, State state);
    void sendNow(const QByteArray &command, State state);
    void proceed();
    void resumePolling();
    void stopPolling();
    void onPollTick();
    void showAsIs(const QByteArray &reply);
    QString text(int id) const;

    DriveLink &m_link;
    UserPrompt *m_prompt = nullptr;
    QTimer m_fast;
    QTimer m_slow;
    State m_state = Closed;
    bool m_owner = false;
    bool m_autoTuningRuns = false;
    bool m_timeoutShown = false;
    int m_field = -1;
    int m_polledField = -1;
    bool m_fieldsEnabled = false;
    bool m_autoTuning = false;
    bool m_testMode = false;
    bool m_board100 = false;
    bool m_serialAllowed = false;
    QByteArray m_pendingCommand;
    State m_pendingState = Idle;

    int m_filterStep = 0;
    QByteArray m_filterValues[3];
    int m_writtenItem = 0;
    QByteArray m_writtenValue;
    int m_block = 0;
    QList<double> m_response;
};
