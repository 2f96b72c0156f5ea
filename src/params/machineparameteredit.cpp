#include "machineparameteredit.h"

#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "parameterfile.h"
#include "resources/cataloguetext.h"

#include <limits>

namespace {

using CatalogueText::text;

const QString lineBreak = QStringLiteral("\n");
const QString paragraph = QStringLiteral("\n\n");

constexpr int machineGroup = 1;

} // namespace

MachineParameterEdit::MachineParameterEdit(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
{}

std::optional<QByteArray> MachineParameterEdit::normaliseValue(const QByteArray &text)
{
    const QByteArray value = text.trimmed();
    const qsizetype digitsFrom = value.startsWith('-') ? 1 : 0;
    if (value.size() == digitsFrom)
        return std::nullopt;
    for (qsizetype i = digitsFrom; i < value.size(); ++i) {
        if (value.at(i) < '0' || value.at(i) > '9')
            return std::nullopt;
    }
    // Leading zeros do not count towards the range ("-0000000000012" is -12).
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    if (!ok || number < std::numeric_limits<qint32>::min() ||
        number > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return QByteArray::number(number);
}

bool MachineParameterEdit::setValue(int row, const QByteArray &value)
{
    if (isBusy() || row < 0 || row >= m_rows.size())
        return false;
    const std::optional<QByteArray> normalised = normaliseValue(value);
    if (!normalised)
        return false;
    m_rows[row].value = *normalised;
    return true;
}

// --- Common ----------------------------------------------------------------

void MachineParameterEdit::begin(Mode mode)
{
    m_mode = mode;
    Q_EMIT busyChanged(true);
}

void MachineParameterEdit::end(Outcome outcome, const QString &message)
{
    m_mode = Idle;
    Q_EMIT lampIdle();
    Q_EMIT busyChanged(false);
    Q_EMIT finished(outcome, message);
}

void MachineParameterEdit::fail(const QString &message)
{
    m_prompt->message(message);
    end(Outcome::Failed, message);
}

void MachineParameterEdit::send(const QByteArray &command)
{
    m_link.send(command, true, DriveLink::DefaultTimeoutMs);
}

void MachineParameterEdit::onLinkReply(const QByteArray &line)
{
    // A late line after a time-out belongs to nothing.
    if (m_mode == Reading)
        readReply(line);
    else if (m_mode == Writing)
        writeReply(line);
}

void MachineParameterEdit::onLinkTimeout()
{
    if (m_mode == Reading) {
        fail(text(159));
    } else if (m_mode == Writing) {
        if (m_writeStep == RestartSent) {
            // The drive restarts and stays silent: the normal end.
            end(Outcome::Succeeded, completionMessage());
            Q_EMIT closeRequested();
        } else {
            fail(text(159) + paragraph + text(160));
        }
    }
}

// --- Reading ---------------------------------------------------------------

void MachineParameterEdit::read()
{
    if (isBusy())
        return;
    m_names.clear();
    m_readings.clear();
    m_rows.clear();
    m_readingValues = false;
    m_index = 0;
    m_rowCount = 0;
    Q_EMIT rowsChanged();
    begin(Reading);
    send(DriveCommand::listGroup(machineGroup));
}

void MachineParameterEdit::readReply(const QByteArray &line)
{
    if (!m_readingValues && line.startsWith("R1Z")) {
        Q_EMIT lampToggled();
        m_names.append(line.mid(3));
        send(DriveCommand::pageAck());
        return;
    }
    if (!m_readingValues && line.startsWith("R00")) {
        m_rowCount = int(m_names.size());
        m_index = 0;
        if (m_rowCount == 0) {
            // Nothing listed: an empty grid.
            fillRows();
            return;
        }
        m_readingValues = true;
        readNextValue();
        return;
    }
    if (m_readingValues && line.startsWith("R1D")) {
        m_readings.append(line.mid(3));
        if (m_index < m_rowCount) {
            Q_EMIT lampToggled();
            readNextValue();
        } else {
            fillRows();
        }
        return;
    }
    fail(DriveText::decode(line) + paragraph + text(106));
}

void MachineParameterEdit::readNextValue()
{
    send(ParameterFile::entryKey(m_names.at(m_index)));
    ++m_index;
}

void MachineParameterEdit::fillRows()
{
    m_rows.clear();
    for (int i = 0; i < m_rowCount; ++i) {
        // A reading is " label:value" as it follows R1D.
        QByteArray reading = m_readings.at(i);
        if (reading.startsWith(' '))
            reading.remove(0, 1);
        const QByteArrayList fields = reading.split(':');
        m_rows.append({ParameterFile::entryKey(m_names.at(i)), fields.value(0), fields.value(1)});
    }
    m_readingValues = false;
    Q_EMIT rowsChanged();
    end(Outcome::Succeeded, QString());
}

// --- Writing ---------------------------------------------------------------

void MachineParameterEdit::write()
{
    if (isBusy())
        return;
    m_index = 0;
    m_rowCount = int(m_rows.size());
    m_currentKey.clear();
    m_rejectedKeys.clear();
    m_rejected = false;
    begin(Writing);
    m_writeStep = WritingRows;
    send(DriveCommand::switchToWriting());
}

void MachineParameterEdit::writeReply(const QByteArray &line)
{
    switch (m_writeStep) {
    case WritingRows:
        if (line == "R00") {
            writeNextRow();
            return;
        }
        // A refusal of a row (never of @55 itself, before any row was sent)
        // is listed and the next row follows.
        if (line.startsWith("ALM") && !m_currentKey.isEmpty()) {
            m_rejectedKeys += m_currentKey + ", ";
            m_rejected = true;
            writeNextRow();
            return;
        }
        break;
    case TransferClosed:
        if (line == "R00") {
            const QString message = completionMessage();
            m_prompt->message(message);
            m_writeStep = RestartSent;
            send(DriveCommand::restart());
            return;
        }
        break;
    case RestartSent:
        // The restarting drive owes nothing; the time-out ends the write.
        return;
    default:
        break;
    }
    // Anything else leaves the drive in the write mode: the user is told to
    // reset it, and the drive is not restarted behind their back.
    fail(DriveText::decode(line) + paragraph + text(160));
}

void MachineParameterEdit::writeNextRow()
{
    if (m_index < m_rowCount) {
        Q_EMIT lampToggled();
        const Row &row = m_rows.at(m_index);
        m_currentKey = row.key;
        ++m_index;
        send(DriveCommand::writeKey(row.key, row.value));
        return;
    }
    m_writeStep = TransferClosed;
    send(DriveCommand::closeTransfer());
}

QString MachineParameterEdit::completionMessage() const
{
    QString message = text(129);
    if (m_rejected)
        message += lineBreak + text(168) + lineBreak + QString::fromLatin1(m_rejectedKeys);
    return message + paragraph + text(160);
}
