#include "sim/operatefamily.h"

#include "sim/drivestate.h"
#include "sim/simtext.h"

#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

constexpr qint64 HomingMs = 3000;
constexpr qint64 SearchMs = 2000;
constexpr qint64 IndexMs = 1500;
constexpr qint64 ReferenceMs = 1000;
constexpr qint64 TuningMs = 5000;
constexpr qint64 TuningAmplitude = 1000;
constexpr int TestRecordSpacingMs = 2;

qint64 itemOr(const DriveState &state, int number, qint64 fallback)
{
    const SimItem *item = state.items.find(number);
    return item ? item->value : fallback;
}

// Status bits that every start needs: serial operation, servo ready, no
// error, no alarm, nothing running.
bool mayStart(const DriveState &state)
{
    const quint32 word = state.statusWord();
    return (word & 0x3) == 0x3 && state.errors.isEmpty() && state.alarms.isEmpty() &&
           !state.motion.running();
}

void startSegment(DriveState &state, qint64 to, qint64 durationMs)
{
    state.position = state.commandedPosition();
    AxisMotion m;
    m.kind = AxisMotion::Kind::Segment;
    m.driveMode = true;
    m.from = state.position;
    m.to = to;
    m.startMs = state.now;
    m.durationMs = std::max<qint64>(1, durationMs);
    state.motion = m;
}

// Freezes the axis where the motion has brought it.
void stopMotion(DriveState &state)
{
    if (!state.motion.running())
        return;
    state.position = state.commandedPosition();
    state.motion = {};
}

// The option fields after "@3:8", "@3:9" or "@3:10"; nothing when there are
// none or more than three.
std::optional<QList<QByteArray>> optionFields(const QByteArray &rest)
{
    if (!rest.startsWith(':'))
        return std::nullopt;
    const QList<QByteArray> fields = rest.mid(1).split(':');
    if (fields.size() > 3)
        return std::nullopt;
    return fields;
}

SimReply startIndex(const QByteArray &rest, int mode, DriveState &state)
{
    const auto fields = optionFields(rest);
    if (!fields)
        return SimReply::of("ERR2");
    if (!mayStart(state) || state.driveMode != mode)
        return SimReply::of("ERR49");
    const qint64 divisions = std::max<qint64>(1, itemOr(state, 31, 12));
    const auto o1 = SimText::parseDecimal(fields->at(0), 1, divisions);
    if (!o1)
        return SimReply::of("ERR17.1");
    if (fields->size() > 1 && !SimText::parseDecimal(fields->at(1), 0, 1))
        return SimReply::of("ERR17.2");
    qint64 speed = 100;
    if (fields->size() > 2) {
        const auto o3 = SimText::parseDecimal(fields->at(2), 1, 100);
        if (!o3)
            return SimReply::of("ERR17.3");
        speed = *o3;
    }
    // Without an index table of its own the drive divides one revolution
    // evenly, for type B as for type A.
    const qint64 perRev = itemOr(state, 7, 2621440);
    startSegment(state, (*o1 - 1) * perRev / divisions, IndexMs * 100 / speed);
    return SimReply::of("R00");
}

SimReply startReference(const QByteArray &rest, DriveState &state)
{
    const auto fields = optionFields(rest);
    if (!fields)
        return SimReply::of("ERR2");
    if (!mayStart(state) || state.driveMode != 10)
        return SimReply::of("ERR49");
    const auto o1 = SimText::parseDecimal(fields->at(0), -1000, 1000);
    if (!o1)
        return SimReply::of("ALM62");
    for (qsizetype i = 1; i < fields->size(); ++i) {
        if (!SimText::parseDecimal(fields->at(i), 0, 1000))
            return SimReply::of("ALM62");
    }
    const qint64 target = itemOr(state, 600 + int(std::llabs(*o1) % 100), 0);
    startSegment(state, target, ReferenceMs);
    return SimReply::of("R00");
}

SimReply startMotion(const QByteArray &command, DriveState &state)
{
    const QByteArray what = command.mid(3);
    if (what == "0") {
        const quint32 word = state.statusWord();
        if (!(word & 0x1) || (word & 0xC) || !state.errors.isEmpty() || !state.alarms.isEmpty())
            return SimReply::of("ALM50");
        state.testMode = true;
        return SimReply::of("R00");
    }
    if (what == "1") {
        if (!(state.statusWord() & 0x1000000) || !mayStart(state))
            return SimReply::of("ERR49");
        state.position = state.commandedPosition();
        AxisMotion m;
        m.kind = AxisMotion::Kind::Tuning;
        m.driveMode = true;
        m.from = state.position;
        m.to = state.position;
        m.startMs = state.now;
        m.durationMs = TuningMs;
        state.motion = m;
        return SimReply::of("R00");
    }
    if (what == "3") {
        if (!mayStart(state) || state.driveMode != 3)
            return SimReply::of("ERR49");
        if (std::llabs(itemOr(state, 318, 0)) > itemOr(state, 358, 0))
            return SimReply::of("ALM49");
        startSegment(state, itemOr(state, 15, 0), HomingMs);
        return SimReply::of("R00");
    }
    if (what == "5") {
        if (!mayStart(state) || state.driveMode != 5)
            return SimReply::of("ERR49");
        const qint64 at = state.commandedPosition();
        const qint64 next = (at >= 0 ? at / 4096 + 1 : -((-at) / 4096)) * 4096;
        startSegment(state, next, SearchMs);
        return SimReply::of("R00");
    }
    if (what.startsWith("8"))
        return startIndex(what.mid(1), 8, state);
    if (what.startsWith("9"))
        return startIndex(what.mid(1), 9, state);
    if (what.startsWith("10"))
        return startReference(what.mid(2), state);
    return SimReply::of("ERR2");
}

SimReply jog(const QByteArray &argument, DriveState &state)
{
    if (argument == "0") {
        if (state.motion.kind == AxisMotion::Kind::Jog)
            stopMotion(state);
        return SimReply::of("R00");
    }
    if (argument != "1" && argument != "-1")
        return SimReply::of("ERR2");
    const qint64 speed = itemOr(state, 20, 262144) * (argument == "1" ? 1 : -1);
    if (state.motion.kind == AxisMotion::Kind::Jog) {
        // A jog command while jogging only turns the axis round.
        state.position = state.commandedPosition();
        state.motion.from = state.position;
        state.motion.startMs = state.now;
        state.motion.jogSpeed = speed;
        return SimReply::of("R00");
    }
    if (!mayStart(state) || state.driveMode != 16)
        return SimReply::of("ERR49");
    state.position = state.commandedPosition();
    AxisMotion m;
    m.kind = AxisMotion::Kind::Jog;
    m.from = state.position;
    m.startMs = state.now;
    m.jogSpeed = speed;
    state.motion = m;
    return SimReply::of("R00");
}

SimReply selectMode(const QByteArray &argument, DriveState &state)
{
    const auto mode = SimText::parseDecimal(argument, 0, 99);
    static const QList<qint64> modes = {3, 5, 8, 9, 10, 16};
    if (!mode || !modes.contains(*mode))
        return SimReply::of("ERR2");
    if (state.plcMode || state.motion.running())
        return SimReply::of("ERR49");
    state.driveMode = int(*mode);
    return SimReply::of("R00");
}

} // namespace

qint64 AxisMotion::position(qint64 nowMs) const
{
    const double tau =
        double(std::clamp<qint64>(nowMs - startMs, 0, std::max<qint64>(durationMs, 0)));
    switch (kind) {
    case Kind::None:
        return from;
    case Kind::Jog:
        return from + qint64(std::llround(double(jogSpeed) * double(nowMs - startMs) / 1000.0));
    case Kind::Tuning:
        return from + qint64(std::llround(TuningAmplitude * std::sin(2 * M_PI * tau / 1000.0)));
    case Kind::Segment: {
        const double d = double(durationMs);
        const double s = tau / d - std::sin(2 * M_PI * tau / d) / (2 * M_PI);
        return from + qint64(std::llround(double(to - from) * s));
    }
    }
    return from;
}

qint64 AxisMotion::velocity(qint64 nowMs) const
{
    const double tau =
        double(std::clamp<qint64>(nowMs - startMs, 0, std::max<qint64>(durationMs, 0)));
    switch (kind) {
    case Kind::None:
        return 0;
    case Kind::Jog:
        return jogSpeed;
    case Kind::Tuning:
        return qint64(std::llround(TuningAmplitude * 2 * M_PI * std::cos(2 * M_PI * tau / 1000.0)));
    case Kind::Segment: {
        const double d = double(durationMs);
        return qint64(
            std::llround(double(to - from) / d * (1 - std::cos(2 * M_PI * tau / d)) * 1000.0));
    }
    }
    return 0;
}

void OperateFamily::advance(DriveState &state)
{
    AxisMotion &m = state.motion;
    if (m.kind == AxisMotion::Kind::Jog) {
        const qint64 at = m.position(state.now);
        const qint64 plus = itemOr(state, 4, 999999999);
        const qint64 minus = itemOr(state, 5, -999999999);
        if ((m.jogSpeed > 0 && at > plus) || (m.jogSpeed < 0 && at < minus)) {
            state.position = m.jogSpeed > 0 ? plus : minus;
            m = {};
            state.raise({"E31", "E31 Soft limit over", false});
        }
        return;
    }
    if (!m.running() || state.now - m.startMs < m.durationMs)
        return;
    const bool tuning = m.kind == AxisMotion::Kind::Tuning;
    state.position = m.to;
    m = {};
    if (tuning) {
        const qint64 inertia = itemOr(state, 155, 1500);
        const qint64 vel =
            std::clamp<qint64>(std::llround(2000000.0 / double(inertia + 1000)), 10, 2000);
        const qint64 pos = std::clamp<qint64>(std::llround(double(vel) / 4), 1, 1000);
        state.items.force(51, qint32(vel));
        state.items.force(50, qint32(pos));
        state.items.force(63, qint32(vel));
        state.items.force(62, qint32(pos));
    }
}

bool OperateFamily::handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply)
{
    Q_UNUSED(depth);
    if (command == "@1") {
        stopMotion(state);
        *reply = SimReply::of("R00");
        return true;
    }
    if (command == "@2") {
        stopMotion(state);
        state.testMode = false;
        *reply = SimReply::of("R00");
        return true;
    }
    // Program starts (@3:4:…) belong to the program family.
    if (command.startsWith("@3:") && !command.startsWith("@3:4")) {
        *reply = startMotion(command, state);
        return true;
    }
    if (command.startsWith("@11:")) {
        *reply = jog(command.mid(4), state);
        return true;
    }
    if (command.startsWith("@43:")) {
        *reply = selectMode(command.mid(4), state);
        return true;
    }
    if (command.startsWith("@86:")) {
        const QList<QByteArray> f = command.mid(4).split(':');
        static const QList<qint64> times = {50, 100, 250, 500};
        static const QList<qint64> points = {1, 3, 5, 7, 9};
        qint64 type = -1;
        qint64 time = 0;
        qint64 point = 0;
        if (f.size() == 3) {
            type = SimText::parseDecimal(f[0], 0, 2).value_or(-1);
            time = SimText::parseDecimal(f[1], 0, 500).value_or(0);
            point = SimText::parseDecimal(f[2], 0, 9).value_or(0);
        }
        if (type < 0 || !times.contains(time) || !points.contains(point)) {
            *reply = SimReply::of("ERR2");
            return true;
        }
        // The record: `time` samples of the test response 2 ms apart, the
        // trigger instant at sample time × point / 10.
        const SimItem *response = state.items.find(319);
        const qint64 savedNow = state.now;
        const qint64 trigger = savedNow + type * 100;
        const qint64 triggerSample = time * point / 10;
        m_record.clear();
        for (qint64 i = 0; i < time; ++i) {
            state.now = std::max<qint64>(0, trigger + (i - triggerSample) * TestRecordSpacingMs);
            m_record.append(response ? state.itemValue(*response) : 0);
        }
        state.now = savedNow;
        *reply = SimReply::of("R00");
        return true;
    }
    if (command.startsWith("@87:")) {
        const auto block = SimText::parseDecimal(command.mid(4), 0, 9999);
        if (!block) {
            *reply = SimReply::of("ERR2");
            return true;
        }
        if (m_record.isEmpty()) {
            *reply = SimReply::of("ERR3");
            return true;
        }
        const int first = int(*block) * 10;
        if (first >= m_record.size()) {
            *reply = SimReply::of("R00");
            return true;
        }
        const int last = std::min<int>(first + 9, int(m_record.size()) - 1);
        int lastSent = last;
        if (state.shortTestRecord)
            --lastSent;
        const int count = last - first + 1;
        QByteArray line = "R" + QByteArray(2 + count, 'D') + " TRS:" + SimText::decimal(first) +
                          ':' + SimText::decimal(last);
        for (int i = first; i <= lastSent; ++i)
            line += ':' + SimText::decimal(m_record.at(i));
        *reply = SimReply::of(line);
        return true;
    }
    return false;
}
