#pragma once

#include <QDialog>

class ErrorAlarmMonitor;
class QListWidget;
class QPushButton;

// The list window of the error/alarm monitor (dialog 221): the drive's
// current error and alarm messages, read again on "Update(&F)".
class ErrorAlarmListWindow : public QDialog
{
    Q_OBJECT
public:
    explicit ErrorAlarmListWindow(ErrorAlarmMonitor &monitor, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    QPushButton *updateButton() const { return m_update; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showMessages();

    ErrorAlarmMonitor &m_monitor;
    QListWidget *m_list;
    QPushButton *m_update;
};
