#pragma once

#include "link/linkowner.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTimer>

#include <deque>
#include <memory>
#include <optional>

class DriveLink;
class ProgramTransfer;
class UserPrompt;

// The program monitor's exchange. First it reads the texts of the programs
// to watch (@60, then @63 for each); then it polls the drive's status every
// 500 ms with "!@0:0", shows which program and block execute, and sends the
// user's commands between the polls: the start (@3:4:p:b), the M answer
// (@9), and the immediate commands tagged "!!" (stop @2, abort @1, error
// reset @4, step mode #82, and whatever is typed on the terminal line).
//
// One command is outstanding at a time: a command asked for while another
// waits for its answer is queued and goes out when that answer has come.
// Replies are told apart by their tags: "!R3H" answers the poll, "!!" an
// immediate command, an untagged line the start or the M answer.
class ProgramMonitor : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    static constexpr int PollMs = 500;
    static constexpr quint32 RunBit = 0x4;
    static constexpr quint32 WaitBit = 0x100;
    static constexpr quint32 ErrorBit = 0x10000;
    // Commands asked for while others wait beyond this are dropped.
    static constexpr int MaxQueued = 16;

    // What the monitor shows; each state enables its own buttons.
    enum DisplayState {
        NoStatus = 0, // no status yet
        Idle = 2,
        Waiting = 3, // running, waiting for an M answer or the next step
        Running = 4,
        Error = 5,
    };
    Q_ENUM(DisplayState)

    struct Status
    {
        quint32 word = 0;
        int program = 0;
        int block = 0;
    };
    struct Program
    {
        QByteArrayList lines;
        int blockCount = 0;
    };
    struct RunOptions
    {
        int program = 0;
        int block = 0;
        bool step = false;
    };

    ProgramMonitor(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);
    ~ProgramMonitor() override;

    // "R3H", two characters, then the status word, the program and the
    // block, hexadecimal and separated by ":".
    static std::optional<Status> parseStatus(const QByteArray &reply);
    static DisplayState displayState(quint32 word);
    // The line that holds block `block` (1-based; code with a comment is two
    // blocks), or -1.
    static int lineOfBlock(const QByteArrayList &lines, int block);
    static int blockCount(const QByteArrayList &lines);

    // --- Reading the programs ------------------------------------------------
    // number < 0: every listed program. Ends with readFinished().
    void readPrograms(int number);
    bool isReading() const { return m_phase == Phase::Reading; }
    const QMap<int, Program> &programs() const { return m_programs; }
    // The program to show first: the one asked for, else the lowest read.
    int firstProgram() const { return m_first; }

    // --- Watching ------------------------------------------------------------------
    // Starts watching with the first program shown.
    void start();
    // Watches on after a pause, showing what was shown.
    void resume();
    // Stops the poll and forgets the queued commands.
    void stop();
    bool isPolling() const { return m_phase == Phase::Watching; }

    void setRunOptions(const RunOptions &options) { m_options = options; }
    RunOptions runOptions() const { return m_options; }

    void startProgram();
    void stopProgram();
    void abortProgram();
    void resetError();
    void answerM();
    // Sends the step mode of the run options.
    void sendStepMode();
    void sendTerminal(const QByteArray &text);

    Status status() const { return m_status; }
    DisplayState state() const { return m_state; }
    // The program whose text is shown (-1: none yet) and the marked line.
    int shownProgram() const { return m_shown; }
    int markedLine() const { return m_marked; }
    // The line sent last and not yet answered (empty: none).
    QByteArray outstanding() const;

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

Q_SIGNALS:
    void readProgress(int done, int total);
    void readFinished(bool ok);
    void statusChanged();
    void programShown(int number);
    void terminalReply(const QByteArray &line);
    // The status named a block the shown program does not have.
    void closeRequested();
    void lampToggled();

private:
    enum class Phase { Idle, Reading, Watching };
    enum class Kind { None, Poll, Start, Stop, Abort, ErrorReset, MAnswer, StepMode, Terminal };
    struct Command
    {
        Kind kind = Kind::None;
        QByteArray line;
    };
    class QuietPrompt;

    void readerFinished(bool ok);
    void readNext();
    void issue(Kind kind, const QByteArray &line);
    void transmit(const Command &command);
    void afterReply();
    void onPollTimer();
    void handleStatus(const QByteArray &body);
    void completeCommand(Kind kind, const QByteArray &body);
    void message(const QString &text);

    DriveLink &m_link;
    UserPrompt &m_prompt;
    std::unique_ptr<QuietPrompt> m_quiet;
    std::unique_ptr<ProgramTransfer> m_reader;
    Phase m_phase = Phase::Idle;

    // Reading.
    int m_wanted = -1;
    bool m_listing = false;
    bool m_timedOut = false;
    QList<int> m_toRead;
    qsizetype m_nextRead = 0;
    QMap<int, Program> m_programs;
    int m_first = -1;

    // Watching.
    QTimer m_poll;
    Command m_outstanding;
    std::deque<Command> m_queue;
    RunOptions m_options;
    Status m_status;
    DisplayState m_state = NoStatus;
    int m_shown = -1;
    int m_marked = -1;
    bool m_messageOpen = false;
};
