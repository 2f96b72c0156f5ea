#pragma once

#include "link/terminalclient.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

class TerminalSession;

// The exchange of the "Parameter Monitor": reads the parameters of its active
// rows in turn, over and over, through Terminal mode ("!#300", …), one request
// in flight at a time and a short pause after each reply.
class MonitorPoller : public QObject, public TerminalClient
{
    Q_OBJECT
public:
    static constexpr int DefaultRows = 5;
    static constexpr int MinNumber = 1;
    static constexpr int MaxNumber = 699;
    static constexpr int ReplyTimeoutMs = 1000;
    static constexpr int PauseMs = 250;

    struct Row
    {
        int number = 0;
        bool active = false;
        QByteArray label;
        QByteArray value;
    };

    explicit MonitorPoller(TerminalSession &terminal, QObject *parent = nullptr);
    ~MonitorPoller() override;

    // Five rows reading 300 to 304, only the first active.
    void setDefaultRows();
    // One active row per number (torvane-cli monitor).
    void setRows(const QList<int> &numbers);
    int rowCount() const { return int(m_rows.size()); }
    const Row &row(int index) const { return m_rows.at(index); }
    // Numbers are kept within 1-699.
    void setNumber(int row, int number);
    // The first row is always active; unticking a row empties it.
    void setActive(int row, bool active);
    int currentRow() const { return m_current; }

    // With a period, a new round of all rows starts at most that often (the
    // CLI reads once a second); 0 reads on after the pause.
    void setRoundPeriodMs(int ms) { m_roundPeriodMs = ms; }

    // TerminalClient: start() clears the rows and reads the first.
    void start() override;
    void stop() override;
    void onTerminalReply(const QByteArray &line) override;
    bool isRunning() const { return m_running; }
    bool replyTimerActive() const { return m_replyTimer.isActive(); }
    bool pauseTimerActive() const { return m_pauseTimer.isActive(); }

Q_SIGNALS:
    void rowChanged(int row);
    // A reply filled the row.
    void rowRead(int row);
    void rowTimedOut(int row);
    // The activity lamp: lit while a request is out.
    void lampChanged(bool lit);

private:
    void request();
    void advance();
    void onReplyTimeout();

    TerminalSession &m_terminal;
    QList<Row> m_rows;
    int m_current = 0;
    bool m_running = false;
    bool m_waiting = false;
    bool m_refused = false;
    int m_roundPeriodMs = 0;
    QElapsedTimer m_roundClock;
    QTimer m_replyTimer;
    QTimer m_pauseTimer;
    QTimer m_roundTimer;
};
