#include "sim/drivestate.h"

#include "sim/tablefamily.h"

#include <QtMath>

#include <cmath>
#include <cstdlib>

namespace {

struct MachineSeed
{
    MachineEntry::Group group;
    int number;
    int slot;
    const char *label;
    qint32 value;
};

using G = MachineEntry::Group;

const MachineSeed machineSeed[] = {
    {G::Com, 0, 0, "MotorKind", 0},
    {G::Com, 1, 1, "FormatVer", 3},
    {G::Com, 2, 10, "VelAnalog", 0},
    {G::Com, 3, 11, "MultiDrvRole", 0},
    {G::Com, 4, 12, "SoftZero", 0},
    {G::Com, 5, 20, "OvlErrInhibit", 0},
    {G::Com, 6, 21, "EccCompInhibit", 0},
    {G::Com, 16, 22, "AbsAccCompType", 2},
    {G::Com, 7, 30, "", 0}, // labelled with the interface board name
    {G::Com, 8, 50, "EncoderType", 5},
    {G::Com, 9, 51, "EncCountWeight", 1},
    {G::Com, 10, 52, "MaxCurrent", 150},
    {G::Com, 17, 53, "AbsPitchTol", 50},
    {G::Com, 18, 54, "AbsCableComp", 10},
    {G::Com, 19, 55, "AbsOffsetTemp", 5},
    {G::Com, 11, 60, "ThermalTc", 30000},
    {G::Com, 12, 61, "DetectDuty", 8000},
    {G::Com, 13, 62, "ReleaseDuty", 6000},
    {G::Com, 14, 63, "OvlCurLimit", 5000},
    {G::Com, 15, 70, "VfbRange", 2048},
};

const qint32 rotarySeed[] = {150,  2048, 2048, 1,    45000, 45000, 45000,
                             3000, 1000, 20,   1000, 600,   250,   1000};
const qint32 linearSeed[] = {30000, 20, 20, 30000, 2000, 1000, 3000, 5000, 1000};
const qint32 adjustSeed[] = {1234, 2048, 0, 0};

qint64 roundAway(double v)
{
    return qint64(std::lround(v));
}

// Position within one 4096-pulse pitch of the encoder's marks.
qint64 pitchPosition(qint64 position)
{
    return ((position % 4096) + 4096) % 4096;
}

} // namespace

DriveState::DriveState()
{
    for (const MachineSeed &m : machineSeed)
        machine.append({m.group, m.number, m.slot, m.label, m.value});
    for (int i = 0; i < 14; ++i)
        machine.append({G::Rot, 100 + i, i, {}, rotarySeed[i]});
    for (int i = 0; i < 9; ++i)
        machine.append({G::Lnr, 200 + i, i, {}, linearSeed[i]});
    for (int i = 0; i < 4; ++i)
        machine.append({G::Adj, 400 + i, 0, {}, adjustSeed[i]});
    items.seed();
    TableFamily::seed(*this);
}

void DriveState::seed()
{
    *this = DriveState();
}

QByteArray DriveState::identificationReply() const
{
    QByteArray shownTitle = title;
    if (longIdentity && shownTitle.size() < 60)
        shownTitle.append(QByteArray(60 - shownTitle.size(), '_'));
    return "R5Z " + shownTitle + ':' + id + ':' + kerVer + ':' + appVer + ':' + cpuFRom + ':' +
           extFRom;
}

QByteArray DriveState::motorTypeReply() const
{
    QByteArray reply = "R2Z " + motorStringA + ':' + motorStringB;
    if (motorTypeFields >= 3)
        reply += ":REV-B";
    return reply;
}

const MachineEntry *DriveState::comSlot(int slot) const
{
    for (const MachineEntry &m : machine) {
        if (m.group == MachineEntry::Group::Com && m.slot == slot)
            return &m;
    }
    return nullptr;
}

MachineEntry *DriveState::machineEntry(MachineEntry::Group group, int number)
{
    for (MachineEntry &m : machine) {
        if (m.group == group && m.number == number)
            return &m;
    }
    return nullptr;
}

bool DriveState::english() const
{
    const SimItem *item = items.find(201);
    return !item || item->value != 0;
}

QByteArray DriveState::label(const SimItem &item) const
{
    return english() || item.japanese.isEmpty() ? item.english : item.japanese;
}

qint64 DriveState::commandedPosition() const
{
    if (!axisWander || wanderPeriodMs <= 0)
        return position;
    return position + roundAway(double(wanderAmplitude) *
                                std::sin(2 * M_PI * double(now % wanderPeriodMs) / wanderPeriodMs));
}

qint64 DriveState::commandedVelocity() const
{
    if (!axisWander || wanderPeriodMs <= 0)
        return 0;
    const double omega = 2 * M_PI / wanderPeriodMs; // per ms
    return roundAway(double(wanderAmplitude) * omega * 1000.0 *
                     std::cos(omega * double(now % wanderPeriodMs)));
}

// The axis signals follow the commanded position; the small idle ripple of
// the position loop shows only in the feedback monitor items.
qint64 DriveState::actualPosition() const
{
    return commandedPosition();
}

bool DriveState::moving() const
{
    return commandedVelocity() != 0;
}

quint32 DriveState::statusWord() const
{
    quint32 word = 0;
    if (!plcMode)
        word |= 0x1;
    if (servoReady && alarms.isEmpty())
        word |= 0x2;
    if (moving())
        word |= 0x8;
    else
        word |= 0x10; // in position: at rest, deviation within #8
    if (!errors.isEmpty())
        word |= 0x10000;
    if (!alarms.isEmpty())
        word |= 0x20000;
    if (autotuneAvailable && !(word & 0x4) && errors.isEmpty() && alarms.isEmpty())
        word |= 0x1000000;
    return word | statusForce;
}

quint16 DriveState::axisSignalWord() const
{
    const qint64 pos = actualPosition();
    const SimItem *plus = items.find(4);
    const SimItem *minus = items.find(5);
    quint16 word = 0x1; // driver ready
    if (statusWord() & 0x2)
        word |= 0x2;
    for (const DriveCondition &a : alarms) {
        if (a.code == "A13")
            word |= 0x4;
    }
    if (std::llabs(pos) < 4096)
        word |= 0x10;
    if (plus && pos > plus->value)
        word |= 0x20;
    if (minus && pos < minus->value)
        word |= 0x40;
    if (pitchPosition(pos) < 64)
        word |= 0x100;
    if (encoderDisconnect)
        word |= 0x400;
    if (pitchPosition(pos) < 8)
        word |= 0x1000;
    return word | axisStateForce;
}

qint32 DriveState::itemValue(const SimItem &item) const
{
    if (item.kind != SimItem::Kind::Monitor)
        return item.value;
    const double t = double(now);
    const qint64 ripple = roundAway(3 * std::sin(2 * M_PI * std::fmod(t, 250.0) / 250.0));
    const qint64 deviation = roundAway(double(commandedVelocity()) * 0.002) + ripple;
    const quint32 status = statusWord();
    switch (item.number) {
    case 217:
        return plcMode ? 0 : 1;
    case 300:
        return qint32(commandedPosition());
    case 301:
        return qint32(commandedPosition() - deviation);
    case 302:
        return qint32(deviation);
    case 303:
    case 304:
        return qint32(commandedVelocity());
    case 305:
        return qint32(commandedVelocity() / 100);
    case 307: {
        qint32 outputs = 0x1;
        if (status & 0x2)
            outputs |= 0x2;
        if (status & 0x10)
            outputs |= 0x4;
        if (status & 0x10000)
            outputs |= 0x8;
        if (status & 0x20000)
            outputs |= 0x10;
        if (status & 0x8)
            outputs |= 0x20;
        return outputs;
    }
    case 308:
        return qint32(status);
    case 319: {
        const double tau = std::fmod(t, 2000.0);
        return qint32(tau < 1000 ? roundAway(1000 * (1 - std::exp(-tau / 40)))
                                 : roundAway(1000 * std::exp(-(tau - 1000) / 40)));
    }
    case 322:
        return qint32(roundAway(300 * std::sin(2 * M_PI * std::fmod(t, 1000.0) / 1000.0)));
    case 328: {
        const double phase = std::fmod(t, 2000.0);
        return phase >= 400 && phase < 1800 ? 1 : 0;
    }
    case 365:
        return qint32(roundAway(1000 * std::sin(2 * M_PI * std::fmod(t, 1000.0) / 1000.0)));
    case 369:
        return qint32(roundAway(50 * std::sin(2 * M_PI * std::fmod(t, 500.0) / 500.0)));
    default:
        return item.value;
    }
}

void DriveState::raise(const DriveCondition &condition)
{
    QList<DriveCondition> &list = condition.code.startsWith('A') ? alarms : errors;
    for (const DriveCondition &c : list) {
        if (c.code == condition.code)
            return;
    }
    list.append(condition);
}

void DriveState::update(qint64 nowMs)
{
    now = nowMs;
    if (conditionCycleMs <= 0) {
        m_cyclePhase = -1;
        return;
    }
    // Half-way through every cycle an error shows for a twentieth of it; at
    // nine tenths an alarm shows for a fiftieth. Each clears by itself when
    // its window ends (or earlier by @4).
    const qint64 at = nowMs % conditionCycleMs;
    const qint64 errorFrom = conditionCycleMs / 2;
    const qint64 alarmFrom = conditionCycleMs * 9 / 10;
    const int phase = at >= errorFrom && at < errorFrom + conditionCycleMs / 20   ? 1
                      : at >= alarmFrom && at < alarmFrom + conditionCycleMs / 50 ? 3
                                                                                  : 0;
    if (phase == m_cyclePhase)
        return;
    const auto removeCode = [](QList<DriveCondition> &list, const QByteArray &code) {
        list.removeIf([&](const DriveCondition &c) { return c.code == code; });
    };
    if (m_cyclePhase == 1)
        removeCode(errors, "E31");
    if (m_cyclePhase == 3)
        removeCode(alarms, "A13");
    if (phase == 1)
        raise({"E31", "E31 Soft limit over", false});
    if (phase == 3)
        raise({"A13", "A13 Overload", false});
    m_cyclePhase = phase;
}

void DriveState::restartReset()
{
    transfer = Transfer::Closed;
    programNumber = 0;
    blockNumber = 0;
    errors.removeIf([](const DriveCondition &c) { return !c.persistent; });
    alarms.removeIf([](const DriveCondition &c) { return !c.persistent; });
}

void DriveState::communicationReset()
{
    transfer = Transfer::Closed;
}
