#pragma once

#include "sim/commandfamily.h"

// Parameters and items: the transfer mode (@53 read, @55 write, @54 close),
// the group listing @40:g, item reads #n and item writes #n=v.
class ParameterFamily : public CommandFamily
{
public:
    bool handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply) override;
};
