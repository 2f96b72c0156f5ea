#pragma once

#include "link/linkowner.h"
#include "logconditions.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <QString>
#include <QTimer>

class DriveLink;
class MonitorItemTable;
class SampleStore;
class UserPrompt;

// The waveform viewer's exchange with the drive: the monitor-item list
// (#201, then @42 block by block, cached in "data/Monstr.dat"), the logging
// set-up and start ("LGCHSU, "LGTRS, "LGSTR), the one-second status poll
// ("LGSTS), the abort ("LGABR, "LGDCLS), the record transfer ("LGDOPN, one
// "LGDRN per sample) and the reset that makes a shown graph file the drive's
// record too. One command is outstanding at a time; what the viewer shows
// leaves by signals, questions and messages go through UserPrompt.
class ViewerExchange : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum class State {
        Idle,
        PollAfterList,
        ReadLanguage,
        ReadItemList,
        SetChannels,
        SetTrigger,
        StartLog,
        Logging,
        RecordReady,
        Transfer,
        Abort,
        FileResetChannels,
        FileResetTrigger,
        FileResetStart,
        FileResetAbort,
        FileShow,
        Closing,
    };
    Q_ENUM(State)

    // Communication lamp bitmaps.
    enum Lamp { LampBusy = 131, LampRest = 132, LampDone = 133, LampTimeout = 135 };

    static constexpr int PollIntervalMs = 1000;

    ViewerExchange(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);
    ~ViewerExchange() override;

    // The folder that holds "data/"; AppSettings' base directory unless set.
    void setBaseDir(const QString &dir) { m_baseDir = dir; }
    void setPollInterval(int ms) { m_pollIntervalMs = qMax(1, ms); }
    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }

    // The viewer opened: sends #201 and goes on with the item list.
    void open();
    // LogStart: while logging, stops the log; in Idle or RecordReady asks
    // for the conditions (conditionsRequested), else nothing.
    void startLogging();
    // The condition dialog opens: polling stops, the edited conditions
    // become a copy of the active ones.
    void beginConditions();
    // The condition dialog closed: with accepted the edited conditions
    // become active and are sent, else polling resumes.
    void finishConditions(bool accepted);
    // AcquisitionStart / AcquisitionStop.
    void acquire();
    // After the File Operation dialog: a loaded graph file resets the drive's
    // logging so that the shown record is the file's.
    void onFileShown(bool fileLoaded);
    // The viewer closes: polling stops, the reply timer stops.
    void close();
    // The poll timer stopped or restarted (the window's dialogs do this).
    void stopPolling() { m_poll.stop(); }
    void resumePolling();

    State state() const { return m_state; }
    bool logRunning() const { return m_logRunning; }
    bool recordReady() const { return m_recordReady; }
    bool transferOpen() const { return m_transferOpen; }
    bool offline() const { return m_offline; }
    bool itemListValid() const { return m_itemListValid; }
    qint32 recordLength() const { return m_recordLength; }
    int startPosition() const { return m_startPosition; }
    QByteArray lastCommand() const { return m_lastCommand; }
    bool pollActive() const { return m_poll.isActive(); }
    QString cachePath() const;

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

Q_SIGNALS:
    void stateChanged(ViewerExchange::State state);
    void lampChanged(int bitmap);
    // Buttons follow the flags; enable false while an exchange must not be
    // disturbed.
    void controlsChanged(bool enable);
    // Set-up in progress: LogStart, Terminal, Auto and File stay disabled.
    void setUpStarted();
    void conditionsRequested();
    // The graph is drawn again from the store and the item table.
    void redrawRequested();
    // The TIME field ("%d" ms per division).
    void timeFieldChanged(const QByteArray &text);
    // The caption of AcquisitionStart (string 253 or 254).
    void acquireCaptionChanged(int stringId);
    // The shown graph file is now the drive's record too: title and redraw.
    void fileShown();
    // No reply came: the window adds "[Off line]" to its title.
    void wentOffline();
    // A line tagged with "!" for the viewer's terminal (text and CR LF).
    void terminalLine(const QByteArray &line);
    void sampleReceived(int count);
    void statusPolled(bool running, bool ready);
    // After a fatal failure, once the drive answered @98.
    void closeRequested();
    // Exit is disabled while the viewer closes itself.
    void exitBlocked();

private:
    void setState(State state);
    void send(const QByteArray &command);
    void tell(const QString &text);
    void enableControls(bool enable);
    // The next poll after the interval, or after delayMs when that is sooner.
    void startPoll(int delayMs = -1);
    void poll();
    void sendChannels();

    void languageReply(const QByteArray &line);
    void itemListReply(const QByteArray &line);
    bool useCachedList();
    void listComplete();
    void afterList();
    void statusReply(const QByteArray &line);
    void setUpReply(const QByteArray &line);
    void abortReply(const QByteArray &line);
    void transferReply(const QByteArray &line);
    void resetReply(const QByteArray &line);
    void showFile();
    void unexpected();
    void fatal(const QString &message);
    QString loaderMessage(int result) const;
    bool loadCache(bool quietly);

    DriveLink &m_link;
    UserPrompt *m_prompt;
    MonitorItemTable &m_table;
    SampleStore &m_store;
    QTimer m_poll;
    int m_pollIntervalMs = PollIntervalMs;
    QString m_baseDir;

    State m_state = State::Idle;
    bool m_logRunning = false;
    bool m_recordReady = false;
    bool m_transferOpen = false;
    bool m_offline = false;
    bool m_itemListValid = false;
    bool m_outstanding = false;
    bool m_awaitingFirstLine = true;
    bool m_lampLit = false;
    int m_block = 1;
    qint32 m_recordLength = 0;
    int m_startPosition = 0;
    QByteArray m_lastCommand;
    QByteArrayList m_listed;
    bool m_pendingReset = false;
    // A step a button started while a poll was still on its way.
    enum class Deferred { None, Abort, SetUp } m_deferred = Deferred::None;
    bool m_editing = false;
};
