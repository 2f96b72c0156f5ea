#pragma once

#include "programdialogprompt.h"
#include "programmonitor.h"

#include <QDialog>
#include <QHash>

#include <memory>

class DriveLink;
class ErrorAlarmListWindow;
class ErrorAlarmMonitor;
class ProgramMonitorInitDialog;
class ProgramOptionDialog;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TerminalSession;

// "Program Monitor" (dialog 216): the text of the executing program with
// its executing block marked, the program and block numbers, whether a
// program runs or an error stopped it, the buttons that start, step, stop
// and abort programs, and a terminal line for commands of one's own. The
// monitor owns the link from "Program Monitor Init" to Exit.
class ProgramMonitorWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ProgramMonitorWindow(DriveLink &link, QWidget *parent = nullptr);
    ~ProgramMonitorWindow() override;

    void setPrompt(UserPrompt *prompt);

    // "Program Monitor Init", then the monitor until Exit. False when the
    // programs could not be read or the user cancelled.
    bool run();

    ProgramMonitor &monitor() { return m_monitor; }
    ProgramMonitorInitDialog *initDialog() const { return m_init; }
    ProgramOptionDialog *optionDialog() const { return m_option; }
    ErrorAlarmListWindow *errorList() const { return m_errorList; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }
    QPlainTextEdit *programView() const { return m_text; }
    QPlainTextEdit *terminalOutput() const { return m_output; }
    QLineEdit *terminalInput() const { return m_input; }
    QString programNumberText() const;
    QString blockNumberText() const;
    QString stateText() const;

    void done(int result) override;

private:
    QPushButton *addButton(int controlId);
    void release();
    void showProgram(int number);
    void showStatus();
    void setOptions();
    void enterLine();
    void openErrorList();

    DriveLink &m_link;
    ProgramDialogPrompt m_prompt;
    ProgramMonitor m_monitor;
    ProgramMonitorInitDialog *m_init;
    ProgramOptionDialog *m_option;
    QHash<int, QPushButton *> m_buttons;
    QPlainTextEdit *m_text;
    QLabel *m_program;
    QLabel *m_block;
    QLabel *m_state;
    QLabel *m_lamp;
    QLineEdit *m_input;
    QPlainTextEdit *m_output;
    // The error/alarm list reads through a terminal session of its own
    // while the poll here pauses.
    std::unique_ptr<TerminalSession> m_session;
    std::unique_ptr<ErrorAlarmMonitor> m_errorMonitor;
    ErrorAlarmListWindow *m_errorList = nullptr;
    bool m_ownsLink = false;
};
