#pragma once

#include "boundedlinelist.h"
#include "linkowner.h"

#include <QByteArray>
#include <QObject>
#include <QTimer>

#include <array>
#include <optional>

class DriveLink;
class TerminalClient;
class UserPrompt;

// What the engineer types and what the drive answers, without the window:
// the conversation lines, the last command and a history of ten, the busy
// flag of a running help listing, and the routing of replies between the
// terminal itself, its four monitors and its help windows. Terminal mode,
// the simple terminal and `torvane-cli terminal` all drive this class.
//
// Replies that begin with a single "!" belong to a monitor: the monitors tag
// their polls that way and the drive echoes the tag. Terminal mode sends
// what is typed as it stands and owns the link. The simple terminal tags
// every command with "!" and listens beside the feature window, which stays
// the link's owner: it hears only the tagged lines, sends without touching
// the owner's reply timer and times its own commands.
class TerminalSession : public QObject, public LinkOwner, public LinkTap
{
    Q_OBJECT
public:
    enum class Variant { Full, Simple };
    // The monitors in the order in which a tagged reply looks for a shown one.
    enum Monitor { ParameterMonitor, IoMonitor, AxisSignal, ErrorAlarm, MonitorCount };
    // Who owns the running listing.
    enum HelpMode { NoHelp = 0, ParameterHelp = 1, CommandHelp = 2, ErrorList = 4 };

    static constexpr int HistorySize = 10;
    static constexpr int FullLines = 44;
    static constexpr int SimpleLines = 12;
    static constexpr int TimeoutMs = 1000;

    explicit TerminalSession(DriveLink &link, Variant variant = Variant::Full,
                             QObject *parent = nullptr);
    ~TerminalSession() override;

    Variant variant() const { return m_variant; }
    DriveLink &link() const { return m_link; }
    // Answers the time-out messages of the listings; none: they stay unsaid.
    void setPrompt(UserPrompt *prompt) { m_prompt = prompt; }
    UserPrompt *prompt() const { return m_prompt; }

    // Takes the link (the port stays as it is; the simple terminal only
    // listens beside the owner) and starts a fresh conversation: lines and
    // history are cleared at every opening.
    void open();
    // Stops and hides the monitors and help windows and gives the link back
    // (the simple terminal just stops listening: the owner's exchange runs on).
    void close();
    bool isOpen() const { return m_open; }

    // --- Typing ------------------------------------------------------------
    // Sends the command (tagged with "!" in the simple terminal), shows it
    // and records it in the history. Ignored while a listing runs.
    bool enter(const QByteArray &command);
    // The last command again; false when nothing was sent yet or busy.
    bool resend();
    // The last command sent ("Re-edit").
    QByteArray current() const { return m_current; }

    // History keys. Each returns what the input should show now, or nothing
    // when the input stays as it is (an empty history).
    std::optional<QByteArray> browseUp();
    std::optional<QByteArray> browseDown();
    int historyCount() const { return m_historyCount; }
    QByteArray historyAt(int index) const;
    int browseIndex() const { return m_browseIndex; }

    // The conversation: each entry ends in CR LF.
    const BoundedLineList &lines() const { return m_lines; }
    // The newest lines as the output box shows them.
    QString visibleText() const { return m_lines.visibleText(); }
    // True from a typed command until its reply (or time-out) arrived.
    bool awaitingReply() const { return m_awaiting; }

    // --- Monitors and help windows ---------------------------------------------
    void setMonitor(Monitor monitor, TerminalClient *client);
    TerminalClient *monitor(Monitor monitor) const { return m_monitors[monitor].client; }
    void setHelp(HelpMode mode, TerminalClient *client);
    // Forgets a client that is going away, wherever it is registered.
    void removeClient(TerminalClient *client);

    // Hides and stops every other monitor, then shows and starts this one
    // (a monitor already shown keeps running).
    void showMonitor(Monitor monitor);
    void hideMonitor(Monitor monitor);
    void hideMonitors();
    bool isMonitorShown(Monitor monitor) const { return m_monitors[monitor].shown; }
    void showHelp(HelpMode mode);
    void hideHelp();
    bool isHelpShown(HelpMode mode) const;

    // Polls of a monitor (tagged by the monitor itself): -1 and nothing sent
    // while a listing runs, else sent with the reply timer and 0.
    int sendForMonitor(const QByteArray &command);
    // Commands of a listing. With checkBusy, -1 and nothing sent while a
    // listing runs; otherwise the listing's mode is noted and the command
    // sent with a 1000 ms time-out.
    int sendForHelp(const QByteArray &command, HelpMode mode, bool checkBusy = true);
    // Set while a help window or the error listing runs a listing: the
    // terminal then sends nothing of its own and disables its buttons.
    void setBusy(bool busy);
    bool isBusy() const { return m_busy; }
    HelpMode helpMode() const { return m_helpMode; }
    // A listing failed: its help window is hidden and the terminal free again.
    void endHelp();

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;
    void onTappedLine(const QByteArray &line) override;

Q_SIGNALS:
    void outputChanged();
    // One line joined the conversation (as shown, without its CR LF).
    void lineAdded(const QString &line);
    // A reply shown in the output (the simple terminal: without its "!").
    void replyShown(const QByteArray &line);
    // A tagged reply with no monitor shown to take it.
    void replyDropped(const QByteArray &line);
    // The typed command got its reply or timed out.
    void replyEnded();
    // ... and this one timed out (before replyEnded).
    void replyTimedOut();
    void busyChanged(bool busy);
    void monitorVisibilityChanged(int monitor, bool shown);
    void helpVisibilityChanged(int mode, bool shown);
    // endHelp(): the help selection goes back to "Hide".
    void helpEnded();

private:
    struct Slot
    {
        TerminalClient *client = nullptr;
        bool shown = false;
    };
    Slot *helpSlot(HelpMode mode);
    const Slot *helpSlot(HelpMode mode) const;
    void sendTyped(const QByteArray &command);
    void record(const QByteArray &command);
    void appendLine(const QByteArray &text);
    void endAwaiting(bool timedOut = false);
    void showTimeoutMessage();
    void showOwnReply(const QByteArray &line);

    DriveLink &m_link;
    const Variant m_variant;
    UserPrompt *m_prompt = nullptr;
    bool m_open = false;
    BoundedLineList m_lines;
    QByteArray m_current;
    std::array<QByteArray, HistorySize> m_history;
    int m_historyCount = 0;
    int m_browseIndex = 0;
    bool m_browsing = false;
    bool m_awaiting = false;
    bool m_busy = false;
    bool m_messageOpen = false;
    HelpMode m_helpMode = NoHelp;
    std::array<Slot, MonitorCount> m_monitors;
    Slot m_parameterHelp;
    Slot m_commandHelp;
    Slot m_errorList;
    // The simple terminal's own reply time-out.
    QTimer m_replyTimer;
};
