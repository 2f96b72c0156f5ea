#include "clicommands.h"
#include "clisession.h"

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
    parser.setApplicationDescription(
        QStringLiteral("Talks to a servo drive over its serial line without the windows.\n\n"
                       "Verbs:\n"
                       "  info        the drive's start-up facts, one per line\n"
                       "  send LINE   send one command line and print the reply line"));
    parser.addHelpOption();
    CliSession::addOptions(parser);
    parser.addPositionalArgument(QStringLiteral("verb"), QStringLiteral("info | send"));
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
    const bool known = (verb == QLatin1String("info") && args.size() == 1) ||
                       (verb == QLatin1String("send") && args.size() == 2);
    if (!known)
        return usage(
            parser,
            QStringLiteral("Unknown verb or wrong arguments: %1").arg(args.join(QLatin1Char(' '))));

    CliSession session(parser);
    if (!session.connect())
        return CliSession::Failure;
    if (verb == QLatin1String("info"))
        return InfoCommand(session).run();
    // Command lines are 8-bit text: pass the argument's bytes as they are.
    return SendCommand(session, args.at(1).toLocal8Bit()).run();
}
