#pragma once

#include <QByteArray>
#include <QList>

class DriveState;

// What the drive answers to one command. The link layer adds the station
// prefix, the "!" tags and the carriage return.
struct SimReply
{
    enum class Kind {
        Line,    // one line, nothing to page
        Paged,   // the first line now, each further line on R0P, then R00
        Silence, // no answer at all
    };

    Kind kind = Kind::Line;
    QByteArray line;
    QList<QByteArray> lines;

    static SimReply of(const QByteArray &line) { return {Kind::Line, line, {}}; }
    static SimReply paged(const QList<QByteArray> &lines) { return {Kind::Paged, {}, lines}; }
    static SimReply silence() { return {Kind::Silence, {}, {}}; }
};

// One family of commands (identification, parameters, help, status, …). The
// drive asks its families in turn; the first that recognises a command
// answers it. A family keeps its data in DriveState and may keep its own
// volatile state (a line-download mode, staged data), which it clears in
// restart() and communicationReset().
class CommandFamily
{
public:
    virtual ~CommandFamily() = default;

    // `command` has lost its station digit, its "!" tags and its surrounding
    // blanks; `depth` is the number of tags it came with. Returns false when
    // the command is not one of this family's.
    virtual bool handle(const QByteArray &command, int depth, DriveState &state,
                        SimReply *reply) = 0;

    // A line-download mode (program, cam, table registration) collects the
    // untagged lines that follow its opening request. While modeOpen() is
    // true every untagged line other than @96 and @98 goes to modeLine(),
    // untrimmed.
    virtual bool modeOpen() const { return false; }
    virtual SimReply modeLine(const QByteArray &line, DriveState &state)
    {
        Q_UNUSED(line);
        Q_UNUSED(state);
        return SimReply::of("ERR3");
    }

    // Demo-profile reply latency in ms for a command of this family, or -1
    // for the ordinary latency.
    virtual int demoLatencyMs(const QByteArray &command) const
    {
        Q_UNUSED(command);
        return -1;
    }

    // The restart after @96 (dead time over) and the communication reset
    // (@98) clear the family's volatile state.
    virtual void restart(DriveState &state) { Q_UNUSED(state); }
    virtual void communicationReset(DriveState &state) { Q_UNUSED(state); }
};
