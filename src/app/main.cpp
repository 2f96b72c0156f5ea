#include "appsettings.h"
#include "features.h"
#include "link/drivelink.h"
#include "link/portmap.h"
#include "link/serialportio.h"
#include "mainmenuwindow.h"
#include "profilestore.h"
#include "resources/catalogue.h"
#include "resources/modulechoice.h"
#include "sim/ptyendpoint.h"
#include "sim/virtualdrive.h"
#include "singleinstance.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QIcon>
#include <QMessageBox>

#include <cstdio>
#include <optional>

namespace {
struct CommandLine
{
    QCommandLineOption simulate{QStringLiteral("simulate"),
                                QStringLiteral("Talk to a virtual drive on a pseudo-terminal.")};
    QCommandLineOption port{QStringLiteral("port"),
                            QStringLiteral("Serial device of the drive for this run."),
                            QStringLiteral("PATH")};
    QCommandLineOption noSplash{QStringLiteral("no-splash"),
                                QStringLiteral("Skip the version window at start.")};
    QCommandLineOption language{QStringLiteral("language"),
                                QStringLiteral("en or ja: the texts of this run (also "
                                               "TORVANE_LANGUAGE). Without it the Japanese "
                                               "module is preferred, then the English one."),
                                QStringLiteral("en|ja")};
};

void describe(QCommandLineParser &parser, const CommandLine &options)
{
    QCoreApplication::setApplicationName(QStringLiteral("torvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TORVANE_VERSION));
    parser.setApplicationDescription(
        QStringLiteral("Sets up, tunes and maintains a direct-drive servo drive."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({options.simulate, options.port, options.noSplash, options.language});
}

bool asksForHelpOrVersion(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--")
            return false;
        if (arg == "-h" || arg == "-?" || arg == "--help" || arg == "--help-all" || arg == "-v" ||
            arg == "--version")
            return true;
    }
    return false;
}

// The language of this run: the option, else TORVANE_LANGUAGE, else the
// order of preference. A wrong option is a usage error; a wrong variable is
// named and left aside, so that a slip in a login script does not keep the
// program from starting.
std::optional<ModuleChoice::Language> chosenLanguage(const QCommandLineParser &parser,
                                                     const QCommandLineOption &option)
{
    if (parser.isSet(option)) {
        const auto language = ModuleChoice::languageNamed(parser.value(option));
        if (!language)
            std::fprintf(stderr, "torvane: --language takes en or ja, not \"%s\".\n",
                         qPrintable(parser.value(option)));
        return language;
    }
    const QString variable = qEnvironmentVariable("TORVANE_LANGUAGE");
    if (variable.isEmpty())
        return ModuleChoice::Language::Any;
    const auto language = ModuleChoice::languageNamed(variable);
    if (language)
        return language;
    std::fprintf(stderr, "torvane: TORVANE_LANGUAGE takes en or ja; \"%s\" is ignored.\n",
                 qPrintable(variable));
    return ModuleChoice::Language::Any;
}
} // namespace

int main(int argc, char *argv[])
{
    const CommandLine commandLine;
    // Help and version need no display: answer them before the GUI exists.
    // process() prints and ends the program; it also ends it, with a message,
    // on an unknown option.
    if (asksForHelpOrVersion(argc, argv)) {
        QCoreApplication core(argc, argv);
        QCommandLineParser early;
        describe(early, commandLine);
        early.process(core);
        // "--port --help" names a device called "--help": go on as usual.
    }

    QApplication app(argc, argv);
    QCommandLineParser parser;
    describe(parser, commandLine);
    const QCommandLineOption &simulate = commandLine.simulate;
    const QCommandLineOption &port = commandLine.port;
    const QCommandLineOption &noSplash = commandLine.noSplash;
    parser.process(app);
    const std::optional<ModuleChoice::Language> language =
        chosenLanguage(parser, commandLine.language);
    if (!language)
        return 2;

    const QStringList moduleDirs = ModuleChoice::folders(QCoreApplication::applicationDirPath());
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();

    SingleInstance guard(name);
    if (!guard.acquire()) {
        // Another copy runs: bring it to the front and end without writing.
        guard.raiseRunning();
        return 0;
    }

    const Catalogue::Choice choice =
        ModuleChoice::load(Catalogue::instance(), moduleDirs, *language);
    if (*language == ModuleChoice::Language::English && !choice.english)
        std::fprintf(stderr, "torvane: no English resource module found; the Japanese texts "
                             "are shown.\n");
    AppSettings &settings = AppSettings::instance();
    settings.setEnglish(choice.english);
    settings.setSiblingVariant(choice.siblingVariant);

    ProfileStore profile;
    settings.setProfile(&profile);
    settings.readStartupEntries();

    PortMap portMap;
    portMap.load(profile);

    // A virtual drive in this process, on a pseudo-terminal that the link
    // opens like any serial device.
    std::unique_ptr<VirtualDrive> drive;
    std::unique_ptr<PtyEndpoint> pty;
    if (parser.isSet(simulate)) {
        drive = std::make_unique<VirtualDrive>();
        // Demo timing, paced at 9600 baud, with a slowly moving axis and
        // conditions that come and go.
        drive->applyPreset(QStringLiteral("demo"));
        pty = std::make_unique<PtyEndpoint>();
        QString error;
        if (!pty->open(&error)) {
            std::fprintf(stderr, "torvane: cannot start the virtual drive: %s\n",
                         qPrintable(error));
            return 1;
        }
        pty->attach(drive.get());
        portMap.setOverride(settings.comPort(), pty->slavePath());
    } else if (parser.isSet(port)) {
        portMap.setOverride(settings.comPort(), parser.value(port));
    }

    DriveLink link;
    DriveLink::setInstance(&link);
    link.setPortFactory([&portMap](int comPort) -> std::unique_ptr<PortIo> {
        return std::make_unique<SerialPortIo>(portMap.path(comPort));
    });

    MainMenuWindow window(link, portMap, &profile);
    QObject::connect(&guard, &SingleInstance::raiseRequested, &window, [&window] {
        window.showNormal();
        window.raise();
        window.activateWindow();
    });
    registerFeatures(window);
    MainMenuWindow::Options options;
    options.splash = !parser.isSet(noSplash);
    window.initialise(options);
    window.runUntilClosed();
    settings.setProfile(nullptr);
    return 0;
}
