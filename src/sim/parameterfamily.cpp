#include "sim/parameterfamily.h"

#include "sim/drivestate.h"
#include "sim/simtext.h"

namespace {

QByteArray binaryDigits(qint32 value)
{
    QByteArray digits(16, '0');
    for (int bit = 0; bit < 16; ++bit) {
        if (value & (1 << bit))
            digits[15 - bit] = '1';
    }
    return digits;
}

SimReply readItem(const QByteArray &numberText, const DriveState &state)
{
    const auto number = SimText::parseDecimal(numberText, 0, 999999);
    if (!number)
        return SimReply::of("ERR2");
    const SimItem *item = state.items.find(int(*number));
    if (!item)
        return SimReply::of("ALM62");
    const qint32 value = state.itemValue(*item);
    if (item->binary)
        return SimReply::of("R1B " + state.label(*item) + ':' + binaryDigits(value));
    return SimReply::of("R1D " + state.label(*item) + ':' + SimText::decimal(value));
}

SimReply writeItem(const QByteArray &numberText, const QByteArray &valueText, DriveState &state)
{
    const auto number = SimText::parseDecimal(numberText, 0, 999999);
    if (!number)
        return SimReply::of("ALM62");
    switch (state.items.write(int(*number), valueText)) {
    case ItemStore::WriteResult::UnknownOrReadOnly:
        return SimReply::of("ALM62");
    case ItemStore::WriteResult::BadValue:
        return SimReply::of("ALM65");
    case ItemStore::WriteResult::Accepted:
        break;
    }
    // Inside a write transfer the tool compares the whole line with "R00";
    // outside it the drive answers with its direct acknowledgement.
    return SimReply::of(state.transfer == DriveState::Transfer::Write ? QByteArray("R00")
                                                                      : state.directWriteAck);
}

} // namespace

bool ParameterFamily::handle(const QByteArray &command, int depth, DriveState &state,
                             SimReply *reply)
{
    Q_UNUSED(depth);
    if (command == "@53") {
        state.transfer = DriveState::Transfer::Read;
        *reply = SimReply::of("R00");
        return true;
    }
    if (command == "@55") {
        state.transfer = DriveState::Transfer::Write;
        *reply = SimReply::of("R00");
        return true;
    }
    if (command == "@54") {
        state.transfer = DriveState::Transfer::Closed;
        *reply = SimReply::of("R00");
        return true;
    }
    if (command == "@40" || command.startsWith("@40:")) {
        const auto group = SimText::parseDecimal(command.mid(4), 1, 5);
        if (!group) {
            *reply = SimReply::of("ERR2");
            return true;
        }
        QList<QByteArray> lines;
        for (const SimItem *item : state.items.group(int(*group)))
            lines.append("R1Z#" + QByteArray::number(item->number) + item->type);
        *reply = SimReply::paged(lines);
        return true;
    }
    if (command.startsWith('#')) {
        const qsizetype eq = command.indexOf('=');
        *reply = eq < 0 ? readItem(command.mid(1), state)
                        : writeItem(command.mid(1, eq - 1), command.mid(eq + 1), state);
        return true;
    }
    return false;
}
