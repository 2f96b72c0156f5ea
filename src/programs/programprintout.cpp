#include "programprintout.h"

#include "link/drivetext.h"
#include "params/parameterprintout.h"
#include "programtext.h"

namespace ProgramPrintout {

int firstTooLong(const QStringList &lines)
{
    // The drive counts bytes, as the program is stored.
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (DriveText::encode(lines.at(i)).size() > ProgramText::MaxLineLength)
            return int(i);
    }
    return -1;
}

bool print(QPrinter &printer, const QStringList &lines)
{
    return ParameterPrintout::print(printer, lines, QStringLiteral("program"));
}

} // namespace ProgramPrintout
