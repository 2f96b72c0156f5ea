#include "cam/camfile.h"
#include "cam/camtransfer.h"
#include "cam/universalcamfile.h"
#include "clisession.h"
#include "paramsprompt.h"
#include "verbs.h"

#include <QCoreApplication>

#include <functional>
#include <optional>

namespace {

const QString outOption = QStringLiteral("out");

std::optional<int> camNumber(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || text.isEmpty() || !text.at(0).isDigit())
        return std::nullopt;
    return number;
}

// Runs one exchange of the cam profile menu to its end. Exit 0 when it
// succeeded (its messages on stdout), 1 otherwise (on stderr); a batch shows
// its progress on stderr.
int runCam(CliSession &session, bool yes, const std::function<void(CamTransfer &)> &start)
{
    if (!session.connect())
        return CliSession::Failure;
    ParamsPrompt prompt(QString(), yes);
    DriveLink &link = session.link();
    CamTransfer transfer(link, prompt);
    bool ended = false;
    bool ok = false;
    QObject::connect(&transfer, &CamTransfer::finished,
                     [&](CamTransfer::Outcome outcome, const QString &) {
                         ended = true;
                         ok = outcome == CamTransfer::Outcome::Succeeded;
                         QCoreApplication::exit(0);
                     });
    QObject::connect(&transfer, &CamTransfer::progress, [](int done, int total) {
        CliSession::printError(QStringLiteral("Cam profile %1 of %2").arg(done).arg(total));
    });
    link.pushOwner(&transfer);
    start(transfer);
    if (!ended)
        QCoreApplication::exec();
    link.reset();
    link.popOwner();
    for (const QString &message : prompt.messages()) {
        if (ok)
            CliSession::printLine(message.toLocal8Bit());
        else
            CliSession::printError(message);
    }
    if (prompt.declined())
        CliSession::printError(QStringLiteral("Declined the question; --yes answers it with OK."));
    return ok ? CliSession::Success : CliSession::Failure;
}

// The universal profile of a unv file into a cdt file; no drive needed.
int universal(const QString &unvPath, const QString &cdtPath)
{
    bool opened = false;
    const std::optional<CamLaw::Times> times = UniversalCamFile::read(unvPath, &opened);
    if (!times) {
        CliSession::printError(unvPath + QLatin1Char('\n') + CliSession::text(opened ? 124 : 109));
        return CliSession::Failure;
    }
    const std::optional<CamLaw> law = CamLaw::fromTimes(*times);
    if (!law) {
        CliSession::printError(unvPath + QLatin1Char('\n') + CliSession::text(1160));
        return CliSession::Failure;
    }
    if (!CamFile::write(cdtPath, UniversalCamFile::profileFor(*law, cdtPath),
                        CamFile::header(cdtPath, 0))) {
        CliSession::printError(cdtPath + QLatin1Char('\n') + CliSession::text(109));
        return CliSession::Failure;
    }
    CliSession::printLine(CliSession::text(121).toLocal8Bit());
    return CliSession::Success;
}

} // namespace

// cam upload N FILE.cdt | cam download N FILE.cdt | cam batch-upload FILE.whc
// | cam batch-download FILE.whc | cam universal FILE.unv --out FILE.cdt
int runCamVerb(CliSession &session, const QStringList &args)
{
    const bool yes = session.parser().isSet(QStringLiteral("yes"));
    const QString verb = args.value(0);
    if (args.size() == 3 &&
        (verb == QLatin1String("upload") || verb == QLatin1String("download"))) {
        const std::optional<int> number = camNumber(args.at(1));
        if (!number)
            return -1;
        const QString path = args.at(2);
        const bool upload = verb == QLatin1String("upload");
        return runCam(session, yes, [&](CamTransfer &transfer) {
            if (upload)
                transfer.upload(*number, path);
            else
                transfer.download(*number, path);
        });
    }
    if (args.size() == 2 && verb == QLatin1String("batch-upload"))
        return runCam(session, yes, [&](CamTransfer &t) { t.batchUpload(args.at(1)); });
    if (args.size() == 2 && verb == QLatin1String("batch-download"))
        return runCam(session, yes, [&](CamTransfer &t) { t.batchDownload(args.at(1)); });
    if (args.size() == 2 && verb == QLatin1String("universal") &&
        !session.parser().value(outOption).isEmpty())
        return universal(args.at(1), session.parser().value(outOption));
    return -1;
}
