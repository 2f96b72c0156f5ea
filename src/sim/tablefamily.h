#pragma once

#include "sim/commandfamily.h"

#include <QByteArray>

struct SimTable;

// The compensation tables: index compensation (type A: @65 list, @66:t:n
// register with TC1: lines, @67 close, @68:t read) and unequal division
// (type B: @80, @81, TB1:, @82, @83), each in tables 0 and 1, and the
// absolute-accuracy table (@85:n register with "TE1:k:v" lines, @85:0 close,
// @84 read). A registration is staged and committed only by its closing
// command with the promised number of entries.
class TableFamily : public CommandFamily
{
public:
    // The seeded tables of a new drive image.
    static void seed(DriveState &state);

    bool handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply) override;
    bool modeOpen() const override { return m_mode != Mode::None; }
    SimReply modeLine(const QByteArray &line, DriveState &state) override;
    int demoLatencyMs(const QByteArray &command) const override;
    void restart(DriveState &state) override;
    void communicationReset(DriveState &state) override;

private:
    enum class Mode { None, IndexA, IndexB, Accuracy };

    SimReply openIndex(Mode mode, const QByteArray &args);
    SimReply closeIndex(Mode mode, DriveState &state);
    SimReply closeAccuracy(DriveState &state);
    void abandon();

    Mode m_mode = Mode::None;
    int m_table = 0;
    int m_count = 0;
    QList<qint32> m_staged;
};
