#pragma once

#include "terminalsession.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class DialogPrompt;
class QAbstractButton;
class QButtonGroup;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class SessionLogMenu;

// "Terminal mode" (dialog 206): type command lines, read the replies, and
// host the four monitors and the two help windows. The conversation, the
// history and the routing live in TerminalSession; this window shows them.
class TerminalWindow : public QDialog
{
    Q_OBJECT
public:
    // The I/O monitor's window arrives with its own feature: it registers
    // its client on the session it is given and returns the window.
    using MonitorFactory = std::function<QWidget *(TerminalSession &session, QWidget *parent)>;
    static void setIoMonitorFactory(MonitorFactory factory);

    explicit TerminalWindow(DriveLink &link, QWidget *parent = nullptr);
    ~TerminalWindow() override;

    TerminalSession &session() { return *m_session; }
    QLineEdit *input() const { return m_input; }
    QPlainTextEdit *output() const { return m_output; }
    // The windows the terminal hosts, by monitor (nullptr for one that is
    // not built) and by help mode.
    QWidget *monitorWindow(TerminalSession::Monitor monitor) const;
    QWidget *helpWindow(TerminalSession::HelpMode mode) const;
    // Buttons by control number.
    QAbstractButton *button(int controlId) const;
    // "Save log to file..." of the output's context menu.
    SessionLogMenu *sessionLog() const { return m_sessionLog; }

    void enter();
    void resend();
    void reEdit();

protected:
    TerminalWindow(DriveLink &link, TerminalSession::Variant variant, int dialogId,
                   QWidget *parent);

    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

    // Opens the session the first time the window shows; ends it on Exit.
    virtual void openSession();
    void finish();

private:
    void build();
    void buildChildren();
    void refresh();
    void onBusyChanged(bool busy);
    void chooseMonitor(int id);
    void chooseHelp(int id);
    void placeChild(QWidget *child, int index);
    void focusInput();

    static MonitorFactory &ioMonitorFactory();

    const TerminalSession::Variant m_variant;
    const int m_dialogId;
    std::unique_ptr<TerminalSession> m_session;
    std::unique_ptr<DialogPrompt> m_prompt;
    QLineEdit *m_input = nullptr;
    QPlainTextEdit *m_output = nullptr;
    SessionLogMenu *m_sessionLog = nullptr;
    QPushButton *m_enter = nullptr;
    QPushButton *m_exit = nullptr;
    QPushButton *m_reEdit = nullptr;
    QPushButton *m_resend = nullptr;
    QGroupBox *m_monitorGroup = nullptr;
    QGroupBox *m_helpGroup = nullptr;
    QButtonGroup *m_monitorButtons = nullptr;
    QButtonGroup *m_helpButtons = nullptr;
    std::array<QWidget *, TerminalSession::MonitorCount> m_monitorWindows{};
    QWidget *m_parameterHelp = nullptr;
    QWidget *m_commandHelp = nullptr;
};
