#include "camtransfer.h"

#include "app/batchfile.h"
#include "app/safefilewriter.h"
#include "camfile.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/cataloguetext.h"

#include <QDir>
#include <QFileInfo>

#include <memory>
#include <vector>

namespace {

using CatalogueText::format;
using CatalogueText::text;

const QString lineBreak = QStringLiteral("\n");
const QString paragraph = QStringLiteral("\n\n");
const QString profileExtension = QStringLiteral("cdt");
const QString batchExtension = QStringLiteral("whc");

bool hasExtension(const QString &path, const QString &extension)
{
    return QFileInfo(path).suffix().compare(extension, Qt::CaseInsensitive) == 0;
}

std::optional<quint32> hexField(const QByteArray &text)
{
    const QByteArray digits = text.trimmed();
    bool ok = false;
    const quint32 value = digits.toUInt(&ok, 16);
    if (!ok || digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    return value;
}

// "R2H :…" and the like: the fields after the code and its two characters.
QByteArrayList fieldsOf(const QByteArray &line)
{
    return line.mid(5).split(':');
}

} // namespace

CamTransfer::CamTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
{}

CamTransfer::~CamTransfer() = default;

UserPrompt::FileRequest CamTransfer::fileRequest(FileKind kind, bool save)
{
    UserPrompt::FileRequest request;
    request.save = save;
    switch (kind) {
    case FileKind::Profile:
        request.filter = text(131) + QStringLiteral(" (*.cdt)");
        request.defaultSuffix = profileExtension;
        break;
    case FileKind::Batch:
        request.filter = text(175) + QStringLiteral(" (*.whc)");
        request.defaultSuffix = batchExtension;
        break;
    case FileKind::Universal:
        request.filter = text(139) + QStringLiteral(" (*.unv)");
        request.defaultSuffix = QStringLiteral("unv");
        break;
    }
    return request;
}

QString CamTransfer::loadProfile(const QString &path, CamProfile *profile)
{
    if (!hasExtension(path, profileExtension))
        return path + paragraph + text(111);
    const CamFile::ReadResult result = CamFile::read(path);
    switch (result.fault) {
    case CamFile::ReadResult::Fault::None:
        *profile = result.profile;
        return QString();
    case CamFile::ReadResult::Fault::CannotOpen:
        return path + lineBreak + text(109);
    case CamFile::ReadResult::Fault::NotCamFile:
        break;
    }
    return path + paragraph + text(111);
}

QByteArrayList CamTransfer::registerLines(const CamProfile &profile)
{
    QByteArrayList lines{DriveCommand::camTitle(profile.title)};
    const auto &items = CamProfile::items();
    for (int slot = 0; slot < CamProfile::ItemCount; ++slot)
        lines.append(DriveCommand::camItem(items[slot].index, profile.values[slot]));
    for (int line = 0; line < CamProfile::DataLines; ++line) {
        const int first = CamProfile::firstPointOf(line);
        const int last = CamProfile::lastPointOf(line);
        QByteArray rest;
        for (int k = first; k <= last; ++k)
            rest += ':' + QByteArray::number(quint32(profile.points[k]), 16).toUpper();
        lines.append(DriveCommand::camData(quint32(first), quint32(last), rest));
    }
    return lines;
}

// --- Common ----------------------------------------------------------------

void CamTransfer::begin(Operation operation)
{
    m_operation = operation;
    m_busy = true;
    m_job = 0;
    m_stage = Idle;
    Q_EMIT busyChanged(true);
}

void CamTransfer::end(Outcome outcome, const QString &message)
{
    m_busy = false;
    m_stage = Idle;
    m_operation = NoOperation;
    if (!message.isEmpty())
        m_prompt->message(message);
    Q_EMIT lampIdle();
    Q_EMIT busyChanged(false);
    Q_EMIT finished(outcome, message);
}

void CamTransfer::refuse(const QString &message)
{
    // Nothing was sent: the operation never began.
    m_prompt->message(message);
    Q_EMIT finished(Outcome::Failed, message);
}

void CamTransfer::send(const QByteArray &command)
{
    m_link.send(command, true, DriveLink::DefaultTimeoutMs);
}

bool CamTransfer::checkNumber(int number)
{
    if (CamProfile::isValidNumber(number))
        return true;
    refuse(format(136, {CamProfile::LowestNumber, CamProfile::HighestNumber}));
    return false;
}

void CamTransfer::onLinkReply(const QByteArray &line)
{
    if (!m_busy)
        return;
    Q_EMIT lampToggled();
    switch (m_stage) {
    case Asking:
    case Preparing:
    case Reading:
        readReply(line);
        return;
    case Opening:
    case Sending:
    case Closing:
        registerReply(line);
        return;
    default:
        break;
    }
    if (m_operation == CommunicationReset) {
        const bool ok = line == "R00";
        end(ok ? Outcome::Succeeded : Outcome::Failed, text(ok ? 144 : 145));
    }
}

QString CamTransfer::deleting() const
{
    // Nothing was written; the message keeps its familiar form and the
    // files of an earlier upload are still there.
    if (m_operation == BatchUpload)
        return paragraph +
               format(161, {m_batchPath + QStringLiteral(", ") + m_jobs.value(m_job).path});
    if (m_operation == Upload && m_stage == Reading)
        return paragraph + format(161, {m_jobs.value(m_job).path});
    return QString();
}

void CamTransfer::onLinkTimeout()
{
    if (!m_busy)
        return;
    end(Outcome::Failed, text(159) + deleting());
}

// --- One profile after the other ---------------------------------------------

void CamTransfer::clearReading()
{
    m_profile = CamProfile();
    m_itemsRead = {};
    m_pointsRead.reset();
}

void CamTransfer::startJob()
{
    const Job &job = m_jobs.at(m_job);
    if (m_operation == Download || m_operation == BatchDownload) {
        m_lines = registerLines(job.profile);
        m_next = 0;
        m_stage = Opening;
        send(DriveCommand::beginCam(job.number));
        return;
    }
    // The tag the reading compares with is 0 until the drive's items say
    // otherwise.
    clearReading();
    m_stage = Asking;
    send(DriveCommand::readCam(job.number));
}

void CamTransfer::registerReply(const QByteArray &line)
{
    if (line == "R0P" && m_stage != Closing) {
        if (m_next < m_lines.size()) {
            m_stage = Sending;
            send(m_lines.at(m_next++));
        } else {
            m_stage = Closing;
            send(DriveCommand::endCam());
        }
        return;
    }
    if (line == "R00" && m_stage == Closing) {
        jobDone();
        return;
    }
    const int abort = m_operation == BatchDownload ? 173 : 130;
    end(Outcome::Failed, text(abort) + lineBreak + DriveText::decode(line));
}

bool CamTransfer::takeData(const QByteArray &line)
{
    const QByteArrayList fields = fieldsOf(line);
    if (line.startsWith("R2H")) {
        const std::optional<quint32> index =
            fields.size() == 2 ? hexField(fields.at(0)) : std::nullopt;
        const std::optional<quint32> value =
            fields.size() == 2 ? hexField(fields.at(1)) : std::nullopt;
        const int slot = index ? CamProfile::itemSlot(*index) : -1;
        if (slot < 0 || !value)
            return false;
        m_profile.values[slot] = *value;
        m_itemsRead[slot] = true;
        return true;
    }
    // R7H / R3H: first, last and the points between.
    const std::optional<quint32> first = fields.size() >= 3 ? hexField(fields.at(0)) : std::nullopt;
    const std::optional<quint32> last = fields.size() >= 3 ? hexField(fields.at(1)) : std::nullopt;
    if (!first || !last || *last < *first || *last > quint32(CamProfile::LastPoint) ||
        qsizetype(*last - *first) + 3 != fields.size())
        return false;
    for (quint32 k = *first; k <= *last; ++k) {
        const std::optional<quint32> value = hexField(fields.at(int(k - *first) + 2));
        if (!value)
            return false;
        m_profile.points[k] = qint32(*value);
        m_pointsRead.set(k);
    }
    return true;
}

bool CamTransfer::complete() const
{
    for (bool read : m_itemsRead) {
        if (!read)
            return false;
    }
    return m_pointsRead.all();
}

void CamTransfer::readReply(const QByteArray &line)
{
    const int wrong = 197;
    if (line.startsWith("R1Z")) {
        m_profile.title = line.mid(5);
        send(DriveCommand::pageAck());
        return;
    }
    if (line.startsWith("R2H") || line.startsWith("R7H") || line.startsWith("R3H")) {
        if (!takeData(line)) {
            end(Outcome::Failed, text(wrong) + deleting());
            return;
        }
        send(DriveCommand::pageAck());
        return;
    }
    if (line.startsWith("R1H")) {
        const std::optional<quint32> tag = hexField(line.mid(5));
        if (!tag) {
            end(Outcome::Failed, text(wrong) + deleting());
            return;
        }
        if (*tag != m_profile.values[CamProfile::Tag]) {
            // The drive prepares a profile once; a second different tag
            // would only start the round again.
            if (m_stage != Asking) {
                end(Outcome::Failed, text(wrong) + deleting());
                return;
            }
            m_stage = Preparing;
            send(DriveCommand::readCamTag(QByteArray::number(*tag)));
            return;
        }
        // The drive sent the whole profile with its answer.
        if (!complete()) {
            end(Outcome::Failed, text(wrong) + deleting());
            return;
        }
        m_jobs[m_job].delivered = true;
        jobDone();
        return;
    }
    if (line == "R00") {
        switch (m_stage) {
        case Asking:
            if (m_operation == BatchUpload) {
                // Not registered: the batch goes on without it.
                jobDone();
                return;
            }
            end(Outcome::NotRegistered, text(178));
            return;
        case Preparing:
            clearReading();
            m_stage = Reading;
            send(DriveCommand::readCamPoints(m_jobs.at(m_job).number));
            return;
        default:
            if (!complete()) {
                end(Outcome::Failed, text(wrong) + deleting());
                return;
            }
            m_jobs[m_job].delivered = true;
            jobDone();
            return;
        }
    }
    end(Outcome::Failed, DriveText::decode(line) + paragraph + abortText() + deleting());
}

QString CamTransfer::abortText() const
{
    return text(m_operation == BatchUpload ? 172 : 133);
}

void CamTransfer::jobDone()
{
    if (m_operation == Upload || m_operation == BatchUpload || m_operation == Read)
        m_jobs[m_job].profile = m_profile;
    m_stage = Idle;
    ++m_job;
    if (m_operation == BatchUpload || m_operation == BatchDownload)
        Q_EMIT progress(m_job, int(m_jobs.size()));
    if (m_job < m_jobs.size()) {
        startJob();
        return;
    }
    switch (m_operation) {
    case Upload:
        finishUpload();
        return;
    case BatchUpload:
        finishBatchUpload();
        return;
    case Download:
        end(Outcome::Succeeded, text(129));
        return;
    case BatchDownload: {
        QString message = text(171);
        if (!m_missing.isEmpty())
            message += paragraph + text(177) + lineBreak + m_missing.join(QStringLiteral(", "));
        end(Outcome::Succeeded, message);
        return;
    }
    default:
        end(Outcome::Succeeded, QString());
        return;
    }
}

// --- Single transfers ----------------------------------------------------------

void CamTransfer::upload(int number, const QString &path)
{
    if (m_busy || path.isEmpty() || !checkNumber(number))
        return;
    if (!hasExtension(path, profileExtension)) {
        refuse(path + paragraph + text(111));
        return;
    }
    begin(Upload);
    m_jobs = {Job{number, {}, path}};
    startJob();
}

void CamTransfer::read(int number)
{
    if (m_busy || !checkNumber(number))
        return;
    begin(Read);
    m_jobs = {Job{number, {}, QString()}};
    startJob();
}

QByteArrayList CamTransfer::commentsFor(const Job &job) const
{
    return m_comments.isEmpty() ? CamFile::header(job.path, job.number) : m_comments;
}

void CamTransfer::finishUpload()
{
    Job &job = m_jobs.first();
    // The file names the profile it holds.
    job.profile.title = CamFile::titleFor(job.path);
    if (!CamFile::write(job.path, job.profile, commentsFor(job))) {
        end(Outcome::Failed, job.path + lineBreak + text(109));
        return;
    }
    end(Outcome::Succeeded, text(132));
}

void CamTransfer::download(int number, const QString &path)
{
    if (m_busy || path.isEmpty() || !checkNumber(number))
        return;
    CamProfile profile;
    const QString problem = loadProfile(path, &profile);
    if (!problem.isEmpty()) {
        refuse(problem);
        return;
    }
    begin(Download);
    m_jobs = {Job{number, profile, path}};
    startJob();
}

// --- Batch transfers -----------------------------------------------------------

void CamTransfer::batchUpload(const QString &path)
{
    if (m_busy || path.isEmpty())
        return;
    if (!hasExtension(path, batchExtension)) {
        refuse(path + paragraph + text(180));
        return;
    }
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString base = info.completeBaseName();
    QList<Job> jobs;
    bool exists = false;
    for (int number = FirstBatchNumber; number <= LastBatchNumber; ++number) {
        const QString member = BatchFile::memberPath(folder, base, number, profileExtension);
        exists = exists || QFileInfo::exists(member);
        jobs.append(Job{number, {}, member});
    }
    if (exists) {
        const QString pattern = QDir(folder).filePath(base + QStringLiteral("*.cdt"));
        if (!m_prompt->askOkCancel(format(174, {pattern}))) {
            m_prompt->message(text(172));
            Q_EMIT finished(Outcome::Cancelled, text(172));
            return;
        }
    }
    begin(BatchUpload);
    m_batchPath = path;
    m_jobs = jobs;
    startJob();
}

void CamTransfer::finishBatchUpload()
{
    // Every profile has been read: the files are prepared side by side and
    // take their names together, the batch file last.
    std::vector<std::unique_ptr<SafeFileWriter>> writers;
    QByteArray batch;
    for (Job &job : m_jobs) {
        if (!job.delivered)
            continue;
        job.profile.title = CamFile::titleFor(job.path);
        auto writer = std::make_unique<SafeFileWriter>(job.path);
        if (!writer->open() || !writer->write(CamFile::compose(job.profile, commentsFor(job)))) {
            end(Outcome::Failed, job.path + lineBreak + text(109));
            return;
        }
        writers.push_back(std::move(writer));
        batch += BatchFile::line(job.number, QFileInfo(job.path).fileName());
    }
    if (writers.empty()) {
        // No batch file is left behind for profiles that are not there.
        end(Outcome::NotRegistered, text(178));
        return;
    }
    SafeFileWriter batchWriter(m_batchPath);
    if (!batchWriter.open() || !batchWriter.write(batch)) {
        end(Outcome::Failed, m_batchPath + lineBreak + text(109));
        return;
    }
    for (auto &writer : writers) {
        if (!writer->commit()) {
            end(Outcome::Failed, writer->path() + lineBreak + text(109));
            return;
        }
    }
    if (!batchWriter.commit()) {
        end(Outcome::Failed, m_batchPath + lineBreak + text(109));
        return;
    }
    end(Outcome::Succeeded, text(170));
}

void CamTransfer::batchDownload(const QString &path)
{
    if (m_busy || path.isEmpty())
        return;
    if (!hasExtension(path, batchExtension)) {
        refuse(path + paragraph + text(180));
        return;
    }
    const BatchFile::Result batch = BatchFile::read(
        path, CamProfile::LowestNumber, CamProfile::HighestNumber, CamProfile::HighestNumber);
    switch (batch.fault) {
    case BatchFile::Fault::None:
        break;
    case BatchFile::Fault::CannotOpen:
        refuse(path + lineBreak + text(109));
        return;
    case BatchFile::Fault::UnsafeName:
        refuse(path + lineBreak + format(1162, {batch.line, batch.name}));
        return;
    default:
        refuse(path + lineBreak + format(1163, {batch.line}));
        return;
    }
    // Every profile file is read and checked before the drive hears of any.
    QList<Job> jobs;
    QStringList missing;
    for (const BatchFile::Entry &entry : batch.entries) {
        if (!QFileInfo::exists(entry.path)) {
            missing.append(entry.name);
            continue;
        }
        CamProfile profile;
        const QString problem = loadProfile(entry.path, &profile);
        if (!problem.isEmpty()) {
            refuse(problem);
            return;
        }
        jobs.append(Job{entry.number, profile, entry.path});
    }
    begin(BatchDownload);
    m_jobs = jobs;
    m_missing = missing;
    m_batchPath = path;
    if (m_jobs.isEmpty()) {
        m_job = 0;
        end(Outcome::Failed,
            text(171) + paragraph + text(177) + lineBreak + m_missing.join(QStringLiteral(", ")));
        return;
    }
    startJob();
}

void CamTransfer::resetCommunication()
{
    if (m_busy)
        return;
    begin(CommunicationReset);
    m_jobs.clear();
    send(DriveCommand::communicationReset());
}
