#include "discreteconfigedit.h"

#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/cataloguetext.h"

namespace {

using CatalogueText::text;

const QString lineBreak = QStringLiteral("\n");

} // namespace

DiscreteConfigEdit::DiscreteConfigEdit(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
{}

QString DiscreteConfigEdit::rangeText(int range)
{
    return QStringLiteral("%1-%2")
        .arg(range * RangeSize, 3, 10, QLatin1Char('0'))
        .arg(range * RangeSize + RangeSize - 1, 3, 10, QLatin1Char('0'));
}

int DiscreteConfigEdit::count(Side side) const
{
    return qMin(reportedCount(side), MaxSignals);
}

int DiscreteConfigEdit::rangeCount() const
{
    const int most = qMax(count(Inputs), count(Outputs));
    return (most + RangeSize - 1) / RangeSize;
}

int DiscreteConfigEdit::signalsInRange(Side side, int range) const
{
    return qBound(0, count(side) - RangeSize * range, RangeSize);
}

quint16 DiscreteConfigEdit::word(Side side, int index) const
{
    if (index < 0 || index >= WordsPerSide)
        return 0;
    return side == Inputs ? m_inputWords.at(index) : m_outputWords.at(index);
}

bool DiscreteConfigEdit::bit(Side side, int signal) const
{
    return (word(side, signal / 16) >> (signal % 16)) & 1;
}

void DiscreteConfigEdit::setBit(Side side, int signal, bool positive)
{
    if (signal < 0 || signal >= count(side))
        return;
    quint16 &w = (side == Inputs ? m_inputWords : m_outputWords)[signal / 16];
    const quint16 mask = quint16(1u << (signal % 16));
    w = positive ? quint16(w | mask) : quint16(w & ~mask);
}

void DiscreteConfigEdit::send(const QByteArray &command)
{
    m_link.send(command, true, DriveLink::DefaultTimeoutMs);
}

void DiscreteConfigEdit::end(Outcome outcome, const QString &message)
{
    m_state = Idle;
    Q_EMIT busyChanged(false);
    Q_EMIT finished(outcome, message);
}

// --- Reading ---------------------------------------------------------------

void DiscreteConfigEdit::read()
{
    if (isBusy())
        return;
    m_inputWords.fill(0);
    m_outputWords.fill(0);
    m_inputCount = 0;
    m_outputCount = 0;
    m_state = ReadingCounts;
    Q_EMIT busyChanged(true);
    send(DriveCommand::ioCounts());
}

void DiscreteConfigEdit::onLinkReply(const QByteArray &line)
{
    Q_EMIT lampToggled();
    switch (m_state) {
    case ReadingCounts:
        countsReply(line);
        break;
    case Listing:
        listingReply(line);
        break;
    case Writing:
        writingReply(line);
        break;
    default:
        break; // late, after the end
    }
}

void DiscreteConfigEdit::countsReply(const QByteArray &line)
{
    // "R2D :48:24": the counts from the sixth character on.
    const QByteArrayList counts = line.mid(5).split(':');
    const std::optional<qint64> inputs = parseDecimal(counts.value(0));
    const std::optional<qint64> outputs = parseDecimal(counts.value(1));
    if (!line.startsWith("R2D") || !inputs || !outputs || *inputs < 0 || *outputs < 0) {
        fail(line);
        return;
    }
    m_inputCount = int(qMin<qint64>(*inputs, 4096));
    m_outputCount = int(qMin<qint64>(*outputs, 4096));
    m_state = Listing;
    Q_EMIT countsRead();
    send(DriveCommand::listLogicWords());
}

void DiscreteConfigEdit::listingReply(const QByteArray &line)
{
    if (line.startsWith("R3H")) {
        const QByteArrayList fields = line.split(':');
        const std::optional<qint64> index = parseHex(fields.value(2));
        const std::optional<qint64> word = parseHex(fields.value(3));
        // Words beyond the sixteen of a side have nowhere to go.
        if (fields.size() >= 4 && index && word && *index >= 0 && *index < WordsPerSide) {
            auto &words = fields.at(1) == "0000" ? m_inputWords : m_outputWords;
            words[*index] = quint16(*word);
            Q_EMIT wordsChanged();
        }
        send(DriveCommand::pageAck());
        return;
    }
    if (line.startsWith("R00")) {
        end(Outcome::Read, QString());
        return;
    }
    fail(line);
}

// --- Writing ---------------------------------------------------------------

void DiscreteConfigEdit::write()
{
    if (isBusy())
        return;
    m_state = Writing;
    m_sub = OpeningTransfer;
    m_next = 0;
    Q_EMIT busyChanged(true);
    send(DriveCommand::switchToWriting());
}

void DiscreteConfigEdit::writingReply(const QByteArray &line)
{
    switch (m_sub) {
    case OpeningTransfer:
        if (line.startsWith("R00")) {
            m_sub = WritingInputs;
            send(DriveCommand::enterLogicSetting());
            return;
        }
        break;
    case WritingInputs:
    case WritingOutputs:
        if (line.startsWith("R0P")) {
            sendNextWord();
            return;
        }
        break;
    case StoringLogic:
        if (line.startsWith("R00")) {
            m_pendingMessage = text(179) + lineBreak + text(160);
            m_prompt->message(m_pendingMessage);
            m_sub = RestartSent;
            send(DriveCommand::restart());
            return;
        }
        break;
    case RestartSent:
        // A drive that acknowledges the restart: done all the same.
        end(Outcome::Written, m_pendingMessage);
        return;
    case LeavingMode:
        m_prompt->message(m_pendingMessage);
        end(Outcome::Failed, m_pendingMessage);
        return;
    default:
        break;
    }
    fail(line);
}

void DiscreteConfigEdit::sendNextWord()
{
    if (m_sub == WritingInputs) {
        if (m_next < wordCount(Inputs)) {
            send(DriveCommand::inputLogic(quint16(m_next), m_inputWords.at(m_next)));
            ++m_next;
            return;
        }
        m_sub = WritingOutputs;
        m_next = 0;
    }
    if (m_next < wordCount(Outputs)) {
        send(DriveCommand::outputLogic(quint16(m_next), m_outputWords.at(m_next)));
        ++m_next;
        return;
    }
    m_sub = StoringLogic;
    send(DriveCommand::leaveLogicSetting());
}

// --- Failures --------------------------------------------------------------

void DiscreteConfigEdit::fail(const QByteArray &reply)
{
    failWith(reply.isEmpty() ? text(126) : DriveText::decode(reply));
}

void DiscreteConfigEdit::failWith(const QString &reason)
{
    const QString message = reason + lineBreak + text(160);
    if (m_state == Writing && m_sub != OpeningTransfer && m_sub != LeavingMode) {
        // Inside the logic-setting mode: leave it, the drive keeps its logic.
        m_pendingMessage = message;
        m_sub = LeavingMode;
        send(DriveCommand::communicationReset());
        return;
    }
    m_prompt->message(message);
    end(Outcome::Failed, message);
}

void DiscreteConfigEdit::onLinkTimeout()
{
    if (m_state == Idle)
        return;
    if (m_state == Writing && m_sub == RestartSent) {
        // The drive restarts and stays silent: the normal end.
        end(Outcome::Written, m_pendingMessage);
        return;
    }
    if (m_state == Writing && m_sub == LeavingMode) {
        m_prompt->message(m_pendingMessage);
        end(Outcome::Failed, m_pendingMessage);
        return;
    }
    failWith(text(159));
}
