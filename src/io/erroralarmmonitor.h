#pragma once

#include "link/terminalclient.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

class TerminalSession;

// The exchange of the "Error or Alarm" monitor: polls the drive's status word
// (!@0:0) every 2.5 s through Terminal mode and, once an error or alarm is
// present, reads the drive's current messages (!@50, one !R0P per line) into
// its list. The list window beside it reads the same list on request through
// this monitor, since the terminal routes every tagged reply here while the
// monitor is shown.
class ErrorAlarmMonitor : public QObject, public TerminalClient
{
    Q_OBJECT
public:
    static constexpr int PollMs = 2500;
    static constexpr quint32 ErrorBit = 0x10000;
    static constexpr quint32 AlarmBit = 0x20000;

    explicit ErrorAlarmMonitor(TerminalSession &terminal, QObject *parent = nullptr);
    ~ErrorAlarmMonitor() override;

    // The status word of an R3H reply: from its sixth character up to the
    // next ":", hexadecimal.
    static quint32 parseStatus(const QByteArray &line);
    // The message of an R1Z line, as the list shows it.
    static QString messageText(const QByteArray &line);

    bool errorFlag() const { return m_error; }
    bool alarmFlag() const { return m_alarm; }
    bool presentFlag() const { return m_present; }
    // The indicator texts: "Error occured." / "Alarm occured." or empty.
    QString errorText() const;
    QString alarmText() const;
    const QStringList &messages() const { return m_messages; }
    // The list window's own copy.
    const QStringList &windowMessages() const { return m_windowMessages; }
    bool isListing() const { return m_listing != Listing::None; }
    bool isPolling() const { return m_timer.isActive(); }

    // The list window opened or its "Update(&F)" was pressed.
    void refreshWindowList();

    void start() override;
    void stop() override;
    void onTerminalReply(const QByteArray &line) override;
    void onTerminalTimeout() override;

Q_SIGNALS:
    void indicatorsChanged();
    void messagesChanged();
    void windowMessagesChanged();
    void activityChanged(bool lit);

private:
    enum class Listing { None, Monitor, Window };

    void onTimer();
    bool beginListing(Listing target);
    void endListing();

    TerminalSession &m_terminal;
    QTimer m_timer;
    bool m_running = false;
    bool m_error = false;
    bool m_alarm = false;
    bool m_present = false;
    bool m_lampLit = false;
    Listing m_listing = Listing::None;
    bool m_windowListWanted = false;
    QStringList m_messages;
    QStringList m_windowMessages;
};
