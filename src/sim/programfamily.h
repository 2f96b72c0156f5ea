#pragma once

#include "sim/commandfamily.h"

#include <QByteArray>
#include <QList>

// The drive's programs: the list (@60), registration (@61, the text lines,
// @62), reading (@63), deletion (@64) and execution (@3:4 start, @9 M answer,
// @2 stop after the block, @1 stop at once). The programs themselves live in
// DriveState (programs(), setProgram()); this family keeps only the open
// registration.
//
// A registration @61:p:b:o opens with "R0P" for a new program, "R1Z :AB"
// when p exists and the new blocks fit the free space, "R1Z :B" when they
// fit only once the old program is gone, and "ERR5" when they do not fit at
// all. Every untagged line then is one program line until @62 commits
// (exactly b blocks, else "ERR3" and the old program stays) or @98 abandons.
class ProgramFamily : public CommandFamily
{
public:
    bool handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply) override;
    bool modeOpen() const override { return m_open; }
    SimReply modeLine(const QByteArray &line, DriveState &state) override;
    void restart(DriveState &state) override;
    void communicationReset(DriveState &state) override;

private:
    SimReply begin(const QByteArray &args, DriveState &state);
    void abandon();

    bool m_open = false;
    int m_number = 0;
    int m_blocks = 0;
    quint16 m_option = 0;
    QList<QByteArray> m_received;
};
