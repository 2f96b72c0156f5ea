#pragma once

#include "sim/commandfamily.h"

#include <QList>

#include <array>
#include <deque>

// The drive's waveform recorder ("LG… commands): four channels, a trigger on
// one of them, up to 250 samples, and the transfer of a finished record
// sample by sample. Sampling is computed when a command arrives, from the
// drive clock scaled by DriveState::logTimeScale, so nothing ticks between
// commands. The synthetic items (a test-mode step response, speed, torque,
// following error, in-position) are functions of the logging time and
// reproducible.
class LoggingFamily : public CommandFamily
{
public:
    enum class Engine { Idle, Armed, Triggered, Done };

    bool handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply) override;
    void restart(DriveState &state) override;
    void communicationReset(DriveState &state) override;

    Engine engine() const { return m_engine; }
    // The value item `code` records at logging time t (ms).
    static qint32 channelValue(int code, qint64 t, const DriveState &state);
    static bool acceptedCode(int code, const DriveState &state);

private:
    using Sample = std::array<qint32, 4>;

    void advance(const DriveState &state);
    Sample sampleAt(qint64 t, const DriveState &state) const;
    QByteArray statusReply() const;
    qint64 loggingTime(const DriveState &state) const;

    std::array<int, 4> m_codes{300, 301, 302, 303};
    int m_mode = 0, m_source = 0, m_edge = 1;
    qint32 m_level = 0;
    int m_samples = 250, m_interval = 4, m_post = 500;

    Engine m_engine = Engine::Idle;
    qint64 m_startNow = 0;
    qint64 m_taken = 0;        // samples computed since the start
    qint64 m_triggerAt = -1;   // index of the trigger sample
    std::deque<Sample> m_ring; // the last n samples
    QList<Sample> m_record;
    int m_triggerIndex = 0;
    int m_cursor = -1; // -1: transfer closed
};
