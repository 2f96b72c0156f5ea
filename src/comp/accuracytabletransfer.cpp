#include "accuracytabletransfer.h"

#include "app/safefilewriter.h"
#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/cataloguetext.h"
#include "tablefile.h"

namespace {

using CatalogueText::text;

const QString lineBreak = QStringLiteral("\n");
const QString paragraph = QStringLiteral("\n\n");

} // namespace

AccuracyTableTransfer::AccuracyTableTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
{}

QString AccuracyTableTransfer::fileFilter()
{
    return text(245) + QStringLiteral(" (*.aac)");
}

bool AccuracyTableTransfer::loadFile(const QString &path, QByteArrayList *entries, QString *message)
{
    using Fault = TableFile::ReadResult::Fault;
    const TableFile::ReadResult result = TableFile::readAccuracy(path);
    const Catalogue &catalogue = Catalogue::instance();
    switch (result.fault) {
    case Fault::None:
        *entries = result.entries;
        return true;
    case Fault::CannotOpen:
        *message = path + lineBreak + text(109);
        break;
    case Fault::Malformed:
        *message = path + lineBreak + text(163) + lineBreak + catalogue.format(1180, {result.line});
        break;
    case Fault::BadValue:
        *message = path + lineBreak + catalogue.format(1181, {result.line});
        break;
    case Fault::TooLong:
        *message = path + lineBreak + catalogue.format(1182, {TableFile::MaxAccuracyPoints});
        break;
    case Fault::TooShort:
        *message = path + lineBreak + catalogue.format(1185, {TableFile::MinAccuracyPoints});
        break;
    }
    return false;
}

bool AccuracyTableTransfer::saveFile(const QString &path, const QByteArrayList &entries,
                                     QString *message)
{
    const bool ok = SafeFileWriter::writeWhole(path, TableFile::composeAccuracy(entries));
    *message = text(ok ? 121 : 120);
    return ok;
}

void AccuracyTableTransfer::begin(Operation operation)
{
    m_operation = operation;
    m_busy = true;
    m_sent = 0;
    m_closing = false;
    Q_EMIT busyChanged(true);
}

void AccuracyTableTransfer::end(Outcome outcome, const QString &message, bool tell)
{
    m_busy = false;
    m_operation = NoOperation;
    if (tell)
        m_prompt->message(message);
    Q_EMIT lampIdle();
    Q_EMIT busyChanged(false);
    Q_EMIT finished(outcome, message);
}

void AccuracyTableTransfer::send(const QByteArray &command)
{
    m_link.send(command, true, DriveLink::DefaultTimeoutMs);
}

void AccuracyTableTransfer::download(const QByteArrayList &entries)
{
    if (m_busy)
        return;
    const auto refuse = [this](const QString &message) {
        m_prompt->message(message);
        Q_EMIT finished(Outcome::Failed, message);
    };
    if (entries.size() < TableFile::MinAccuracyPoints ||
        entries.size() > TableFile::MaxAccuracyPoints) {
        refuse(Catalogue::instance().format(
            209, {TableFile::MinAccuracyPoints, TableFile::MaxAccuracyPoints}));
        return;
    }
    QByteArrayList outgoing;
    for (int i = 0; i < entries.size(); ++i) {
        const std::optional<QByteArray> value = TableFile::boundedValue(entries.at(i));
        if (!value) {
            refuse(text(189) + lineBreak + QString::number(i) + QStringLiteral(": ") +
                   QString::fromLatin1(entries.at(i)));
            return;
        }
        outgoing.append(*value);
    }
    if (!m_prompt->askOkCancel(text(211))) {
        Q_EMIT finished(Outcome::Cancelled, QString());
        return;
    }
    m_outgoing = outgoing;
    begin(Download);
    send(DriveCommand::beginAccuracyTable(int(m_outgoing.size())));
}

void AccuracyTableTransfer::upload()
{
    if (m_busy)
        return;
    begin(Upload);
    m_outgoing.clear();
    send(DriveCommand::readAccuracyTable());
}

void AccuracyTableTransfer::resetCommunication()
{
    if (m_busy)
        return;
    begin(CommunicationReset);
    send(DriveCommand::communicationReset());
}

void AccuracyTableTransfer::onLinkReply(const QByteArray &line)
{
    if (!m_busy)
        return;
    Q_EMIT lampToggled();
    switch (m_operation) {
    case Download:
        downloadReply(line);
        break;
    case Upload:
        uploadReply(line);
        break;
    case CommunicationReset: {
        const bool ok = line == "R00";
        end(ok ? Outcome::Succeeded : Outcome::Failed, text(ok ? 144 : 145));
        break;
    }
    case NoOperation:
        break;
    }
}

void AccuracyTableTransfer::onLinkTimeout()
{
    if (!m_busy)
        return;
    // The grid keeps what it had.
    m_outgoing.clear();
    end(Outcome::Failed, text(159));
}

void AccuracyTableTransfer::downloadReply(const QByteArray &line)
{
    if (line == "R0P" && !m_closing) {
        if (m_sent < m_outgoing.size()) {
            send(DriveCommand::accuracyEntry(m_sent, m_outgoing.at(m_sent).toLongLong()));
            ++m_sent;
        } else {
            m_closing = true;
            send(DriveCommand::endAccuracyTable());
        }
        return;
    }
    if (line == "R00" && m_closing) {
        end(Outcome::Succeeded, text(116));
        return;
    }
    end(Outcome::Failed, DriveText::decode(line) + paragraph + text(115));
}

void AccuracyTableTransfer::uploadReply(const QByteArray &line)
{
    if (line == "R00") {
        // A table of fewer than two entries is shown with two.
        while (m_outgoing.size() < TableFile::MinAccuracyPoints)
            m_outgoing.append("0");
        m_entries = m_outgoing;
        m_outgoing.clear();
        // The grid shows the reading; there is nothing more to say.
        end(Outcome::Succeeded, text(210), false);
        return;
    }
    if (line.startsWith("R2D") && m_outgoing.size() < TableFile::MaxAccuracyPoints) {
        // "R2D :k:v ": the entry is the third field, up to a blank.
        const QByteArrayList fields = line.split(':');
        if (fields.size() >= 3) {
            QByteArray value = fields.at(2);
            const qsizetype blank = value.indexOf(' ');
            if (blank >= 0)
                value.truncate(blank);
            if (const std::optional<QByteArray> entry = TableFile::boundedValue(value)) {
                m_outgoing.append(*entry);
                send(DriveCommand::pageAck());
                return;
            }
        }
    }
    m_outgoing.clear();
    end(Outcome::Failed, DriveText::decode(line) + paragraph + text(133));
}
