// The link's turnaround, twice:
// - inside the process: from the moment the chunk holding a reply's CR is
//   read from the port to the moment the next command is handed to the port,
//   over a pseudo-terminal to torvane-drivesim with pacing off;
// - on the wire: a drive of our own on the pty's master side (a thread with
//   blocking reads) writes a reply's CR and waits for the first byte of the
//   next command. This is what a real drive would see.

#include "link/drivelink.h"
#include "link/linkowner.h"
#include "link/serialportio.h"
#include "resources/catalogue.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

namespace {

// Times the port's reads and writes around the link.
class TimedPort : public PortIo
{
public:
    explicit TimedPort(const QString &path)
        : m_inner(path)
    {
        connect(&m_inner, &PortIo::readyRead, this, &PortIo::readyRead);
        m_clock.start();
    }
    bool open(QString *error) override { return m_inner.open(error); }
    void close() override { m_inner.close(); }
    bool isOpen() const override { return m_inner.isOpen(); }
    QString deviceName() const override { return m_inner.deviceName(); }
    bool write(const QByteArray &bytes) override
    {
        if (m_lastCrAt >= 0)
            turnarounds.push_back(m_clock.nsecsElapsed() - m_lastCrAt);
        m_lastCrAt = -1;
        return m_inner.write(bytes);
    }
    QByteArray readAll() override
    {
        QByteArray bytes = m_inner.readAll();
        if (bytes.contains('\r'))
            m_lastCrAt = m_clock.nsecsElapsed();
        return bytes;
    }
    void clearInput() override { m_inner.clearInput(); }

    std::vector<qint64> turnarounds;

private:
    SerialPortIo m_inner;
    QElapsedTimer m_clock;
    qint64 m_lastCrAt = -1;
};

class Looper : public LinkOwner
{
public:
    Looper(DriveLink &link, int count)
        : m_link(link)
        , m_left(count)
    {}
    void onLinkReply(const QByteArray &) override { next(); }
    void onLinkTimeout() override
    {
        ++timeouts;
        next();
    }
    void next()
    {
        if (m_left-- <= 0) {
            QCoreApplication::quit();
            return;
        }
        m_link.send("#5");
    }
    int timeouts = 0;

private:
    DriveLink &m_link;
    int m_left;
};

using SteadyClock = std::chrono::steady_clock;

// The drive side of the wire measurement: answers every command line with a
// short reply and notes how long the link took to send the next one.
class WireDrive
{
public:
    bool open()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return false;
        termios raw{};
        if (::tcgetattr(m_master, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(m_master, TCSANOW, &raw);
        }
        path = QString::fromLocal8Bit(::ptsname(m_master));
        return true;
    }
    ~WireDrive()
    {
        if (m_thread.joinable())
            m_thread.join();
        if (m_master >= 0)
            ::close(m_master);
    }
    void start(int count)
    {
        m_thread = std::thread([this, count] { serve(count); });
    }
    void join()
    {
        if (m_thread.joinable())
            m_thread.join();
    }

    QString path;
    std::vector<qint64> turnarounds;

private:
    // Blocks for the next byte; false after 5 s of silence.
    bool readByte(char *c)
    {
        pollfd fd{m_master, POLLIN, 0};
        if (::poll(&fd, 1, 5000) <= 0)
            return false;
        return ::read(m_master, c, 1) == 1;
    }
    void serve(int count)
    {
        SteadyClock::time_point crWritten;
        bool timing = false;
        for (int answered = 0; answered < count;) {
            char c = 0;
            if (!readByte(&c))
                return;
            if (timing) {
                turnarounds.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                          SteadyClock::now() - crWritten)
                                          .count());
                timing = false;
            }
            if (c != '\r')
                continue;
            static const char reply[] = "R1E 5\r";
            if (::write(m_master, reply, sizeof reply - 1) != ssize_t(sizeof reply - 1))
                return;
            crWritten = SteadyClock::now();
            timing = true;
            ++answered;
        }
    }

    int m_master = -1;
    std::thread m_thread;
};

double percentile(std::vector<qint64> t, double q)
{
    std::sort(t.begin(), t.end());
    return double(t[size_t(q * double(t.size() - 1))]) / 1e6;
}

int measureOnTheWire(QCoreApplication &app, int count)
{
    WireDrive drive;
    if (!drive.open()) {
        std::fprintf(stderr, "cannot open a pseudo-terminal\n");
        return 1;
    }
    DriveLink link;
    link.setPort(std::make_unique<SerialPortIo>(drive.path));
    Looper looper(link, count + 1);
    link.pushOwner(&looper);
    if (!link.open()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(drive.path));
        return 1;
    }
    drive.start(count + 1);
    looper.next();
    app.exec();
    drive.join();
    link.close();
    if (drive.turnarounds.empty()) {
        std::fprintf(stderr, "no exchanges measured on the wire\n");
        return 1;
    }
    std::printf("turnaround on the wire (reply's CR written -> next command's first byte read),"
                " %zu exchanges\n",
                drive.turnarounds.size());
    std::printf("  median        %.4f ms (target <= 0.1)\n", percentile(drive.turnarounds, 0.5));
    std::printf("  99th pct      %.4f ms (target <= 0.5)\n", percentile(drive.turnarounds, 0.99));
    std::printf("  max           %.4f ms\n", percentile(drive.turnarounds, 1.0));
    std::printf("  time-outs     %d\n", looper.timeouts);
    return 0;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int count = argc > 1 ? std::max(10, atoi(argv[1])) : 10000;
    Catalogue::instance().loadPreferred({QCoreApplication::applicationDirPath()});

    QProcess sim;
    sim.start(QCoreApplication::applicationDirPath() + QStringLiteral("/torvane-drivesim"),
              {QStringLiteral("--profile"), QStringLiteral("test")});
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "cannot start torvane-drivesim\n");
        return 1;
    }
    const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();

    DriveLink link;
    auto port = std::make_unique<TimedPort>(path);
    TimedPort *timed = port.get();
    link.setPort(std::move(port));
    Looper looper(link, count);
    link.pushOwner(&looper);
    if (!link.open()) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    QElapsedTimer wall;
    wall.start();
    const double cpuBefore = cpuSeconds();
    looper.next();
    app.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const double seconds = double(wall.nsecsElapsed()) / 1e9;
    sim.terminate();
    sim.waitForFinished(3000);

    std::vector<qint64> t = timed->turnarounds;
    if (t.empty()) {
        std::fprintf(stderr, "no exchanges measured\n");
        return 1;
    }
    const auto at = [&t](double q) {
        return percentile(t, q);
    };
    std::printf("link turnaround over a pty, %zu exchanges, pacing off\n", t.size());
    std::printf("  median        %.4f ms\n", at(0.5));
    std::printf("  99th pct      %.4f ms\n", at(0.99));
    std::printf("  max           %.4f ms\n", at(1.0));
    std::printf("  cpu/exchange  %.4f ms (this process, link and port together)\n",
                cpu * 1e3 / double(count));
    std::printf("  wall/exchange %.4f ms (round trip through the drive)\n",
                seconds * 1e3 / double(count));
    std::printf("  time-outs     %d\n", looper.timeouts);
    std::printf("  share of a 9600-baud character (1.0417 ms): %.2f%%\n", at(0.5) / 1.0417 * 100);
    return measureOnTheWire(app, count);
}
