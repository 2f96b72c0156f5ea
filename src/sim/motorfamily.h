#pragma once

#include "sim/commandfamily.h"

#include <QByteArray>
#include <QList>
#include <QMap>

#include <array>
#include <optional>
#include <utility>

// The motor data: the four motor strings ("PSxR / "PSxW:), the three
// characteristic tables ("FROPN:t and "FDRN to read; "FWOPN:t, "FDW:a:b and
// "FCLS to write), the machine parameters by number ("PR:n / "PW:n:v) and
// the two registrations. Writes go to a staging copy that "REGBD (strings A
// and B, the tables, the COM, ROT and LNR entries) or "REGAD (strings C and
// D, the adjustment entries 400-403) commits, answering "R1Z :AllReset";
// reads always answer the committed data. The restart and @98 drop what is
// staged.
class MotorFamily : public CommandFamily
{
public:
    using Point = std::pair<qint16, qint16>;

    // The seeded characteristic tables of a new drive image.
    static void seed(DriveState &state);

    bool handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply) override;
    void restart(DriveState &state) override;
    void communicationReset(DriveState &state) override;

private:
    SimReply registerStaged(bool mainScript, DriveState &state);
    void clear();

    std::array<std::optional<QByteArray>, 4> m_strings;
    std::array<std::optional<QList<Point>>, 3> m_tables;
    QMap<int, qint32> m_values; // by machine parameter number
    int m_readTable = -1;
    int m_readCursor = 0;
    int m_writeTable = -1;
    QList<Point> m_writing;
};
