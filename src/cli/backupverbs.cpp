#include "app/appsettings.h"
#include "backup/backuptransfer.h"
#include "backup/motordatatransfer.h"
#include "clisession.h"
#include "params/parametertransfer.h"
#include "paramsprompt.h"
#include "verbs.h"

#include <QCoreApplication>

#include <functional>

namespace {

QString sectionName(int code)
{
    return CliSession::text(1206 + code - BackupIndex::Parameters);
}

// Runs one backup or restore to its end, with one progress line per section
// on stderr. Exit 0 when it succeeded (its message on stdout), 1 otherwise
// (the message on stderr).
template <typename Transfer>
int runToEnd(CliSession &session, const QString &path,
             const std::function<void(Transfer &)> &configure,
             const std::function<void(Transfer &)> &start)
{
    if (!session.connect())
        return CliSession::Failure;
    const bool yes = session.parser().isSet(QStringLiteral("yes"));
    ParamsPrompt prompt(path, yes);
    DriveLink &link = session.link();
    Transfer transfer(link, prompt);
    configure(transfer);
    bool ended = false;
    bool ok = false;
    QString last;
    QObject::connect(&transfer, &Transfer::finished,
                     [&](typename Transfer::Outcome outcome, const QString &message) {
                         ended = true;
                         ok = outcome == Transfer::Outcome::Succeeded;
                         last = message;
                         QCoreApplication::exit(0);
                     });
    link.pushOwner(&transfer);
    start(transfer);
    if (!ended)
        QCoreApplication::exec();
    link.reset();
    link.popOwner();
    QStringList messages = prompt.messages();
    if (messages.isEmpty() && !last.isEmpty())
        messages.append(last);
    for (const QString &message : std::as_const(messages)) {
        if (ok)
            CliSession::printLine(message.toLocal8Bit());
        else
            CliSession::printError(message);
    }
    if (prompt.declined())
        CliSession::printError(
            QStringLiteral("Declined the question; --yes answers it with Yes/OK."));
    return ok ? CliSession::Success : CliSession::Failure;
}

int runUserData(CliSession &session, const QString &verb, const QStringList &args, bool backup)
{
    if (args.size() != 1)
        return -1;
    const auto configure = [verb](BackupTransfer &transfer) {
        transfer.parameterTransfer().setEnglish(AppSettings::instance().english());
        transfer.parameterTransfer().setSiblingVariant(AppSettings::instance().siblingVariant());
        QObject::connect(&transfer, &BackupTransfer::progress,
                         [verb](int index, int count, int code, const QString &item) {
                             if (item.isEmpty())
                                 CliSession::printError(QStringLiteral("%1: %2/%3 %4")
                                                            .arg(verb)
                                                            .arg(index + 1)
                                                            .arg(count)
                                                            .arg(sectionName(code)));
                         });
    };
    return runToEnd<BackupTransfer>(session, args.first(), configure,
                                    [backup](BackupTransfer &transfer) {
                                        if (backup)
                                            transfer.backup();
                                        else
                                            transfer.restore();
                                    });
}

int runMotorData(CliSession &session, const QString &verb, const QStringList &args, bool upload)
{
    if (args.size() != 1)
        return -1;
    const auto configure = [verb](MotorDataTransfer &transfer) {
        QObject::connect(&transfer, &MotorDataTransfer::progress,
                         [verb](int index, int count, const QString &) {
                             CliSession::printError(QStringLiteral("%1: %2/%3 %4")
                                                        .arg(verb)
                                                        .arg(index + 1)
                                                        .arg(count)
                                                        .arg(CliSession::text(1213 + index)));
                         });
    };
    return runToEnd<MotorDataTransfer>(session, args.first(), configure,
                                       [upload](MotorDataTransfer &transfer) {
                                           if (upload)
                                               transfer.upload();
                                           else
                                               transfer.download();
                                       });
}

} // namespace

// backup FILE.wha [--yes]
int runBackupVerb(CliSession &session, const QStringList &args)
{
    return runUserData(session, QStringLiteral("backup"), args, true);
}

// restore FILE.wha [--yes]
int runRestoreVerb(CliSession &session, const QStringList &args)
{
    return runUserData(session, QStringLiteral("restore"), args, false);
}

// motor-backup FILE.whm [--yes]
int runMotorBackupVerb(CliSession &session, const QStringList &args)
{
    return runMotorData(session, QStringLiteral("motor-backup"), args, true);
}

// motor-restore FILE.whm [--yes]
int runMotorRestoreVerb(CliSession &session, const QStringList &args)
{
    return runMotorData(session, QStringLiteral("motor-restore"), args, false);
}
