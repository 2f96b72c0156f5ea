#include "bitmapmaker.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <map>

namespace {

// The 16 colours of the VGA palette; every bitmap uses only these.
constexpr QRgb Black = 0xff000000;
constexpr QRgb Maroon = 0xff800000;
constexpr QRgb Green = 0xff008000;
constexpr QRgb Olive = 0xff808000;
constexpr QRgb Navy = 0xff000080;
constexpr QRgb Purple = 0xff800080;
constexpr QRgb Teal = 0xff008080;
constexpr QRgb Silver = 0xffc0c0c0;
constexpr QRgb Grey = 0xff808080;
constexpr QRgb Red = 0xffff0000;
constexpr QRgb Lime = 0xff00ff00;
constexpr QRgb Yellow = 0xffffff00;
constexpr QRgb Blue = 0xff0000ff;
constexpr QRgb Fuchsia = 0xffff00ff;
constexpr QRgb Aqua = 0xff00ffff;
constexpr QRgb White = 0xffffffff;

const QList<QRgb> &palette()
{
    static const QList<QRgb> colours{Black, Maroon, Green, Olive,  Navy, Purple,  Teal, Silver,
                                     Grey,  Red,    Lime,  Yellow, Blue, Fuchsia, Aqua, White};
    return colours;
}

QImage canvas(QSize size, QRgb background)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(background);
    return image;
}

// Stores the picture with its 16-colour palette, as the modules keep it.
QImage paletted(const QImage &image)
{
    return image.convertToFormat(QImage::Format_Indexed8, palette(),
                                 Qt::ThresholdDither | Qt::AvoidDither);
}

void setColours(QPainter &p, QRgb pen, QRgb brush)
{
    p.setPen(QPen(QColor::fromRgb(pen), 1));
    p.setBrush(QColor::fromRgb(brush));
}

// A round lamp in a 15 x 15 cell: ring colour, fill colour (the background
// colour leaves it hollow) and a highlight for a lit lamp.
QImage lamp(QRgb background, QRgb ring, QRgb fill, bool lit)
{
    QImage image = canvas({15, 15}, background);
    QPainter p(&image);
    setColours(p, ring, fill);
    p.drawEllipse(QRect(1, 1, 12, 12));
    p.setPen(QPen(QColor::fromRgb(ring), 1));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRect(2, 2, 10, 10));
    if (lit) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromRgb(White));
        p.drawRect(QRect(4, 4, 2, 2));
    }
    return image;
}

QImage colourMark(QRgb fill)
{
    QImage image = canvas({7, 17}, Silver);
    QPainter p(&image);
    setColours(p, Black, fill);
    p.drawRect(QRect(0, 1, 6, 14));
    return image;
}

// The zero marker of a channel: a triangle pointing at the plot.
QImage zeroMarker(QRgb fill, bool blank)
{
    QImage image = canvas({13, 21}, Silver);
    if (blank)
        return image;
    QPainter p(&image);
    setColours(p, Black, fill);
    p.drawPolygon(QPolygon({QPoint(1, 4), QPoint(11, 10), QPoint(1, 16)}));
    return image;
}

// The scale strip beside the plot: ten divisions, five sub-divisions each.
QImage scaleStrip(int width)
{
    QImage image = canvas({width, 216}, Silver);
    QPainter p(&image);
    p.setPen(QPen(QColor::fromRgb(Black), 1));
    const int right = width - 1;
    p.drawLine(right, 0, right, 215);
    for (int i = 0; i <= 50; ++i) {
        const int y = i * 215 / 50;
        const int length = (i % 5 == 0) ? width - 4 : width / 3;
        p.drawLine(right - length, y, right, y);
    }
    p.setPen(QPen(QColor::fromRgb(Red), 1));
    p.drawLine(2, 108, right, 108);
    return image;
}

QImage horizontalArrow(bool right)
{
    QImage image = canvas({26, 13}, Silver);
    QPainter p(&image);
    setColours(p, Black, Navy);
    QPolygon arrow({QPoint(1, 4), QPoint(15, 4), QPoint(15, 1), QPoint(24, 6), QPoint(15, 11),
                    QPoint(15, 8), QPoint(1, 8)});
    if (!right)
        arrow = QTransform(-1, 0, 0, 1, 25, 0).map(arrow);
    p.drawPolygon(arrow);
    return image;
}

QImage verticalArrow(bool up)
{
    QImage image = canvas({17, 17}, Silver);
    QPainter p(&image);
    setColours(p, Black, Black);
    QPolygon arrow({QPoint(8, 2), QPoint(14, 9), QPoint(10, 9), QPoint(10, 14), QPoint(6, 14),
                    QPoint(6, 9), QPoint(2, 9)});
    if (!up)
        arrow = QTransform(1, 0, 0, -1, 0, 16).map(arrow);
    p.drawPolygon(arrow);
    return image;
}

// A servo motor seen from the side: housing, flange and shaft.
QImage motor(QSize size)
{
    QImage image = canvas(size, Silver);
    QPainter p(&image);
    const int w = size.width();
    const int h = size.height();
    setColours(p, Black, Grey);
    p.drawRect(QRect(w / 8, h / 4, w * 5 / 8, h / 2));
    setColours(p, Black, Navy);
    p.drawRect(QRect(w * 3 / 4, h / 5, w / 10, h * 3 / 5));
    setColours(p, Black, White);
    p.drawRect(QRect(w * 17 / 20, h * 9 / 20, w / 8, h / 10));
    setColours(p, Black, Lime);
    p.drawRect(QRect(w / 4, h * 2 / 5, w / 8, h / 5));
    return image;
}

// The driver: a box with its front panel lamps and the serial connector.
QImage driver()
{
    QImage image = canvas({45, 33}, Silver);
    QPainter p(&image);
    setColours(p, Black, Navy);
    p.drawRect(QRect(4, 2, 24, 28));
    setColours(p, Black, Lime);
    p.drawRect(QRect(8, 6, 4, 3));
    setColours(p, Black, Red);
    p.drawRect(QRect(15, 6, 4, 3));
    setColours(p, Black, Grey);
    p.drawRect(QRect(8, 14, 16, 5));
    p.setPen(QPen(QColor::fromRgb(Black), 1));
    p.drawLine(28, 16, 40, 16);
    p.drawLine(40, 16, 40, 28);
    return image;
}

QImage warning()
{
    QImage image = canvas({25, 25}, Silver);
    QPainter p(&image);
    setColours(p, Black, Yellow);
    p.drawPolygon(QPolygon({QPoint(12, 2), QPoint(23, 22), QPoint(1, 22)}));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(Black));
    p.drawRect(QRect(11, 8, 3, 8));
    p.drawRect(QRect(11, 18, 3, 2));
    return image;
}

// Several drivers on one line: the station chooser's picture.
QImage multiDrop()
{
    QImage image = canvas({24, 24}, Silver);
    QPainter p(&image);
    p.setPen(QPen(QColor::fromRgb(Black), 1));
    p.drawLine(2, 4, 21, 4);
    for (int i = 0; i < 3; ++i) {
        const int x = 2 + i * 8;
        p.setPen(QPen(QColor::fromRgb(Black), 1));
        p.drawLine(x + 2, 4, x + 2, 10);
        setColours(p, Black, i == 0 ? Lime : Navy);
        p.drawRect(QRect(x, 10, 5, 11));
    }
    return image;
}

// A turning arrow around a hub: the index motion.
QImage turnArrow()
{
    QImage image = canvas({23, 20}, Silver);
    QPainter p(&image);
    p.setPen(QPen(QColor::fromRgb(Navy), 2));
    p.drawArc(QRect(3, 2, 16, 16), 30 * 16, 270 * 16);
    setColours(p, Navy, Navy);
    p.drawPolygon(QPolygon({QPoint(17, 1), QPoint(21, 7), QPoint(14, 7)}));
    setColours(p, Black, Grey);
    p.drawEllipse(QRect(9, 8, 4, 4));
    return image;
}

// An index table seen from above: a disc with its divisions.
QImage indexTable()
{
    QImage image = canvas({33, 33}, Silver);
    QPainter p(&image);
    setColours(p, Black, White);
    p.drawEllipse(QRect(2, 2, 28, 28));
    p.setPen(QPen(QColor::fromRgb(Grey), 1));
    const QPoint c(16, 16);
    const QList<QPoint> ends{QPoint(16, 3),  QPoint(25, 7), QPoint(29, 16), QPoint(25, 25),
                             QPoint(16, 29), QPoint(7, 25), QPoint(3, 16),  QPoint(7, 7)};
    for (const QPoint &e : ends)
        p.drawLine(c, e);
    setColours(p, Black, Red);
    p.drawEllipse(QRect(14, 14, 4, 4));
    return image;
}

QImage drawBitmap(int id, BitmapMaker::Set set)
{
    const QRgb mask = BitmapMaker::maskColour();
    switch (id) {
    // Status lamps of the waveform viewer and the shared lamp set.
    case 131:
        return lamp(Silver, Black, Lime, true);
    case 132:
        return lamp(Silver, Black, Green, false);
    case 133:
        return lamp(Silver, Black, Yellow, true);
    case 134:
        return lamp(Silver, Black, Olive, false);
    case 135:
        return lamp(Silver, Black, Red, true);
    case 136:
        return lamp(Silver, Black, Grey, false);
    case 137:
        return lamp(Silver, Black, Silver, false);
    // The lamp images, on blue as their transparent colour.
    case 141:
        return lamp(mask, Green, Lime, true);
    case 142:
        return lamp(mask, Lime, Black, false);
    case 195:
        return lamp(mask, Lime, mask, false);
    case 143:
        return lamp(mask, Maroon, Red, true);
    case 144:
        return lamp(mask, Red, Black, false);
    case 196:
        return lamp(mask, Red, mask, false);
    case 207:
        return canvas({15, 15}, mask);
    case 205:
        return lamp(Silver, Black, Aqua, true);
    case 138:
        return motor({48, 48});
    case 153:
        return driver();
    // Channel colour marks: CH3, hidden, CH1, CH2, CH4.
    case 163:
        return colourMark(Lime);
    case 164:
        return colourMark(Silver);
    case 165:
        return colourMark(Red);
    case 166:
        return colourMark(Yellow);
    case 167:
        return colourMark(Aqua);
    case 168:
        return scaleStrip(set == BitmapMaker::Set::English ? 20 : 18);
    // Zero markers: CH1 to CH4 and the blank one.
    case 169:
        return zeroMarker(Red, false);
    case 170:
        return zeroMarker(Yellow, false);
    case 171:
        return zeroMarker(Lime, false);
    case 172:
        return zeroMarker(Aqua, false);
    case 173:
        return zeroMarker(Silver, true);
    case 175:
        return warning();
    case 189:
        return horizontalArrow(true);
    case 194:
        return horizontalArrow(false);
    case 217:
        return multiDrop();
    case 235:
        return turnArrow();
    case 236:
        return motor({27, 38});
    case 237:
        return indexTable();
    case 3000:
        return verticalArrow(true);
    case 3001:
        return verticalArrow(false);
    }
    return {};
}

const std::map<int, QSize> &sizes()
{
    static const std::map<int, QSize> table = [] {
        std::map<int, QSize> t;
        for (int id : {131, 132, 133, 134, 135, 136, 137, 141, 142, 143, 144, 195, 196, 205, 207})
            t[id] = QSize(15, 15);
        t[138] = QSize(48, 48);
        t[153] = QSize(45, 33);
        for (int id = 163; id <= 167; ++id)
            t[id] = QSize(7, 17);
        t[168] = QSize(20, 216);
        for (int id = 169; id <= 173; ++id)
            t[id] = QSize(13, 21);
        t[175] = QSize(25, 25);
        t[189] = QSize(26, 13);
        t[194] = QSize(26, 13);
        t[217] = QSize(24, 24);
        t[235] = QSize(23, 20);
        t[236] = QSize(27, 38);
        t[237] = QSize(33, 33);
        t[3000] = QSize(17, 17);
        t[3001] = QSize(17, 17);
        return t;
    }();
    return table;
}

bool englishOnly(int id)
{
    return id == 138 || id == 3000 || id == 3001;
}

} // namespace

QList<int> BitmapMaker::bitmapIds(Set set)
{
    QList<int> ids;
    for (const auto &[id, size] : sizes()) {
        if (set == Set::English || !englishOnly(id))
            ids.append(id);
    }
    return ids;
}

QSize BitmapMaker::bitmapSize(int id, Set set)
{
    const auto it = sizes().find(id);
    if (it == sizes().end() || (set == Set::Japanese && englishOnly(id)))
        return {};
    if (id == 168 && set == Set::Japanese)
        return QSize(18, 216);
    return it->second;
}

QImage BitmapMaker::bitmap(int id, Set set)
{
    if (!bitmapSize(id, set).isValid())
        return {};
    return paletted(drawBitmap(id, set));
}

bool BitmapMaker::differsBySet(int id)
{
    return id == 168;
}

QList<int> BitmapMaker::iconSizes()
{
    return {16, 32, 48};
}

// The icon: the rotor of a direct-drive motor in its stator ring.
QImage BitmapMaker::icon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    const int s = size;
    setColours(p, Black, Navy);
    p.drawRect(QRect(0, 0, s - 1, s - 1));
    setColours(p, White, Teal);
    p.drawEllipse(QRect(s / 8, s / 8, s * 3 / 4 - 1, s * 3 / 4 - 1));
    setColours(p, Black, Silver);
    p.drawEllipse(QRect(s * 5 / 16, s * 5 / 16, s * 3 / 8 - 1, s * 3 / 8 - 1));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor::fromRgb(Red));
    const int dot = qMax(2, s / 8);
    p.drawRect(QRect(s / 2 - dot / 2, s / 8 + 1, dot, dot));
    return image;
}
