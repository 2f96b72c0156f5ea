#include "pointtabletransfer.h"

#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/cataloguetext.h"
#include "tablefile.h"

namespace {

using CatalogueText::text;

const QString paragraph = QStringLiteral("\n\n");

} // namespace

PointTableTransfer::PointTableTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
{}

void PointTableTransfer::begin(Operation operation)
{
    m_operation = operation;
    m_busy = true;
    m_index = 0;
    Q_EMIT busyChanged(true);
}

void PointTableTransfer::end(Outcome outcome, const QString &message, bool tell)
{
    m_busy = false;
    m_operation = NoOperation;
    if (tell)
        m_prompt->message(message);
    Q_EMIT lampIdle();
    Q_EMIT busyChanged(false);
    Q_EMIT finished(outcome, message);
}

void PointTableTransfer::download(const QByteArrayList &items)
{
    if (m_busy)
        return;
    QByteArrayList checked;
    for (int i = 0; i < Items; ++i) {
        const std::optional<QByteArray> value =
            i < items.size() ? TableFile::boundedValue(items.at(i)) : std::nullopt;
        if (!value) {
            const QString message =
                text(189) + QStringLiteral("\n#") + QString::number(FirstRegister + i) +
                (i < items.size() ? QStringLiteral("=") + QString::fromLatin1(items.at(i))
                                  : QString());
            m_prompt->message(message);
            Q_EMIT finished(Outcome::Failed, message);
            return;
        }
        checked.append(*value);
    }
    m_pending = checked;
    begin(Download);
    sendNext();
}

void PointTableTransfer::upload()
{
    if (m_busy)
        return;
    m_pending.clear();
    begin(Upload);
    sendNext();
}

void PointTableTransfer::sendNext()
{
    const int number = FirstRegister + m_index;
    if (m_operation == Download)
        m_link.send(DriveCommand::writeItem(number, m_pending.at(m_index)));
    else
        m_link.send(DriveCommand::readItem(number));
}

void PointTableTransfer::onLinkReply(const QByteArray &line)
{
    if (!m_busy)
        return;
    Q_EMIT lampToggled();
    if (m_operation == Download) {
        // Outside a write transfer the drive acknowledges a write with
        // "R00 ": only the code counts.
        if (!line.startsWith("R00")) {
            end(Outcome::Failed, DriveText::decode(line) + paragraph + text(115));
            return;
        }
    } else if (line.startsWith("R1D")) {
        m_pending.append(ReplyLine(line).afterFirstColon().trimmed());
    } else if (line.startsWith("R00")) {
        end(Outcome::Failed, text(190));
        return;
    } else {
        end(Outcome::Failed, DriveText::decode(line) + paragraph + text(133));
        return;
    }
    ++m_index;
    if (m_index % 20 == 0)
        Q_EMIT progress(m_index);
    if (m_index < Items) {
        sendNext();
        return;
    }
    if (m_operation == Download) {
        end(Outcome::Succeeded, text(116));
    } else {
        m_items = m_pending;
        // The grid shows the reading.
        end(Outcome::Succeeded, text(210), false);
    }
}

void PointTableTransfer::onLinkTimeout()
{
    if (!m_busy)
        return;
    end(Outcome::Failed, text(159));
}
