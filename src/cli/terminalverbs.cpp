#include "clisession.h"
#include "verbs.h"

int runTerminalVerb(CliSession &, const QStringList &)
{
    CliSession::printError(QStringLiteral("terminal: not available yet."));
    return CliSession::Failure;
}

int runMonitorVerb(CliSession &, const QStringList &)
{
    CliSession::printError(QStringLiteral("monitor: not available yet."));
    return CliSession::Failure;
}
