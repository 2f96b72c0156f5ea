#pragma once

#include <QWidget>

class ErrorAlarmListWindow;
class ErrorAlarmMonitor;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class TerminalSession;

// "Error or Alarm" (dialog 210): whether the drive reports an error and an
// alarm, and its current messages, kept up to date by ErrorAlarmMonitor
// through Terminal mode. Its "D" button opens the list window (dialog 221).
class ErrorAlarmWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ErrorAlarmWindow(TerminalSession &terminal, QWidget *parent = nullptr);
    ~ErrorAlarmWindow() override;

    ErrorAlarmMonitor &monitor() { return *m_monitor; }
    QLineEdit *errorField() const { return m_errorField; }
    QLineEdit *alarmField() const { return m_alarmField; }
    QPlainTextEdit *messageList() const { return m_list; }
    QPushButton *listButton() const { return m_listButton; }
    ErrorAlarmListWindow *listWindow() const { return m_listWindow; }

    // "D": the list window, modal over this one.
    void openList();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showIndicators();
    void showMessages();

    TerminalSession &m_terminal;
    ErrorAlarmMonitor *m_monitor;
    QLineEdit *m_errorField;
    QLineEdit *m_alarmField;
    QPlainTextEdit *m_list;
    QPushButton *m_listButton;
    QLabel *m_lamp;
    ErrorAlarmListWindow *m_listWindow = nullptr;
};
