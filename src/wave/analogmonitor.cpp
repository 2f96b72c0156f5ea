#include "analogmonitor.h"

#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "resources/cataloguetext.h"

#include <cstdio>

namespace {

constexpr double FullScaleVolts = 6.55;

QByteArray format(const char *pattern, double value)
{
    char buffer[96];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, value);
    return QByteArray(buffer, qBound(0, n, int(sizeof buffer) - 1));
}

// "4,194,304" right-aligned in nine characters.
QString grouped(qint64 value)
{
    QString digits = QString::number(value);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return digits.rightJustified(9, QLatin1Char(' '));
}

// The 15 entries of the position gains: halving from 4,194,304 to 4,096,
// then 1,024 down to 128 (2,048 is not offered).
constexpr std::array<qint64, 15> PositionScales{4194304, 2097152, 1048576, 524288, 262144,
                                                131072,  65536,   32768,   16384,  8192,
                                                4096,    1024,    512,     256,    128};

using CatalogueText::text;

} // namespace

// --- Tables --------------------------------------------------------------------

QStringList AnalogMonitorTables::velocityGainTexts()
{
    // The drive's own lists write 1024 and below without a separator.
    return {
        QStringLiteral("6.55[v]/   32,768 [digit]"), QStringLiteral("6.55[v]/   16,384 [digit]"),
        QStringLiteral("6.55[v]/    8,192 [digit]"), QStringLiteral("6.55[v]/    4,096 [digit]"),
        QStringLiteral("6.55[v]/    2,048 [digit]"), QStringLiteral("6.55[v]/     1024 [digit]"),
        QStringLiteral("6.55[v]/      512 [digit]"), QStringLiteral("6.55[v]/      256 [digit]"),
        QStringLiteral("6.55[v]/      128 [digit]")};
}

QStringList AnalogMonitorTables::analogGainTexts(int quantity)
{
    QStringList texts;
    if (quantity <= 1) {
        for (QString entry : velocityGainTexts())
            texts.append(entry.replace(QLatin1String("[digit]"), QLatin1String("[pulse]")));
    } else if (quantity <= 3) {
        for (qint64 scale : PositionScales)
            texts.append(QStringLiteral("6.55 [v] / %1 [pulse]").arg(grouped(scale)));
    } else {
        for (int i = 0; i < 8; ++i)
            texts.append(QStringLiteral("6.55[v]/%1 [pps]").arg(grouped(qint64(8192000) >> i)));
    }
    return texts;
}

int AnalogMonitorTables::analogGainCaption(int quantity)
{
    static constexpr int Captions[] = {263, 264, 265, 265, 266, 266};
    return Captions[qBound(0, quantity, AnalogQuantities - 1)];
}

int AnalogMonitorTables::gainParameter(int quantity)
{
    static constexpr int Parameters[] = {71, 72, 73, 73, 74, 74};
    return Parameters[qBound(0, quantity, AnalogQuantities - 1)];
}

qint64 AnalogMonitorTables::velocityFullScale(int gainIndex)
{
    return qint64(32768) >> qBound(0, gainIndex, VelocityGains - 1);
}

qint64 AnalogMonitorTables::analogFullScale(int quantity, int gainIndex)
{
    if (quantity <= 1)
        return velocityFullScale(gainIndex);
    if (quantity <= 3)
        return PositionScales[qBound(0, gainIndex, int(PositionScales.size()) - 1)];
    return qint64(8192000) >> qBound(0, gainIndex, 7);
}

QByteArray AnalogMonitorTables::sensitivityText(qint32 digitsPerUnit, bool linear)
{
    char buffer[64];
    const int n = std::snprintf(
        buffer, sizeof buffer, linear ? "         %10ld [digit/mps]" : "         %10ld [digit/rps]",
        long(digitsPerUnit));
    return QByteArray(buffer, qBound(0, n, int(sizeof buffer) - 1));
}

QByteArray AnalogMonitorTables::velocityPerFullScaleText(qint32 digitsPerUnit, int gainIndex,
                                                         bool linear)
{
    const double speed =
        digitsPerUnit > 0 ? double(velocityFullScale(gainIndex)) / digitsPerUnit : 0.0;
    return format(linear ? "6.55[v]/%10.4f [mps]" : "6.55[v]/%10.4f [rps]", speed);
}

QByteArray AnalogMonitorTables::velocityPerVoltText(qint32 digitsPerUnit, int gainIndex,
                                                    bool linear)
{
    const double speed =
        digitsPerUnit > 0 ? double(velocityFullScale(gainIndex)) / digitsPerUnit : 0.0;
    return format(linear ? "          %10.4f [mps/v]" : "          %10.4f [rps/v]",
                  speed / FullScaleVolts);
}

QByteArray AnalogMonitorTables::analogPerVoltText(int quantity, int gainIndex)
{
    const double perVolt = double(analogFullScale(quantity, gainIndex)) / FullScaleVolts;
    return format(quantity >= 4 ? "         %10.0f [pps/v]" : "         %10.0f [pulse/v]", perVolt);
}

// --- Values --------------------------------------------------------------------

qint32 AnalogMonitorExchange::Values::value(int parameter) const
{
    for (size_t i = 0; i < ReadOrder.size(); ++i) {
        if (ReadOrder[i] == parameter)
            return read[i];
    }
    return 0;
}

void AnalogMonitorExchange::Values::setValue(int parameter, qint32 value)
{
    for (size_t i = 0; i < ReadOrder.size(); ++i) {
        if (ReadOrder[i] == parameter)
            read[i] = value;
    }
}

// --- Exchange ------------------------------------------------------------------

AnalogMonitorExchange::AnalogMonitorExchange(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(&prompt)
{}

void AnalogMonitorExchange::readAll()
{
    if (isBusy() && m_phase == Phase::Reading)
        return;
    m_phase = Phase::Reading;
    m_incoming = m_values;
    m_step = 0;
    Q_EMIT busyChanged(true);
    sendStep();
}

void AnalogMonitorExchange::write(const Values &edited)
{
    if (isBusy())
        return;
    const int quantity = edited.value(70);
    m_writes = {{69, edited.value(69)},
                {75, edited.value(75)},
                {70, quantity},
                {AnalogMonitorTables::gainParameter(quantity), edited.analogGain()}};
    m_phase = Phase::Writing;
    m_step = 0;
    Q_EMIT busyChanged(true);
    sendStep();
}

void AnalogMonitorExchange::close()
{
    if (isBusy())
        m_link.disarmTimer();
    m_step = -1;
}

void AnalogMonitorExchange::sendStep()
{
    Q_EMIT lampToggled();
    if (m_phase == Phase::Reading)
        m_link.send(DriveCommand::readItem(ReadOrder[size_t(m_step)]));
    else
        m_link.send(DriveCommand::writeItem(m_writes.at(m_step).first, m_writes.at(m_step).second));
}

void AnalogMonitorExchange::finish(bool read)
{
    m_step = -1;
    Q_EMIT busyChanged(false);
    if (read)
        Q_EMIT valuesRead();
}

void AnalogMonitorExchange::onLinkReply(const QByteArray &line)
{
    if (!isBusy())
        return; // late, after a time-out or a close
    if (line.startsWith("ALM") || line.startsWith("ERR")) {
        // The drive refused: the sequence ends here and the window is free.
        finish(false);
        m_prompt->message(text(204) + QStringLiteral("\n\n") + QString::fromLatin1(line));
        return;
    }
    if (m_phase == Phase::Writing) {
        if (!line.startsWith("R00")) {
            m_link.armTimer(); // not the answer; it still has its second
            return;
        }
        if (++m_step < m_writes.size()) {
            sendStep();
            return;
        }
        m_phase = Phase::Reading;
        m_incoming = m_values;
        m_step = 0;
        sendStep();
        return;
    }
    const qsizetype colon = line.indexOf(':');
    if (colon < 0 || line.startsWith('!')) {
        m_link.armTimer();
        return;
    }
    bool ok = false;
    const qint32 value = line.mid(colon + 1).trimmed().toInt(&ok);
    if (!ok) {
        finish(false);
        m_prompt->message(text(204) + QStringLiteral("\n\n") + QString::fromLatin1(line));
        return;
    }
    m_incoming.read[size_t(m_step)] = value;
    if (++m_step < int(ReadOrder.size())) {
        sendStep();
        return;
    }
    m_values = m_incoming;
    finish(true);
}

void AnalogMonitorExchange::onLinkTimeout()
{
    if (!isBusy())
        return;
    finish(false);
    m_prompt->message(text(159));
}
