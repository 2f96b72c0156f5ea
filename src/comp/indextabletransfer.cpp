#include "indextabletransfer.h"

#include "app/batchfile.h"
#include "app/safefilewriter.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/cataloguetext.h"
#include "tablefile.h"

#include <QDir>
#include <QFileInfo>

namespace {

using CatalogueText::format;
using CatalogueText::text;

const QString lineBreak = QStringLiteral("\n");
const QString paragraph = QStringLiteral("\n\n");

// A batch names at most the two tables.
constexpr int TableCount = 2;

} // namespace

IndexTableTransfer::IndexTableTransfer(const IndexTableKind &kind, DriveLink &link,
                                       UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_kind(kind)
    , m_link(link)
    , m_prompt(&prompt)
{}

IndexTableTransfer::~IndexTableTransfer() = default;

UserPrompt::FileRequest IndexTableTransfer::fileRequest(bool save, bool batch) const
{
    UserPrompt::FileRequest request;
    request.save = save;
    const QString extension = batch ? m_kind.batchExtension : m_kind.extension;
    request.filter = text(batch ? m_kind.batchFilterText : m_kind.fileFilterText) +
                     QStringLiteral(" (*.") + extension + QLatin1Char(')');
    request.defaultSuffix = extension;
    return request;
}

QString IndexTableTransfer::refusal(const QString &path, int readFault, int line) const
{
    using Fault = TableFile::ReadResult::Fault;
    switch (Fault(readFault)) {
    case Fault::None:
        return QString();
    case Fault::CannotOpen:
        return path + lineBreak + text(109);
    case Fault::Malformed:
        return path + lineBreak + text(163) + lineBreak + format(1180, {line});
    case Fault::BadValue:
        return path + lineBreak + format(1181, {line});
    case Fault::TooLong:
        return path + lineBreak + format(1182, {TableFile::MaxIndexEntries});
    case Fault::TooShort:
        return path + lineBreak + text(163);
    }
    return QString();
}

// --- Common ----------------------------------------------------------------

void IndexTableTransfer::begin(Operation operation)
{
    m_operation = operation;
    m_busy = true;
    m_job = 0;
    m_index = 0;
    m_step = Idle;
    Q_EMIT busyChanged(true);
}

void IndexTableTransfer::end(Outcome outcome, const QString &message, bool tell)
{
    m_busy = false;
    m_step = Idle;
    m_operation = NoOperation;
    if (tell && !message.isEmpty())
        m_prompt->message(message);
    Q_EMIT lampIdle();
    Q_EMIT busyChanged(false);
    Q_EMIT finished(outcome, message);
}

void IndexTableTransfer::refuse(const QString &message)
{
    // Nothing was sent: the operation never began.
    m_prompt->message(message);
    Q_EMIT finished(Outcome::Failed, message);
}

void IndexTableTransfer::send(const QByteArray &command)
{
    m_link.send(command, true, DriveLink::DefaultTimeoutMs);
}

bool IndexTableTransfer::hasExtension(const QString &path, const QString &extension) const
{
    return QFileInfo(path).suffix().compare(extension, Qt::CaseInsensitive) == 0;
}

bool IndexTableTransfer::loadTableFile(const QString &path, QByteArrayList *entries,
                                       QString *message) const
{
    const TableFile::ReadResult result = TableFile::readIndex(path);
    *message = refusal(path, int(result.fault), result.line);
    *entries = result.entries;
    return result.fault == TableFile::ReadResult::Fault::None;
}

void IndexTableTransfer::onLinkReply(const QByteArray &line)
{
    if (!m_busy)
        return;
    Q_EMIT lampToggled();
    switch (m_step) {
    case Registering:
    case SendingEntries:
    case Closing:
        registerReply(line);
        return;
    case Reading:
        readReply(line);
        return;
    case Listing:
        listReply(line);
        return;
    default:
        break;
    }
    if (m_operation == CommunicationReset) {
        const bool ok = line == "R00";
        end(ok ? Outcome::Succeeded : Outcome::Failed, text(ok ? 144 : 145));
    }
}

QString IndexTableTransfer::timeoutMessage() const
{
    QStringList paths;
    if (m_operation == Upload || m_operation == BatchUpload) {
        for (const Job &job : m_jobs) {
            if (!job.path.isEmpty())
                paths.append(job.path);
        }
        if (m_operation == BatchUpload)
            paths.prepend(m_batchPath);
    }
    if (paths.isEmpty())
        return text(159);
    // Nothing was written: the message keeps its familiar form, and the
    // files of an earlier upload are still there.
    return text(159) + paragraph + format(161, {paths.join(QStringLiteral(", "))});
}

void IndexTableTransfer::onLinkTimeout()
{
    if (!m_busy)
        return;
    end(Outcome::Failed, timeoutMessage());
}

// --- One table after the other -----------------------------------------------

void IndexTableTransfer::startJob()
{
    const Job &job = m_jobs.at(m_job);
    m_index = 0;
    m_received.clear();
    if (m_operation == Upload || m_operation == BatchUpload) {
        m_step = Reading;
        send(DriveCommand::function(m_kind.readFunction, QByteArray::number(job.table)));
    } else {
        m_step = Registering;
        send(DriveCommand::function(m_kind.beginFunction,
                                    QByteArray::number(job.table) + ':' +
                                        QByteArray::number(job.entries.size())));
    }
}

void IndexTableTransfer::registerReply(const QByteArray &line)
{
    const Job &job = m_jobs.at(m_job);
    if (line == "R0P" && m_step != Closing) {
        if (m_index < job.entries.size()) {
            m_step = SendingEntries;
            // The entries were checked when the file or grid was taken.
            const QByteArray hex =
                TableFile::encodeIndexEntry(job.entries.at(m_index)).value_or("0");
            ++m_index;
            send(m_kind.entryPrefix + hex);
        } else {
            m_step = Closing;
            send(DriveCommand::function(m_kind.endFunction));
        }
        return;
    }
    if (line == "R00" && m_step == Closing) {
        jobDone();
        return;
    }
    const int abort = m_operation == BatchDownload ? 173 : 130;
    end(Outcome::Failed, text(abort) + lineBreak + DriveText::decode(line));
}

void IndexTableTransfer::readReply(const QByteArray &line)
{
    if (line == "R00") {
        jobDone();
        return;
    }
    if (line.startsWith(m_kind.readCode) && m_received.size() < TableFile::MaxIndexEntries) {
        const std::optional<QByteArray> entry =
            TableFile::decodeIndexEntry(ReplyLine(line).afterFirstColon());
        if (entry) {
            m_received.append(*entry);
            send(DriveCommand::pageAck());
            return;
        }
    }
    const int abort = m_operation == BatchUpload ? 172 : 133;
    end(Outcome::Failed, DriveText::decode(line) + paragraph + text(abort));
}

void IndexTableTransfer::jobDone()
{
    if (m_operation == Upload || m_operation == BatchUpload)
        m_jobs[m_job].entries = m_received;
    ++m_job;
    if (m_job < m_jobs.size()) {
        startJob();
        return;
    }
    switch (m_operation) {
    case Upload:
        finishUpload();
        break;
    case BatchUpload:
        finishBatchUpload();
        break;
    case Download:
        end(Outcome::Succeeded, text(129));
        break;
    case BatchDownload: {
        QString message = text(171);
        if (!m_missing.isEmpty())
            message += paragraph + text(m_kind.missingFilesText) + lineBreak +
                       m_missing.join(QStringLiteral(", "));
        end(Outcome::Succeeded, message);
        break;
    }
    default:
        end(Outcome::Succeeded, QString());
        break;
    }
}

// --- Single transfers ----------------------------------------------------------

void IndexTableTransfer::upload(int table, const QString &path)
{
    if (m_busy || path.isEmpty())
        return;
    if (!hasExtension(path, m_kind.extension)) {
        refuse(text(m_kind.notTableText));
        return;
    }
    begin(Upload);
    m_jobs = {Job{table, {}, path}};
    startJob();
}

void IndexTableTransfer::readTable(int table)
{
    if (m_busy)
        return;
    begin(Upload);
    m_jobs = {Job{table, {}, QString()}};
    startJob();
}

void IndexTableTransfer::finishUpload()
{
    const Job &job = m_jobs.first();
    if (job.entries.isEmpty()) {
        end(Outcome::Failed, format(m_kind.emptyTableText, {IndexTableKind::tableName(job.table)}));
        return;
    }
    if (job.path.isEmpty()) {
        // The editor's grid shows the reading.
        end(Outcome::Succeeded, text(210), false);
        return;
    }
    if (!SafeFileWriter::writeWhole(job.path, TableFile::composeIndex(job.entries))) {
        end(Outcome::Failed, job.path + lineBreak + text(109));
        return;
    }
    end(Outcome::Succeeded, text(121));
}

bool IndexTableTransfer::readFile(const QString &path, QByteArrayList *entries,
                                  QString *message) const
{
    if (!hasExtension(path, m_kind.extension)) {
        *message = text(m_kind.notTableText);
        return false;
    }
    return loadTableFile(path, entries, message);
}

void IndexTableTransfer::download(int table, const QString &path)
{
    if (m_busy || path.isEmpty())
        return;
    QByteArrayList entries;
    QString message;
    if (!readFile(path, &entries, &message)) {
        refuse(message);
        return;
    }
    begin(Download);
    m_jobs = {Job{table, entries, path}};
    startJob();
}

void IndexTableTransfer::writeTable(int table, const QByteArrayList &entries)
{
    if (m_busy)
        return;
    for (int i = 0; i < entries.size(); ++i) {
        if (!TableFile::encodeIndexEntry(entries.at(i))) {
            refuse(format(1181, {i + 1}));
            return;
        }
    }
    if (entries.isEmpty() || entries.size() > TableFile::MaxIndexEntries) {
        refuse(format(m_kind.rangeText, {1, TableFile::MaxIndexEntries}));
        return;
    }
    begin(Download);
    m_jobs = {Job{table, entries, QString()}};
    startJob();
}

// --- Batch transfers -----------------------------------------------------------

void IndexTableTransfer::batchUpload(const QString &path)
{
    if (m_busy || path.isEmpty())
        return;
    if (!hasExtension(path, m_kind.batchExtension)) {
        refuse(text(m_kind.notBatchText));
        return;
    }
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString base = info.completeBaseName();
    bool exists = false;
    for (int table = 0; table < TableCount; ++table)
        exists = exists ||
                 QFileInfo::exists(BatchFile::memberPath(folder, base, table, m_kind.extension));
    if (exists) {
        const QString pattern =
            QDir(folder).filePath(base + QStringLiteral("*.") + m_kind.extension);
        if (!m_prompt->askOkCancel(format(174, {pattern}))) {
            m_prompt->message(text(172));
            Q_EMIT finished(Outcome::Cancelled, text(172));
            return;
        }
    }
    begin(BatchUpload);
    m_batchPath = path;
    m_jobs.clear();
    m_stored = {false, false};
    m_step = Listing;
    send(DriveCommand::function(m_kind.listFunction));
}

void IndexTableTransfer::listReply(const QByteArray &line)
{
    if (line.startsWith("R2H")) {
        // "R2H :a:b": one flag per table, in hexadecimal.
        const QByteArrayList fields = line.mid(5).split(':');
        for (int table = 0; table < TableCount && table < fields.size(); ++table) {
            bool ok = false;
            m_stored[table] = fields.at(table).trimmed().toUInt(&ok, 16) != 0 && ok;
        }
        send(DriveCommand::pageAck());
        return;
    }
    if (line != "R00") {
        end(Outcome::Failed, DriveText::decode(line) + paragraph + text(172));
        return;
    }
    const QFileInfo info(m_batchPath);
    for (int table = 0; table < TableCount; ++table) {
        if (m_stored.at(table))
            m_jobs.append({table,
                           {},
                           BatchFile::memberPath(info.absolutePath(), info.completeBaseName(),
                                                 table, m_kind.extension)});
    }
    if (m_jobs.isEmpty()) {
        // No batch file is left behind for tables that are not there.
        end(Outcome::Failed, text(m_kind.noneStoredText));
        return;
    }
    m_job = 0;
    startJob();
}

void IndexTableTransfer::finishBatchUpload()
{
    // Every table has been read: the table files first, the batch file that
    // names them last, each whole.
    const QFileInfo info(m_batchPath);
    QByteArray batch;
    for (const Job &job : std::as_const(m_jobs)) {
        if (!SafeFileWriter::writeWhole(job.path, TableFile::composeIndex(job.entries))) {
            end(Outcome::Failed, job.path + lineBreak + text(109));
            return;
        }
        batch += BatchFile::line(job.table, QFileInfo(job.path).fileName());
    }
    if (!SafeFileWriter::writeWhole(m_batchPath, batch)) {
        end(Outcome::Failed, m_batchPath + lineBreak + text(109));
        return;
    }
    end(Outcome::Succeeded, text(170));
}

void IndexTableTransfer::batchDownload(const QString &path)
{
    if (m_busy || path.isEmpty())
        return;
    if (!hasExtension(path, m_kind.batchExtension)) {
        refuse(text(m_kind.notBatchText));
        return;
    }
    const BatchFile::Result batch = BatchFile::read(path, 0, TableCount - 1, TableCount);
    switch (batch.fault) {
    case BatchFile::Fault::None:
        break;
    case BatchFile::Fault::CannotOpen:
        refuse(path + lineBreak + text(109));
        return;
    case BatchFile::Fault::UnsafeName:
        refuse(path + lineBreak + format(1184, {batch.line, batch.name}));
        return;
    default:
        refuse(path + lineBreak + format(1183, {batch.line}));
        return;
    }
    // Every table file is read and checked before the drive hears of any.
    QList<Job> jobs;
    QStringList missing;
    for (const BatchFile::Entry &entry : batch.entries) {
        QByteArrayList entries;
        QString message;
        if (!QFileInfo::exists(entry.path)) {
            missing.append(entry.name);
            continue;
        }
        if (!loadTableFile(entry.path, &entries, &message)) {
            refuse(message);
            return;
        }
        // The table number is the one read from the line, never its raw text.
        jobs.append({entry.number, entries, entry.path});
    }
    begin(BatchDownload);
    m_jobs = jobs;
    m_missing = missing;
    if (m_jobs.isEmpty()) {
        m_job = 0;
        jobDone();
        return;
    }
    startJob();
}

void IndexTableTransfer::resetCommunication()
{
    if (m_busy)
        return;
    begin(CommunicationReset);
    m_jobs.clear();
    send(DriveCommand::communicationReset());
}
