#pragma once

#include "sim/commandfamily.h"
#include "sim/drivestate.h"
#include "sim/faultrule.h"
#include "sim/simtrace.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>
#include <vector>

// The virtual drive: plays the drive's side of the line protocol. Bytes from
// the tool arrive through receive(); everything the drive sends leaves through
// transmit(), possibly in several chunks. Replies are always sent from the
// event loop, never from inside receive().
//
// Wiring, in memory:
//     connect(port, &MemoryPort::written, drive, &VirtualDrive::receive);
//     connect(drive, &VirtualDrive::transmit, port, &MemoryPort::feed);
// or on a pseudo-terminal through PtyEndpoint::attach().
//
// The line: a carriage return ends a command line; line feeds and NUL bytes
// are discarded; blank lines get no answer; a line longer than 255 bytes is
// answered ERR4. Lines are answered strictly one after the other: a line
// that arrives while a reply is still on its way waits its turn. With a
// station set (1-9) only lines that begin with that digit are answered, and
// every reply begins with "0" and the digit. Leading "!" tags are echoed in
// front of every line of the answer, paged lines included. @96 restarts the
// drive: no answer, and every byte is discarded for restartMs(). @98 is the
// communication reset.
//
// Steering for tests (all take effect at once):
//     setProfile(Profile::Test)   0 ms replies, 1500 ms restart dead time
//     setStation(3), setPacing(true), setBaud(1200), setRestartMs(50)
//     applyPreset("japanese+station3"), presetNames()
//     setKnob("availability", "1557"), knobNames()
//     addFault("nth=3,drop") -> id, removeFault(id), clearFaults()
//     state() - the data image (DriveState) to read and change directly
//     item(n), setItem(n, v) (range-checked), forceItem(n, v) (unchecked)
//     advanceClock(ms) - moves the drive clock on (time-driven values, the
//                        end of the restart dead time) without waiting
//     trace().sent(), trace().received(), trace().entries(), trace().text()
//     isIdle(), isRestarting(), isDisconnected(), reconnect()
class VirtualDrive : public QObject
{
    Q_OBJECT
public:
    enum class Profile { Test, Demo };

    explicit VirtualDrive(QObject *parent = nullptr);
    ~VirtualDrive() override;

    // --- Configuration ---------------------------------------------------
    // Test: every reply at once, restart dead time 1500 ms, pacing off.
    // Demo: 5 ms replies (longer for the store commands), dead time 2000 ms,
    // pacing on.
    void setProfile(Profile profile);
    Profile profile() const { return m_profile; }
    void setStation(int station); // 0 = single drive, 1-9
    int station() const { return m_station; }
    // 9600-baud pacing both ways: 1.0417 ms per character.
    void setPacing(bool on) { m_pacing = on; }
    bool pacing() const { return m_pacing; }
    void setBaud(int baud);
    int baud() const { return m_baud; }
    void setCharGapMs(double ms) { m_charGapMs = ms; }
    double charTimeMs() const;
    void setRestartMs(int ms) { m_restartMs = ms; }
    int restartMs() const { return m_restartMs; }
    // The reply terminator: "\r" normally.
    void setLineEnd(const QByteArray &end) { m_lineEnd = end; }
    // Answers @96 with R00 before restarting.
    void setReplyToRestart(bool on) { m_replyToRestart = on; }
    // A line sent once after every restart (empty: none).
    void setBootBanner(const QByteArray &line) { m_bootBanner = line; }

    // Presets combine with "+": "default+linear+station3". Returns false and
    // fills *error for an unknown name.
    bool applyPreset(const QString &names, QString *error = nullptr);
    static QStringList presetNames();
    // Behaviour knobs by name (see knobNames()); values are text.
    bool setKnob(const QString &name, const QString &value, QString *error = nullptr);
    static QStringList knobNames();

    // --- Faults ----------------------------------------------------------
    // Adds a rule (syntax: see FaultRule); returns its id, or 0 with *error.
    int addFault(const QString &definition, QString *error = nullptr);
    void removeFault(int id);
    void clearFaults();
    int faultCount() const { return int(m_faults.size()); }

    // --- State -----------------------------------------------------------
    DriveState &state() { return m_state; }
    const DriveState &state() const { return m_state; }
    std::optional<qint32> item(int number) const;
    bool setItem(int number, qint64 value);
    void forceItem(int number, qint32 value);
    // Further command families (programs, cams, tables, …) plug in here;
    // they are asked after the built-in ones.
    void addFamily(std::unique_ptr<CommandFamily> family);

    // --- Clock and observation ---------------------------------------------
    double now() const; // ms since the drive was made, plus advanceClock()
    void advanceClock(qint64 ms);
    // Nothing waiting to be answered or sent (a restart may still be running).
    bool isIdle() const;
    bool isRestarting() const { return m_restartPending; }
    bool isDisconnected() const { return m_disconnected; }
    // Ends a hang-up at once.
    void reconnect();
    SimTrace &trace() { return m_trace; }
    const SimTrace &trace() const { return m_trace; }

public Q_SLOTS:
    void receive(const QByteArray &bytes);

Q_SIGNALS:
    void transmit(const QByteArray &bytes);
    // The line went dead (hang-up fault): nothing is received or sent until
    // reconnected(). forMs = 0: until reconnect() is called.
    void disconnected(int forMs);
    void reconnected();
    // The restart dead time is over.
    void restarted();

private:
    struct InLine
    {
        QByteArray bytes;
        bool overlong = false;
        double readyAt = 0;
    };
    struct OutLine
    {
        QByteArray bytes;
        QList<QByteArray> traceLines;
        int depth = 0;
        double dueAt = 0;
        QList<int> pieceEnds; // empty: whole (or as paced)
        int gapMs = 0;
        bool restartAfter = false;
        bool started = false;
        double start = 0;
        qsizetype sent = 0;
        double lastPieceAt = 0;
        int nextPiece = 0;
    };

    void pump();
    bool pumpOutput(double now);
    void scheduleAt(double at);
    void processLine(const InLine &in);
    SimReply dispatch(const QByteArray &afterTags, const QByteArray &command, int depth,
                      bool *restart);
    int latencyMs(const QByteArray &command) const;
    bool modeOpen() const; // a line-download mode takes untagged lines
    QByteArray prefix() const;
    void beginRestart();
    void finishRestart();
    void communicationReset();
    void goDisconnected(int forMs);
    void note(const QByteArray &text);

    DriveState m_state;
    std::vector<std::unique_ptr<CommandFamily>> m_families;
    std::vector<FaultRule> m_faults;
    int m_nextFaultId = 1;
    SimTrace m_trace;

    Profile m_profile = Profile::Test;
    int m_station = 0;
    bool m_pacing = false;
    int m_baud = 9600;
    double m_charGapMs = 0;
    int m_restartMs = 1500;
    int m_regDelayMs = 0;
    QByteArray m_lineEnd = "\r";
    bool m_replyToRestart = false;
    QByteArray m_bootBanner;

    QElapsedTimer m_clock;
    double m_offsetMs = 0;
    QTimer m_timer;
    double m_wakeAt = 0;

    QByteArray m_partial;
    bool m_partialOverlong = false;
    double m_rxWireAt = 0;
    std::deque<InLine> m_inbox;
    std::deque<OutLine> m_outbox;
    double m_txFreeAt = 0;
    QMap<int, QList<QByteArray>> m_paging; // per tag depth

    bool m_restartPending = false;
    double m_deadUntil = 0;
    bool m_disconnected = false;
    double m_reconnectAt = 0;
};
