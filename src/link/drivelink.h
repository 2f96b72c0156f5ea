#pragma once

#include "boundedlinelist.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class LinkOwner;
class LinkTap;
class PortIo;

// The one serial link to the drive. It owns the port, sends one command line
// at a time, assembles the drive's reply lines and hands each complete line
// to the owner on top of its owner stack, or reports a missing reply with a
// time-out. Windows and exchanges push themselves as owner while they talk.
class DriveLink : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxOwners = 16;
    static constexpr int DefaultTimeoutMs = 1000;
    // The two register-backup commands make the drive write its flash first.
    static constexpr int RegisterTimeoutMs = 5000;
    // A reply line longer than this is noise (a wrong baud rate, a stuck
    // line): it is dropped with a note in the traffic log.
    static constexpr int MaxLineLength = 4096;
    static constexpr int TrafficLogLines = 28;

    using PortFactory = std::function<std::unique_ptr<PortIo>(int comPort)>;

    explicit DriveLink(QObject *parent = nullptr);
    ~DriveLink() override;

    // The process-wide link, set by whoever creates it (the main window, the CLI).
    static DriveLink *instance();
    static void setInstance(DriveLink *link);

    // Builds the port for COM 1-8; the program maps the numbers to device paths.
    void setPortFactory(PortFactory factory) { m_factory = std::move(factory); }
    // Closes the current port and takes a new one for COM n (1-8).
    void configure(int comPort);
    // Takes a given port (tests, a device named on the command line).
    void setPort(std::unique_ptr<PortIo> port);
    PortIo *port() const { return m_port.get(); }
    int comPort() const { return m_comPort; }

    // The port is opened and closed only by the bottom owners (the main
    // window and the port chooser), so it stays open while features run.
    bool open();
    void close();
    bool isOpen() const;

    bool pushOwner(LinkOwner *owner);
    void popOwner();
    LinkOwner *owner() const { return m_ownerCount > 0 ? m_ownerStack[m_ownerCount - 1] : nullptr; }
    int ownerCount() const { return m_ownerCount; }

    // The newest tap hears the single-"!" lines; the owner the rest. A tap
    // sends with send(command, false) so that the owner's reply timer runs on.
    void addTap(LinkTap *tap);
    void removeTap(LinkTap *tap);
    LinkTap *tap() const { return m_taps.isEmpty() ? nullptr : m_taps.last(); }

    // A line tagged with exactly one "!" (a terminal's or a monitor's).
    static bool isSingleTagged(const QByteArray &line)
    {
        return line.startsWith('!') && !line.startsWith("!!");
    }

    void setUnit(int unit);
    int unit() const { return m_unit; }

    void send(const QByteArray &command, bool armTimer = true, int timeoutMs = DefaultTimeoutMs);
    void armTimer(int timeoutMs = DefaultTimeoutMs);
    void disarmTimer();
    bool timerActive() const { return m_timer.isActive(); }
    void reset();

    QByteArray lastReply() const { return m_lastReply; }
    const BoundedLineList &trafficLog() const { return m_log; }

Q_SIGNALS:
    // Every traffic-log entry as it is added ("-> @44\r\r\n", " <- R00\r\n").
    void logged(const QString &entry);
    // The port could not be opened or failed while open; the text names the
    // device and the reason.
    void portError(const QString &message);

private:
    void onReadyRead();
    void processChunk();
    void onTimeout();
    void onPortFailed(const QString &message);
    void dispatch(const QByteArray &line);
    void log(const QString &entry);
    bool ensureOpen();

    PortFactory m_factory;
    std::unique_ptr<PortIo> m_port;
    int m_comPort = 0;
    std::array<LinkOwner *, MaxOwners> m_ownerStack{};
    int m_ownerCount = 0;
    QList<LinkTap *> m_taps;
    int m_unit = 0;
    QTimer m_timer;
    BoundedLineList m_log{TrafficLogLines};
    QByteArray m_lastReply;
    QByteArray m_pending;
    QByteArray m_chunk;
    quint64 m_resetCount = 0;
    bool m_discarding = false;
    bool m_receiving = false;
    bool m_wantOpen = false;
    QString m_lastError;
};

// The station number (0 = a single drive without prefix), for code that
// composes or checks prefixed lines itself.
int currentUnit();
