// Draws every bitmap of the English and the Japanese module (three times
// their size, the scale strip at its own, on a checked background so that the blue of the lamp
// images shows) and a sample of texts in both languages into one PNG, to look at. Usage:
// torvane-resource-sheet [OUTPUT.png]
#include "resources/catalogue.h"

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

namespace {

const QList<int> BitmapIds{131, 132, 133, 134, 135, 136, 137, 138, 141, 142,  143, 144, 153,
                           163, 164, 165, 166, 167, 168, 169, 170, 171, 172,  173, 175, 189,
                           194, 195, 196, 205, 207, 217, 235, 236, 237, 3000, 3001};
const QList<int> StringIds{101, 122, 127, 128, 159, 161, 168, 199, 216, 246, 267, 276};
const QList<QPair<int, int>> Controls{{102, 1001}, {102, 1009}, {102, 1010},
                                      {119, 1010}, {206, 1325}, {249, 1066}};

int drawSet(QPainter &p, int top, const QString &title)
{
    const Catalogue &c = Catalogue::instance();
    QFont bold = p.font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(10, top + 16, title);
    p.setFont(QFont());
    int x = 10;
    int y = top + 26;
    int rowHeight = 0;
    for (int id : BitmapIds) {
        const QString path = c.bitmapPath(id);
        const QImage image = path.isEmpty() ? QImage() : QImage(path);
        // The tall scale strip at its own size, the small pictures enlarged.
        const int zoom = image.height() > 100 ? 1 : 3;
        const QSize cell = image.isNull() ? QSize(30, 30) : image.size() * zoom;
        if (x + cell.width() > 1180) {
            x = 10;
            y += rowHeight + 24;
            rowHeight = 0;
        }
        if (image.isNull())
            p.drawText(QRect(x, y, cell.width(), cell.height()), Qt::AlignCenter,
                       QStringLiteral("-"));
        else
            p.drawImage(QRect(QPoint(x, y), cell), image);
        p.drawText(x, y + cell.height() + 14, QString::number(id));
        rowHeight = qMax(rowHeight, cell.height());
        x += qMax(cell.width(), 40) + 12;
    }
    y += rowHeight + 40;
    for (int id : StringIds) {
        const QString text = c.string(id);
        QString line = QStringLiteral("%1: ").arg(id);
        line += QString(text)
                    .replace(QLatin1Char('\n'), QStringLiteral(" \u21b5 "))
                    .replace(QLatin1Char('\r'), QStringLiteral(" \u240d "));
        p.drawText(10, y, line);
        y += 20;
    }
    for (const auto &[dialog, control] : Controls) {
        p.drawText(10, y,
                   QStringLiteral("%1 \"%2\" / %3: %4")
                       .arg(dialog)
                       .arg(c.dialogCaption(dialog))
                       .arg(control)
                       .arg(c.controlText(dialog, control)
                                .replace(QLatin1Char('\n'), QStringLiteral(" \u21b5 "))));
        y += 20;
    }
    return y + 10;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString output = args.size() > 1 ? args.at(1)
                                           : QDir(QStringLiteral(TORVANE_SHOTS_DIR))
                                                 .filePath(QStringLiteral("resources-sheet.png"));
    QDir().mkpath(QFileInfo(output).absolutePath());

    QImage sheet(1200, 3000, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    p.fillRect(QRect(0, 0, 1200, 3000), QBrush(QColor(235, 235, 235), Qt::Dense6Pattern));

    Catalogue &c = Catalogue::instance();
    int y = 0;
    const QDir bin(QStringLiteral(TORVANE_BIN_DIR));
    for (const char *module : {"Torvane_E_Resource", "Torvane_J_Resource"}) {
        const QString path = bin.filePath(Catalogue::moduleFileName(QLatin1String(module)));
        if (!c.loadModule(path)) {
            QTextStream(stderr) << "cannot load " << path << '\n';
            return 1;
        }
        y = drawSet(p, y, QLatin1String(module));
    }
    c.useBuiltin();
    y = drawSet(p, y, QStringLiteral("built-in set"));
    p.end();
    if (!sheet.copy(0, 0, 1200, qMin(y, 3000)).save(output)) {
        QTextStream(stderr) << "cannot write " << output << '\n';
        return 1;
    }
    QTextStream(stdout) << output << '\n';
    return 0;
}
