#include "parameterprintout.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QPainter>
#include <QPrinter>

namespace ParameterPrintout {

int rowsPerPage(int printableHeight, int lineHeight)
{
    if (lineHeight <= 0)
        return 1;
    // Two rows of room above the first line and two below the last.
    return qMax(1, printableHeight / lineHeight - 4);
}

QList<QStringList> paginate(const QStringList &lines, int rows)
{
    QList<QStringList> pages;
    const int perPage = qMax(1, rows);
    for (qsizetype first = 0; first < lines.size(); first += perPage)
        pages.append(lines.mid(first, perPage));
    return pages;
}

bool print(QPrinter &printer, const QStringList &lines, const QString &documentName)
{
    if (lines.isEmpty())
        return true;
    printer.setDocName(documentName);
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    painter.setFont(font);
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineHeight = metrics.height();
    const QRect printable = painter.viewport();
    const int rows = rowsPerPage(printable.height(), lineHeight);
    // The text starts a third of an inch in from the printable area's edge.
    const int left = printer.resolution() / 3;

    const QList<QStringList> pages = paginate(lines, rows);
    for (qsizetype page = 0; page < pages.size(); ++page) {
        if (page > 0 && !printer.newPage()) {
            painter.end();
            return false;
        }
        int y = lineHeight;
        for (const QString &line : pages.at(page)) {
            y += lineHeight;
            painter.drawText(QPoint(left, y + metrics.ascent()), line);
        }
    }
    return painter.end();
}

} // namespace ParameterPrintout
