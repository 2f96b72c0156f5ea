#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QPrinter;

// The print-out of a parameter file: the lines as they stand in the file,
// one printed row each, in a fixed-pitch font so that the columns line up.
// A page holds the rows that fit its printable height less four; a new page
// is started only when another line follows.
namespace ParameterPrintout {

// Rows per page for a printable height and a line height (at least one).
int rowsPerPage(int printableHeight, int lineHeight);

// The lines page by page, rowsPerPage lines each; no page for no lines.
QList<QStringList> paginate(const QStringList &lines, int rowsPerPage);

// Prints the lines as a document named documentName. False when the printer
// could not start the document or a page; whatever was started is ended.
bool print(QPrinter &printer, const QStringList &lines, const QString &documentName);

} // namespace ParameterPrintout
