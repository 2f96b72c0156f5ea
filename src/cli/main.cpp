#include "clicommands.h"
#include "clisession.h"
#include "verbs.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>

namespace {
int usage(const QCommandLineParser &parser, const QString &problem)
{
    if (!problem.isEmpty())
        CliSession::printError(problem);
    std::fputs(parser.helpText().toLocal8Bit().constData(), stderr);
    return CliSession::Usage;
}
} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("torvane-cli"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Talks to a servo drive over its serial line without the windows.\n\n"
        "Verbs:\n"
        "  info        the drive's start-up facts, one per line (--json: one object)\n"
        "  ports       COM1-COM8 and their devices, then the serial devices found\n"
        "  send LINE   send one command line and print the reply line\n"
        "  params upload FILE | params download FILE [--yes]\n"
        "              move the parameter set between the drive and a file\n"
        "  programs list [--json] | programs upload N F.prg | programs delete N\n"
        "  programs download N F.prg | programs batch-upload F.whp\n"
        "  programs batch-download F.whp   [--yes]\n"
        "              move the drive's programs to and from files\n"
        "  io upload FILE | io download FILE\n"
        "              move the I/O configuration between the drive and a file\n"
        "  reset-com   reset the drive's communication\n"
        "  terminal    type command lines, read the replies (stdin/stdout)\n"
        "  monitor PARAM...  watch parameters once a second until interrupted\n"
        "  scope items | scope capture [--conditions F.cnd] --out F.gdt\n"
        "              [--csv F.csv] [--timeout S]  the monitor items; record a\n"
        "              waveform (a log without a record by then is aborted)\n"
        "  table upload|download idx|idp A|B FILE\n"
        "  table upload aac FILE | table download aac FILE [--yes]\n"
        "  table batch-upload FILE.whi|FILE.whb [--yes] | table batch-download FILE\n"
        "              move compensation tables between the drive and files\n"
        "  points upload FILE.csv | points download FILE.csv\n"
        "              the point table (registers 600-799) as CSV\n"
        "  cam upload|download N F.cdt | cam batch-upload F.whc [--yes]\n"
        "  cam batch-download F.whc | cam universal F.unv --out F.cdt\n"
        "              move cam profiles; compute a universal profile\n"
        "  backup F.wha | restore F.wha [--yes]\n"
        "              all user data of the drive to and from a backup set\n"
        "  motor-backup F.whm | motor-restore F.whm [--yes]\n"
        "              the motor data to and from its two scripts"));
    parser.addHelpOption();
    CliSession::addOptions(parser);
    parser.addPositionalArgument(
        QStringLiteral("verb"),
        QStringLiteral("info | ports | send | params | programs | io | reset-com | "
                       "terminal | monitor | scope | table | points | "
                       "cam | backup | restore | motor-backup | "
                       "motor-restore"));
    const QCommandLineOption yes(QStringLiteral("yes"),
                                 QStringLiteral("Answer the download's safety question, a program "
                                                "overwrite or the batch question with OK/Yes."));
    parser.addOption(yes);
    addScopeOptions(parser);
    if (!parser.parse(QCoreApplication::arguments()))
        return usage(parser, parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return CliSession::Success;
    }

    const QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usage(parser, QStringLiteral("No verb given."));
    const QString verb = args.first();
    const QStringList rest = args.mid(1);
    using Verb = int (*)(CliSession &, const QStringList &);
    Verb run = nullptr;
    if (verb == QLatin1String("params"))
        run = runParamsVerb;
    else if (verb == QLatin1String("io"))
        run = runIoVerb;
    else if (verb == QLatin1String("reset-com"))
        run = runResetComVerb;
    else if (verb == QLatin1String("terminal"))
        run = runTerminalVerb;
    else if (verb == QLatin1String("monitor"))
        run = runMonitorVerb;
    else if (verb == QLatin1String("scope"))
        run = runScopeVerb;
    else if (verb == QLatin1String("programs"))
        run = runProgramsVerb;
    else if (verb == QLatin1String("table"))
        run = runTableVerb;
    else if (verb == QLatin1String("points"))
        run = runPointsVerb;
    else if (verb == QLatin1String("ports"))
        run = runPortsVerb;
    else if (verb == QLatin1String("cam"))
        run = runCamVerb;
    else if (verb == QLatin1String("backup"))
        run = runBackupVerb;
    else if (verb == QLatin1String("restore"))
        run = runRestoreVerb;
    else if (verb == QLatin1String("motor-backup"))
        run = runMotorBackupVerb;
    else if (verb == QLatin1String("motor-restore"))
        run = runMotorRestoreVerb;
    const bool known = run || (verb == QLatin1String("info") && rest.isEmpty()) ||
                       (verb == QLatin1String("send") && rest.size() == 1);
    if (!known)
        return usage(
            parser,
            QStringLiteral("Unknown verb or wrong arguments: %1").arg(args.join(QLatin1Char(' '))));

    CliSession session(parser);
    if (run) {
        // A verb checks its arguments before it opens the port.
        const int code = run(session, rest);
        return code < 0 ? usage(parser, QStringLiteral("Wrong arguments for %1.").arg(verb)) : code;
    }
    if (!session.connect())
        return CliSession::Failure;
    if (verb == QLatin1String("info"))
        return InfoCommand(session).run();
    // Command lines are 8-bit text: pass the argument's bytes as they are.
    return SendCommand(session, rest.at(0).toLocal8Bit()).run();
}
