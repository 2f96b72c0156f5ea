#pragma once

#include "sim/commandfamily.h"

#include <QList>

// The drive's own help pages: command help (@41:p) and parameter/monitor
// help with the item names (@42:p), one page per request, paged by R0P.
class HelpFamily : public CommandFamily
{
public:
    bool handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply) override;

    // The command-help lines, in page order.
    static QList<QByteArray> commandHelp();
    // The lines of page `page` (from 1) of a list: every page holds
    // state.helpPageLines lines, except page state.helpLongPage of the
    // command help, which holds state.helpLongPageLines.
    static QList<QByteArray> page(const QList<QByteArray> &lines, int page, int pageLines,
                                  int longPage, int longPageLines);
};
