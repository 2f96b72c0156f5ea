#pragma once

#include "sim/commandfamily.h"

// Test operation and servo tuning: drive modes (@43:), test mode (@3:0 and
// @2), the motions (@3:1 auto tuning, @3:3 homing, @3:5 signal search,
// @3:8 / @3:9 index moves, @3:10 the reference run, @11: jog), the stop
// (@1), and the recorded test-mode response (@86 trigger, @87 blocks). The
// status word itself and the error reset stay with StatusFamily.
class OperateFamily : public CommandFamily
{
public:
    bool handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply) override;

    // Moves the running motion on to state.now: ends a segment that is due,
    // stops a jog at a soft limit (error E31), applies the gains auto tuning
    // found.
    static void advance(DriveState &state);

private:
    QList<qint32> m_record; // the test-mode response of the last @86
};
