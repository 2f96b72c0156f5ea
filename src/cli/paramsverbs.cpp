#include "app/appsettings.h"
#include "clisession.h"
#include "params/parametertransfer.h"
#include "paramsprompt.h"
#include "verbs.h"

#include <QCoreApplication>

#include <functional>

namespace {

// Runs one operation of the parameter manager to its end. Exit 0 when it
// succeeded (its message on stdout), 1 when it failed, was declined or the
// drive refused values (the message on stderr).
int runTransfer(CliSession &session, ParamsPrompt &prompt,
                const std::function<void(ParameterTransfer &)> &start)
{
    if (!session.connect())
        return CliSession::Failure;
    DriveLink &link = session.link();
    ParameterTransfer transfer(link, prompt);
    transfer.setEnglish(AppSettings::instance().english());
    transfer.setSiblingVariant(AppSettings::instance().siblingVariant());

    bool ended = false;
    ParameterTransfer::Outcome outcome = ParameterTransfer::Outcome::Failed;
    QObject::connect(&transfer, &ParameterTransfer::finished,
                     [&](ParameterTransfer::Outcome result, const QString &) {
                         ended = true;
                         outcome = result;
                         QCoreApplication::exit(0);
                     });
    link.pushOwner(&transfer);
    start(transfer);
    if (!ended)
        QCoreApplication::exec();
    link.reset();
    link.popOwner();

    const bool ok = outcome == ParameterTransfer::Outcome::Succeeded && !transfer.hasRejected();
    for (const QString &message : prompt.messages()) {
        if (ok)
            CliSession::printLine(message.toLocal8Bit());
        else
            CliSession::printError(message);
    }
    if (prompt.declined())
        CliSession::printError(QStringLiteral("Nothing was written to the drive; --yes downloads "
                                              "the file all the same."));
    return ok ? CliSession::Success : CliSession::Failure;
}

} // namespace

// params upload FILE | params download FILE [--yes]
int runParamsVerb(CliSession &session, const QStringList &args)
{
    if (args.size() != 2)
        return -1;
    const bool yes = session.parser().isSet(QStringLiteral("yes"));
    ParamsPrompt prompt(args.at(1), yes);
    if (args.at(0) == QLatin1String("upload"))
        return runTransfer(session, prompt, [](ParameterTransfer &t) { t.upload(); });
    if (args.at(0) == QLatin1String("download"))
        return runTransfer(session, prompt, [](ParameterTransfer &t) { t.download(); });
    return -1;
}

// reset-com
int runResetComVerb(CliSession &session, const QStringList &args)
{
    if (!args.isEmpty())
        return -1;
    ParamsPrompt prompt(QString(), false);
    return runTransfer(session, prompt, [](ParameterTransfer &t) { t.resetCommunication(); });
}
