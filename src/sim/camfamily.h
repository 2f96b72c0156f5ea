#pragma once

#include "sim/commandfamily.h"

#include <QByteArray>

struct SimCam;

// The cam profiles 1-16: registration (@72:n opens the CAM mode, "TT1:",
// "TI1:i:v" and "TD1:f:l:v…" lines are staged, @72:0 commits a complete
// profile under a new registration tag), the staged reading (@73:n answers
// the tag with R1H, @70:tag prepares, @71:n pages the profile) and, in the
// one-phase mode, @73 paging the profile itself with item 4 as its tag.
class CamFamily : public CommandFamily
{
public:
    // The seeded profiles 1, 9 and 10 of a new drive image.
    static void seed(DriveState &state);
    // A profile under every number that holds none yet (the fully loaded
    // drive): each its own polynomial rise, so that no two files are alike.
    static void fill(DriveState &state);

    bool handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply) override;
    bool modeOpen() const override { return m_open; }
    SimReply modeLine(const QByteArray &line, DriveState &state) override;
    int demoLatencyMs(const QByteArray &command) const override;
    void restart(DriveState &state) override;
    void communicationReset(DriveState &state) override;

private:
    SimReply close(DriveState &state);
    SimReply abandon(const char *reply);

    bool m_open = false;
    int m_number = 0;
    bool m_titleSeen = false;
    QByteArray m_title;
    quint32 m_items[12] = {};
    bool m_itemSeen[12] = {};
    QList<qint32> m_points;
    QList<bool> m_pointSeen;
    // The tag the last two-phase @73 answered, for its @70.
    int m_askedNumber = 0;
    quint32 m_askedTag = 0;
};
