// A full all-data backup of the fully loaded drive (torvane-drivesim on a
// pseudo-terminal, 9600-baud pacing on), measured against what the line
// itself allows: every character both ways at 1.0417 ms (10 bits at 9600
// baud) plus the drive's own latency before each reply. The characters are
// counted from the link's traffic log. Wire efficiency = bound / wall time.
// Each run is broken down by section as well (the commit of the set counts
// with the last section), to show where the wall time goes beyond the wire.
//
//     bench_backup [--profile test|demo] [--runs N] [--preset NAMES]

#include "app/userprompt.h"
#include "backup/backuptransfer.h"
#include "link/drivelink.h"
#include "link/serialportio.h"
#include "resources/catalogue.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr double charMs = 10.0 * 1000.0 / 9600.0;

class IndexPrompt : public UserPrompt
{
public:
    explicit IndexPrompt(const QString &path)
        : m_path(path)
    {}
    void message(const QString &) override {}
    bool askOkCancel(const QString &) override { return true; }
    bool askYesNo(const QString &) override { return true; }
    QString chooseFile(const FileRequest &) override { return m_path; }

private:
    QString m_path;
};

// Where a section began: its code, the time and the traffic so far.
struct SectionMark
{
    int code = 0;
    double atMs = 0;
    qint64 chars = 0;
    qint64 commands = 0;
};

struct Run
{
    bool ok = false;
    QString message;
    QList<SectionMark> sections;
    double wallMs = 0;
    qint64 chars = 0;
    qint64 commands = 0;
    int files = 0;
};

Run backupOnce(const QString &device, const QString &folder)
{
    DriveLink link;
    link.setPort(std::make_unique<SerialPortIo>(device));
    Run run;
    // "-> line\r" + the log's CR LF; " <- line" + the log's CR LF (the
    // line's own CR is not logged).
    QObject::connect(&link, &DriveLink::logged, [&run](const QString &entry) {
        if (entry.startsWith(QLatin1String("-> "))) {
            run.chars += entry.size() - 3 - 2;
            ++run.commands;
        } else if (entry.startsWith(QLatin1String(" <- "))) {
            run.chars += entry.size() - 4 - 2 + 1;
        }
    });
    IndexPrompt prompt(QDir(folder).filePath(QStringLiteral("bench.wha")));
    BackupTransfer transfer(link, prompt);
    link.pushOwner(&transfer);
    if (!link.open())
        return run;
    QEventLoop loop;
    QObject::connect(&transfer, &BackupTransfer::finished, &loop,
                     [&](BackupTransfer::Outcome outcome, const QString &message) {
                         run.ok = outcome == BackupTransfer::Outcome::Succeeded;
                         run.message = message;
                         loop.quit();
                     });
    QElapsedTimer clock;
    QObject::connect(&transfer, &BackupTransfer::progress,
                     [&](int, int, int code, const QString &item) {
                         if (item.isEmpty())
                             run.sections.append({code, double(clock.nsecsElapsed()) / 1e6,
                                                  run.chars, run.commands});
                     });
    clock.start();
    transfer.backup();
    loop.exec();
    run.wallMs = double(clock.nsecsElapsed()) / 1e6;
    run.files = int(QDir(folder).entryList(QDir::Files).size());
    link.popOwner();
    return run;
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
                                     QStringLiteral("The drive's timing: test or demo."),
                                     QStringLiteral("NAME"), QStringLiteral("test"));
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Backups."),
                                  QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption preset(QStringLiteral("preset"), QStringLiteral("Drive presets."),
                                    QStringLiteral("NAMES"), QStringLiteral("default+full"));
    parser.addOptions({profile, runs, preset});
    parser.process(app);

    QProcess drive;
    drive.start(QCoreApplication::applicationDirPath() + QStringLiteral("/torvane-drivesim"),
                {QStringLiteral("--profile"), parser.value(profile), QStringLiteral("--pacing"),
                 QStringLiteral("on"), QStringLiteral("--preset"), parser.value(preset)});
    QByteArray out;
    while (drive.waitForStarted() && !out.contains('\n') && drive.waitForReadyRead(5000))
        out += drive.readAllStandardOutput();
    const QString device = QString::fromLocal8Bit(out.trimmed());
    if (device.isEmpty()) {
        std::fprintf(stderr, "bench_backup: cannot start torvane-drivesim\n");
        return 1;
    }
    // The drive's latency before each reply: none in the test profile; the
    // demo profile's 5 ms (longer for the store commands a backup never
    // sends).
    const double latencyMs = parser.value(profile) == QLatin1String("demo") ? 5.0 : 0.0;
    std::printf("profile %s + %s, 9600-baud pacing on\n", qPrintable(parser.value(profile)),
                qPrintable(parser.value(preset)));
    std::printf("%4s %6s %9s %9s %11s %10s %10s\n", "run", "files", "commands", "chars", "bound ms",
                "wall ms", "efficiency");
    QList<double> efficiencies;
    for (int i = 1; i <= qMax(1, parser.value(runs).toInt()); ++i) {
        QTemporaryDir dir;
        const Run run = backupOnce(device, dir.path());
        if (!run.ok) {
            std::fprintf(stderr, "bench_backup: backup %d failed: %s\n", i,
                         qPrintable(run.message));
            return 1;
        }
        const double bound = double(run.chars) * charMs + double(run.commands) * latencyMs;
        efficiencies.append(bound / run.wallMs);
        std::printf("%4d %6d %9lld %9lld %11.1f %10.1f %10.4f\n", i, run.files,
                    static_cast<long long>(run.commands), static_cast<long long>(run.chars), bound,
                    run.wallMs, bound / run.wallMs);
        for (qsizetype k = 0; k < run.sections.size(); ++k) {
            const SectionMark &from = run.sections.at(k);
            const bool last = k + 1 == run.sections.size();
            const SectionMark to =
                last ? SectionMark{0, run.wallMs, run.chars, run.commands} : run.sections.at(k + 1);
            const double sectionBound = double(to.chars - from.chars) * charMs +
                                        double(to.commands - from.commands) * latencyMs;
            const double wall = to.atMs - from.atMs;
            std::printf("     %-26s %9lld %9lld %11.1f %10.1f %10.4f\n",
                        qPrintable(Catalogue::instance().string(1206 + from.code - 4)),
                        static_cast<long long>(to.commands - from.commands),
                        static_cast<long long>(to.chars - from.chars), sectionBound, wall,
                        wall > 0 ? sectionBound / wall : 0.0);
        }
    }
    std::sort(efficiencies.begin(), efficiencies.end());
    std::printf("median wire efficiency: %.4f (min %.4f, max %.4f)\n",
                efficiencies.at(efficiencies.size() / 2), efficiencies.first(),
                efficiencies.last());
    drive.terminate();
    drive.waitForFinished(3000);
    return 0;
}
