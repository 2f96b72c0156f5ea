#pragma once

#include "sim/commandfamily.h"

// Identification and the drive's system slots: @44, @94 and `"pr:<slot>`.
class SystemFamily : public CommandFamily
{
public:
    bool handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply) override;
};
