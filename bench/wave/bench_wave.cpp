// The waveform viewer's two costs: drawing a record once it has arrived
// (store -> graph control -> pixels), and a 250-sample capture against the
// virtual drive with 9600-baud pacing on, measured against what the line
// and the drive allow: every character both ways at the character time,
// plus the record's own length, during which the drive cannot hand out a
// record however often it is asked (the polls that find it unfinished are
// waiting, not work). Wire efficiency = that bound / wall time.
//
//     bench_wave [--runs N] [--draws N]

#include "app/appsettings.h"
#include "corvex32ctrl.h"
#include "params/scriptedprompt.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"
#include "wave/logconditions.h"
#include "wave/samplestore.h"
#include "wave/viewerexchange.h"
#include "wave/viewerwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void fillRecord()
{
    SampleStore &store = SampleStore::instance();
    store.clear();
    for (int i = 0; i < 250; ++i) {
        const double t = double(i) / 250.0;
        store.set(i, {qint32(1000.0 * (1.0 - std::exp(-8.0 * t))),
                      qint32(800.0 * std::sin(6.28 * 2 * t)), qint32(300.0 * std::cos(6.28 * t)),
                      qint32(i % 50)});
    }
}

int drawBench(int draws)
{
    DriveLink link;
    ViewerWindow viewer(link);
    viewer.graph()->setFixedSize(600, 380);
    viewer.adjustSize();
    fillRecord();
    std::vector<double> toControl;
    std::vector<double> toPixels;
    QElapsedTimer clock;
    for (int i = 0; i < draws; ++i) {
        clock.start();
        viewer.redraw();
        toControl.push_back(double(clock.nsecsElapsed()) / 1e6);
        clock.start();
        const QImage pixels = viewer.graph()->grab().toImage();
        toPixels.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (pixels.isNull()) {
            std::fprintf(stderr, "bench_wave: the graph control drew nothing\n");
            return 1;
        }
    }
    std::printf("viewer redraw of a 250-sample record, 4 channels, %dx%d plot, %d draws\n",
                viewer.graph()->width(), viewer.graph()->height(), draws);
    std::printf("  store -> control  median %.3f ms\n", median(toControl));
    std::printf("  control -> pixels median %.3f ms\n", median(toPixels));
    std::vector<double> total(toControl.size());
    for (size_t i = 0; i < total.size(); ++i)
        total[i] = toControl[i] + toPixels[i];
    std::printf("  whole redraw      median %.3f ms\n\n", median(total));
    return 0;
}

struct Capture
{
    bool ok = false;
    qint64 chars = 0;        // both ways, set-up to the last sample
    qint64 waitingChars = 0; // polls answered "not ready"
    int commands = 0;
    double setUpMs = 0;   // conditions sent until the log runs
    double waitingMs = 0; // the log runs until the record is ready
    double transferMs = 0;
    double wallMs = 0;
};

// One capture with the viewer's own exchange and poll interval: the item
// list is read with pacing off, then the clock starts, pacing goes on and
// the log is set up, waited for and transferred.
Capture captureOnce(const QString &baseDir)
{
    LinkBench bench;
    bench.drive->setProfile(VirtualDrive::Profile::Test);
    // The record takes as long as on a real drive.
    bench.drive->setKnob(QStringLiteral("time_scale"), QStringLiteral("1"));
    ScriptedPrompt prompt;
    ViewerExchange exchange(bench.link, prompt);
    exchange.setBaseDir(baseDir);
    bench.link.pushOwner(&exchange);
    bench.link.open();

    Capture run;
    qint64 chars = 0;
    QObject::connect(bench.port(), &MemoryPort::written, [&](const QByteArray &bytes) {
        chars += bytes.size();
        run.commands += int(bytes.count('\r'));
    });
    QObject::connect(bench.drive.get(), &VirtualDrive::transmit,
                     [&](const QByteArray &bytes) { chars += bytes.size(); });

    enum class Phase { List, SetUp, Waiting, Transfer, Done } phase = Phase::List;
    QEventLoop loop;
    QElapsedTimer clock;
    double phaseStart = 0;
    qint64 charsAtPoll = 0;
    const auto lap = [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        const double ms = now - phaseStart;
        phaseStart = now;
        return ms;
    };
    QObject::connect(&exchange, &ViewerExchange::statusPolled, [&](bool running, bool ready) {
        if (phase == Phase::List) {
            phase = Phase::SetUp;
            bench.drive->setPacing(true);
            chars = 0;
            run.commands = 0;
            clock.start();
            exchange.beginConditions();
            exchange.finishConditions(true);
        } else if (phase == Phase::Waiting) {
            if (ready && !running) {
                run.waitingMs = lap();
                phase = Phase::Transfer;
                exchange.acquire();
            } else {
                run.waitingChars += chars - charsAtPoll;
            }
            charsAtPoll = chars;
        }
    });
    QObject::connect(&exchange, &ViewerExchange::stateChanged, [&](ViewerExchange::State s) {
        if (phase == Phase::SetUp && s == ViewerExchange::State::Idle) {
            run.setUpMs = lap();
            charsAtPoll = chars;
            phase = Phase::Waiting;
        } else if (phase == Phase::Transfer && s == ViewerExchange::State::Idle) {
            run.transferMs = lap();
            run.wallMs = double(clock.nsecsElapsed()) / 1e6;
            run.chars = chars;
            run.ok = SampleStore::instance().count() == 250 && prompt.messages.isEmpty();
            phase = Phase::Done;
            exchange.stopPolling();
            loop.quit();
        }
    });
    QObject::connect(&exchange, &ViewerExchange::wentOffline, &loop, &QEventLoop::quit);
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    exchange.open();
    loop.exec();
    exchange.close();
    bench.link.popOwner();
    return run;
}

int captureBench(int timeIndex, int runs)
{
    // The trigger at position 5, in free mode.
    LogConditions &c = LogConditions::active();
    c = LogConditions();
    c.timeIndex = quint16(timeIndex);
    c.triggerPosition = 5;
    c.singleMode = false;
    const StartArguments a = WaveScale::startArguments(c.timeIndex, c.triggerPosition);
    QTemporaryDir dir;
    const double charMs = 10.0 * 1000.0 / 9600.0;
    std::printf("%d-sample capture at %d ms/div, virtual drive, 9600-baud pacing on, record %d ms, "
                "poll interval %d ms\n",
                a.samples, WaveScale::msPerDiv(timeIndex), a.recordLengthMs,
                ViewerExchange::PollIntervalMs);
    std::printf("%4s %8s %7s %9s %9s %10s %10s %10s %10s\n", "run", "commands", "chars", "bound ms",
                "wall ms", "set-up ms", "wait ms", "xfer ms", "efficiency");
    std::vector<double> efficiencies;
    for (int i = 1; i <= runs; ++i) {
        const Capture run = captureOnce(dir.path() + QLatin1Char('/'));
        if (!run.ok) {
            std::fprintf(stderr, "bench_wave: capture %d failed\n", i);
            return 1;
        }
        const double bound =
            double(run.chars - run.waitingChars) * charMs + double(a.recordLengthMs);
        const double efficiency = bound / run.wallMs;
        efficiencies.push_back(efficiency);
        std::printf("%4d %8d %7lld %9.1f %9.1f %10.1f %10.1f %10.1f %10.4f\n", i, run.commands,
                    static_cast<long long>(run.chars), bound, run.wallMs, run.setUpMs,
                    run.waitingMs, run.transferMs, efficiency);
    }
    std::sort(efficiencies.begin(), efficiencies.end());
    std::printf("median wire efficiency: %.4f (min %.4f, max %.4f; target 0.97)\n\n",
                efficiencies[efficiencies.size() / 2], efficiencies.front(), efficiencies.back());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption runs(QStringLiteral("runs"), QStringLiteral("Captures."),
                                  QStringLiteral("N"), QStringLiteral("3"));
    const QCommandLineOption draws(QStringLiteral("draws"), QStringLiteral("Redraws."),
                                   QStringLiteral("N"), QStringLiteral("50"));
    parser.addOptions({runs, draws});
    parser.process(app);
    if (!Catalogue::instance().loadModule(
            QCoreApplication::applicationDirPath() + QLatin1Char('/') +
            Catalogue::moduleFileName(QStringLiteral("Torvane_E_Resource")))) {
        std::fprintf(stderr, "bench_wave: cannot load the resource module\n");
        return 1;
    }
    AppSettings::instance().setEnglish(true);
    if (drawBench(qMax(1, parser.value(draws).toInt())) != 0)
        return 1;
    // A record of one second, as long as the poll interval, and one of half
    // a second.
    const int count = qMax(1, parser.value(runs).toInt());
    return captureBench(3, count) | captureBench(2, count);
}
