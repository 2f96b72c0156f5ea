#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>

#include <atomic>
#include <thread>

class CliSession;

// Reads stdin line by line on a thread of its own and hands each line to
// the main thread, so that typing and a pipe work alike and the event loop
// never blocks. finished() follows the last line at the end of input. A
// line longer than MaxLineBytes is refused, not collected.
class StdinLineReader : public QObject
{
    Q_OBJECT
public:
    // Longer command lines are refused (the drive's own limit is far lower).
    static constexpr int MaxLineBytes = 4096;

    explicit StdinLineReader(QObject *parent = nullptr);
    ~StdinLineReader() override;

    void start();

Q_SIGNALS:
    void lineRead(const QByteArray &line);
    // A line longer than MaxLineBytes was read and dropped.
    void lineRefused();
    void finished();

private:
    void run();

    std::thread m_thread;
};

// "terminal [simple]": the terminal's line mode on stdin and stdout. One
// line goes out at a time; the next waits for the reply or its time-out.
class TerminalCommand : public QObject
{
    Q_OBJECT
public:
    TerminalCommand(CliSession &session, bool simple);
    int run();

private:
    CliSession &m_session;
    bool m_simple;
};

// "monitor PARAM...": reads the parameters once a second through the
// terminal's monitor path and prints each label and value, until SIGINT or
// SIGTERM.
class MonitorCommand : public QObject
{
    Q_OBJECT
public:
    MonitorCommand(CliSession &session, const QList<int> &numbers);
    int run();

    // "300" or "#300", 1-699; nothing for anything else.
    static bool parseNumber(const QString &text, int *number);

private:
    CliSession &m_session;
    QList<int> m_numbers;
};
