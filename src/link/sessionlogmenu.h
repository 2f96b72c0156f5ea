#pragma once

#include "sessionlog.h"

#include <QObject>

#include <functional>

class QPlainTextEdit;
class QPoint;

// "Save log to file..." and "Stop saving log" in the context menu of a log
// view (the traffic log, the terminal's output). Once a file is chosen, the
// lines the view holds go to it without a time, then every new line that
// append() is given, behind its time, until saving stops or the view closes.
class SessionLogMenu : public QObject
{
    Q_OBJECT
public:
    // heldLines: the lines shown so far, oldest first, without line ends.
    SessionLogMenu(QPlainTextEdit *view, std::function<QStringList()> heldLines);

    // What the menu does once its file dialog has a path; false (after a
    // message box) when the file cannot be written.
    bool start(const QString &path);
    void stop();
    bool isSaving() const { return m_log.isOpen(); }
    QString path() const { return m_log.path(); }

    // A new line of the view; nothing happens while not saving.
    void append(const QString &line) { m_log.write(line); }

private:
    void showMenu(const QPoint &pos);

    QPlainTextEdit *m_view;
    std::function<QStringList()> m_heldLines;
    SessionLog m_log;
};
