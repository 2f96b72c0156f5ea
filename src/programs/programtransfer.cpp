#include "programtransfer.h"

#include "app/batchfile.h"
#include "app/safefilewriter.h"
#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/cataloguetext.h"

#include <QDir>
#include <QFileInfo>
#include <QVariant>

namespace {

using CatalogueText::format;
using CatalogueText::text;

const QString lineBreak = QStringLiteral("\n");
const QString paragraph = QStringLiteral("\n\n");

// A drive never holds more than 1024 blocks; a reading that runs far past
// that is not a program.
constexpr qsizetype MaxBlocksRead = 4096;
// A batch holds at most one line per program number.
constexpr int MaxBatchLines = 100;

QByteArray numberText(int number)
{
    return QByteArray::number(number);
}

} // namespace

ProgramTransfer::ProgramTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
{}

ProgramTransfer::~ProgramTransfer() = default;

QString ProgramTransfer::programFilter()
{
    return text(137) + QStringLiteral(" (*.prg)");
}

QString ProgramTransfer::batchFilter()
{
    return text(169) + QStringLiteral(" (*.whp)");
}

// --- Common ------------------------------------------------------------------

void ProgramTransfer::begin(Operation operation)
{
    m_operation = operation;
    m_closingAfterFailure = false;
    m_busy = true;
    Q_EMIT busyChanged(true);
}

void ProgramTransfer::end(Outcome outcome, const QString &message)
{
    const bool wasBusy = m_busy;
    m_busy = false;
    m_output.reset();
    m_staged.clear();
    if (!message.isEmpty())
        m_prompt->message(message);
    if (wasBusy)
        Q_EMIT busyChanged(false);
    Q_EMIT lampIdle();
    Q_EMIT finished(outcome, message);
}

void ProgramTransfer::send(const QByteArray &command)
{
    m_link.send(command, true, DriveLink::DefaultTimeoutMs);
}

QString ProgramTransfer::chooseFile(bool save, bool batch)
{
    UserPrompt::FileRequest request;
    request.save = save;
    request.filter = batch ? batchFilter() : programFilter();
    request.defaultSuffix = batch ? QStringLiteral("whp") : QStringLiteral("prg");
    const QString path = m_prompt->chooseFile(request);
    if (path.isEmpty()) {
        end(Outcome::Cancelled, QString());
        return {};
    }
    if (!path.endsWith(request.defaultSuffix)) {
        fail(path + paragraph + text(batch ? 181 : 182));
        return {};
    }
    return path;
}

bool ProgramTransfer::checkNumber(int number, int highest)
{
    if (number >= ProgramText::LowestProgram && number <= highest)
        return true;
    fail(format(122, {ProgramText::LowestProgram, highest}));
    return false;
}

QString ProgramTransfer::faultMessage(const ProgramFile::Fault &fault)
{
    QString message;
    if (fault.badOption)
        return format(1052, {fault.line});
    switch (fault.fault) {
    case ProgramText::LineFault::CommentOver:
        message = text(236);
        break;
    case ProgramText::LineFault::TooLong:
        message = text(198);
        break;
    case ProgramText::LineFault::NotText:
        message = text(1050);
        break;
    case ProgramText::LineFault::None:
        break;
    }
    return format(1051, {fault.line}) + QLatin1Char(' ') + message;
}

void ProgramTransfer::onLinkReply(const QByteArray &line)
{
    if (!m_busy)
        return;
    Q_EMIT lampToggled();
    if (m_closingAfterFailure) {
        m_closingAfterFailure = false;
        fail(m_failure);
        return;
    }
    switch (m_operation) {
    case SingleDownload:
        // The monitor's status polls may still be answered: not ours. The
        // reply to our own line is still owed, with its time-out.
        if (line.startsWith("!R3H")) {
            m_link.armTimer(DriveLink::DefaultTimeoutMs);
            return;
        }
        if (!registerReply(line))
            failRegistration(text(130) + lineBreak + DriveText::decode(line), false);
        return;
    case Register:
        if (!registerReply(line)) {
            m_failedLine = int(m_next) - 1;
            failRegistration(DriveText::decode(line) + paragraph + text(115), false);
        }
        return;
    case BatchDownload:
        if (!registerReply(line))
            failRegistration(text(173) + lineBreak + DriveText::decode(line), false);
        return;
    case SingleUpload:
        if (!readReply(line))
            fail(DriveText::decode(line) + paragraph + format(161, {m_path}));
        return;
    case Read:
        if (!readReply(line))
            fail(DriveText::decode(line) + paragraph + text(190));
        return;
    case BatchList:
        batchListReply(line);
        return;
    case BatchUpload:
        if (!readReply(line)) {
            const QString current =
                BatchFile::memberPath(m_folder, m_baseName, m_numbers.value(int(m_member)), "prg");
            fail(DriveText::decode(line) + paragraph + batchDeleting(current));
        }
        return;
    case CommunicationReset: {
        const bool ok = line.startsWith("R00");
        end(ok ? Outcome::Succeeded : Outcome::Failed, text(ok ? 144 : 145));
        return;
    }
    case Delete: {
        const bool ok = line.startsWith("R00");
        end(ok ? Outcome::Succeeded : Outcome::Failed, text(ok ? 113 : 112));
        return;
    }
    case Index:
        if (line.startsWith("R00")) {
            end(Outcome::Succeeded, QString());
            return;
        }
        if (line.startsWith("R2D")) {
            const QByteArray data = line.mid(5);
            const qsizetype colon = data.indexOf(':');
            const QByteArray number = colon < 0 ? data : data.left(colon);
            const QByteArray blocks = colon < 0 ? QByteArray() : data.mid(colon + 1);
            if (number.trimmed() == numberText(ProgramText::FreeBlockEntry)) {
                m_freeBlocks = blocks;
            } else if (m_indexLines.size() <= ProgramText::FreeBlockEntry) {
                m_indexLines.append(number.rightJustified(3, ' ') + ':' +
                                    blocks.rightJustified(4, ' ') + "\r\n");
                m_listed.append(number.trimmed().toInt());
            }
            send(DriveCommand::pageAck());
            return;
        }
        fail(DriveText::decode(line));
        return;
    case NoOperation:
        return;
    }
}

void ProgramTransfer::onLinkTimeout()
{
    if (!m_busy)
        return;
    if (m_closingAfterFailure) {
        m_closingAfterFailure = false;
        fail(m_failure);
        return;
    }
    if (isRegistering()) {
        failRegistration(text(159), true);
        return;
    }
    switch (m_operation) {
    case SingleUpload:
        fail(text(159) + paragraph + format(161, {m_path}));
        return;
    case BatchList:
        fail(text(159) + paragraph + format(161, {m_batchPath}));
        return;
    case BatchUpload: {
        const QString current =
            BatchFile::memberPath(m_folder, m_baseName, m_numbers.value(int(m_member)), "prg");
        fail(text(159) + paragraph + batchDeleting(current));
        return;
    }
    default:
        fail(text(159));
        return;
    }
}

// --- Register ------------------------------------------------------------------

void ProgramTransfer::startRegister(int number, const QByteArrayList &lines, int blocks,
                                    const QByteArray &option)
{
    m_number = number;
    m_lines = lines;
    m_next = 0;
    m_refused = false;
    m_failedLine = -1;
    m_registerStep = RegisterStep::Opening;
    send(DriveCommand::function(61, numberText(number) + ':' + numberText(blocks) + ':' + option));
}

bool ProgramTransfer::registerReply(const QByteArray &line)
{
    if (line.startsWith("R00")) {
        // Only the end of the registration or of its abandonment is an end;
        // an "R00" while the drive owes a line registered nothing.
        if (m_registerStep != RegisterStep::Closing && m_registerStep != RegisterStep::Abandoning)
            return false;
        registerDone();
        return true;
    }
    if (line.startsWith("R1Z") && m_registerStep == RegisterStep::Opening) {
        const QByteArray answer = line.mid(5);
        bool yes = true;
        if (answer == "AB")
            yes = m_prompt->askYesNo(format(164, {m_number}));
        else if (answer == "B")
            yes = m_prompt->askYesNo(text(114));
        if (!yes) {
            m_refused = true;
            m_registerStep = RegisterStep::Abandoning;
            send(DriveCommand::communicationReset());
            return true;
        }
        m_registerStep = RegisterStep::Sending;
        sendNextLine();
        return true;
    }
    if (line.startsWith("R0P") &&
        (m_registerStep == RegisterStep::Opening || m_registerStep == RegisterStep::Sending)) {
        m_registerStep = RegisterStep::Sending;
        sendNextLine();
        return true;
    }
    return false;
}

bool ProgramTransfer::isRegistering() const
{
    return m_operation == SingleDownload || m_operation == Register || m_operation == BatchDownload;
}

void ProgramTransfer::failRegistration(const QString &message, bool timedOut)
{
    // Once lines are going the registration may be open (a refusal closes
    // it, a garbled answer need not); a lost answer to @61 may have opened
    // it. @98 is harmless when it is closed already.
    const bool open = m_registerStep == RegisterStep::Sending ||
                      m_registerStep == RegisterStep::Closing ||
                      (timedOut && m_registerStep == RegisterStep::Opening);
    if (!open) {
        fail(message);
        return;
    }
    m_closingAfterFailure = true;
    m_failure = message;
    send(DriveCommand::communicationReset());
}

void ProgramTransfer::sendNextLine()
{
    if (m_next < m_lines.size()) {
        send(m_lines.at(m_next++));
        return;
    }
    m_registerStep = RegisterStep::Closing;
    send(DriveCommand::endProgram());
}

void ProgramTransfer::registerDone()
{
    switch (m_operation) {
    case SingleDownload:
        end(m_refused ? Outcome::Failed : Outcome::Succeeded, text(m_refused ? 130 : 129));
        return;
    case Register:
        end(m_refused ? Outcome::Failed : Outcome::Succeeded, text(m_refused ? 115 : 116));
        return;
    case BatchDownload:
        if (m_refused) {
            // The user kept the drive's program: the batch stops here, and
            // says so rather than calling itself complete.
            const BatchMember &member = m_members.at(m_member);
            fail(text(173) + lineBreak + format(1057, {member.number, member.name}));
            return;
        }
        ++m_member;
        Q_EMIT progress(int(m_member), int(m_members.size()));
        nextBatchEntry();
        return;
    default:
        return;
    }
}

// --- Read ----------------------------------------------------------------------

void ProgramTransfer::startRead(int number)
{
    m_number = number;
    m_readOption = "0000";
    m_haveOption = false;
    m_rebuilder.clear();
    m_blocksRead = 0;
    send(DriveCommand::readProgram(number));
}

bool ProgramTransfer::readReply(const QByteArray &line)
{
    if (line.startsWith("R00")) {
        const QByteArray bytes = ProgramFile::compose(m_readOption, m_rebuilder.lines());
        switch (m_operation) {
        case SingleUpload: {
            const bool written = m_output->write(bytes) && m_output->commit();
            if (!written) {
                fail(m_path + lineBreak + text(109));
                return true;
            }
            end(Outcome::Succeeded, text(132));
            return true;
        }
        case Read:
            end(Outcome::Succeeded, QString());
            return true;
        case BatchUpload:
            m_staged.append(bytes);
            ++m_member;
            Q_EMIT progress(int(m_member), int(m_numbers.size()));
            if (m_member < size_t(m_numbers.size()))
                uploadNextMember();
            else
                commitBatchUpload();
            return true;
        default:
            return false;
        }
    }
    if (line.startsWith("R1H")) {
        m_readOption = line.mid(5);
        m_haveOption = true;
        send(DriveCommand::pageAck());
        return true;
    }
    if (line.startsWith("R2Z") && ++m_blocksRead <= MaxBlocksRead) {
        m_rebuilder.addBlock(ProgramText::blockOfReply(line));
        send(DriveCommand::pageAck());
        return true;
    }
    return false;
}

// --- Program manager: single transfers -------------------------------------------

std::optional<ProgramFile::Content> ProgramTransfer::readFile(const QString &path, QString *message)
{
    ProgramFile::ReadFailure failure = ProgramFile::ReadFailure::None;
    std::optional<ProgramFile::Content> content = ProgramFile::readForDownload(path, &failure);
    if (!content) {
        *message =
            path + lineBreak + text(failure == ProgramFile::ReadFailure::TooLarge ? 1053 : 109);
        return std::nullopt;
    }
    if (const std::optional<ProgramFile::Fault> fault = ProgramFile::firstFault(*content)) {
        *message = path + lineBreak + faultMessage(*fault);
        return std::nullopt;
    }
    return content;
}

void ProgramTransfer::download(int number)
{
    if (m_busy)
        return;
    if (!checkNumber(number, ProgramText::HighestRegistered))
        return;
    const QString path = chooseProgramFile(false);
    if (path.isEmpty())
        return;
    QString message;
    const std::optional<ProgramFile::Content> content = readFile(path, &message);
    if (!content) {
        fail(message);
        return;
    }
    m_path = path;
    begin(SingleDownload);
    startRegister(number, content->lines, content->blockCount, content->option);
}

void ProgramTransfer::upload(int number)
{
    if (m_busy)
        return;
    if (!checkNumber(number, ProgramText::HighestReadable))
        return;
    const QString path = chooseProgramFile(true);
    if (path.isEmpty())
        return;
    auto output = std::make_unique<SafeFileWriter>(path);
    if (!output->open()) {
        fail(path + lineBreak + text(109));
        return;
    }
    m_path = path;
    m_output = std::move(output);
    begin(SingleUpload);
    startRead(number);
}

void ProgramTransfer::resetCommunication()
{
    if (m_busy)
        return;
    begin(CommunicationReset);
    send(DriveCommand::communicationReset());
}

void ProgramTransfer::remove(int number)
{
    if (m_busy || !checkNumber(number, ProgramText::HighestRegistered))
        return;
    m_number = number;
    begin(Delete);
    send(DriveCommand::deleteProgram(number));
}

void ProgramTransfer::list()
{
    if (m_busy)
        return;
    m_indexLines.clear();
    m_freeBlocks.clear();
    m_listed.clear();
    begin(Index);
    send(DriveCommand::listPrograms());
}

void ProgramTransfer::read(int number)
{
    if (m_busy || !checkNumber(number, ProgramText::HighestReadable))
        return;
    begin(Read);
    startRead(number);
}

void ProgramTransfer::registerLines(int number, const ProgramText::Prepared &prepared,
                                    const QByteArray &option)
{
    if (m_busy || !checkNumber(number, ProgramText::HighestRegistered))
        return;
    begin(Register);
    startRegister(number, prepared.lines, prepared.blockCount, option);
}

// --- Batch download ------------------------------------------------------------------

void ProgramTransfer::batchDownload()
{
    if (m_busy)
        return;
    const QString path = chooseBatchFile(false);
    if (path.isEmpty())
        return;
    const BatchFile::Result batch = BatchFile::read(path, ProgramText::LowestProgram,
                                                    ProgramText::HighestRegistered, MaxBatchLines);
    switch (batch.fault) {
    case BatchFile::Fault::None:
        break;
    case BatchFile::Fault::CannotOpen:
        fail(path + lineBreak + text(109));
        return;
    case BatchFile::Fault::TooLarge:
        fail(path + lineBreak + format(1054, {MaxBatchLines}));
        return;
    case BatchFile::Fault::Malformed:
        fail(path + lineBreak + format(1051, {batch.line}) + QLatin1Char(' ') + text(163));
        return;
    case BatchFile::Fault::BadNumber:
        fail(path + lineBreak + format(1051, {batch.line}) + QLatin1Char(' ') +
             format(122, {ProgramText::LowestProgram, ProgramText::HighestRegistered}));
        return;
    case BatchFile::Fault::UnsafeName:
        fail(path + lineBreak + format(1055, {batch.line, batch.name}));
        return;
    }

    // Every program file is read and checked before the first command.
    m_batchPath = path;
    m_members.clear();
    m_missing.clear();
    for (const BatchFile::Entry &entry : batch.entries) {
        ProgramFile::ReadFailure failure = ProgramFile::ReadFailure::None;
        std::optional<ProgramFile::Content> content =
            ProgramFile::readForDownload(entry.path, &failure);
        if (!content && failure == ProgramFile::ReadFailure::CannotOpen) {
            m_missing += entry.name + QStringLiteral(", ");
            continue;
        }
        if (!content) {
            fail(entry.path + lineBreak + text(1053));
            return;
        }
        if (const std::optional<ProgramFile::Fault> fault = ProgramFile::firstFault(*content)) {
            fail(entry.path + lineBreak + faultMessage(*fault));
            return;
        }
        m_members.push_back({entry.number, entry.name, std::move(*content)});
    }
    m_member = 0;
    begin(BatchDownload);
    nextBatchEntry();
}

void ProgramTransfer::nextBatchEntry()
{
    if (m_member < m_members.size()) {
        const BatchMember &member = m_members.at(m_member);
        startRegister(member.number, member.content.lines, member.content.blockCount,
                      member.content.option);
        return;
    }
    QString message = text(171);
    if (!m_missing.isEmpty())
        message += paragraph + text(176) + lineBreak + m_missing;
    end(m_missing.isEmpty() ? Outcome::Succeeded : Outcome::Failed, message);
}

// --- Batch upload ----------------------------------------------------------------------

QString ProgramTransfer::batchDeleting(const QString &current) const
{
    return format(161, {m_batchPath + QStringLiteral(", ") + current});
}

void ProgramTransfer::batchUpload()
{
    if (m_busy)
        return;
    const QString path = chooseBatchFile(true);
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    m_batchPath = path;
    m_folder = info.absolutePath();
    m_baseName = info.completeBaseName();

    bool exists = false;
    for (int n = 0; n <= ProgramText::HighestReadable && !exists; ++n)
        exists = QFileInfo::exists(BatchFile::memberPath(m_folder, m_baseName, n, "prg"));
    if (exists) {
        const QString pattern = QDir(m_folder).filePath(m_baseName + QStringLiteral("*.prg"));
        if (!m_prompt->askYesNo(format(174, {pattern}))) {
            end(Outcome::Cancelled, text(172));
            return;
        }
    }
    // The batch file is written last; that it can be written at all is
    // known before the drive is asked anything.
    SafeFileWriter probe(path);
    if (!probe.open()) {
        fail(path + lineBreak + text(109));
        return;
    }
    probe.discard();
    m_numbers.clear();
    m_staged.clear();
    begin(BatchList);
    send(DriveCommand::listPrograms());
}

void ProgramTransfer::batchListReply(const QByteArray &line)
{
    if (line.startsWith("R00")) {
        if (m_numbers.isEmpty()) {
            fail(text(149) + paragraph + format(161, {m_batchPath}));
            return;
        }
        m_operation = BatchUpload;
        m_member = 0;
        uploadNextMember();
        return;
    }
    if (line.startsWith("R2D")) {
        const QByteArray data = line.mid(5);
        bool ok = false;
        const int number = data.left(data.indexOf(':')).trimmed().toInt(&ok);
        if (ok && number >= ProgramText::LowestProgram &&
            number <= ProgramText::HighestRegistered && !m_numbers.contains(number))
            m_numbers.append(number);
        send(DriveCommand::pageAck());
        return;
    }
    fail(DriveText::decode(line) + paragraph + format(161, {m_batchPath}));
}

void ProgramTransfer::uploadNextMember()
{
    startRead(m_numbers.at(int(m_member)));
}

void ProgramTransfer::commitBatchUpload()
{
    // Every program has been read: the files are staged side by side and
    // take their names together, the batch file last.
    std::vector<std::unique_ptr<SafeFileWriter>> writers;
    QByteArray batch;
    for (qsizetype i = 0; i < m_numbers.size(); ++i) {
        const int number = m_numbers.at(i);
        const QString name = BatchFile::memberName(m_baseName, number, "prg");
        batch += BatchFile::line(number, name);
        auto writer = std::make_unique<SafeFileWriter>(QDir(m_folder).filePath(name));
        if (!writer->open() || !writer->write(m_staged.at(i))) {
            fail(writer->path() + lineBreak + text(109) + paragraph + format(161, {m_batchPath}));
            return;
        }
        writers.push_back(std::move(writer));
    }
    auto batchWriter = std::make_unique<SafeFileWriter>(m_batchPath);
    if (!batchWriter->open() || !batchWriter->write(batch)) {
        fail(m_batchPath + lineBreak + text(109));
        return;
    }
    for (auto &writer : writers) {
        if (!writer->commit()) {
            fail(writer->path() + lineBreak + text(109) + paragraph + format(161, {m_batchPath}));
            return;
        }
    }
    if (!batchWriter->commit()) {
        fail(m_batchPath + lineBreak + text(109));
        return;
    }
    end(Outcome::Succeeded, text(170));
}
