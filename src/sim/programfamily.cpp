#include "sim/programfamily.h"

#include "sim/drivestate.h"
#include "sim/simtext.h"

namespace {

constexpr int HighestProgram = 99;
constexpr qsizetype MaxLine = 80;
constexpr qsizetype MaxComment = 40;     // after code, "'" included
constexpr qsizetype MaxLeadComment = 41; // a line that is all comment

// The number after "@nn:", or nullopt.
std::optional<int> programArgument(const QByteArray &command, qsizetype from)
{
    if (command.size() <= from || command.at(from - 1) != ':')
        return std::nullopt;
    const auto n = SimText::parseDecimal(command.mid(from), 0, HighestProgram);
    return n ? std::optional<int>(int(*n)) : std::nullopt;
}

bool lineTooLong(const QByteArray &line)
{
    if (line.size() > MaxLine)
        return true;
    const qsizetype quote = line.indexOf('\'');
    return quote >= 0 && line.size() - quote > (quote == 0 ? MaxLeadComment : MaxComment);
}

} // namespace

bool ProgramFamily::handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply)
{
    Q_UNUSED(depth);
    if (command == "@60") {
        QList<QByteArray> lines;
        for (auto it = state.programs().cbegin(); it != state.programs().cend(); ++it)
            lines.append("R2D :" + SimText::decimal(it.key()) + ':' +
                         SimText::decimal(it->blocks.size()));
        lines.append("R2D :100:" + SimText::decimal(state.freeBlocks()));
        *reply = SimReply::paged(lines);
        return true;
    }
    if (command.startsWith("@61")) {
        *reply = begin(command, state);
        return true;
    }
    if (command == "@62") {
        *reply = SimReply::of("ERR3"); // no registration open
        return true;
    }
    if (command.startsWith("@63") || command.startsWith("@64")) {
        const std::optional<int> number = programArgument(command, 4);
        if (!number) {
            *reply = SimReply::of("ERR2");
            return true;
        }
        const SimProgram *program = state.program(*number);
        if (!program) {
            *reply = SimReply::of("ERR18");
            return true;
        }
        if (command.startsWith("@63")) {
            QList<QByteArray> lines{"R1H :" + SimText::hex(program->option, 4)};
            for (qsizetype k = 0; k < program->blocks.size(); ++k)
                lines.append("R2Z :" + SimText::decimal(k + 1) + ':' + program->blocks.at(k));
            *reply = SimReply::paged(lines);
            return true;
        }
        if (state.programRunning() && state.programNumber == *number) {
            *reply = SimReply::of("ERR49");
            return true;
        }
        state.removeProgram(*number);
        *reply = SimReply::of("R00");
        return true;
    }
    if (command.startsWith("@3:4:") || command == "@3:4") {
        const QList<QByteArray> args = command.mid(5).split(':');
        const auto number = SimText::parseDecimal(args.value(0), 0, HighestProgram);
        const auto block = SimText::parseDecimal(args.value(1, "0"), 0, 65535);
        if (command == "@3:4" || args.size() > 2 || !number || !block) {
            *reply = SimReply::of(state.programRunning() ? state.startProgram(0, 0) : "ERR2");
            return true;
        }
        *reply = SimReply::of(state.startProgram(int(*number), int(*block)));
        return true;
    }
    if (command == "@9") {
        state.answerWait();
        *reply = SimReply::of("R00");
        return true;
    }
    // @1 and @2 stop the program; motions, once the drive has them, stop
    // with them.
    if (command == "@1") {
        state.abortProgram();
        *reply = SimReply::of("R00");
        return true;
    }
    if (command == "@2") {
        state.stopProgramAfterBlock();
        *reply = SimReply::of("R00");
        return true;
    }
    return false;
}

SimReply ProgramFamily::begin(const QByteArray &command, DriveState &state)
{
    const QList<QByteArray> args = command.mid(4).split(':');
    if (command.size() < 4 || command.at(3) != ':' || args.size() != 3)
        return SimReply::of("ERR2");
    const auto number = SimText::parseDecimal(args.at(0), 0, HighestProgram);
    const auto blocks = SimText::parseDecimal(args.at(1), 0, 65535);
    const QByteArray optionText = SimText::trimBlanks(args.at(2));
    const auto option = SimText::parseHex(optionText);
    if (!number || !blocks || optionText.size() > 4 || !option)
        return SimReply::of("ERR2");
    if (state.programRunning() && state.programNumber == *number)
        return SimReply::of("ERR49");
    const int free = state.freeBlocks();
    const SimProgram *old = state.program(int(*number));
    const int oldBlocks = old ? int(old->blocks.size()) : 0;
    SimReply reply;
    if (*blocks <= free)
        reply = SimReply::of(old ? "R1Z :AB" : "R0P");
    else if (old && *blocks <= free + oldBlocks)
        reply = SimReply::of("R1Z :B");
    else
        return SimReply::of("ERR5");
    m_open = true;
    m_number = int(*number);
    m_blocks = int(*blocks);
    m_option = quint16(*option);
    m_received.clear();
    return reply;
}

SimReply ProgramFamily::modeLine(const QByteArray &line, DriveState &state)
{
    if (SimText::trimBlanks(line) == "@62") {
        const bool whole = m_received.size() == m_blocks;
        if (whole)
            state.setProgram(m_number, {m_option, m_received});
        abandon();
        return SimReply::of(whole ? "R00" : "ERR3");
    }
    if (lineTooLong(line)) {
        abandon();
        return SimReply::of("ERR4");
    }
    const QList<QByteArray> blocks = SimProgram::blocksOfLine(line);
    if (m_received.size() + blocks.size() > m_blocks) {
        abandon();
        return SimReply::of("ERR3");
    }
    m_received += blocks;
    return SimReply::of("R0P");
}

void ProgramFamily::abandon()
{
    m_open = false;
    m_received.clear();
}

void ProgramFamily::restart(DriveState &state)
{
    Q_UNUSED(state);
    abandon();
}

void ProgramFamily::communicationReset(DriveState &state)
{
    Q_UNUSED(state);
    abandon();
}
