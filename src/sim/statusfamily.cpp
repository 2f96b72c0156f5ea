#include "sim/statusfamily.h"

#include "sim/drivestate.h"
#include "sim/simtext.h"

bool StatusFamily::handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply)
{
    Q_UNUSED(depth);
    if (command == "@0:0") {
        *reply = SimReply::of("R3H :" + SimText::hex(state.statusWord(), 8) + ':' +
                              SimText::hex(quint32(state.programNumber), 2) + ':' +
                              SimText::hex(quint32(state.blockNumber), 4));
        return true;
    }
    if (command == "@56:0") {
        *reply = SimReply::of("R1H :" + SimText::hex(state.availability, 4));
        return true;
    }
    if (command == "@57:0") {
        *reply = SimReply::of("R1H :" + SimText::hex(state.axisSignalWord(), 4));
        return true;
    }
    if (command == "@0" || command.startsWith("@0:") || command == "@56" ||
        command.startsWith("@56:") || command == "@57" || command.startsWith("@57:")) {
        *reply = SimReply::of("ERR2");
        return true;
    }
    if (command == "@50") {
        QList<QByteArray> lines;
        for (const DriveCondition &c : state.errors)
            lines.append("R1Z :" + c.text);
        for (const DriveCondition &c : state.alarms)
            lines.append("R1Z :" + c.text);
        *reply = SimReply::paged(lines);
        return true;
    }
    if (command == "@4") {
        // A persistent condition survives the reset; a persistent alarm is
        // named in the refusal.
        state.errors.removeIf([](const DriveCondition &c) { return !c.persistent; });
        state.alarms.removeIf([](const DriveCondition &c) { return !c.persistent; });
        if (!state.alarms.isEmpty())
            *reply = SimReply::of("ALM" + state.alarms.first().code.mid(1));
        else
            *reply = SimReply::of("R00");
        return true;
    }
    return false;
}
