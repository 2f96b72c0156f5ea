#include "sim/helpfamily.h"

#include "sim/drivestate.h"
#include "sim/simtext.h"

namespace {

const char *const commandHelpText[] = {
    "@0:0 Read status word",
    "@1 Abort motion or program",
    "@2 Stop / leave test mode",
    "@3:m[:a..] Start drive mode m",
    "@4 Reset errors and alarms",
    "@9 Answer M-code wait",
    "@11:d Jog (1 plus, -1 minus, 0 stop)",
    "@40:g List parameters of group g",
    "@41:p Command help page p",
    "@42:p Parameter/monitor help page p",
    "@43:m Select drive mode m",
    "@44 Read identification",
    "@45:n Read input word n",
    "@46:n Read output word n",
    "@47 Read I/O counts",
    "@50 List errors and alarms",
    "@53 Open parameter transfer",
    "@54 Close parameter transfer",
    "@55 Parameter transfer: write",
    "@56:0 Axis signal availability",
    "@57:0 Axis signal state",
    "@60 List programs",
    "@61:p:b:o Register program",
    "@62 End program registration",
    "@63:p Read program",
    "@64:p Delete program",
    "@65 List index tables",
    "@66:t:n Register index table",
    "@67 End index table",
    "@68:t Read index table",
    "@70:tag Prepare cam profile",
    "@71:n Read cam profile",
    "@72:n Register cam profile (0 = end)",
    "@73:n Ask for cam profile",
    "@78 List I/O logic words",
    "@79:m I/O logic setting mode (1 on, 0 off)",
    "@80 List unequal division tables",
    "@81:t:n Register unequal division table",
    "@82 End unequal division table",
    "@83:t Read unequal division table",
    "@84 Read abs-acc table",
    "@85:n Register abs-acc table (0 = end)",
    "@86:y:t:p Set test response trigger",
    "@87:b Read test response block b",
    "@94 Read motor type",
    "@96 Restart driver",
    "@98 Communication reset",
    "#n Read item n",
    "#n=v Write item n",
    "R0P Next line",
};

} // namespace

QList<QByteArray> HelpFamily::commandHelp()
{
    QList<QByteArray> lines;
    for (const char *text : commandHelpText)
        lines.append(QByteArray("R1Z :") + text);
    return lines;
}

QList<QByteArray> HelpFamily::page(const QList<QByteArray> &lines, int page, int pageLines,
                                   int longPage, int longPageLines)
{
    qsizetype first = 0;
    for (int p = 1; p < page && first < lines.size(); ++p)
        first += p == longPage ? longPageLines : pageLines;
    const int count = page == longPage ? longPageLines : pageLines;
    if (first >= lines.size())
        return {};
    return lines.mid(first, count);
}

bool HelpFamily::handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply)
{
    Q_UNUSED(depth);
    const bool commands = command.startsWith("@41:") || command == "@41";
    const bool items = command.startsWith("@42:") || command == "@42";
    if (!commands && !items)
        return false;

    const auto number = SimText::parseDecimal(command.mid(4), 1, 1000000);
    if (!number || *number == state.helpAlmPage) {
        *reply = SimReply::of("ALM62");
        return true;
    }
    const int p = int(*number);
    if (commands) {
        *reply = SimReply::paged(page(commandHelp(), p, state.helpPageLines, state.helpLongPage,
                                      state.helpLongPageLines));
        return true;
    }
    QList<QByteArray> lines;
    for (const SimItem *item : state.items.helpItems())
        lines.append("R2Z :#" + QByteArray::number(item->number) + ':' + state.label(*item));
    *reply = SimReply::paged(page(lines, p, state.helpPageLines, 0, 0));
    return true;
}
