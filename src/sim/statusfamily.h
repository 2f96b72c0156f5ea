#pragma once

#include "sim/commandfamily.h"

// What the status monitors poll: the status word (@0:0), the error and alarm
// list (@50) and its reset (@4), and the axis signal words (@56:0 which
// signals the drive has, @57:0 their state).
class StatusFamily : public CommandFamily
{
public:
    bool handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply) override;
};
