#include "clisession.h"
#include "io/ioconfigtransfer.h"
#include "paramsprompt.h"
#include "verbs.h"

#include <QCoreApplication>

#include <cstdio>

// io upload FILE | io download FILE
//
// Runs one transfer of the I/O configuration menu to its end. Exit 0 when it
// succeeded (its message on stdout), 1 when it failed (on stderr). A download
// shows its progress on stderr, line by line.
int runIoVerb(CliSession &session, const QStringList &args)
{
    if (args.size() != 2)
        return -1;
    const bool upload = args.at(0) == QLatin1String("upload");
    if (!upload && args.at(0) != QLatin1String("download"))
        return -1;
    if (!session.connect())
        return CliSession::Failure;

    ParamsPrompt prompt(args.at(1), false);
    DriveLink &link = session.link();
    IoConfigTransfer transfer(link, prompt);
    bool ended = false;
    bool progressShown = false;
    IoConfigTransfer::Outcome outcome = IoConfigTransfer::Outcome::Failed;
    QObject::connect(&transfer, &IoConfigTransfer::finished,
                     [&](IoConfigTransfer::Outcome result, const QString &) {
                         ended = true;
                         outcome = result;
                         QCoreApplication::exit(0);
                     });
    QObject::connect(&transfer, &IoConfigTransfer::progress, [&](int done, int total) {
        if (total <= 0)
            return;
        std::fprintf(stderr, "\rLine %d of %d", done, total);
        std::fflush(stderr);
        progressShown = true;
    });
    link.pushOwner(&transfer);
    if (upload)
        transfer.upload();
    else
        transfer.download();
    if (!ended)
        QCoreApplication::exec();
    link.reset();
    link.popOwner();
    if (progressShown)
        std::fputc('\n', stderr);

    const bool ok = outcome == IoConfigTransfer::Outcome::Succeeded;
    for (const QString &message : prompt.messages()) {
        if (ok)
            CliSession::printLine(message.toLocal8Bit());
        else
            CliSession::printError(message);
    }
    return ok ? CliSession::Success : CliSession::Failure;
}
