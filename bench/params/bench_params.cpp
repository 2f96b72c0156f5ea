// A full parameter upload from torvane-drivesim on a pseudo-terminal with
// 9600-baud pacing on, measured against what the line itself allows: every
// character both ways at 1.0417 ms (10 bits at 9600 baud) plus the drive's
// own latency before each reply. Wire efficiency = that bound / wall time.
//
//     bench_params [--profile test|demo|both] [--runs N] [--preset NAMES]

#include "app/userprompt.h"
#include "link/drivelink.h"
#include "link/serialportio.h"
#include "params/parametertransfer.h"
#include "resources/catalogue.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double charMs = 10.0 * 1000.0 / 9600.0;

// Counts the characters on the line both ways.
class CountingPort : public PortIo
{
public:
    explicit CountingPort(const QString &path)
        : m_inner(path)
    {
        connect(&m_inner, &PortIo::readyRead, this, &PortIo::readyRead);
        connect(&m_inner, &PortIo::failed, this, &PortIo::failed);
    }
    bool open(QString *error) override { return m_inner.open(error); }
    void close() override { m_inner.close(); }
    bool isOpen() const override { return m_inner.isOpen(); }
    QString deviceName() const override { return m_inner.deviceName(); }
    bool write(const QByteArray &bytes) override
    {
        sent += bytes.size();
        commands += bytes.count('\r');
        return m_inner.write(bytes);
    }
    QByteArray readAll() override
    {
        const QByteArray bytes = m_inner.readAll();
        received += bytes.size();
        return bytes;
    }
    void clearInput() override { m_inner.clearInput(); }

    qint64 sent = 0;
    qint64 received = 0;
    qint64 commands = 0;

private:
    SerialPortIo m_inner;
};

class FilePrompt : public UserPrompt
{
public:
    explicit FilePrompt(const QString &path)
        : m_path(path)
    {}
    void message(const QString &text) override { messages.append(text); }
    bool askOkCancel(const QString &) override { return true; }
    bool askYesNo(const QString &) override { return true; }
    QString chooseFile(const FileRequest &) override { return m_path; }
    QStringList messages;

private:
    QString m_path;
};

struct Run
{
    bool ok = false;
    double wallMs = 0;
    qint64 sent = 0;
    qint64 received = 0;
    qint64 commands = 0;
    int parameters = 0;
};

Run uploadOnce(const QString &device, const QString &file)
{
    DriveLink link;
    auto port = std::make_unique<CountingPort>(device);
    CountingPort *counter = port.get();
    link.setPort(std::move(port));
    FilePrompt prompt(file);
    ParameterTransfer transfer(link, prompt);
    link.pushOwner(&transfer);
    Run run;
    if (!link.open())
        return run;
    QEventLoop loop;
    QObject::connect(&transfer, &ParameterTransfer::finished, &loop,
                     [&](ParameterTransfer::Outcome outcome) {
                         run.ok = outcome == ParameterTransfer::Outcome::Succeeded;
                         loop.quit();
                     });
    QElapsedTimer clock;
    clock.start();
    transfer.upload();
    loop.exec();
    run.wallMs = double(clock.nsecsElapsed()) / 1e6;
    run.sent = counter->sent;
    run.received = counter->received;
    run.commands = counter->commands;
    run.parameters = int(transfer.names().size());
    link.popOwner();
    return run;
}

bool startDrive(QProcess &drive, const QString &profile, const QString &preset, QString *device)
{
    QStringList args{QStringLiteral("--profile"), profile, QStringLiteral("--pacing"),
                     QStringLiteral("on")};
    if (!preset.isEmpty())
        args << QStringLiteral("--preset") << preset;
    drive.start(QCoreApplication::applicationDirPath() + QStringLiteral("/torvane-drivesim"), args);
    if (!drive.waitForStarted())
        return false;
    QByteArray out;
    while (!out.contains('\n') && drive.waitForReadyRead(5000))
        out += drive.readAllStandardOutput();
    *device = QString::fromLocal8Bit(out.trimmed());
    return !device->isEmpty();
}

int measure(const QString &profile, const QString &preset, int runs)
{
    QProcess drive;
    QString device;
    if (!startDrive(drive, profile, preset, &device)) {
        std::fprintf(stderr, "bench_params: cannot start torvane-drivesim\n");
        return 1;
    }
    // The drive's latency before each reply: none in the test profile, 5 ms
    // for every command of an upload in the demo profile.
    const double latencyMs = profile == QLatin1String("demo") ? 5.0 : 0.0;
    QTemporaryDir dir;
    QList<double> efficiencies;
    std::printf("profile %s%s, 9600-baud pacing on\n", qPrintable(profile),
                preset.isEmpty() ? "" : qPrintable(QStringLiteral(" + ") + preset));
    std::printf("%4s %6s %9s %9s %8s %11s %10s %10s\n", "run", "params", "commands", "chars",
                "lat ms", "bound ms", "wall ms", "efficiency");
    for (int i = 1; i <= runs; ++i) {
        const Run run = uploadOnce(device, dir.filePath(QStringLiteral("bench.prm")));
        if (!run.ok) {
            std::fprintf(stderr, "bench_params: upload %d failed\n", i);
            return 1;
        }
        const qint64 chars = run.sent + run.received;
        const double bound = double(chars) * charMs + double(run.commands) * latencyMs;
        const double efficiency = bound / run.wallMs;
        efficiencies.append(efficiency);
        std::printf("%4d %6d %9lld %9lld %8.0f %11.1f %10.1f %10.4f\n", i, run.parameters,
                    static_cast<long long>(run.commands), static_cast<long long>(chars),
                    double(run.commands) * latencyMs, bound, run.wallMs, efficiency);
    }
    std::sort(efficiencies.begin(), efficiencies.end());
    std::printf("median wire efficiency: %.4f (min %.4f, max %.4f)\n\n",
                efficiencies.at(efficiencies.size() / 2), efficiencies.first(),
                efficiencies.last());
    drive.terminate();
    drive.waitForFinished(3000);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    Catalogue::instance().loadModule(
        QCoreApplication::applicationDirPath() + QLatin1Char('/') +
        Catalogue::moduleFileName(QStringLiteral("Torvane_E_Resource")));
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption profile(QStringLiteral("profile"),
                                     QStringLiteral("The drive's timing: test, demo or both."),
                                     QStringLiteral("NAME"), QStringLiteral("both"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Uploads per profile."),
                                  QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption preset(QStringLiteral("preset"),
                                    QStringLiteral("Drive presets, e.g. big_params."),
                                    QStringLiteral("NAMES"));
    parser.addOptions({profile, runs, preset});
    parser.process(app);
    const int count = qMax(1, parser.value(runs).toInt());
    const QString which = parser.value(profile);
    int status = 0;
    for (const QString &name : {QStringLiteral("test"), QStringLiteral("demo")}) {
        if (which == name || which == QLatin1String("both"))
            status |= measure(name, parser.value(preset), count);
    }
    return status;
}
