#include "app/safefilewriter.h"
#include "clisession.h"
#include "comp/accuracytabletransfer.h"
#include "comp/indextabletransfer.h"
#include "comp/pointtabletransfer.h"
#include "comp/tablefile.h"
#include "paramsprompt.h"
#include "verbs.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <functional>

namespace {

const QByteArray pointHeader = "point,value,attribute";

// Runs one exchange to its end: the transfer's `finished` stops the loop.
// Returns true when it succeeded; `message` is what it said at the end.
template <typename Transfer>
bool runExchange(CliSession &session, Transfer &transfer, const std::function<void()> &start,
                 QString *message)
{
    DriveLink &link = session.link();
    bool ended = false;
    bool ok = false;
    QObject::connect(&transfer, &Transfer::finished,
                     [&](typename Transfer::Outcome outcome, const QString &text) {
                         ended = true;
                         ok = outcome == Transfer::Outcome::Succeeded;
                         *message = text;
                         QCoreApplication::exit(0);
                     });
    link.pushOwner(&transfer);
    start();
    if (!ended)
        QCoreApplication::exec();
    link.reset();
    link.popOwner();
    return ok;
}

// The prompt's messages on stdout after success, on stderr otherwise; the
// exchange's last word when it told the prompt nothing.
int report(const ParamsPrompt &prompt, bool ok, const QString &last)
{
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
        CliSession::printError(QStringLiteral("Declined the question; --yes answers it with OK."));
    return ok ? CliSession::Success : CliSession::Failure;
}

const IndexTableKind *kindByName(const QString &name)
{
    if (name == QLatin1String("idx"))
        return &IndexTableKind::typeA();
    if (name == QLatin1String("idp"))
        return &IndexTableKind::typeB();
    return nullptr;
}

const IndexTableKind *kindByBatch(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("whi"))
        return &IndexTableKind::typeA();
    if (suffix == QLatin1String("whb"))
        return &IndexTableKind::typeB();
    return nullptr;
}

int tableNumber(const QString &name)
{
    if (name == QLatin1String("A"))
        return 0;
    if (name == QLatin1String("B"))
        return 1;
    return -1;
}

int runIndex(CliSession &session, const IndexTableKind &kind, bool yes,
             const std::function<void(IndexTableTransfer &)> &start)
{
    if (!session.connect())
        return CliSession::Failure;
    ParamsPrompt prompt(QString(), yes);
    IndexTableTransfer transfer(kind, session.link(), prompt);
    QString last;
    const bool ok = runExchange(
        session, transfer, [&] { start(transfer); }, &last);
    return report(prompt, ok, last);
}

int uploadAccuracy(CliSession &session, const QString &path)
{
    if (!session.connect())
        return CliSession::Failure;
    ParamsPrompt prompt(QString(), false);
    AccuracyTableTransfer transfer(session.link(), prompt);
    QString last;
    bool ok = runExchange(
        session, transfer, [&] { transfer.upload(); }, &last);
    if (ok) {
        ok = AccuracyTableTransfer::saveFile(path, transfer.entries(), &last);
        if (!ok)
            last = path + QLatin1Char('\n') + last;
    }
    return report(prompt, ok, last);
}

int downloadAccuracy(CliSession &session, const QString &path, bool yes)
{
    QByteArrayList entries;
    QString problem;
    if (!AccuracyTableTransfer::loadFile(path, &entries, &problem)) {
        CliSession::printError(problem);
        return CliSession::Failure;
    }
    if (!session.connect())
        return CliSession::Failure;
    ParamsPrompt prompt(QString(), yes);
    AccuracyTableTransfer transfer(session.link(), prompt);
    QString last;
    const bool ok = runExchange(
        session, transfer, [&] { transfer.download(entries); }, &last);
    return report(prompt, ok, last);
}

// The point table as CSV: a header, then "point,value,attribute" for the
// points 0 to 99 in order.
QByteArray composePoints(const QByteArrayList &items)
{
    QByteArray bytes = pointHeader + "\r\n";
    for (int k = 0; k < PointTableTransfer::Points; ++k)
        bytes += QByteArray::number(k) + ',' + items.at(k) + ',' +
                 items.at(PointTableTransfer::Points + k) + "\r\n";
    return bytes;
}

bool readPoints(const QString &path, QByteArrayList *items, QString *problem)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = path + QLatin1Char('\n') + CliSession::text(109);
        return false;
    }
    QByteArrayList lines = file.readAll().split('\n');
    for (QByteArray &line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty() || lines.first() != pointHeader) {
        *problem = QStringLiteral("%1: the first line must be \"%2\".")
                       .arg(path, QString::fromLatin1(pointHeader));
        return false;
    }
    if (lines.size() != PointTableTransfer::Points + 1) {
        *problem = QStringLiteral("%1: %2 rows; the point table has %3.")
                       .arg(path)
                       .arg(lines.size() - 1)
                       .arg(PointTableTransfer::Points);
        return false;
    }
    QByteArrayList values;
    QByteArrayList attributes;
    for (int k = 0; k < PointTableTransfer::Points; ++k) {
        const QByteArrayList fields = lines.at(k + 1).split(',');
        const std::optional<QByteArray> value =
            fields.size() == 3 ? TableFile::boundedValue(fields.at(1)) : std::nullopt;
        const std::optional<QByteArray> attribute =
            fields.size() == 3 ? TableFile::boundedValue(fields.at(2)) : std::nullopt;
        if (fields.size() != 3 || fields.at(0).trimmed() != QByteArray::number(k) || !value ||
            !attribute) {
            *problem = QStringLiteral("%1, line %2: %3\n%4")
                           .arg(path)
                           .arg(k + 2)
                           .arg(QString::fromLatin1(lines.at(k + 1)), CliSession::text(189));
            return false;
        }
        values.append(*value);
        attributes.append(*attribute);
    }
    *items = values + attributes;
    return true;
}

int runPoints(CliSession &session, bool upload, const QString &path)
{
    QByteArrayList items;
    if (!upload) {
        QString problem;
        if (!readPoints(path, &items, &problem)) {
            CliSession::printError(problem);
            return CliSession::Failure;
        }
    }
    if (!session.connect())
        return CliSession::Failure;
    ParamsPrompt prompt(QString(), false);
    PointTableTransfer transfer(session.link(), prompt);
    QObject::connect(&transfer, &PointTableTransfer::progress, [](int done) {
        CliSession::printError(
            QStringLiteral("points: %1/%2").arg(done).arg(PointTableTransfer::Items));
    });
    QString last;
    bool ok = runExchange(
        session, transfer, [&] { upload ? transfer.upload() : transfer.download(items); }, &last);
    if (ok && upload) {
        ok = SafeFileWriter::writeWhole(path, composePoints(transfer.items()));
        last = ok ? CliSession::text(121) : path + QLatin1Char('\n') + CliSession::text(120);
    }
    return report(prompt, ok, last);
}

} // namespace

// table upload|download idx|idp A|B FILE, table upload|download aac FILE,
// table batch-upload|batch-download FILE.whi|FILE.whb
int runTableVerb(CliSession &session, const QStringList &args)
{
    const bool yes = session.parser().isSet(QStringLiteral("yes"));
    const QString action = args.value(0);
    if ((action == QLatin1String("upload") || action == QLatin1String("download")) &&
        args.size() == 4) {
        const IndexTableKind *kind = kindByName(args.at(1));
        const int table = tableNumber(args.at(2));
        if (!kind || table < 0)
            return -1;
        const QString path = args.at(3);
        if (action == QLatin1String("upload"))
            return runIndex(session, *kind, yes,
                            [&](IndexTableTransfer &t) { t.upload(table, path); });
        return runIndex(session, *kind, yes,
                        [&](IndexTableTransfer &t) { t.download(table, path); });
    }
    if (args.size() == 3 && args.at(1) == QLatin1String("aac")) {
        if (action == QLatin1String("upload"))
            return uploadAccuracy(session, args.at(2));
        if (action == QLatin1String("download"))
            return downloadAccuracy(session, args.at(2), yes);
        return -1;
    }
    if (args.size() == 2 &&
        (action == QLatin1String("batch-upload") || action == QLatin1String("batch-download"))) {
        const QString path = args.at(1);
        const IndexTableKind *kind = kindByBatch(path);
        if (!kind)
            return -1;
        if (action == QLatin1String("batch-upload"))
            return runIndex(session, *kind, yes,
                            [&](IndexTableTransfer &t) { t.batchUpload(path); });
        return runIndex(session, *kind, yes, [&](IndexTableTransfer &t) { t.batchDownload(path); });
    }
    return -1;
}

// points upload|download FILE.csv
int runPointsVerb(CliSession &session, const QStringList &args)
{
    if (args.size() != 2)
        return -1;
    if (args.at(0) == QLatin1String("upload"))
        return runPoints(session, true, args.at(1));
    if (args.at(0) == QLatin1String("download"))
        return runPoints(session, false, args.at(1));
    return -1;
}
