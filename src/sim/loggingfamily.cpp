#include "sim/loggingfamily.h"

#include "sim/drivestate.h"

#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

namespace {

// Samples computed per command at most: a single-mode log that never
// triggers must not make one answer take ever longer.
constexpr qint64 MaxSamplesPerStep = 200000;

qint32 rounded(double value)
{
    return qint32(std::lround(value)); // half away from zero
}

double wave(qint64 t, double periodMs)
{
    return std::sin(2.0 * std::numbers::pi * double(t) / periodMs);
}

std::optional<qint64> field(const QByteArray &text)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(v) : std::nullopt;
}

} // namespace

bool LoggingFamily::acceptedCode(int code, const DriveState &state)
{
    if ((code >= 400 && code <= 449) || (code >= 500 && code <= 549))
        return true;
    return state.items.find(code) != nullptr;
}

qint32 LoggingFamily::channelValue(int code, qint64 t, const DriveState &state)
{
    switch (code) {
    case 319: {
        const qint64 tau = t % 2000;
        if (tau < 1000)
            return rounded(1000.0 * (1.0 - std::exp(-double(tau) / 40.0)));
        return rounded(1000.0 * std::exp(-double(tau - 1000) / 40.0));
    }
    case 322:
        return rounded(300.0 * wave(t, 1000));
    case 328: {
        const qint64 phase = t % 2000;
        return phase >= 400 && phase < 1800 ? 1 : 0;
    }
    case 365:
        return rounded(1000.0 * wave(t, 1000));
    case 369:
        return rounded(50.0 * wave(t, 500));
    default:
        break;
    }
    if (code >= 400 && code <= 449)
        return rounded(100.0 * (code - 399) * wave(t, 1000));
    if (code >= 500 && code <= 549)
        return qint32((code - 499) * ((t / 500) % 2));
    if (const SimItem *item = state.items.find(code))
        return state.itemValue(*item);
    return 0;
}

qint64 LoggingFamily::loggingTime(const DriveState &state) const
{
    return (state.now - m_startNow) * qMax(1, state.logTimeScale);
}

LoggingFamily::Sample LoggingFamily::sampleAt(qint64 t, const DriveState &state) const
{
    Sample s{};
    for (int c = 0; c < 4; ++c)
        s[c] = channelValue(m_codes[c], t, state);
    return s;
}

void LoggingFamily::advance(const DriveState &state)
{
    if (m_engine != Engine::Armed && m_engine != Engine::Triggered)
        return;
    const qint64 due = loggingTime(state) / m_interval + 1; // samples due by now
    qint64 budget = MaxSamplesPerStep;
    const int preTrigger = (m_samples * m_interval - m_post) / m_interval;
    // The record ends so that the trigger sample lands at index ti.
    const int postSamples = qMax(0, m_samples - 1 - m_triggerIndex);
    while (m_taken < due && budget-- > 0) {
        const Sample s = sampleAt(m_taken * m_interval, state);
        const Sample previous = m_ring.empty() ? s : m_ring.back();
        m_ring.push_back(s);
        if (int(m_ring.size()) > m_samples)
            m_ring.pop_front();
        const qint64 index = m_taken++;
        if (m_mode == 0) {
            // Free: the record is simply the first n samples.
            if (index + 1 == m_samples) {
                m_engine = Engine::Done;
                break;
            }
            continue;
        }
        if (m_engine == Engine::Armed) {
            if (index < preTrigger || index == 0)
                continue;
            const qint32 before = previous[m_source];
            const qint32 now = s[m_source];
            const bool hit = m_edge == 1 ? (before < m_level && m_level <= now)
                                         : (before >= m_level && m_level > now);
            if (hit) {
                m_triggerAt = index;
                m_engine = Engine::Triggered;
            }
        }
        if (m_engine == Engine::Triggered && index - m_triggerAt >= postSamples) {
            m_engine = Engine::Done;
            break;
        }
    }
    if (m_engine == Engine::Done) {
        m_record = QList<Sample>(m_ring.begin(), m_ring.end());
        m_ring.clear();
    }
}

QByteArray LoggingFamily::statusReply() const
{
    switch (m_engine) {
    case Engine::Idle:
        return "RDD STS:1:0";
    case Engine::Armed:
        return "R ";
    case Engine::Triggered:
        return "RDD STS:0:0";
    case Engine::Done:
        return "RDD STS:1:1";
    }
    return "RDD STS:1:0";
}

bool LoggingFamily::handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply)
{
    Q_UNUSED(depth);
    if (!command.startsWith("\"LG"))
        return false;
    advance(state);
    const QByteArrayList parts = command.mid(1).split(':');
    const QByteArray name = parts.first();
    QList<qint64> args;
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const auto v = field(parts.at(i));
        if (!v) {
            *reply = SimReply::of("ERR2");
            return true;
        }
        args.append(*v);
    }
    const auto refuse = [reply] {
        *reply = SimReply::of("ERR2");
    };

    if (name == "LGCHSU") {
        if (args.size() != 4) {
            refuse();
            return true;
        }
        for (qint64 code : args) {
            if (!acceptedCode(int(code), state)) {
                refuse();
                return true;
            }
        }
        for (int c = 0; c < 4; ++c)
            m_codes[c] = int(args.at(c));
        *reply = SimReply::of("R");
    } else if (name == "LGTRS") {
        if (args.size() != 4 || (args[0] != 0 && args[0] != 1) || args[1] < 0 || args[1] > 3 ||
            (args[2] != 0 && args[2] != 1) || args[3] < std::numeric_limits<qint32>::min() ||
            args[3] > std::numeric_limits<qint32>::max()) {
            refuse();
            return true;
        }
        m_mode = int(args[0]);
        m_source = int(args[1]);
        m_edge = int(args[2]);
        m_level = qint32(args[3]);
        *reply = SimReply::of("R");
    } else if (name == "LGSTR") {
        if (args.size() != 3 || args[0] < 1 || args[0] > 250 || args[1] < 1 || args[1] > 60000 ||
            args[2] < 0 || args[2] > args[0] * args[1]) {
            refuse();
            return true;
        }
        m_samples = int(args[0]);
        m_interval = int(args[1]);
        m_post = int(args[2]);
        m_record.clear();
        m_ring.clear();
        m_cursor = -1;
        m_taken = 0;
        m_triggerAt = -1;
        m_startNow = state.now;
        m_triggerIndex = (m_samples * m_interval - m_post) / m_interval;
        m_engine = m_mode == 1 ? Engine::Armed : Engine::Triggered;
        *reply = SimReply::of("R");
    } else if (name == "LGSTS" && args.isEmpty()) {
        *reply = SimReply::of(statusReply());
    } else if (name == "LGABR" && args.isEmpty()) {
        m_engine = Engine::Idle;
        m_record.clear();
        m_ring.clear();
        m_cursor = -1;
        *reply = SimReply::of("R");
    } else if (name == "LGDOPN" && args.isEmpty()) {
        if (m_engine != Engine::Done) {
            *reply = SimReply::of("ERR3");
            return true;
        }
        m_cursor = 0;
        const int n = int(m_record.size());
        *reply = SimReply::of("RDDDDD OPN:" + QByteArray::number(n) + ':' +
                              QByteArray::number(m_interval) + ':' + QByteArray::number(m_post) +
                              ':' + QByteArray::number(m_triggerIndex) + ':' +
                              QByteArray::number(qint64(n) * m_interval));
    } else if (name == "LGDRN" && args.isEmpty()) {
        if (m_cursor < 0) {
            *reply = SimReply::of("ERR3");
            return true;
        }
        if (m_cursor >= m_record.size()) {
            m_cursor = -1;
            *reply = SimReply::of("R");
            return true;
        }
        const Sample &s = m_record.at(m_cursor);
        QByteArray line = "RDDDDDD DRN:" + QByteArray::number(m_cursor) + ':' +
                          QByteArray::number(qint64(m_cursor - m_triggerIndex) * m_interval);
        for (qint32 v : s)
            line += ':' + QByteArray::number(v);
        ++m_cursor;
        *reply = SimReply::of(line);
    } else if (name == "LGDCLS" && args.isEmpty()) {
        m_cursor = -1;
        *reply = SimReply::of(statusReply());
    } else {
        *reply = SimReply::of("ERR2");
    }
    return true;
}

void LoggingFamily::restart(DriveState &state)
{
    Q_UNUSED(state);
    m_engine = Engine::Idle;
    m_record.clear();
    m_ring.clear();
    m_cursor = -1;
}

void LoggingFamily::communicationReset(DriveState &state)
{
    Q_UNUSED(state);
    m_cursor = -1;
}
