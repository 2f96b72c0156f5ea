#include "sim/systemfamily.h"

#include "sim/drivestate.h"
#include "sim/simtext.h"

namespace {

// The interface board is named after its code: the standard board, the
// closed-loop board (100) or a numbered special.
QByteArray boardName(qint32 code)
{
    if (code == 0)
        return "IFB-STD";
    if (code == 100)
        return "IFB-CCL";
    return "IFB-" + QByteArray::number(code);
}

} // namespace

bool SystemFamily::handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply)
{
    Q_UNUSED(depth);
    if (command == "@44") {
        *reply = SimReply::of(state.identificationReply());
        return true;
    }
    if (command == "@94") {
        *reply = SimReply::of(state.motorTypeReply());
        return true;
    }
    if (command.startsWith("\"pr:")) {
        const auto slot = SimText::parseDecimal(command.mid(4), 0, 9999);
        const MachineEntry *entry = slot ? state.comSlot(int(*slot)) : nullptr;
        if (!entry) {
            *reply = SimReply::of("ERR2");
            return true;
        }
        const QByteArray label = entry->slot == 30 ? boardName(entry->value) : entry->label;
        *reply = SimReply::of("RD " + label + ':' + SimText::decimal(entry->value));
        return true;
    }
    return false;
}
