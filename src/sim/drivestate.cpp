#include "sim/drivestate.h"

#include "sim/camfamily.h"
#include "sim/operatefamily.h"
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
    // The seed programs: 3 and 12 for the tool's transfers, 95 above the
    // numbers a batch upload takes.
    setProgram(3, 0x0001,
               {"'SIM demo program 3", "SPD 100", "ACC 50", "MOV 10000 'move out", "TIM 500",
                "MOV 0 'back home", "M10", "END"});
    setProgram(12, 0x0003,
               {"'SIM program 12", "SPD 200", "TIM 100", "MOV 5000 'index 1", "MOV 10000 'index 2",
                "END"});
    setProgram(95, 0x0000, {"'SIM read-only sample", "SPD 50", "MOV 0", "END"});
    TableFamily::seed(*this);
    CamFamily::seed(*this);
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
    if (motion.running())
        return motion.position(now);
    if (!axisWander || wanderPeriodMs <= 0)
        return position;
    return position + roundAway(double(wanderAmplitude) *
                                std::sin(2 * M_PI * double(now % wanderPeriodMs) / wanderPeriodMs));
}

qint64 DriveState::commandedVelocity() const
{
    if (motion.running())
        return motion.velocity(now);
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
    return motion.running() || commandedVelocity() != 0;
}

quint32 DriveState::statusWord() const
{
    quint32 word = 0;
    if (!plcMode)
        word |= 0x1;
    if (servoReady && alarms.isEmpty())
        word |= 0x2;
    if (motion.running() && motion.driveMode)
        word |= 0x4;
    if (moving())
        word |= 0x8;
    else
        word |= 0x10; // in position: at rest, deviation within #8
    if (testMode)
        word |= 0x20;
    if (!errors.isEmpty())
        word |= 0x10000;
    if (!alarms.isEmpty())
        word |= 0x20000;
    if (m_run.active)
        word |= 0x4;
    if (m_run.active && m_run.wait != ProgramRun::Wait::None)
        word |= 0x100;
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
    // Blocks that ended since the last look, each a second after the one
    // before, so that a late look does not stretch the program.
    while (m_run.active && m_run.wait == ProgramRun::Wait::None &&
           nowMs >= m_run.blockStartedAt + BlockMs)
        finishBlock(m_run.blockStartedAt + BlockMs);
    OperateFamily::advance(*this);
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
    stopRun();
    position = commandedPosition();
    motion = {};
    driveMode = 0;
    testMode = false;
    programNumber = 0;
    blockNumber = 0;
    errors.removeIf([](const DriveCondition &c) { return !c.persistent; });
    alarms.removeIf([](const DriveCondition &c) { return !c.persistent; });
}

void DriveState::communicationReset()
{
    transfer = Transfer::Closed;
}

// --- Programs ------------------------------------------------------------------

QList<QByteArray> SimProgram::blocksOfLine(const QByteArray &line)
{
    const qsizetype quote = line.indexOf('\'');
    if (quote <= 0)
        return {line};
    qsizetype end = quote;
    while (end > 0 && line.at(end - 1) == ' ')
        --end;
    return {line.left(end) + '$', line.mid(quote)};
}

SimProgram SimProgram::fromLines(quint16 option, const QList<QByteArray> &lines)
{
    SimProgram program;
    program.option = option;
    for (const QByteArray &line : lines)
        program.blocks += blocksOfLine(line);
    return program;
}

const SimProgram *DriveState::program(int number) const
{
    const auto it = m_programs.constFind(number);
    return it == m_programs.cend() ? nullptr : &*it;
}

void DriveState::setProgram(int number, const SimProgram &program)
{
    m_programs.insert(number, program);
}

bool DriveState::removeProgram(int number)
{
    return m_programs.remove(number) > 0;
}

int DriveState::usedBlocks() const
{
    int used = 0;
    for (const SimProgram &p : m_programs)
        used += int(p.blocks.size());
    return used;
}

bool DriveState::stepMode() const
{
    const SimItem *item = items.find(82);
    return item && item->value == 1;
}

QByteArray DriveState::startProgram(int number, int block)
{
    if (m_run.active) {
        if (m_run.wait == ProgramRun::Wait::None)
            return "ERR49";
        answerWait();
        return "R00";
    }
    const SimProgram *p = program(number);
    if (block == 0)
        block = 1;
    if (!p || block < 1 || block > p->blocks.size())
        return "ERR18";
    if (plcMode || !servoReady || !errors.isEmpty() || !alarms.isEmpty())
        return "ERR49";
    m_run = ProgramRun();
    m_run.active = true;
    programNumber = number;
    enterBlock(block, now);
    return "R00";
}

void DriveState::answerWait()
{
    if (!m_run.active)
        return;
    switch (m_run.wait) {
    case ProgramRun::Wait::None:
        return;
    case ProgramRun::Wait::MCode:
        m_run.wait = ProgramRun::Wait::None;
        finishBlock(now);
        return;
    case ProgramRun::Wait::Step:
        m_run.wait = ProgramRun::Wait::None;
        enterBlock(blockNumber, now);
        return;
    }
}

void DriveState::stopProgramAfterBlock()
{
    if (!m_run.active)
        return;
    if (m_run.wait != ProgramRun::Wait::None)
        stopRun();
    else
        m_run.stopAfterBlock = true;
}

void DriveState::abortProgram()
{
    stopRun();
}

void DriveState::stopRun()
{
    m_run = ProgramRun();
}

void DriveState::enterBlock(int block, qint64 at)
{
    blockNumber = block;
    m_run.blockStartedAt = at;
    if (programNumber == programErrorAt && block == programErrorBlock) {
        raise({"E40", "E40 Program execution error", false});
        stopRun();
        return;
    }
    const SimProgram *p = program(programNumber);
    if (!p) {
        stopRun();
        return;
    }
    // "M" and digits: the block waits for the tool's M answer (@9).
    const QByteArray text = p->blocks.value(block - 1).trimmed();
    bool mCode = text.size() >= 2 && (text.at(0) == 'M' || text.at(0) == 'm');
    for (qsizetype i = 1; mCode && i < text.size(); ++i)
        mCode = text.at(i) >= '0' && text.at(i) <= '9';
    if (mCode)
        m_run.wait = ProgramRun::Wait::MCode;
}

void DriveState::finishBlock(qint64 at)
{
    const SimProgram *p = program(programNumber);
    if (m_run.stopAfterBlock || !p || blockNumber >= p->blocks.size()) {
        // The fields keep the last program and block.
        stopRun();
        return;
    }
    if (stepMode()) {
        blockNumber += 1;
        m_run.blockStartedAt = at;
        m_run.wait = ProgramRun::Wait::Step;
        return;
    }
    enterBlock(blockNumber + 1, at);
}
