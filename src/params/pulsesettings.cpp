#include "pulsesettings.h"

#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/catalogue.h"

namespace {
constexpr std::array<int, PulseSettings::ListCount> parameters = {202, 204, 205, 207};
} // namespace

PulseSettings::PulseSettings(DriveLink &link, UserPrompt *prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(prompt)
{}

PulseSettings::~PulseSettings()
{
    if (m_open)
        close();
}

int PulseSettings::parameter(int list)
{
    return parameters.at(list);
}

QStringList PulseSettings::entries(int list)
{
    switch (list) {
    case 0: {
        // Position = value, and the drive reads 0 as the default direction
        // and 1 as reversed.
        const Catalogue &c = Catalogue::instance();
        return {c.string(269), c.string(270)};
    }
    case 1:
        return {QStringLiteral("UP, DOWN"), QStringLiteral("A, B"), QStringLiteral("PLS, SIGN")};
    case 2:
        return {QStringLiteral("UP, DOWN"), QStringLiteral("A, B")};
    case 3:
        return {QStringLiteral("1"), QStringLiteral("2"),  QStringLiteral("4"),
                QStringLiteral("8"), QStringLiteral("16"), QStringLiteral("32"),
                QStringLiteral("64")};
    default:
        break;
    }
    return {};
}

int PulseSettings::positionFor(int list, qint64 value)
{
    qint64 position = value;
    if (list == 3) {
        if (value <= 0)
            return -1;
        position = 0;
        for (qint64 v = value / 2; v > 0; v /= 2)
            ++position;
    }
    if (position < 0 || position >= entries(list).size())
        return -1;
    return int(position);
}

QByteArray PulseSettings::writeCommand(int list, int position)
{
    const QByteArray key = DriveCommand::readItem(parameter(list));
    if (list == 3)
        return DriveCommand::writeKey(key, entries(3).value(position).toLatin1());
    return DriveCommand::writeKey(key, qint64(position));
}

void PulseSettings::open()
{
    if (m_open)
        return;
    m_link.pushOwner(this);
    m_link.open();
    m_open = true;
    m_values.fill(std::nullopt);
    m_selection.fill(-1);
    m_index = 0;
    setState(Reading);
    readNext();
}

void PulseSettings::close()
{
    if (!m_open)
        return;
    m_link.reset();
    // After @96 no answer comes; its time-out must not reach the window below.
    m_link.disarmTimer();
    m_link.close();
    if (m_link.owner() == this)
        m_link.popOwner();
    m_open = false;
    setState(Idle);
}

void PulseSettings::select(int list, int position)
{
    if (list < 0 || list >= ListCount)
        return;
    m_selection[list] = position >= 0 && position < entries(list).size() ? position : -1;
}

bool PulseSettings::canSet() const
{
    return std::any_of(m_selection.cbegin(), m_selection.cend(), [](int s) { return s >= 0; });
}

void PulseSettings::set()
{
    if (!m_open || isBusy() || !canSet())
        return;
    m_toWrite.clear();
    for (int list = 0; list < ListCount; ++list) {
        if (m_selection[list] >= 0)
            m_toWrite.append(list);
    }
    setState(Writing);
    send(DriveCommand::switchToWriting());
}

void PulseSettings::setState(State state)
{
    const bool wasBusy = isBusy();
    m_state = state;
    if (wasBusy != isBusy())
        Q_EMIT busyChanged(isBusy());
}

void PulseSettings::send(const QByteArray &command)
{
    Q_EMIT stepped();
    m_link.send(command);
}

void PulseSettings::readNext()
{
    if (m_index >= ListCount) {
        for (int list = 0; list < ListCount; ++list)
            m_selection[list] = m_values[list] ? positionFor(list, *m_values[list]) : -1;
        setState(Idle);
        Q_EMIT lampIdle();
        Q_EMIT listsFilled();
        return;
    }
    send(DriveCommand::readItem(parameter(m_index)));
}

void PulseSettings::writeNext()
{
    if (m_toWrite.isEmpty()) {
        setState(Finished);
        Q_EMIT lampIdle();
        if (m_prompt) {
            const Catalogue &c = Catalogue::instance();
            m_prompt->message(c.string(129) + QStringLiteral("\n\n") + c.string(160));
        }
        // The drive restarts and does not answer.
        m_link.send(DriveCommand::restart());
        Q_EMIT finished();
        return;
    }
    const int list = m_toWrite.takeFirst();
    send(writeCommand(list, m_selection[list]));
}

void PulseSettings::onLinkReply(const QByteArray &line)
{
    if (m_state == Reading) {
        QByteArray text = line;
        const qsizetype colon = text.lastIndexOf(':');
        if (colon >= 0)
            text = text.mid(colon + 1);
        while (text.endsWith(' '))
            text.chop(1);
        m_values[m_index] = colon >= 0 ? parseDecimal(text) : std::nullopt;
        ++m_index;
        readNext();
        return;
    }
    if (m_state != Writing)
        return;
    if (ReplyLine(line).isDone()) {
        writeNext();
        return;
    }
    // A refused write ends the sequence; the drive is not restarted.
    setState(Idle);
    Q_EMIT lampIdle();
    if (m_prompt)
        m_prompt->message(Catalogue::instance().string(204) + QLatin1Char('\n') +
                          DriveText::decode(line));
}

void PulseSettings::onLinkTimeout()
{
    if (m_state == Reading) {
        // Fill the lists with what arrived; a value not read shows no entry.
        m_index = ListCount;
        readNext();
    } else if (m_state == Writing) {
        setState(Idle);
    } else {
        return;
    }
    Q_EMIT lampIdle();
    if (m_prompt)
        m_prompt->message(Catalogue::instance().string(159));
}
