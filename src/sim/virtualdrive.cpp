#include "sim/virtualdrive.h"

#include "sim/camfamily.h"
#include "sim/drivepresets.h"
#include "sim/helpfamily.h"
#include "sim/iofamily.h"
#include "sim/loggingfamily.h"
#include "sim/operatefamily.h"
#include "sim/parameterfamily.h"
#include "sim/programfamily.h"
#include "sim/simtext.h"
#include "sim/statusfamily.h"
#include "sim/systemfamily.h"
#include "sim/tablefamily.h"

#include <cmath>

namespace {

// The longest command line the drive takes; a longer one is answered ERR4.
constexpr int MaxLineLength = 255;
// Complete lines waiting to be answered; beyond this the drive's input buffer
// overflows and further lines are lost.
constexpr size_t MaxQueuedLines = 1024;
// Timers tick in whole milliseconds. Events are let through up to half a
// millisecond early, so that the error of the tick is centred on the true
// time and a paced transfer keeps the line's real rate on average instead of
// losing up to a millisecond on every line.
constexpr double TimerSlackMs = 0.5;

int tagDepth(const QByteArray &line)
{
    int depth = 0;
    while (depth < line.size() && line[depth] == '!')
        ++depth;
    return depth;
}

} // namespace

VirtualDrive::VirtualDrive(QObject *parent)
    : QObject(parent)
{
    m_families.push_back(std::make_unique<SystemFamily>());
    m_families.push_back(std::make_unique<ParameterFamily>());
    m_families.push_back(std::make_unique<HelpFamily>());
    m_families.push_back(std::make_unique<StatusFamily>());
    m_families.push_back(std::make_unique<LoggingFamily>());
    m_families.push_back(std::make_unique<ProgramFamily>());
    m_families.push_back(std::make_unique<IoFamily>());
    m_families.push_back(std::make_unique<OperateFamily>());
    m_families.push_back(std::make_unique<TableFamily>());
    m_families.push_back(std::make_unique<CamFamily>());
    m_clock.start();
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &VirtualDrive::pump);
}

VirtualDrive::~VirtualDrive() = default;

void VirtualDrive::setProfile(Profile profile)
{
    m_profile = profile;
    if (profile == Profile::Demo) {
        m_restartMs = 2000;
        m_regDelayMs = 1500;
        m_pacing = true;
    } else {
        m_restartMs = 1500;
        m_regDelayMs = 0;
        m_pacing = false;
    }
    // Records of many seconds finish quickly in tests.
    m_state.logTimeScale = profile == Profile::Test ? 20 : 1;
}

void VirtualDrive::setStation(int station)
{
    m_station = qBound(0, station, 9);
}

void VirtualDrive::setBaud(int baud)
{
    m_baud = qMax(1, baud);
}

double VirtualDrive::charTimeMs() const
{
    // 8N1: ten bit times per character.
    return 10000.0 / m_baud + m_charGapMs;
}

std::optional<qint32> VirtualDrive::item(int number) const
{
    const SimItem *item = m_state.items.find(number);
    if (!item)
        return std::nullopt;
    return m_state.itemValue(*item);
}

bool VirtualDrive::setItem(int number, qint64 value)
{
    return m_state.items.write(number, value) == ItemStore::WriteResult::Accepted;
}

void VirtualDrive::forceItem(int number, qint32 value)
{
    m_state.items.force(number, value);
}

void VirtualDrive::addFamily(std::unique_ptr<CommandFamily> family)
{
    m_families.push_back(std::move(family));
}

bool VirtualDrive::applyPreset(const QString &names, QString *error)
{
    return DrivePresets::apply(*this, names, error);
}

QStringList VirtualDrive::presetNames()
{
    return DrivePresets::names();
}

int VirtualDrive::addFault(const QString &definition, QString *error)
{
    auto rule = FaultRule::parse(definition, error);
    if (!rule)
        return 0;
    rule->setId(m_nextFaultId++);
    m_faults.push_back(*rule);
    return rule->id();
}

void VirtualDrive::removeFault(int id)
{
    std::erase_if(m_faults, [id](const FaultRule &r) { return r.id() == id; });
}

void VirtualDrive::clearFaults()
{
    m_faults.clear();
}

double VirtualDrive::now() const
{
    return double(m_clock.nsecsElapsed()) / 1e6 + m_offsetMs;
}

void VirtualDrive::advanceClock(qint64 ms)
{
    m_offsetMs += double(ms);
    // Whatever fell due in the skipped time (the end of a dead time, a late
    // reply) happens on the next turn of the event loop.
    m_timer.start(0);
    m_wakeAt = now();
}

bool VirtualDrive::isIdle() const
{
    return m_inbox.empty() && m_outbox.empty() && m_partial.isEmpty();
}

void VirtualDrive::reconnect()
{
    if (!m_disconnected)
        return;
    m_disconnected = false;
    m_reconnectAt = 0;
    note("line connected again");
    emit reconnected();
}

void VirtualDrive::note(const QByteArray &text)
{
    SimTraceEntry e;
    e.ms = now();
    e.kind = SimTraceEntry::Kind::Note;
    e.station = m_station;
    e.text = text;
    m_trace.append(e);
}

// --- Receiving -----------------------------------------------------------

void VirtualDrive::receive(const QByteArray &bytes)
{
    const double t = now();
    if (m_restartPending && t >= m_deadUntil)
        finishRestart();
    if (m_disconnected || bytes.isEmpty())
        return;
    if (m_restartPending)
        return; // dead time: the drive hears nothing

    const double charMs = charTimeMs();
    for (char c : bytes) {
        if (m_pacing)
            m_rxWireAt = std::max(t, m_rxWireAt) + charMs;
        if (c == '\n' || c == '\0')
            continue;
        if (c != '\r') {
            if (m_partial.size() < MaxLineLength)
                m_partial.append(c);
            else
                m_partialOverlong = true;
            continue;
        }
        InLine line{m_partial, m_partialOverlong, m_pacing ? m_rxWireAt : t};
        m_partial.clear();
        m_partialOverlong = false;
        // A blank line gets no answer, unless a registration takes it as an
        // empty program line: processLine() decides.
        if (m_inbox.size() >= MaxQueuedLines) {
            note("input buffer full, line lost: " + line.bytes.left(40));
            continue;
        }
        m_inbox.push_back(line);
    }
    scheduleAt(m_inbox.empty() ? t + 1e9 : m_inbox.front().readyAt);
}

// --- The event pump ------------------------------------------------------

void VirtualDrive::scheduleAt(double at)
{
    const double t = now();
    if (at > t + 1e8)
        return;
    if (m_timer.isActive() && m_wakeAt <= at)
        return;
    m_wakeAt = at;
    m_timer.start(int(std::max(0.0, std::ceil(at - TimerSlackMs - t))));
}

void VirtualDrive::pump()
{
    double t = now();
    if (m_restartPending && t >= m_deadUntil)
        finishRestart();
    if (m_disconnected && m_reconnectAt > 0 && t >= m_reconnectAt)
        reconnect();

    for (;;) {
        t = now();
        if (!pumpOutput(t))
            return; // rescheduled by pumpOutput
        if (m_restartPending) {
            scheduleAt(m_deadUntil);
            return;
        }
        if (m_disconnected) {
            m_inbox.clear();
            if (m_reconnectAt > 0)
                scheduleAt(m_reconnectAt);
            return;
        }
        if (m_inbox.empty())
            return;
        if (m_inbox.front().readyAt > t + TimerSlackMs) {
            scheduleAt(m_inbox.front().readyAt);
            return;
        }
        const InLine line = m_inbox.front();
        m_inbox.pop_front();
        processLine(line);
    }
}

// Sends what is due of the outgoing lines. Returns true when nothing is left
// to send, false when it has scheduled itself for later.
bool VirtualDrive::pumpOutput(double t)
{
    while (!m_outbox.empty()) {
        if (m_disconnected || m_restartPending) {
            m_outbox.clear();
            return true;
        }
        OutLine &o = m_outbox.front();
        if (t + TimerSlackMs < o.dueAt) {
            scheduleAt(o.dueAt);
            return false;
        }
        if (!o.started) {
            o.started = true;
            o.start = std::max(o.dueAt, m_txFreeAt);
            o.lastPieceAt = -1e9;
            for (const QByteArray &text : o.traceLines) {
                SimTraceEntry e;
                e.ms = t;
                e.kind = SimTraceEntry::Kind::Sent;
                e.station = m_station;
                e.depth = o.depth;
                e.text = text;
                m_trace.append(e);
            }
        }
        // With pacing the k-th character is on the wire at start + k * char time.
        qsizetype allowed = o.bytes.size();
        const double charMs = charTimeMs();
        if (m_pacing)
            allowed = std::min<qsizetype>(o.bytes.size(),
                                          qsizetype((t + TimerSlackMs - o.start) / charMs));

        if (o.pieceEnds.isEmpty()) {
            if (allowed > o.sent) {
                emit transmit(o.bytes.mid(o.sent, allowed - o.sent));
                o.sent = allowed;
            }
            if (o.sent < o.bytes.size()) {
                scheduleAt(o.start + double(o.sent + 1) * charMs);
                return false;
            }
        } else {
            // One piece per turn of the event loop, so that each arrives as a
            // receive event of its own.
            if (o.nextPiece < o.pieceEnds.size()) {
                const qsizetype end = o.pieceEnds[o.nextPiece];
                const double pieceAt = std::max(o.lastPieceAt + o.gapMs,
                                                m_pacing ? o.start + double(end) * charMs : t);
                if (t + TimerSlackMs < pieceAt || allowed < end) {
                    scheduleAt(pieceAt);
                    return false;
                }
                emit transmit(o.bytes.mid(o.sent, end - o.sent));
                o.sent = end;
                o.lastPieceAt = t;
                ++o.nextPiece;
                if (o.nextPiece < o.pieceEnds.size()) {
                    scheduleAt(std::max(t, o.lastPieceAt + o.gapMs));
                    return false;
                }
            }
        }
        const bool restartAfter = o.restartAfter;
        m_txFreeAt = t;
        m_outbox.pop_front();
        if (restartAfter)
            beginRestart();
    }
    return true;
}

// --- Processing one command line --------------------------------------------

void VirtualDrive::processLine(const InLine &in)
{
    const double t = now();
    QByteArray line = in.bytes;
    const bool forUs = m_station == 0 || (!line.isEmpty() && line[0] == char('0' + m_station));
    if (m_station != 0 && forUs)
        line.remove(0, 1);
    const int depth = tagDepth(line);
    {
        SimTraceEntry e;
        e.ms = t;
        e.kind = SimTraceEntry::Kind::Received;
        e.station = m_station;
        e.depth = depth;
        e.text = in.overlong ? in.bytes + "..." : in.bytes;
        m_trace.append(e);
    }
    if (!forUs) {
        note("not for station " + QByteArray::number(m_station));
        return;
    }
    if (SimText::trimBlanks(line).isEmpty() && !in.overlong && !(depth == 0 && modeOpen()))
        return;

    const QByteArray afterTags = line.mid(depth);
    const QByteArray command = SimText::trimBlanks(afterTags);

    // Fault rules see every accepted line, in the order they were added.
    std::vector<FaultRule> fired;
    for (FaultRule &rule : m_faults) {
        if (rule.fires(command, qint64(t))) {
            fired.push_back(rule);
            SimTraceEntry e;
            e.ms = t;
            e.kind = SimTraceEntry::Kind::Fault;
            e.text = "rule#" + QByteArray::number(rule.id()) + ' ' + rule.definition().toLatin1() +
                     " on \"" + command + '"';
            m_trace.append(e);
        }
    }
    std::erase_if(m_faults, [](const FaultRule &r) { return r.retired(); });

    bool restart = false;
    SimReply reply;
    bool refused = false;
    for (const FaultRule &rule : fired) {
        switch (rule.effect()) {
        case FaultRule::Effect::Lose:
            return;
        case FaultRule::Effect::Restart:
            beginRestart();
            return;
        case FaultRule::Effect::Disconnect:
            goDisconnected(rule.forMs());
            return;
        case FaultRule::Effect::Refuse:
            reply = SimReply::of(rule.text());
            refused = true;
            break;
        default:
            break;
        }
    }

    if (in.overlong)
        reply = SimReply::of("ERR4");
    else if (!refused)
        reply = dispatch(afterTags, command, depth, &restart);

    QList<QByteArray> texts;
    if (reply.kind == SimReply::Kind::Line) {
        texts.append(reply.line);
    } else if (reply.kind == SimReply::Kind::Paged) {
        if (reply.lines.isEmpty()) {
            texts.append("R00");
        } else {
            texts.append(reply.lines.first());
            m_paging.insert(depth, reply.lines.mid(1));
        }
    }
    bool restartAfter = false;
    if (restart) {
        if (m_replyToRestart) {
            texts = {"R00"};
            restartAfter = true;
        } else {
            beginRestart();
        }
    }

    // Faults that change what goes on the wire.
    QByteArray pre = prefix();
    int tags = depth;
    double delay = latencyMs(command);
    QByteArray rawBefore;
    QByteArray rawAfter;
    QList<QByteArray> extraBefore;
    QList<QByteArray> extraAfter;
    bool garbage = false;
    int truncateTo = -1;
    bool duplicate = false;
    QList<int> sizes;
    int gapMs = 0;
    bool crSeparate = false;
    for (FaultRule &rule : fired) {
        switch (rule.effect()) {
        case FaultRule::Effect::Drop:
            texts.clear();
            break;
        case FaultRule::Effect::Delay:
            delay += rule.delayMs();
            break;
        case FaultRule::Effect::Replace:
            texts = {rule.text()};
            break;
        case FaultRule::Effect::Garbage:
            texts = {rule.garbage()};
            garbage = true;
            break;
        case FaultRule::Effect::NoisePrefix:
            rawBefore += rule.text();
            break;
        case FaultRule::Effect::Truncate:
            truncateTo = rule.length();
            break;
        case FaultRule::Effect::Chunk:
            sizes = rule.sizes();
            gapMs = rule.gapMs();
            crSeparate = rule.crSeparate();
            break;
        case FaultRule::Effect::Unsolicited:
            (rule.before() ? extraBefore : extraAfter).append(rule.text());
            break;
        case FaultRule::Effect::Duplicate:
            duplicate = true;
            break;
        case FaultRule::Effect::StationPrefix:
            pre = rule.text();
            break;
        case FaultRule::Effect::Tag:
            tags = rule.tagDepth();
            break;
        case FaultRule::Effect::Echo:
            rawBefore.prepend(in.bytes + '\r');
            break;
        default:
            break;
        }
    }
    Q_UNUSED(rawAfter);
    if (texts.isEmpty() && extraBefore.isEmpty() && extraAfter.isEmpty() && rawBefore.isEmpty()) {
        if (restartAfter)
            beginRestart();
        return;
    }

    OutLine out;
    out.depth = depth;
    out.dueAt = t + delay;
    out.restartAfter = restartAfter;
    out.bytes = rawBefore;
    const QByteArray tagText(tags, '!');
    for (const QByteArray &extra : extraBefore) {
        out.bytes += prefix() + extra + m_lineEnd;
        out.traceLines.append(prefix() + extra);
    }
    for (const QByteArray &text : texts) {
        QByteArray wire = garbage ? text : pre + tagText + text;
        if (truncateTo >= 0)
            wire.truncate(truncateTo);
        out.bytes += wire + m_lineEnd;
        out.traceLines.append(rawBefore + wire);
    }
    for (const QByteArray &extra : extraAfter) {
        out.bytes += prefix() + extra + m_lineEnd;
        out.traceLines.append(prefix() + extra);
    }
    if (!sizes.isEmpty()) {
        const qsizetype body = crSeparate ? out.bytes.size() - m_lineEnd.size() : out.bytes.size();
        qsizetype at = 0;
        int i = 0;
        while (at < body) {
            at = std::min(body, at + sizes[std::min<qsizetype>(i, sizes.size() - 1)]);
            out.pieceEnds.append(int(at));
            ++i;
        }
        if (crSeparate)
            out.pieceEnds.append(int(out.bytes.size()));
        out.gapMs = gapMs;
    }
    m_outbox.push_back(out);
    if (duplicate) {
        OutLine again = out;
        m_outbox.push_back(again);
    }
}

SimReply VirtualDrive::dispatch(const QByteArray &afterTags, const QByteArray &command, int depth,
                                bool *restart)
{
    m_state.update(qint64(now()));

    // An open line-download mode takes every untagged line but the restart
    // and the communication reset.
    if (depth == 0 && command != "@96" && command != "@98") {
        for (auto &family : m_families) {
            if (family->modeOpen())
                return family->modeLine(afterTags, m_state);
        }
    }

    if (command == "R0P") {
        auto it = m_paging.find(depth);
        if (it == m_paging.end() || it->isEmpty()) {
            m_paging.remove(depth);
            return SimReply::of("R00");
        }
        return SimReply::of(it->takeFirst());
    }
    // Any other command of the same depth ends that depth's listing; other
    // depths keep theirs (a monitor's "!" polls do not disturb a listing).
    m_paging.remove(depth);

    if (command == "@96") {
        *restart = true;
        return SimReply::silence();
    }
    if (command == "@98") {
        communicationReset();
        return SimReply::of("R00");
    }
    for (auto &family : m_families) {
        SimReply reply;
        if (family->handle(command, depth, m_state, &reply))
            return reply;
    }
    return SimReply::of("ERR1");
}

bool VirtualDrive::modeOpen() const
{
    for (const auto &family : m_families) {
        if (family->modeOpen())
            return true;
    }
    return false;
}

int VirtualDrive::latencyMs(const QByteArray &command) const
{
    if (m_profile == Profile::Test)
        return command == "\"REGBD" || command == "\"REGAD" ? m_regDelayMs : 0;
    for (const auto &family : m_families) {
        const int ms = family->demoLatencyMs(command);
        if (ms >= 0)
            return ms;
    }
    if (command == "@62" || command == "@85:0")
        return 150;
    if (command == "@72:0")
        return 200;
    if (command == "@67" || command == "@82" || command == "@79:0")
        return 100;
    if (command == "\"REGBD" || command == "\"REGAD")
        return m_regDelayMs;
    return 5;
}

QByteArray VirtualDrive::prefix() const
{
    return m_station == 0 ? QByteArray() : "0" + QByteArray::number(m_station);
}

// --- Restart, reset, hang-up ---------------------------------------------------

void VirtualDrive::beginRestart()
{
    m_restartPending = true;
    m_deadUntil = now() + m_restartMs;
    m_inbox.clear();
    m_outbox.clear();
    m_partial.clear();
    m_partialOverlong = false;
    note("restart: dead for " + QByteArray::number(m_restartMs) + " ms");
    scheduleAt(m_deadUntil);
}

void VirtualDrive::finishRestart()
{
    m_restartPending = false;
    m_paging.clear();
    m_state.restartReset();
    for (auto &family : m_families)
        family->restart(m_state);
    note("restart complete");
    emit restarted();
    if (!m_bootBanner.isEmpty()) {
        OutLine out;
        out.dueAt = now();
        out.bytes = prefix() + m_bootBanner + m_lineEnd;
        out.traceLines = {prefix() + m_bootBanner};
        m_outbox.push_back(out);
        scheduleAt(out.dueAt);
    }
}

void VirtualDrive::communicationReset()
{
    m_paging.clear();
    m_state.communicationReset();
    for (auto &family : m_families)
        family->communicationReset(m_state);
}

void VirtualDrive::goDisconnected(int forMs)
{
    m_disconnected = true;
    m_reconnectAt = forMs > 0 ? now() + forMs : 0;
    m_inbox.clear();
    m_outbox.clear();
    m_partial.clear();
    m_partialOverlong = false;
    note("line disconnected" +
         (forMs > 0 ? " for " + QByteArray::number(forMs) + " ms" : QByteArray()));
    emit disconnected(forMs);
    if (m_reconnectAt > 0)
        scheduleAt(m_reconnectAt);
}

// --- Knobs ----------------------------------------------------------------------

namespace {

std::optional<bool> parseSwitch(const QString &value)
{
    const QString v = value.trimmed().toLower();
    if (v == u"on" || v == u"1" || v == u"true" || v == u"yes" || v.isEmpty())
        return true;
    if (v == u"off" || v == u"0" || v == u"false" || v == u"no")
        return false;
    return std::nullopt;
}

// "E31", "E31:Some text" or "A13:Overload:persistent".
std::optional<DriveCondition> parseCondition(const QString &value)
{
    const QStringList parts = value.split(u':');
    const QByteArray code = parts.value(0).trimmed().toLatin1();
    if (code.size() < 2 || (code[0] != 'E' && code[0] != 'A'))
        return std::nullopt;
    DriveCondition c;
    c.code = code;
    if (parts.size() > 1 && !parts[1].isEmpty())
        c.text = code + ' ' + parts[1].toLatin1();
    else if (code == "E31")
        c.text = "E31 Soft limit over";
    else if (code == "E40")
        c.text = "E40 Program execution error";
    else if (code == "A13")
        c.text = "A13 Overload";
    else
        c.text = code + (code[0] == 'E' ? " Error" : " Alarm");
    c.persistent = parts.size() > 2 && parts[2].trimmed() == u"persistent";
    return c;
}

} // namespace

QStringList VirtualDrive::knobNames()
{
    return {QStringLiteral("station"),
            QStringLiteral("profile"),
            QStringLiteral("pacing"),
            QStringLiteral("pace_baud"),
            QStringLiteral("char_gap_ms"),
            QStringLiteral("restart_ms"),
            QStringLiteral("reg_delay_ms"),
            QStringLiteral("line_end"),
            QStringLiteral("reply_to_restart"),
            QStringLiteral("boot_banner"),
            QStringLiteral("direct_write_ack"),
            QStringLiteral("trs_value_count"),
            QStringLiteral("help_page_lines"),
            QStringLiteral("help_long_page"),
            QStringLiteral("help_long_page_lines"),
            QStringLiteral("help_alm_page"),
            QStringLiteral("time_scale"),
            QStringLiteral("motor_type_fields"),
            QStringLiteral("long_identity"),
            QStringLiteral("firmware_version"),
            QStringLiteral("availability"),
            QStringLiteral("axis_state_force"),
            QStringLiteral("encoder_disconnect"),
            QStringLiteral("plc_mode"),
            QStringLiteral("servo_ready"),
            QStringLiteral("autotune_available"),
            QStringLiteral("axis_wander"),
            QStringLiteral("position"),
            QStringLiteral("condition_cycle_ms"),
            QStringLiteral("status_override"),
            QStringLiteral("program_capacity"),
            QStringLiteral("program_error_at"),
            QStringLiteral("inject_error"),
            QStringLiteral("inject_alarm"),
            QStringLiteral("clear_conditions"),
            QStringLiteral("set_item"),
            QStringLiteral("force_item"),
            QStringLiteral("io_busy_count"),
            QStringLiteral("io_counts"),
            QStringLiteral("cam_upload_mode")};
}

bool VirtualDrive::setKnob(const QString &name, const QString &value, QString *error)
{
    const auto fail = [&](const QString &why) {
        if (error)
            *error = QStringLiteral("%1: %2").arg(name, why);
        return false;
    };
    const auto integer = [&](qint64 min, qint64 max) -> std::optional<qint64> {
        return SimText::parseDecimal(value.toLatin1(), min, max);
    };
    const auto hexWord = [&]() -> std::optional<quint16> {
        const auto v = SimText::parseHex(value.toLatin1());
        if (!v || *v > 0xFFFF)
            return std::nullopt;
        return quint16(*v);
    };
    const auto flag = [&](bool &target) {
        const auto v = parseSwitch(value);
        if (!v)
            return fail(QStringLiteral("expected on or off"));
        target = *v;
        return true;
    };
    const auto number = [&](qint64 min, qint64 max, auto setter) {
        const auto v = integer(min, max);
        if (!v)
            return fail(QStringLiteral("expected a number from %1 to %2").arg(min).arg(max));
        setter(*v);
        return true;
    };
    DriveState &s = m_state;

    if (name == u"station")
        return number(0, 9, [&](qint64 v) { setStation(int(v)); });
    if (name == u"profile") {
        if (value == u"test")
            setProfile(Profile::Test);
        else if (value == u"demo")
            setProfile(Profile::Demo);
        else
            return fail(QStringLiteral("expected test or demo"));
        return true;
    }
    if (name == u"pacing")
        return flag(m_pacing);
    if (name == u"pace_baud")
        return number(1, 1000000, [&](qint64 v) { setBaud(int(v)); });
    if (name == u"char_gap_ms")
        return number(0, 10000, [&](qint64 v) { m_charGapMs = double(v); });
    if (name == u"restart_ms")
        return number(0, 600000, [&](qint64 v) { m_restartMs = int(v); });
    if (name == u"reg_delay_ms")
        return number(0, 600000, [&](qint64 v) { m_regDelayMs = int(v); });
    if (name == u"line_end") {
        m_lineEnd = SimText::unescaped(value);
        return true;
    }
    if (name == u"reply_to_restart")
        return flag(m_replyToRestart);
    if (name == u"boot_banner") {
        m_bootBanner = SimText::unescaped(value);
        return true;
    }
    if (name == u"direct_write_ack") {
        s.directWriteAck = SimText::unescaped(value);
        return true;
    }
    if (name == u"help_page_lines")
        return number(1, 1000, [&](qint64 v) { s.helpPageLines = int(v); });
    if (name == u"help_long_page")
        return number(0, 1000, [&](qint64 v) { s.helpLongPage = int(v); });
    if (name == u"help_long_page_lines")
        return number(1, 1000, [&](qint64 v) { s.helpLongPageLines = int(v); });
    if (name == u"time_scale")
        return number(1, 100000, [&](qint64 v) { s.logTimeScale = int(v); });
    if (name == u"help_alm_page")
        return number(0, 1000, [&](qint64 v) { s.helpAlmPage = int(v); });
    if (name == u"motor_type_fields")
        return number(2, 3, [&](qint64 v) { s.motorTypeFields = int(v); });
    if (name == u"long_identity")
        return flag(s.longIdentity);
    if (name == u"firmware_version") {
        const QList<QByteArray> parts = value.toLatin1().split(':');
        if (parts.size() != 4)
            return fail(QStringLiteral("expected KerVer:AppVer:CpuFRom:ExtFRom"));
        s.kerVer = parts[0];
        s.appVer = parts[1];
        s.cpuFRom = parts[2];
        s.extFRom = parts[3];
        return true;
    }
    if (name == u"availability" || name == u"axis_state_force") {
        const auto v = hexWord();
        if (!v)
            return fail(QStringLiteral("expected a 16-bit hexadecimal word"));
        (name == u"availability" ? s.availability : s.axisStateForce) = *v;
        return true;
    }
    if (name == u"encoder_disconnect")
        return flag(s.encoderDisconnect);
    if (name == u"plc_mode")
        return flag(s.plcMode);
    if (name == u"servo_ready")
        return flag(s.servoReady);
    if (name == u"trs_value_count") {
        s.shortTestRecord = value == u"short";
        return true;
    }
    if (name == u"autotune_available")
        return flag(s.autotuneAvailable);
    if (name == u"axis_wander")
        return flag(s.axisWander);
    if (name == u"position")
        return number(-999999999, 999999999, [&](qint64 v) { s.position = v; });
    if (name == u"condition_cycle_ms")
        return number(0, 86400000, [&](qint64 v) { s.conditionCycleMs = int(v); });
    if (name == u"status_override") {
        // "bits:1000000,program:3,block:7": bits ORed into the status word,
        // the program and block fields set.
        for (const QString &part : value.split(u',', Qt::SkipEmptyParts)) {
            const QString field = part.section(u':', 0, 0).trimmed();
            const QByteArray text = part.section(u':', 1).trimmed().toLatin1();
            if (field == u"bits") {
                const auto bits = SimText::parseHex(text);
                if (!bits)
                    return fail(QStringLiteral("bits needs a hexadecimal word"));
                s.statusForce = *bits;
            } else if (field == u"program" || field == u"block") {
                const auto v = SimText::parseDecimal(text, 0, field == u"program" ? 255 : 65535);
                if (!v)
                    return fail(QStringLiteral("%1 out of range").arg(field));
                (field == u"program" ? s.programNumber : s.blockNumber) = int(*v);
            } else {
                return fail(QStringLiteral("expected bits:HEX, program:N or block:N"));
            }
        }
        return true;
    }
    if (name == u"program_capacity")
        return number(0, 65535, [&](qint64 v) { s.programCapacity = int(v); });
    if (name == u"program_error_at") {
        // "3,4": entering block 4 of program 3 raises E40; "none" clears it.
        if (value == u"none" || value.isEmpty()) {
            s.programErrorAt = -1;
            return true;
        }
        const QStringList parts = value.split(u',');
        const auto p = SimText::parseDecimal(parts.value(0).toLatin1(), 0, 99);
        const auto b = SimText::parseDecimal(parts.value(1).toLatin1(), 1, 65535);
        if (parts.size() != 2 || !p || !b)
            return fail(QStringLiteral("expected PROGRAM,BLOCK or none"));
        s.programErrorAt = int(*p);
        s.programErrorBlock = int(*b);
        return true;
    }
    if (name == u"inject_error" || name == u"inject_alarm") {
        const auto c = parseCondition(value);
        if (!c || (name == u"inject_error") != (c->code[0] == 'E'))
            return fail(QStringLiteral("expected CODE[:TEXT[:persistent]], E.. for errors, "
                                       "A.. for alarms"));
        s.raise(*c);
        return true;
    }
    if (name == u"clear_conditions") {
        s.errors.clear();
        s.alarms.clear();
        return true;
    }
    if (name == u"set_item" || name == u"force_item") {
        const QStringList parts =
            value.split(QRegularExpression(QStringLiteral("[ =:]+")), Qt::SkipEmptyParts);
        const auto n = SimText::parseDecimal(parts.value(0).toLatin1(), 0, 999999);
        const auto v =
            SimText::parseDecimal(parts.value(1).toLatin1(), -2147483648LL, 2147483647LL);
        if (parts.size() != 2 || !n || !v || !m_state.items.contains(int(*n)))
            return fail(QStringLiteral("expected an existing item number and a value"));
        if (name == u"force_item") {
            forceItem(int(*n), qint32(*v));
            return true;
        }
        if (!setItem(int(*n), *v))
            return fail(QStringLiteral("value out of range or item read-only"));
        return true;
    }
    if (name == u"io_busy_count")
        return number(0, 1000, [&](qint64 v) { s.io.busyCount = int(v); });
    if (name == u"io_counts") {
        // "INPUTS:OUTPUTS", each 0-512.
        const QList<QByteArray> parts = value.toLatin1().split(':');
        const auto in = SimText::parseDecimal(parts.value(0), 0, DiscreteIo::MaxCount);
        const auto out = SimText::parseDecimal(parts.value(1), 0, DiscreteIo::MaxCount);
        if (parts.size() != 2 || !in || !out)
            return fail(QStringLiteral("expected INPUTS:OUTPUTS, each 0 to 512"));
        s.io.inputCount = int(*in);
        s.io.outputCount = int(*out);
        return true;
    }
    if (name == u"cam_upload_mode") {
        if (value != u"two-phase" && value != u"one-phase")
            return fail(QStringLiteral("expected two-phase or one-phase"));
        s.camOnePhase = value == u"one-phase";
        return true;
    }
    return fail(QStringLiteral("unknown knob (known: %1)").arg(knobNames().join(u", ")));
}
