#include "clisession.h"
#include "terminalcli.h"
#include "verbs.h"

int runTerminalVerb(CliSession &session, const QStringList &args)
{
    bool simple = false;
    if (args.size() == 1 && args.first() == QLatin1String("simple"))
        simple = true;
    else if (!args.isEmpty())
        return -1;
    if (!session.connect())
        return CliSession::Failure;
    return TerminalCommand(session, simple).run();
}

int runMonitorVerb(CliSession &session, const QStringList &args)
{
    if (args.isEmpty())
        return -1;
    QList<int> numbers;
    for (const QString &arg : args) {
        int number = 0;
        if (!MonitorCommand::parseNumber(arg, &number)) {
            CliSession::printError(
                QStringLiteral("monitor: %1 is not a parameter number from 1 to 699.").arg(arg));
            return -1;
        }
        numbers.append(number);
    }
    if (!session.connect())
        return CliSession::Failure;
    return MonitorCommand(session, numbers).run();
}
