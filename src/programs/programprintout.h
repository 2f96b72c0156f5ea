#pragma once

#include <QStringList>

class QPrinter;

// The print-out of a program: the lines of an edit window, one printed row
// each, under the document name "program". Pages are laid out as the
// parameter file's print-out lays them out.
namespace ProgramPrintout {

// The first line (0-based) longer than a program line may be, or -1.
int firstTooLong(const QStringList &lines);

// False when the printer could not start the document or a page.
bool print(QPrinter &printer, const QStringList &lines);

} // namespace ProgramPrintout
