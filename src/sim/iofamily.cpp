#include "sim/iofamily.h"

#include "sim/drivestate.h"
#include "sim/simtext.h"

#include <cctype>

namespace {

QByteArray countsReply(const DiscreteIo &io)
{
    return "R2D :" + SimText::decimal(io.inputCount) + ':' + SimText::decimal(io.outputCount);
}

// 1 to `digits` hexadecimal digits and nothing else.
std::optional<quint32> strictHex(const QByteArray &text, int digits)
{
    if (text.isEmpty() || text.size() > digits)
        return std::nullopt;
    for (char c : text) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
    }
    return SimText::parseHex(text);
}

} // namespace

DiscreteIo::DiscreteIo()
{
    inputLogic.fill(0xFFFF);
    outputLogic.fill(0xFFFF);
    // Four negative-logic inputs (20-23), so that an editor shows a mix.
    inputLogic[1] = 0xFF0F;
    inputPhysical[0] = 0x0005;
}

quint16 DiscreteIo::inputWord(int k, qint64 nowMs) const
{
    if (k < 0 || k >= words(inputCount))
        return 0;
    quint16 word = inputPhysical.at(k);
    if (k == 0 && inputCycleMs > 0)
        word |= quint16(1u << (8 + (nowMs / inputCycleMs) % 8));
    // Word k holds rows 2(k % 2) and 2(k % 2) + 1 of range k / 2.
    for (int half = 0; half < 2; ++half) {
        const quint32 address = DummyBase + 4 * quint32(k / 2) + 2 * quint32(k % 2) + quint32(half);
        const auto it = memory.constFind(address);
        if (it == memory.cend() || nowMs - it->atMs >= DummyLifeMs)
            continue;
        const int shift = 8 * half;
        word = quint16((word & ~(0xFFu << shift)) | (quint32(quint8(~it->byte)) << shift));
    }
    // Inputs beyond the count do not exist.
    const int valid = inputCount - 16 * k;
    if (valid < 16)
        word &= quint16((1u << valid) - 1);
    return word;
}

quint16 IoFamily::outputWord(int k, const DriveState &state)
{
    const DiscreteIo &io = state.io;
    if (k != 0 || io.outputCount <= 0)
        return 0;
    const quint32 status = state.statusWord();
    quint16 word = 0x1; // driver ready
    if (status & 0x2)
        word |= 0x2;
    if (status & 0x10)
        word |= 0x4;
    if (!state.errors.isEmpty())
        word |= 0x8;
    if (!state.alarms.isEmpty())
        word |= 0x10;
    if (status & 0x8)
        word |= 0x20;
    if (io.outputCount < 16)
        word &= quint16((1u << io.outputCount) - 1);
    return word;
}

bool IoFamily::handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply)
{
    Q_UNUSED(depth);
    DiscreteIo &io = state.io;
    if (command == "@47") {
        *reply = SimReply::of(countsReply(io));
        return true;
    }
    if (command == "@78") {
        if (io.busyCount > 0) {
            // Busy: the drive answers with its counts and the tool asks again.
            --io.busyCount;
            *reply = SimReply::of(countsReply(io));
            return true;
        }
        QList<QByteArray> lines;
        for (int k = 0; k < DiscreteIo::words(io.inputCount); ++k)
            lines.append("R3H :0000:" + SimText::hex(quint32(k), 4) + ':' +
                         SimText::hex(io.inputLogic.at(k), 4));
        for (int k = 0; k < DiscreteIo::words(io.outputCount); ++k)
            lines.append("R3H :0001:" + SimText::hex(quint32(k), 4) + ':' +
                         SimText::hex(io.outputLogic.at(k), 4));
        *reply = SimReply::paged(lines);
        return true;
    }
    if (command == "@79:1") {
        if (state.transfer != DriveState::Transfer::Write) {
            *reply = SimReply::of("ERR3");
            return true;
        }
        m_modeOpen = true;
        m_stagedInputs = io.inputLogic;
        m_stagedOutputs = io.outputLogic;
        *reply = SimReply::of("R0P");
        return true;
    }
    if (command == "@79:0") {
        *reply = SimReply::of("ERR3"); // no logic-setting mode open
        return true;
    }
    if (command == "@79" || command.startsWith("@79:")) {
        *reply = SimReply::of("ERR2");
        return true;
    }
    if (command.startsWith("@45:") || command.startsWith("@46:")) {
        const auto k = SimText::parseDecimal(command.mid(4), 0, DiscreteIo::MaxWords - 1);
        if (!k) {
            *reply = SimReply::of("ERR2");
            return true;
        }
        const quint16 word = command.startsWith("@45") ? io.inputWord(int(*k), state.now)
                                                       : outputWord(int(*k), state);
        *reply = SimReply::of("R1H :" + SimText::hex(word, 4));
        return true;
    }
    if (command == "@45" || command == "@46") {
        *reply = SimReply::of("ERR2");
        return true;
    }
    if (command.startsWith("\"MB:")) {
        const QList<QByteArray> parts = command.mid(4).split(':');
        const auto address = parts.size() == 2 ? strictHex(parts[0], 8) : std::nullopt;
        const auto byte = parts.size() == 2 ? strictHex(parts[1], 2) : std::nullopt;
        if (!address || !byte) {
            *reply = SimReply::of("ERR2");
            return true;
        }
        io.memory.insert(*address, {quint8(*byte), state.now});
        *reply = SimReply::of("R00");
        return true;
    }
    return false;
}

SimReply IoFamily::modeLine(const QByteArray &line, DriveState &state)
{
    DiscreteIo &io = state.io;
    const QByteArray command = SimText::trimBlanks(line);
    if (command == "@79:0") {
        // Only now does the drive take the new logic.
        io.inputLogic = m_stagedInputs;
        io.outputLogic = m_stagedOutputs;
        m_modeOpen = false;
        return SimReply::of("R00");
    }
    const bool inputs = command.startsWith("LIS:");
    if (!inputs && !command.startsWith("LOS:")) {
        m_modeOpen = false;
        return SimReply::of("ERR3");
    }
    const QList<QByteArray> parts = command.mid(4).split(':');
    const auto index = parts.size() == 2 ? strictHex(parts[0], 8) : std::nullopt;
    const auto word = parts.size() == 2 ? strictHex(parts[1], 4) : std::nullopt;
    const int words = DiscreteIo::words(inputs ? io.inputCount : io.outputCount);
    if (!index || !word || *index >= quint32(words)) {
        m_modeOpen = false;
        return SimReply::of("ERR2");
    }
    (inputs ? m_stagedInputs : m_stagedOutputs)[*index] = quint16(*word);
    return SimReply::of("R0P");
}

void IoFamily::restart(DriveState &state)
{
    m_modeOpen = false;
    state.io.memory.clear();
}

void IoFamily::communicationReset(DriveState &state)
{
    Q_UNUSED(state);
    m_modeOpen = false;
}
