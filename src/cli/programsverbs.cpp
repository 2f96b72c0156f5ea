#include "clisession.h"
#include "paramsprompt.h"
#include "programs/programtransfer.h"
#include "verbs.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>

#include <functional>
#include <optional>

namespace {

// A program number as typed: digits only; anything else is a usage error.
std::optional<int> programNumber(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || text.isEmpty() || !text.at(0).isDigit())
        return std::nullopt;
    return number;
}

// Runs one operation of the program manager to its end. Exit 0 when it
// succeeded (its message on stdout), 1 when it failed or was declined (the
// message on stderr).
int runTransfer(CliSession &session, ParamsPrompt &prompt,
                const std::function<void(ProgramTransfer &)> &start,
                const std::function<void(const ProgramTransfer &)> &report = {})
{
    if (!session.connect())
        return CliSession::Failure;
    DriveLink &link = session.link();
    ProgramTransfer transfer(link, prompt);

    bool ended = false;
    ProgramTransfer::Outcome outcome = ProgramTransfer::Outcome::Failed;
    QObject::connect(&transfer, &ProgramTransfer::finished,
                     [&](ProgramTransfer::Outcome result, const QString &) {
                         ended = true;
                         outcome = result;
                         QCoreApplication::exit(0);
                     });
    QObject::connect(&transfer, &ProgramTransfer::progress, [](int done, int total) {
        CliSession::printError(QStringLiteral("Program %1 of %2").arg(done).arg(total));
    });
    link.pushOwner(&transfer);
    start(transfer);
    if (!ended)
        QCoreApplication::exec();
    link.reset();
    link.popOwner();

    const bool ok = outcome == ProgramTransfer::Outcome::Succeeded;
    if (ok && report)
        report(transfer);
    for (const QString &message : prompt.messages()) {
        if (ok)
            CliSession::printLine(message.toLocal8Bit());
        else
            CliSession::printError(message);
    }
    if (prompt.declined())
        CliSession::printError(QStringLiteral("The question above was answered No; --yes "
                                              "answers it Yes."));
    return ok ? CliSession::Success : CliSession::Failure;
}

// The listing as the Program Index shows it, then the free blocks.
void printIndex(const ProgramTransfer &transfer)
{
    for (QByteArray line : transfer.indexLines()) {
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        CliSession::printLine(line);
    }
    CliSession::printLine("Remain Block: " + transfer.freeBlocks());
}

// The same listing as one JSON object: {"programs": [{"number": 3, "blocks":
// 12}, ...], "freeBlocks": 1200}; a count the drive sent in another form
// stays text.
void printIndexJson(const ProgramTransfer &transfer)
{
    const auto count = [](const QByteArray &text) -> QJsonValue {
        bool ok = false;
        const int value = text.trimmed().toInt(&ok);
        return ok ? QJsonValue(value) : QJsonValue(QString::fromLatin1(text.trimmed()));
    };
    QJsonArray programs;
    const QByteArrayList &lines = transfer.indexLines();
    for (qsizetype i = 0; i < lines.size() && i < transfer.listedNumbers().size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        programs.append(
            QJsonObject{{QStringLiteral("number"), transfer.listedNumbers().at(i)},
                        {QStringLiteral("blocks"), count(line.mid(line.indexOf(':') + 1))}});
    }
    CliSession::printJson({{QStringLiteral("programs"), programs},
                           {QStringLiteral("freeBlocks"), count(transfer.freeBlocks())}});
}

} // namespace

// programs list | upload N FILE | download N FILE [--yes] | delete N
//          | batch-upload FILE [--yes] | batch-download FILE [--yes]
int runProgramsVerb(CliSession &session, const QStringList &args)
{
    if (args.isEmpty())
        return -1;
    const QString what = args.first();
    const bool yes = session.parser().isSet(QStringLiteral("yes"));
    if (what == u"list" && args.size() == 1) {
        ParamsPrompt prompt(QString(), yes);
        return runTransfer(
            session, prompt, [](ProgramTransfer &t) { t.list(); },
            session.json() ? printIndexJson : printIndex);
    }
    if (what == u"delete" && args.size() == 2) {
        const std::optional<int> number = programNumber(args.at(1));
        if (!number)
            return -1;
        ParamsPrompt prompt(QString(), yes);
        return runTransfer(session, prompt, [&](ProgramTransfer &t) { t.remove(*number); });
    }
    if ((what == u"upload" || what == u"download") && args.size() == 3) {
        const std::optional<int> number = programNumber(args.at(1));
        if (!number)
            return -1;
        ParamsPrompt prompt(args.at(2), yes);
        if (what == u"upload")
            return runTransfer(session, prompt, [&](ProgramTransfer &t) { t.upload(*number); });
        return runTransfer(session, prompt, [&](ProgramTransfer &t) { t.download(*number); });
    }
    if ((what == u"batch-upload" || what == u"batch-download") && args.size() == 2) {
        ParamsPrompt prompt(args.at(1), yes);
        if (what == u"batch-upload")
            return runTransfer(session, prompt, [](ProgramTransfer &t) { t.batchUpload(); });
        return runTransfer(session, prompt, [](ProgramTransfer &t) { t.batchDownload(); });
    }
    return -1;
}
