#include "parametertransfer.h"

#include "app/safefilewriter.h"
#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/cataloguetext.h"

#include <QDir>
#include <QFileInfo>

namespace {

using CatalogueText::text;

const QString lineBreak = QStringLiteral("\n");
const QString paragraph = QStringLiteral("\n\n");

bool isRefusedValue(const QByteArray &line)
{
    return line.startsWith("ALM62") || line.startsWith("ALM65");
}

} // namespace

ParameterTransfer::ParameterTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
    , m_clock([] { return QDateTime::currentDateTime(); })
{}

ParameterTransfer::~ParameterTransfer() = default;

QString ParameterTransfer::fileFilter()
{
    return text(138) + QStringLiteral(" (*.prm)");
}

// --- Common ----------------------------------------------------------------

void ParameterTransfer::begin(Operation operation)
{
    m_operation = operation;
    m_busy = true;
    Q_EMIT busyChanged(true);
}

void ParameterTransfer::end(Outcome outcome, const QString &message)
{
    m_busy = false;
    m_output.reset();
    Q_EMIT lampIdle();
    Q_EMIT busyChanged(false);
    Q_EMIT finished(outcome, message);
}

void ParameterTransfer::send(const QByteArray &command)
{
    m_link.send(command, true, DriveLink::DefaultTimeoutMs);
}

void ParameterTransfer::tell(const QString &message)
{
    m_prompt->message(message);
}

std::optional<QByteArrayList> ParameterTransfer::readChosenFile(QString *path)
{
    UserPrompt::FileRequest request;
    request.save = false;
    request.filter = fileFilter();
    request.defaultSuffix = QStringLiteral("prm");
    *path = m_prompt->chooseFile(request);
    if (path->isEmpty())
        return std::nullopt;
    QString message;
    std::optional<QByteArrayList> lines = readFile(*path, &message);
    if (!lines) {
        tell(message);
        Q_EMIT finished(Outcome::Failed, message);
    }
    return lines;
}

std::optional<QByteArrayList> ParameterTransfer::readFile(const QString &path, QString *message)
{
    if (!ParameterFile::isParameterFile(path)) {
        *message = path + paragraph + text(183);
        return std::nullopt;
    }
    std::optional<QByteArrayList> lines = ParameterFile::read(path);
    if (!lines) {
        *message = path + lineBreak + text(109);
        return std::nullopt;
    }
    // The whole file is checked before the drive hears of it: a line that
    // cannot be written refuses the file, and nothing is sent.
    if (const std::optional<qsizetype> refused = ParameterFile::firstRefusedLine(*lines)) {
        *message = Catalogue::instance().format(1001, {QVariant(int(*refused + 1))}) + lineBreak +
                   DriveText::decode(lines->at(*refused));
        return std::nullopt;
    }
    return lines;
}

void ParameterTransfer::onLinkReply(const QByteArray &line)
{
    // A line that comes after its operation ended (late, after a time-out)
    // belongs to nothing.
    if (!m_busy)
        return;
    switch (m_operation) {
    case Upload:
        if (line == "R00")
            uploadDone();
        else
            uploadReply(line);
        break;
    case DownloadCheck:
        checkReply(line);
        break;
    case Download:
        downloadReply(line);
        break;
    case CommunicationReset: {
        const bool ok = line == "R00";
        const QString message = text(ok ? 144 : 145);
        tell(message);
        end(ok ? Outcome::Succeeded : Outcome::Failed, message);
        break;
    }
    case NoOperation:
        break;
    }
}

void ParameterTransfer::onLinkTimeout()
{
    if (!m_busy)
        return;
    switch (m_operation) {
    case Upload:
        failUpload(text(159));
        break;
    case DownloadCheck: {
        const QString message = text(159);
        tell(message);
        end(Outcome::Failed, message);
        break;
    }
    case Download:
        if (m_step == RestartSent) {
            // The drive restarts and stays silent: the normal end.
            end(Outcome::Succeeded, completionMessage());
            Q_EMIT closeRequested();
        } else {
            const QString message = text(159) + paragraph + text(160);
            tell(message);
            end(Outcome::Failed, message);
        }
        break;
    case CommunicationReset: {
        const QString message = text(159);
        tell(message);
        end(Outcome::Failed, message);
        break;
    }
    case NoOperation:
        break;
    }
}

// --- Upload ----------------------------------------------------------------

void ParameterTransfer::upload()
{
    if (m_busy)
        return;
    UserPrompt::FileRequest request;
    request.save = true;
    request.filter = fileFilter();
    request.defaultSuffix = QStringLiteral("prm");
    const QString path = m_prompt->chooseFile(request);
    if (path.isEmpty()) {
        Q_EMIT finished(Outcome::Cancelled, QString());
        return;
    }
    // The file is written to a temporary beside it and takes the name only
    // when the whole set has been read.
    auto output = std::make_unique<SafeFileWriter>(path);
    if (!output->open()) {
        // A folder that exists but takes no new file (read-only, no room for
        // a directory entry) is not an illegal file name: say what it is.
        const QFileInfo target(path);
        const QString message =
            path + lineBreak +
            (target.absoluteDir().exists() && !target.isDir()
                 ? Catalogue::instance().format(1003, {QVariant(target.absolutePath())})
                 : text(109));
        tell(message);
        Q_EMIT finished(Outcome::Failed, message);
        return;
    }
    m_path = path;
    m_output = std::move(output);
    begin(Upload);
    m_step = Identifying;
    m_readingValues = false;
    m_index = 0;
    m_total = 0;
    m_names.clear();
    m_lines.clear();
    m_identification = {};
    send(DriveCommand::identification());
}

void ParameterTransfer::uploadReply(const QByteArray &line)
{
    Q_EMIT lampToggled();
    const QByteArray code = line.left(3);
    const bool listing = m_step >= ListGroup1 && m_step <= ListGroup5 && !m_readingValues;
    if (code == "R1Z" && listing) {
        m_names.append(line.mid(3));
        send(DriveCommand::pageAck());
        return;
    }
    if (code == "R1D" && m_readingValues) {
        m_lines.append(line.mid(3));
        if (m_index >= m_total) {
            m_step = ClosingTransfer;
            m_readingValues = false;
            send(DriveCommand::closeTransfer());
        } else {
            readNextValue();
        }
        return;
    }
    if (m_step == Identifying) {
        // Each question has its own answer; the texts are kept whole.
        if (m_identification.driveIdentity.isEmpty() && code == "R5Z") {
            m_identification.driveIdentity = line;
            send(DriveCommand::motorType());
            return;
        }
        if (!m_identification.driveIdentity.isEmpty() && m_identification.motorTypeText.isEmpty() &&
            code == "R2Z") {
            m_identification.motorTypeText = line;
            send(DriveCommand::interfaceBoard());
            return;
        }
        if (!m_identification.motorTypeText.isEmpty() && code == "RD ") {
            m_identification.interfaceBoardText = line;
            m_step = TransferOpened;
            send(DriveCommand::openTransfer());
            return;
        }
    }
    failUpload(DriveText::decode(line));
}

void ParameterTransfer::uploadDone()
{
    Q_EMIT lampToggled();
    if (m_step == TransferOpened) {
        m_step = ListGroup1;
        send(DriveCommand::listGroup(m_step));
    } else if (m_step >= ListGroup1 && m_step < ListGroup5 && !m_readingValues) {
        ++m_step;
        send(DriveCommand::listGroup(m_step));
    } else if (m_step == ListGroup5 && !m_readingValues) {
        m_total = int(m_names.size());
        m_index = 0;
        m_readingValues = true;
        if (m_total == 0) {
            // A drive that lists nothing gives a file of the information block.
            m_readingValues = false;
            m_step = ClosingTransfer;
            send(DriveCommand::closeTransfer());
        } else {
            readNextValue();
        }
    } else if (m_step == ClosingTransfer) {
        finishUpload();
    } else {
        // "R00" where the drive owes a line: nothing to go on with.
        failUpload(QStringLiteral("R00"));
    }
}

void ParameterTransfer::readNextValue()
{
    // The key of a listed entry is its read command, as the drive listed it.
    send(ParameterFile::entryKey(m_names.at(m_index)));
    ++m_index;
}

QString ParameterTransfer::discardedFileNote() const
{
    // Only the temporary is removed: an earlier file of the same name stays,
    // and the user is told so rather than that it is being deleted.
    if (QFileInfo::exists(m_path))
        return Catalogue::instance().format(1002, {QVariant(m_path)});
    return Catalogue::instance().format(161, {QVariant(m_path)});
}

void ParameterTransfer::failUpload(const QString &reason)
{
    m_output.reset();
    const QString message = reason + paragraph + discardedFileNote();
    tell(message);
    end(Outcome::Failed, message);
}

void ParameterTransfer::finishUpload()
{
    const QByteArray bytes =
        ParameterFile::compose(m_identification, m_names, m_lines, m_clock(), m_english);
    const bool written = m_output->write(bytes) && m_output->commit();
    const QString reason = m_output->errorString();
    m_output.reset();
    if (!written) {
        // A full disk or an I/O error while writing: the set was read, but
        // no file holds it.
        const QString message = m_path + lineBreak +
                                Catalogue::instance().format(1004, {QVariant(reason)}) + paragraph +
                                discardedFileNote();
        tell(message);
        end(Outcome::Failed, message);
        return;
    }
    const QString message = text(132);
    tell(message);
    end(Outcome::Succeeded, message);
}

// --- Download --------------------------------------------------------------

void ParameterTransfer::download()
{
    if (m_busy)
        return;
    QString path;
    std::optional<QByteArrayList> lines = readChosenFile(&path);
    if (!lines) {
        if (path.isEmpty())
            Q_EMIT finished(Outcome::Cancelled, QString());
        return;
    }
    m_path = path;
    m_lines = std::move(*lines);
    m_names.clear();
    m_total = int(m_lines.size());
    begin(DownloadCheck);
    m_step = TransferOpened;
    m_index = 0;
    m_rejectedKeys.clear();
    m_rejected = 0;
    m_currentKey.clear();
    m_driverValues.fill(std::nullopt);
    m_checkStep = CheckFirst;
    askNextGuarded();
}

int ParameterTransfer::guardedCount() const
{
    return m_siblingVariant ? 2 : int(GuardedParameters.size());
}

void ParameterTransfer::askNextGuarded()
{
    send(DriveCommand::readItem(GuardedParameters.at(m_checkStep - CheckFirst)));
}

void ParameterTransfer::checkReply(const QByteArray &line)
{
    Q_EMIT lampToggled();
    const int slot = m_checkStep - CheckFirst;
    // Any other answer leaves the drive's value unknown, and an unknown
    // value never counts as equal to the file's.
    if (line.startsWith("R1D"))
        m_driverValues[slot] = parseDecimal(ReplyLine(line).afterFirstColon());
    if (slot + 1 < guardedCount()) {
        ++m_checkStep;
        askNextGuarded();
        return;
    }
    m_checkStep = CheckIdle;
    const QByteArray differences = guardedDifferences();
    if (!differences.isEmpty() &&
        !m_prompt->askOkCancel(text(276) + DriveText::decode(differences))) {
        end(Outcome::Cancelled);
        return;
    }
    startWriting();
}

QByteArray ParameterTransfer::guardedDifferences() const
{
    const int checked = guardedCount();
    QByteArray differences;
    for (qsizetype i = ParameterFile::InformationLines; i < m_lines.size(); ++i) {
        const std::optional<ParameterFile::Assignment> assignment =
            ParameterFile::assignment(ParameterFile::normalise(m_lines.at(i)));
        if (!assignment)
            continue;
        for (int slot = 0; slot < checked; ++slot) {
            if (assignment->key != DriveCommand::readItem(GuardedParameters.at(slot)))
                continue;
            const std::optional<qint64> fileValue = parseDecimal(assignment->value);
            const std::optional<qint64> &driverValue = m_driverValues.at(slot);
            if (fileValue && driverValue && *fileValue == *driverValue)
                continue;
            if (!differences.isEmpty())
                differences += ",\n";
            differences += assignment->key + " : " + assignment->value;
        }
    }
    return differences;
}

void ParameterTransfer::startWriting()
{
    m_operation = Download;
    m_index = 0;
    send(DriveCommand::openTransfer());
}

void ParameterTransfer::downloadReply(const QByteArray &line)
{
    Q_EMIT lampToggled();
    if (line == "R00") {
        switch (m_step) {
        case TransferOpened:
            m_step = WritingLines;
            send(DriveCommand::switchToWriting());
            return;
        case WritingLines:
            writeNextLine();
            return;
        case ClosingTransfer:
            if (!m_restartAfterDownload) {
                end(Outcome::Succeeded, completionMessage());
                return;
            }
            tell(completionMessage());
            m_step = RestartSent;
            send(DriveCommand::restart());
            return;
        case RestartSent:
            // A drive that acknowledges the restart: the download is done and
            // the manager stays open.
            end(Outcome::Succeeded, completionMessage());
            return;
        default:
            break;
        }
    } else if (m_step == WritingLines && isRefusedValue(line)) {
        // The drive refused this value; the rest are still written. #199 is
        // refused by every drive and is not worth a word.
        if (m_currentKey != "#199") {
            m_rejectedKeys += m_currentKey + ", ";
            m_rejected = 1;
        }
        writeNextLine();
        return;
    }
    const QString message = DriveText::decode(line) + paragraph + text(160);
    tell(message);
    end(Outcome::Failed, message);
}

void ParameterTransfer::writeNextLine()
{
    while (m_index + ParameterFile::InformationLines < m_total) {
        const QByteArray normalised =
            ParameterFile::normalise(m_lines.at(m_index + ParameterFile::InformationLines));
        ++m_index;
        if (normalised.isEmpty())
            continue;
        // download() let through only lines that are empty here or "#n=value".
        const std::optional<ParameterFile::Assignment> assignment =
            ParameterFile::assignment(normalised);
        if (!assignment)
            continue;
        m_currentKey = assignment->key;
        send(DriveCommand::writeKey(assignment->key, assignment->value));
        return;
    }
    m_step = ClosingTransfer;
    send(DriveCommand::closeTransfer());
}

QString ParameterTransfer::completionMessage() const
{
    QString message = text(129);
    if (m_rejected)
        message += lineBreak + text(168) + lineBreak + DriveText::decode(m_rejectedKeys);
    return message + paragraph + text(160);
}

// --- Communication reset and view --------------------------------------------

void ParameterTransfer::resetCommunication()
{
    if (m_busy)
        return;
    begin(CommunicationReset);
    send(DriveCommand::communicationReset());
}

bool ParameterTransfer::loadFileForView()
{
    if (m_busy)
        return false;
    QString path;
    std::optional<QByteArrayList> lines = readChosenFile(&path);
    if (!lines)
        return false;
    m_path = path;
    m_lines = std::move(*lines);
    return true;
}
