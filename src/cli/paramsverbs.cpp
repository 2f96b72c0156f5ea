#include "clisession.h"
#include "verbs.h"

int runParamsVerb(CliSession &, const QStringList &)
{
    CliSession::printError(QStringLiteral("params: not available yet."));
    return CliSession::Failure;
}

int runResetComVerb(CliSession &, const QStringList &)
{
    CliSession::printError(QStringLiteral("reset-com: not available yet."));
    return CliSession::Failure;
}
