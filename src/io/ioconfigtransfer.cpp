#include "ioconfigtransfer.h"

#include "app/safefilewriter.h"
#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/cataloguetext.h"

namespace {

using CatalogueText::text;

const QString lineBreak = QStringLiteral("\n");

} // namespace

IoConfigTransfer::IoConfigTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
{}

IoConfigTransfer::~IoConfigTransfer() = default;

QString IoConfigTransfer::fileFilter()
{
    return text(275) + QStringLiteral(" (*.ioc)");
}

void IoConfigTransfer::begin(TransferMode mode)
{
    m_mode = mode;
    m_busy = true;
    m_resetSent = false;
    m_pendingMessage.clear();
    Q_EMIT busyChanged(true);
}

void IoConfigTransfer::end(Outcome outcome, const QString &message)
{
    m_busy = false;
    m_output.reset();
    Q_EMIT lampIdle();
    Q_EMIT busyChanged(false);
    Q_EMIT finished(outcome, message);
}

void IoConfigTransfer::fail(const QString &message)
{
    m_prompt->message(message);
    end(Outcome::Failed, message);
}

void IoConfigTransfer::send(const QByteArray &command)
{
    m_link.send(command, true, DriveLink::DefaultTimeoutMs);
}

void IoConfigTransfer::onLinkReply(const QByteArray &line)
{
    // A late line after the end belongs to nothing.
    if (!m_busy)
        return;
    Q_EMIT lampToggled();
    if (m_mode == Upload)
        uploadReply(line);
    else
        downloadReply(line);
}

void IoConfigTransfer::onLinkTimeout()
{
    if (!m_busy)
        return;
    if (m_mode == Upload) {
        fail(text(159));
        return;
    }
    switch (m_step) {
    case RestartSent:
        // The drive restarts and stays silent: the normal end.
        end(Outcome::Succeeded, m_pendingMessage);
        Q_EMIT closeRequested();
        return;
    case SettingLogic:
    case StoringLogic:
        abandonMode(text(159));
        return;
    case LeavingMode:
        fail(m_pendingMessage);
        return;
    default:
        fail(text(159));
        return;
    }
}

// --- Upload ----------------------------------------------------------------

void IoConfigTransfer::upload()
{
    if (m_busy)
        return;
    UserPrompt::FileRequest request;
    request.save = true;
    request.filter = fileFilter();
    request.defaultSuffix = QStringLiteral("ioc");
    const QString path = m_prompt->chooseFile(request);
    if (path.isEmpty()) {
        Q_EMIT finished(Outcome::Cancelled, QString());
        return;
    }
    // The lines go to a temporary beside the file, which takes the name only
    // when the listing is complete.
    auto output = std::make_unique<SafeFileWriter>(path);
    if (!output->open()) {
        const QString message = path + lineBreak + text(109);
        m_prompt->message(message);
        Q_EMIT finished(Outcome::Failed, message);
        return;
    }
    m_path = path;
    m_lines.clear();
    begin(Upload);
    m_output = std::move(output);
    send(DriveCommand::listLogicWords());
}

void IoConfigTransfer::uploadReply(const QByteArray &line)
{
    if (line.startsWith("R2D")) {
        // The drive is busy and answers with its counts: ask again.
        send(DriveCommand::listLogicWords());
        return;
    }
    if (line.startsWith("R3H")) {
        m_lines.append(line);
        Q_EMIT progress(int(m_lines.size()), 0);
        send(DriveCommand::pageAck());
        return;
    }
    if (line.startsWith("R00")) {
        const bool written = m_output->write(IoConfigFile::compose(m_lines)) && m_output->commit();
        if (!written) {
            fail(m_path + lineBreak + text(109));
            return;
        }
        const QString message = text(132);
        m_prompt->message(message);
        end(Outcome::Succeeded, message);
        return;
    }
    fail(text(126));
}

// --- Download --------------------------------------------------------------

std::optional<QList<IoConfigFile::Word>> IoConfigTransfer::readFile(const QString &path,
                                                                    QString *message)
{
    const std::optional<QByteArrayList> lines = IoConfigFile::read(path);
    if (!lines) {
        *message = path + lineBreak + text(109);
        return std::nullopt;
    }
    // The whole file is checked before the drive hears of it.
    qsizetype bad = -1;
    std::optional<QList<IoConfigFile::Word>> words = IoConfigFile::parse(*lines, &bad);
    if (!words)
        *message = path + lineBreak + Catalogue::instance().format(1080, {QVariant(int(bad + 1))}) +
                   lineBreak + DriveText::decode(lines->at(bad));
    return words;
}

void IoConfigTransfer::download()
{
    if (m_busy)
        return;
    UserPrompt::FileRequest request;
    request.save = false;
    request.filter = fileFilter();
    request.defaultSuffix = QStringLiteral("ioc");
    const QString path = m_prompt->chooseFile(request);
    if (path.isEmpty()) {
        Q_EMIT finished(Outcome::Cancelled, QString());
        return;
    }
    QString message;
    std::optional<QList<IoConfigFile::Word>> words = readFile(path, &message);
    if (!words) {
        m_prompt->message(message);
        Q_EMIT finished(Outcome::Failed, message);
        return;
    }
    m_path = path;
    m_words = std::move(*words);
    m_next = 0;
    begin(Download);
    m_step = OpeningTransfer;
    send(DriveCommand::switchToWriting());
}

void IoConfigTransfer::downloadReply(const QByteArray &line)
{
    switch (m_step) {
    case OpeningTransfer:
        if (line.startsWith("R00")) {
            m_step = SettingLogic;
            send(DriveCommand::enterLogicSetting());
        } else {
            fail(text(103));
        }
        return;
    case SettingLogic:
        if (line.startsWith("R0P"))
            sendNextWord();
        else
            abandonMode(text(126));
        return;
    case StoringLogic:
        // Only the answer to @79:0 completes the download.
        if (line.startsWith("R00") && !m_restartAfterDownload) {
            end(Outcome::Succeeded, text(129));
        } else if (line.startsWith("R00")) {
            m_pendingMessage = text(129) + lineBreak + text(160);
            m_prompt->message(m_pendingMessage);
            m_resetSent = true;
            m_step = RestartSent;
            send(DriveCommand::restart());
        } else {
            abandonMode(text(126));
        }
        return;
    case RestartSent:
        // A drive that acknowledges the restart: done, and the menu stays.
        end(Outcome::Succeeded, m_pendingMessage);
        return;
    case LeavingMode:
        fail(m_pendingMessage);
        return;
    default:
        return;
    }
}

void IoConfigTransfer::sendNextWord()
{
    if (m_next < m_words.size()) {
        send(IoConfigFile::command(m_words.at(m_next)));
        ++m_next;
        Q_EMIT progress(m_next, int(m_words.size()));
        return;
    }
    m_step = StoringLogic;
    send(DriveCommand::leaveLogicSetting());
}

void IoConfigTransfer::abandonMode(const QString &reason)
{
    // @98 drops what the drive has taken so far; it keeps its previous logic.
    m_pendingMessage = reason + lineBreak + text(160);
    m_step = LeavingMode;
    send(DriveCommand::communicationReset());
}
