// torvane-drivesim: the virtual drive on a pseudo-terminal. Prints the
// device path on stdout and answers on it until SIGTERM or SIGINT.

#include "sim/ptyendpoint.h"
#include "sim/virtualdrive.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char c = 1;
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

void printError(const QString &message)
{
    std::fprintf(stderr, "torvane-drivesim: %s\n", qPrintable(message));
}

// Steering lines on standard input (with --control):
//   fault RULE | clear-faults | knob NAME=VALUE | preset NAMES | reconnect
// Each is answered on stderr with "ok" or the reason it failed.
void steer(VirtualDrive &drive, const QString &line)
{
    const QString text = line.trimmed();
    if (text.isEmpty())
        return;
    const qsizetype space = text.indexOf(u' ');
    const QString verb = space < 0 ? text : text.left(space);
    const QString rest = space < 0 ? QString() : text.mid(space + 1).trimmed();
    QString error;
    bool ok = true;
    if (verb == u"fault") {
        ok = drive.addFault(rest, &error) != 0;
    } else if (verb == u"clear-faults") {
        drive.clearFaults();
    } else if (verb == u"knob") {
        const qsizetype eq = rest.indexOf(u'=');
        ok = drive.setKnob(eq < 0 ? rest : rest.left(eq), eq < 0 ? QString() : rest.mid(eq + 1),
                           &error);
    } else if (verb == u"preset") {
        ok = drive.applyPreset(rest, &error);
    } else if (verb == u"reconnect") {
        drive.reconnect();
    } else {
        ok = false;
        error = QStringLiteral("unknown steering command \"%1\"").arg(verb);
    }
    std::fprintf(stderr, "%s\n", ok ? "ok" : qPrintable(error));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("torvane-drivesim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "The virtual drive: answers the drive's line protocol on a pseudo-terminal.\n"
        "Prints the device path on stdout; runs until SIGTERM or SIGINT."));
    parser.addHelpOption();
    const QCommandLineOption stationOption(QStringLiteral("station"),
                                           QStringLiteral("Station number 0-9 (0: single drive)."),
                                           QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption profileOption(
        QStringLiteral("profile"),
        QStringLiteral("Timing profile: demo (real latencies, paced) or test (immediate)."),
        QStringLiteral("test|demo"), QStringLiteral("demo"));
    const QCommandLineOption pacingOption(
        QStringLiteral("pacing"),
        QStringLiteral("9600-baud pacing on or off (default: profile's)."),
        QStringLiteral("on|off"));
    const QCommandLineOption linkOption(QStringLiteral("link"),
                                        QStringLiteral("Keep a symbolic link to the device here."),
                                        QStringLiteral("PATH"));
    const QCommandLineOption traceOption(
        QStringLiteral("trace"),
        QStringLiteral("Write every line received and sent to FILE (- for stderr)."),
        QStringLiteral("FILE"));
    const QCommandLineOption presetOption(
        QStringLiteral("preset"),
        QStringLiteral("Presets joined with +: %1.").arg(VirtualDrive::presetNames().join(u", ")),
        QStringLiteral("NAMES"));
    const QCommandLineOption faultOption(
        QStringLiteral("fault"),
        QStringLiteral("A fault rule, e.g. nth=3,drop or match=^@44,replace=ERR1 (repeatable)."),
        QStringLiteral("RULE"));
    const QCommandLineOption knobOption(QStringLiteral("knob"),
                                        QStringLiteral("Set a behaviour knob (repeatable): %1.")
                                            .arg(VirtualDrive::knobNames().join(u", ")),
                                        QStringLiteral("NAME=VALUE"));
    const QCommandLineOption controlOption(
        QStringLiteral("control"),
        QStringLiteral("Read steering lines on stdin: fault RULE, clear-faults, knob NAME=VALUE, "
                       "preset NAMES, reconnect."));
    parser.addOptions({stationOption, profileOption, pacingOption, linkOption, traceOption,
                       presetOption, faultOption, knobOption, controlOption});
    parser.process(app);

    VirtualDrive drive;
    QString error;
    if (parser.isSet(presetOption) && !drive.applyPreset(parser.value(presetOption), &error)) {
        printError(error);
        return 2;
    }
    // The profile comes after the presets, so that "default" (which also
    // picks the test timing) does not undo it. Demo brings the moving axis
    // and the passing conditions with it.
    const QString profile = parser.value(profileOption);
    if (profile == u"demo") {
        drive.applyPreset(QStringLiteral("demo"));
    } else if (profile == u"test") {
        drive.setProfile(VirtualDrive::Profile::Test);
    } else {
        printError(QStringLiteral("--profile must be test or demo"));
        return 2;
    }
    if (parser.isSet(stationOption) &&
        !drive.setKnob(QStringLiteral("station"), parser.value(stationOption), &error)) {
        printError(error);
        return 2;
    }
    if (parser.isSet(pacingOption) &&
        !drive.setKnob(QStringLiteral("pacing"), parser.value(pacingOption), &error)) {
        printError(error);
        return 2;
    }
    for (const QString &knob : parser.values(knobOption)) {
        const qsizetype eq = knob.indexOf(u'=');
        if (!drive.setKnob(eq < 0 ? knob : knob.left(eq), eq < 0 ? QString() : knob.mid(eq + 1),
                           &error)) {
            printError(error);
            return 2;
        }
    }
    for (const QString &fault : parser.values(faultOption)) {
        if (!drive.addFault(fault, &error)) {
            printError(error);
            return 2;
        }
    }

    QFile traceFile;
    if (parser.isSet(traceOption)) {
        const QString path = parser.value(traceOption);
        const bool opened = path == u"-"
                                ? traceFile.open(stderr, QIODevice::WriteOnly)
                                : (traceFile.setFileName(path),
                                   traceFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (!opened) {
            printError(QStringLiteral("cannot write the trace to %1: %2")
                           .arg(path, traceFile.errorString()));
            return 1;
        }
        drive.trace().setSink(&traceFile);
    }
    // A long run keeps only a modest window of the trace in memory; the file
    // has it all.
    drive.trace().setLimit(10000);

    PtyEndpoint pty;
    if (!pty.open(&error)) {
        printError(QStringLiteral("cannot create a pseudo-terminal: %1").arg(error));
        return 1;
    }
    if (parser.isSet(linkOption) && !pty.setLinkPath(parser.value(linkOption), &error)) {
        printError(error);
        return 1;
    }
    pty.attach(&drive);
    QObject::connect(&pty, &PtyEndpoint::errorOccurred, &app,
                     [](const QString &message) { printError(message); });
    QObject::connect(&pty, &PtyEndpoint::slavePathChanged, &app, [](const QString &path) {
        std::fprintf(stdout, "%s\n", qPrintable(path));
        std::fflush(stdout);
    });

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        printError(QStringLiteral("cannot set up signal handling"));
        return 1;
    }
    QSocketNotifier signalNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [&]() {
        char c;
        [[maybe_unused]] const auto n = ::read(signalPipe[0], &c, 1);
        app.quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    std::unique_ptr<QSocketNotifier> controlNotifier;
    QByteArray controlBuffer;
    if (parser.isSet(controlOption)) {
        controlNotifier = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        QObject::connect(controlNotifier.get(), &QSocketNotifier::activated, &app, [&]() {
            char buffer[1024];
            const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
            if (n <= 0) {
                controlNotifier->setEnabled(false); // end of input: keep running
                return;
            }
            controlBuffer.append(buffer, qsizetype(n));
            qsizetype end;
            while ((end = controlBuffer.indexOf('\n')) >= 0) {
                steer(drive, QString::fromLatin1(controlBuffer.left(end)));
                controlBuffer.remove(0, end + 1);
            }
        });
    }

    std::fprintf(stdout, "%s\n", qPrintable(pty.slavePath()));
    std::fflush(stdout);

    const int status = app.exec();
    pty.close(); // removes the link
    return status;
}
