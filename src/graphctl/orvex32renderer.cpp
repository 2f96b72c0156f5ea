#include "orvex32renderer.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>
#include <vector>

using namespace Orvex32;

namespace {

// Rectangles from left, top and exclusive right and bottom edges.
QRect edges(int left, int top, int right, int bottom)
{
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}
int rightOf(const QRect &r)
{
    return r.x() + r.width();
}
int bottomOf(const QRect &r)
{
    return r.y() + r.height();
}

const QColor BorderColor(0, 0, 0);
const QColor LightColor(255, 255, 255);
const QColor LightColor2(223, 223, 223);
const QColor ShadeColor(128, 128, 128);
const QColor DarkShadeColor(64, 64, 64);
const QColor SelectionColor(0, 0, 0);

// The width a region's border and bevel take on each side, and its shadow.
struct Edge
{
    int side = 0;
    int shadow = 0;
};

Edge edgeOf(int appearance, int border, int shadow)
{
    Edge e;
    if (border == nbgrBorderLine)
        e.side += 1;
    if (appearance == nbgrFrameRaise || appearance == nbgrFrameInset)
        e.side += 2;
    if (appearance == nbgrFrameShadow)
        e.shadow = std::max(0, shadow);
    return e;
}

QRect innerOf(const QRect &outer, int appearance, int border, int shadow)
{
    const Edge e = edgeOf(appearance, border, shadow);
    return edges(outer.x() + e.side, outer.y() + e.side, rightOf(outer) - e.shadow - e.side,
                 bottomOf(outer) - e.shadow - e.side);
}

void frameRing(QPainter &p, const QRect &r, const QColor &topLeft, const QColor &bottomRight)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p.fillRect(QRect(r.x(), r.y(), r.width(), 1), topLeft);
    p.fillRect(QRect(r.x(), r.y(), 1, r.height()), topLeft);
    p.fillRect(QRect(r.x(), bottomOf(r) - 1, r.width(), 1), bottomRight);
    p.fillRect(QRect(rightOf(r) - 1, r.y(), 1, r.height()), bottomRight);
}

// Draws a region's box: shadow, background, border line, bevel. Returns the
// inner rectangle.
QRect drawBox(QPainter &p, const QRect &outer, int appearance, int border, int shadow,
              const QColor &fill)
{
    const Edge e = edgeOf(appearance, border, shadow);
    QRect body = edges(outer.x(), outer.y(), rightOf(outer) - e.shadow, bottomOf(outer) - e.shadow);
    if (e.shadow > 0)
        p.fillRect(body.translated(e.shadow, e.shadow), ShadeColor);
    p.fillRect(body, fill);
    if (border == nbgrBorderLine) {
        frameRing(p, body, BorderColor, BorderColor);
        body = body.adjusted(1, 1, -1, -1);
    }
    if (appearance == nbgrFrameRaise) {
        frameRing(p, body, LightColor, DarkShadeColor);
        frameRing(p, body.adjusted(1, 1, -1, -1), LightColor2, ShadeColor);
    } else if (appearance == nbgrFrameInset) {
        frameRing(p, body, ShadeColor, LightColor);
        frameRing(p, body.adjusted(1, 1, -1, -1), DarkShadeColor, LightColor2);
    }
    return innerOf(outer, appearance, border, shadow);
}

Qt::PenStyle penStyle(int lineKind)
{
    switch (lineKind) {
    case nbgrLineKindNothing:
        return Qt::NoPen;
    case nbgrLineKindDash:
        return Qt::DashLine;
    case nbgrLineKindDot:
        return Qt::DotLine;
    case nbgrLineKindDashDot:
        return Qt::DashDotLine;
    case nbgrLineKindDashDotDot:
        return Qt::DashDotDotLine;
    default:
        return Qt::SolidLine;
    }
}

QPen graphPen(const GraphSettings &g, const QColor &color)
{
    const int width = std::clamp<int>(g.lineWidth, 1, 64);
    QPen pen(color, width, penStyle(g.lineKind));
    // One-pixel lines end on their last point; wide ones end round.
    pen.setCapStyle(width == 1 ? Qt::SquareCap : Qt::RoundCap);
    pen.setJoinStyle(width == 1 ? Qt::MiterJoin : Qt::RoundJoin);
    return pen;
}

int alignFlags(int horz)
{
    switch (horz) {
    case nbgrCenter:
        return Qt::AlignHCenter;
    case nbgrRightJustify:
        return Qt::AlignRight;
    default:
        return Qt::AlignLeft;
    }
}

int vertFlags(int vert)
{
    switch (vert) {
    case 0:
        return Qt::AlignTop;
    case 2:
        return Qt::AlignBottom;
    case nbgrMultiLine:
        return Qt::AlignTop | Qt::TextWordWrap;
    default:
        return Qt::AlignVCenter;
    }
}

QString formatNumber(double v)
{
    if (!std::isfinite(v))
        return {};
    const double r = std::round(v);
    if (std::abs(v - r) < 1e-9 * std::max(1.0, std::abs(v)) && std::abs(r) < 1e15)
        return QString::number(qint64(r));
    QString s = QString::number(v, 'f', 3);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

QDateTime parseStart(const QString &text)
{
    const QString t = text.trimmed();
    const char *const formats[] = {
        "yyyy/MM/dd hh:mm:ss", "yyyy/MM/dd hh:mm", "yyyy/MM/dd", "yyyy-MM-dd hh:mm:ss",
        "yyyy-MM-ddThh:mm:ss", "yyyy-MM-dd",       "yyyy/MM",    "yyyy"};
    for (const char *f : formats) {
        const QDateTime dt = QDateTime::fromString(t, QLatin1String(f));
        if (dt.isValid())
            return dt;
    }
    for (const char *f : {"hh:mm:ss", "hh:mm"}) {
        const QTime time = QTime::fromString(t, QLatin1String(f));
        if (time.isValid())
            return QDateTime(QDate(2000, 1, 1), time);
    }
    return QDateTime(QDate(2000, 1, 1), QTime(0, 0));
}

QString twoFields(const char *format, int a, int b)
{
    return QString::asprintf(format, a, b);
}

// Draws text with its top-left, centre or right at a point, in a box big
// enough for any label.
void drawTextAt(QPainter &p, int x, int y, int flags, const QString &text)
{
    const int w = 2000, h = 400;
    QRect box;
    if (flags & Qt::AlignLeft)
        box.setRect(x, 0, w, h);
    else if (flags & Qt::AlignRight)
        box.setRect(x - w, 0, w, h);
    else
        box.setRect(x - w / 2, 0, w, h);
    if (flags & Qt::AlignTop)
        box.moveTop(y);
    else if (flags & Qt::AlignBottom)
        box.moveTop(y - h);
    else
        box.moveTop(y - h / 2);
    p.drawText(box, flags | Qt::TextDontClip, text);
}

// The pixels of one-pixel solid lines: both ends included, one pixel per
// step along the longer axis, as Bresenham draws them. Qt's stroker leaves
// out pixels at some joins depending on the whole path, so a path reduced to
// fewer points would not give the same picture with it; with this rule every
// segment's pixels depend on its own two ends only. Only the part inside the
// clip is walked, however far off the ends lie.
class PixelLines
{
public:
    explicit PixelLines(const QRect &clip)
        : m_clip(clip)
    {}

    void add(QPoint a, QPoint b)
    {
        qint64 dx = qint64(b.x()) - a.x(), dy = qint64(b.y()) - a.y();
        const int left = m_clip.x(), right = m_clip.x() + m_clip.width() - 1;
        const int top = m_clip.y(), bottom = m_clip.y() + m_clip.height() - 1;
        if (std::abs(dx) >= std::abs(dy)) {
            if (dx < 0) {
                std::swap(a, b);
                dx = -dx;
                dy = -dy;
            }
            if (dx == 0) {
                if (m_clip.contains(a))
                    append(QRect(a, QSize(1, 1)));
                return;
            }
            const int from = std::max(a.x(), left), to = std::min(b.x(), right);
            int runStart = 0, runY = 0;
            bool inRun = false;
            for (int x = from; x <= to; ++x) {
                const int y = a.y() + int(floorDiv(2 * (x - qint64(a.x())) * dy + dx, 2 * dx));
                if (inRun && y == runY)
                    continue;
                if (inRun)
                    append(QRect(runStart, runY, x - runStart, 1));
                inRun = y >= top && y <= bottom;
                runStart = x;
                runY = y;
            }
            if (inRun)
                append(QRect(runStart, runY, to + 1 - runStart, 1));
        } else {
            if (dy < 0) {
                std::swap(a, b);
                dx = -dx;
                dy = -dy;
            }
            const int from = std::max(a.y(), top), to = std::min(b.y(), bottom);
            int runStart = 0, runX = 0;
            bool inRun = false;
            for (int y = from; y <= to; ++y) {
                const int x = a.x() + int(floorDiv(2 * (y - qint64(a.y())) * dx + dy, 2 * dy));
                if (inRun && x == runX)
                    continue;
                if (inRun)
                    append(QRect(runX, runStart, 1, y - runStart));
                inRun = x >= left && x <= right;
                runStart = y;
                runX = x;
            }
            if (inRun)
                append(QRect(runX, runStart, 1, to + 1 - runStart));
        }
    }

    void paint(QPainter &p, const QColor &color)
    {
        if (!m_pending.isEmpty())
            m_lines.append(QLine(m_pending.topLeft(), m_pending.bottomRight()));
        m_pending = QRect();
        if (m_lines.isEmpty())
            return;
        // Each run is a horizontal or vertical line: a cosmetic square-cap
        // pen covers exactly its pixels, ends included, and draws all of
        // them in one call.
        QPen pen(color, 1);
        pen.setCosmetic(true);
        pen.setCapStyle(Qt::SquareCap);
        p.save();
        p.setPen(pen);
        p.drawLines(m_lines.constData(), int(m_lines.size()));
        p.restore();
        m_lines.clear();
    }

private:
    static qint64 floorDiv(qint64 a, qint64 b) // b > 0
    {
        return a >= 0 ? a / b : -((-a + b - 1) / b);
    }

    // Runs that continue each other in one column (or one row) become one:
    // a column crossed by many short strokes is a single line then.
    void append(const QRect &r)
    {
        if (!m_pending.isEmpty()) {
            const bool column = r.width() == 1 && m_pending.width() == 1 &&
                                r.x() == m_pending.x() && r.top() <= m_pending.bottom() + 1 &&
                                r.bottom() >= m_pending.top() - 1;
            const bool row = r.height() == 1 && m_pending.height() == 1 && r.y() == m_pending.y() &&
                             r.left() <= m_pending.right() + 1 && r.right() >= m_pending.left() - 1;
            if (column || row) {
                m_pending = m_pending.united(r);
                return;
            }
            m_lines.append(QLine(m_pending.topLeft(), m_pending.bottomRight()));
        }
        m_pending = r;
    }

    QRect m_clip;
    QRect m_pending;
    QList<QLine> m_lines;
};

// How far off the plot a position may lie. Far-off values are pulled in to
// this distance in floating point, before any conversion to int: a line to
// such a point leaves the plot at the same pixel as one to the true point
// would, and the pixel arithmetic stays far from overflowing.
constexpr double MaxReach = double(1 << 24);

// Dense drawings bounded by the pixels, not the points: the points (or a
// one-pixel line through them) mark pixels of a mask, a kernel (a marker's
// glyph, a wide pen's square) is spread over the marked pixels once per
// kernel pixel, and the result is drawn as one image. A million markers or a
// wide line through a million points would otherwise cost a text drawing or a
// stroke per point.
class CoverageSpread
{
public:
    explicit CoverageSpread(const QRect &area)
        : m_area(area)
        , m_mask(area.size().expandedTo(QSize(1, 1)), QImage::Format_Alpha8)
    {
        m_mask.fill(0);
    }

    // The mask in painter coordinates shifted by -area().topLeft().
    QImage &mask() { return m_mask; }
    const QRect &area() const { return m_area; }

    void mark(int x, int y)
    {
        if (m_area.contains(x, y))
            m_mask.scanLine(y - m_area.y())[x - m_area.x()] = 0xff;
    }

    // kernel: coverage (Format_Alpha8); origin: where the kernel's top-left
    // lies relative to a marked pixel.
    void paint(QPainter &p, const QImage &kernel, const QPoint &origin, const QColor &color) const
    {
        const int mw = m_mask.width(), mh = m_mask.height();
        const int kw = kernel.width(), kh = kernel.height();
        if (kw <= 0 || kh <= 0)
            return;
        // The marked stretches of each row, with gaps narrower than the
        // kernel closed: the work follows the marks, not the area.
        struct Span
        {
            int row, from, to;
        };
        std::vector<Span> spans;
        for (int y = 0; y < mh; ++y) {
            const uchar *row = m_mask.constScanLine(y);
            int x = 0;
            while (x < mw) {
                while (x < mw && row[x] == 0)
                    ++x;
                if (x == mw)
                    break;
                const int from = x;
                int last = x;
                for (; x < mw && x <= last + kw; ++x) {
                    if (row[x] != 0)
                        last = x;
                }
                spans.push_back({y, from, last + 1});
                x = last + 1;
            }
        }
        if (spans.empty())
            return;
        const int cw = mw + kw, ch = mh + kh;
        std::vector<quint8> cover(size_t(cw) * size_t(ch), 0);
        for (int j = 0; j < kh; ++j) {
            const uchar *kernelRow = kernel.constScanLine(j);
            for (int i = 0; i < kw; ++i) {
                const quint8 a = kernelRow[i];
                if (a == 0)
                    continue;
                for (const Span &span : spans) {
                    spreadRow(m_mask.constScanLine(span.row) + span.from,
                              cover.data() + size_t(span.row + j) * size_t(cw) +
                                  size_t(span.from + i),
                              span.to - span.from, a);
                }
            }
        }
        QRgb shade[256];
        const int r = color.red(), g = color.green(), b = color.blue();
        for (int a = 0; a < 256; ++a)
            shade[a] = qRgba(r * a / 255, g * a / 255, b * a / 255, a);
        QImage image(cw, ch, QImage::Format_ARGB32_Premultiplied);
        for (int y = 0; y < ch; ++y) {
            auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
            const quint8 *c = cover.data() + size_t(y) * size_t(cw);
            for (int x = 0; x < cw; ++x)
                line[x] = shade[c[x]];
        }
        p.drawImage(m_area.topLeft() + origin, image);
    }

private:
    static void spreadRow(const quint8 *__restrict mask, quint8 *__restrict out, int width,
                          quint8 a)
    {
        for (int x = 0; x < width; ++x)
            out[x] = std::max<quint8>(out[x], mask[x] & a);
    }

    QRect m_area;
    QImage m_mask;
};

// A wide pen's footprint around a pixel, for CoverageSpread.
QImage penKernel(int width)
{
    QImage kernel(width, width, QImage::Format_Alpha8);
    kernel.fill(0xff);
    if (width >= 3) { // round it as a round pen would
        const uchar corner = 0;
        kernel.scanLine(0)[0] = kernel.scanLine(0)[width - 1] = corner;
        kernel.scanLine(width - 1)[0] = kernel.scanLine(width - 1)[width - 1] = corner;
    }
    return kernel;
}

} // namespace

Orvex32Renderer::Orvex32Renderer(const Orvex32Settings &settings,
                                 const QList<GraphSettings> &graphs, const GraphStore &store,
                                 const QStringList &labels)
    : m_s(settings)
    , m_graphs(graphs)
    , m_store(store)
    , m_labels(labels)
{}

int Orvex32Renderer::graphCount() const
{
    return int(std::min<qsizetype>(m_graphs.size(), m_store.graphCount()));
}

QFont Orvex32Renderer::drawingFont(const QFont &font)
{
    QFont f(font);
    const QString family = font.family();
    QStringList families{family};
    const bool fixed = family.contains(QStringLiteral("ＭＳ ゴシック")) ||
                       family.compare(QLatin1String("MS Gothic"), Qt::CaseInsensitive) == 0;
    if (fixed)
        families << QStringLiteral("MS Gothic") << QStringLiteral("Noto Sans Mono CJK JP")
                 << QStringLiteral("DejaVu Sans Mono");
    else
        families << QStringLiteral("MS PGothic") << QStringLiteral("Noto Sans CJK JP")
                 << QStringLiteral("DejaVu Sans");
    f.setFamilies(families);
    f.setStyleHint(fixed ? QFont::Monospace : QFont::SansSerif);
    const double points = font.pointSizeF() > 0 ? font.pointSizeF() : 9.0;
    f.setPixelSize(std::max(1, int(std::lround(points * 96.0 / 72.0))));
    return f;
}

// --- Layout --------------------------------------------------------------------

Orvex32Layout Orvex32Renderer::layout(const QSize &size) const
{
    Orvex32Layout l;
    l.frame = QRect(QPoint(0, 0), size);
    l.frameInner = innerOf(l.frame, m_s.frameAppearance, m_s.frameBorderStyle, m_s.frameShadowSize);
    const QRect &F = l.frameInner;
    const int fl = F.x(), ft = F.y(), fr = rightOf(F), fb = bottomOf(F);

    int top = ft;
    if (m_s.captionShow) {
        l.caption = edges(fl, ft, fr, std::min(fb, ft + std::max<int>(0, m_s.captionHeight)));
        top = bottomOf(l.caption);
    } else {
        l.caption = edges(fl, ft, fr, ft);
    }
    l.captionInner =
        innerOf(l.caption, m_s.captionAppearance, m_s.captionBorderStyle, m_s.captionShadowSize);

    int gl = fl, gt = top, gr = fr, gb = fb;
    if (m_s.introShow) {
        int width = 0;
        for (int w : {m_s.introIndexWidth, m_s.introShortNameWidth, m_s.introNameWidth,
                      m_s.introUnitWidth, m_s.introValueWidth}) {
            if (w > 0)
                width += w + 1;
        }
        const int height =
            std::max(0, graphCount() * (std::max<int>(0, m_s.introIndividualHeight) + 1) - 1);
        const Edge e = edgeOf(m_s.introAppearance, m_s.introBorderStyle, m_s.introShadowSize);
        const int ow = width + 2 * e.side + e.shadow;
        const int oh = height + 2 * e.side + e.shadow;
        int left = fl;
        if (m_s.introHorzAlign == nbgrCenter)
            left = fl + (fr - fl) / 2 - ow / 2;
        else if (m_s.introHorzAlign == nbgrRightJustify)
            left = fr - ow;
        int y = top;
        if (m_s.introVertAlign == nbgrVerticalAlignment2Middle)
            y = top + (fb - top) / 2 - oh / 2;
        else if (m_s.introVertAlign == nbgrVerticalAlignment2BottomJustify)
            y = fb - oh;
        l.intro = QRect(left, y, ow, oh);
        l.introInner =
            innerOf(l.intro, m_s.introAppearance, m_s.introBorderStyle, m_s.introShadowSize);

        if (m_s.introVertAlign == nbgrVerticalAlignment2TopJustify)
            gt = y + oh;
        else if (m_s.introVertAlign == nbgrVerticalAlignment2BottomJustify)
            gb = y;
        else if (m_s.introHorzAlign == nbgrLeftJustify)
            gl = left + ow;
        else if (m_s.introHorzAlign == nbgrRightJustify)
            gr = left;
    }
    l.graph = edges(gl, gt, gr, gb);
    l.graphInner = innerOf(l.graph, m_s.graphAppearance, m_s.graphBorderStyle, m_s.graphShadowSize);
    const QRect &G = l.graphInner;

    // Scales and plot area inside the graph region.
    const QFontMetrics vfm(drawingFont(m_s.vertScaleFont));
    const QFontMetrics hfm(drawingFont(m_s.horzScaleFont));
    const int vw = std::max<int>(0, m_s.vertScaleWidth);
    const int hs = m_s.horzScaleShow ? std::max<int>(0, m_s.horzScaleHeight) : 0;

    QList<int> leftGraphs, rightGraphs; // -1: the single scale
    // Circle and digital graphs show their values in the plot: they have
    // no value axis (unless line graphs are laid over them).
    const bool pictureKind =
        m_s.graphKind == nbgrGraphKindCircleGraph || m_s.graphKind == nbgrGraphKindDigitalGraph;
    const int vertMode =
        pictureKind && !m_s.overlay ? int(nbgrVerticalScaleNothing) : int(m_s.vertScaleShowMode);
    if (vertMode == nbgrVerticalScaleSingle) {
        if (m_s.vertScaleAlign != nbgrVerticalScaleRightSide)
            leftGraphs << -1;
        if (m_s.vertScaleAlign != nbgrVerticalScaleLeftSide)
            rightGraphs << -1;
    } else if (vertMode == nbgrVerticalScaleIndividual) {
        QList<int> shown;
        for (int g = 0; g < graphCount(); ++g) {
            if (isShown(g))
                shown << g;
        }
        if (m_s.vertScaleAlign == nbgrVerticalScaleLeftSide) {
            leftGraphs = shown;
        } else if (m_s.vertScaleAlign == nbgrVerticalScaleRightSide) {
            rightGraphs = shown;
        } else {
            const qsizetype half = (shown.size() + 1) / 2;
            leftGraphs = shown.mid(0, half);
            rightGraphs = shown.mid(half);
        }
    }
    const bool vertShown = vertMode != nbgrVerticalScaleNothing;
    const int halfText = vfm.height() / 2 + 1;
    const int marginTop = vertShown ? std::max(4, halfText) : 4;
    const int marginBottom = hs > 0 ? 0 : (vertShown ? std::max(4, halfText) : 4);
    const int marginLeft = leftGraphs.isEmpty() ? 4 : 0;
    int marginRight = rightGraphs.isEmpty() ? 4 : 0;
    if (hs > 0 && m_s.horzScaleLabelPos == nbgrScaleLeft) {
        // The last label starts at the right edge: room for it beside the
        // plot, unless the scales there give it already.
        const int last = hfm.horizontalAdvance(horzScaleLabel(horzScaleLabelCount() - 1)) + 2;
        marginRight += int(std::max<qsizetype>(0, last - marginRight - rightGraphs.size() * vw));
    }
    const int pl = G.x() + int(leftGraphs.size()) * vw + marginLeft;
    const int pr = rightOf(G) - int(rightGraphs.size()) * vw - marginRight;
    const int pt = G.y() + marginTop;
    const int pb = bottomOf(G) - hs - marginBottom;
    l.plotArea = edges(pl, pt, std::max(pl, pr), std::max(pt, pb));
    l.plot = innerOf(l.plotArea, m_s.plotAreaAppearance, m_s.plotAreaBorderStyle,
                     m_s.plotAreaShadowSize);
    l.horzScale =
        edges(l.plotArea.x(), bottomOf(l.plotArea), rightOf(l.plotArea), bottomOf(l.plotArea) + hs);

    // Left scales read outward from the plot: the first graph outermost.
    for (qsizetype i = 0; i < leftGraphs.size(); ++i) {
        const int col = int(leftGraphs.size() - 1 - i);
        const int right = l.plotArea.x() - col * vw;
        l.vertScales.append(
            {edges(right - vw, l.plotArea.y(), right, bottomOf(l.plotArea)), leftGraphs[i], true});
    }
    for (qsizetype i = 0; i < rightGraphs.size(); ++i) {
        const int left = rightOf(l.plotArea) + int(i) * vw;
        l.vertScales.append(
            {edges(left, l.plotArea.y(), left + vw, bottomOf(l.plotArea)), rightGraphs[i], false});
    }
    return l;
}

// --- Geometry of points ----------------------------------------------------------

int Orvex32Renderer::kindOf(int graph) const
{
    if (m_s.overlay && m_s.overlayGraphCount > 0 && graph >= graphCount() - m_s.overlayGraphCount)
        return m_s.overlayGraphKind;
    return m_s.graphKind;
}

Orvex32Renderer::XMap Orvex32Renderer::xMap(const QRect &plot, int kind) const
{
    const qint64 n = m_store.dataCount();
    const int w = plot.width();
    XMap m;
    m.base = plot.x() + w / 2; // one point, or kinds without an axis: the middle
    if (kind == nbgrGraphKindLineGraph1 && n > 1) {
        m.base = plot.x();
        m.step = double(w) / double(n - 1);
    } else if ((kind == nbgrGraphKindLineGraph2 || kind == nbgrGraphKindBarGraph) && n > 0) {
        // The centres of n equal slots.
        m.base = plot.x();
        m.step = double(w) / double(n);
        m.offset = 0.5;
    }
    return m;
}

int Orvex32Renderer::pointX(const QRect &plot, int kind, qint64 k) const
{
    return xMap(plot, kind).x(k);
}

double Orvex32Renderer::valueY(const QRect &plot, const GraphSettings &graph, double v)
{
    const double range = graph.highValue - graph.lowValue;
    if (!(range > 0) || !std::isfinite(range))
        return std::numeric_limits<double>::quiet_NaN();
    const double t = (v - graph.lowValue) / range;
    if (std::isnan(t))
        return t;
    const double bottom = bottomOf(plot);
    const double y = std::clamp(t * plot.height(), -MaxReach, MaxReach + plot.height());
    return bottom - std::trunc(y);
}

int Orvex32Renderer::indexAt(const QRect &plot, int x) const
{
    const int n = m_store.dataCount();
    if (n <= 0)
        return -1;
    const int w = std::max(1, plot.width());
    const double dx = x - plot.x();
    int k = 0;
    switch (m_s.graphKind) {
    case nbgrGraphKindLineGraph1:
        k = n <= 1 ? 0 : int(std::lround(dx * (n - 1) / w));
        break;
    case nbgrGraphKindLineGraph2:
    case nbgrGraphKindBarGraph:
        k = int(std::floor(dx * n / w));
        break;
    default:
        k = 0;
        break;
    }
    return std::clamp(k, 0, n - 1);
}

bool Orvex32Renderer::isShown(int graph) const
{
    return m_graphs[graph].graphShow != 0;
}

bool Orvex32Renderer::spanChecked(int graph) const
{
    const GraphSettings &g = m_graphs[graph];
    return m_s.spanCheck == SpanCheckOn && g.spanMax > g.spanMin;
}

bool Orvex32Renderer::outOfSpan(int graph, double v) const
{
    const GraphSettings &g = m_graphs[graph];
    return spanChecked(graph) && (v > g.spanMax || v < g.spanMin);
}

// --- Texts -----------------------------------------------------------------------

QString Orvex32Renderer::formatValue(double value, int decimals)
{
    if (!std::isfinite(value))
        return {};
    QString s = QString::number(value, 'f', std::clamp(decimals, 0, 15));
    // No "-0.00" for values that round to zero.
    if (s.startsWith(QLatin1Char('-')) &&
        std::all_of(s.begin() + 1, s.end(), [](QChar c) { return c == u'0' || c == u'.'; }))
        s.remove(0, 1);
    return s;
}

QString Orvex32Renderer::markerText(int markerKind, double value, int decimals)
{
    static const char16_t glyphs[] = {u'●', u'○', u'■', u'□', u'▲', u'△', u'◆', u'◇', u'×', u'+'};
    if (markerKind >= 1 && markerKind <= 10)
        return QString(QChar(glyphs[markerKind - 1]));
    if (markerKind == 11)
        return formatValue(value, decimals);
    if (markerKind >= 12 && markerKind <= 21)
        return QString(QChar(glyphs[markerKind - 12])) + QLatin1Char(' ') +
               formatValue(value, decimals);
    return {};
}

int Orvex32Renderer::horzScaleLabelCount() const
{
    const int splits = std::max<int>(1, m_s.horzScaleSplitCount);
    // Left: one label per division line, starting at it. Centre: one label
    // per division, in its middle, for the point there.
    return m_s.horzScaleLabelPos == nbgrScaleCenter ? splits : splits + 1;
}

QString Orvex32Renderer::horzScaleLabel(int j) const
{
    const int splits = std::max<int>(1, m_s.horzScaleSplitCount);
    const int n = m_store.dataCount();
    const int kind = m_s.graphKind;
    const bool slotKinds = kind == nbgrGraphKindLineGraph2 || kind == nbgrGraphKindBarGraph;
    const bool centred = m_s.horzScaleLabelPos == nbgrScaleCenter;
    const double at = centred ? j + 0.5 : j;
    const double index =
        slotKinds ? double(n) * at / splits - (centred ? 0.5 : 0.0) : double(n - 1) * at / splits;
    if (m_s.horzScaleLabelStyle == nbgrScaleLabel) {
        const qint64 k = std::llround(index);
        return (k >= 0 && k < m_labels.size()) ? m_labels[k] : QString();
    }
    const double offset = index * m_s.horzScaleSpan;
    if (m_s.horzScaleSpanUnit == nbgrSpanUnitNumber) {
        bool ok = false;
        const double first = m_s.horzScaleStartValue.trimmed().toDouble(&ok);
        return formatNumber((ok ? first : 0.0) + offset);
    }
    const qint64 units = std::llround(offset);
    QDateTime t = parseStart(m_s.horzScaleStartValue);
    switch (m_s.horzScaleSpanUnit) {
    case nbgrSpanUnitYear:
        t = t.addYears(int(units));
        return QString::asprintf("%04d", t.date().year());
    case nbgrSpanUnitMonth:
        t = t.addMonths(int(units));
        return twoFields("%04d/%02d", t.date().year(), t.date().month());
    case nbgrSpanUnitDay:
        t = t.addDays(units);
        return twoFields("%02d/%02d", t.date().month(), t.date().day());
    case nbgrSpanUnitHour:
        t = t.addSecs(units * 3600);
        return twoFields("%02d.%02d", t.date().day(), t.time().hour());
    case nbgrSpanUnitMinute:
        t = t.addSecs(units * 60);
        return twoFields("%02d:%02d", t.time().hour(), t.time().minute());
    default:
        t = t.addSecs(units);
        return twoFields("%02d:%02d", t.time().minute(), t.time().second());
    }
}

QStringList Orvex32Renderer::horzScaleLabels() const
{
    QStringList labels;
    for (int j = 0; j < horzScaleLabelCount(); ++j)
        labels << horzScaleLabel(j);
    return labels;
}

QList<Orvex32Renderer::Tick> Orvex32Renderer::ticks(int length, int splits, int subs)
{
    splits = std::max(1, splits);
    subs = std::max(1, subs);
    length = std::max(0, length);
    const qint64 total = qint64(splits) * subs;
    QList<Tick> result;
    if (total <= length) {
        result.reserve(total + 1);
        for (qint64 j = 0; j <= total; ++j)
            result.append({int(double(j) * length / double(total)), j % subs == 0});
        return result;
    }
    // More ticks than pixels: every pixel has one, and a major one where a
    // division line falls on it.
    result.reserve(length + 1);
    for (int x = 0; x <= length; ++x)
        result.append({x, splits > length});
    if (splits <= length) {
        for (int i = 0; i <= splits; ++i)
            result[int(double(i) * length / splits)].major = true;
    }
    return result;
}

QList<int> Orvex32Renderer::thinned(const QList<int> &positions, int extent, int length)
{
    // The smallest stride at which neighbouring labels clear each other.
    const qsizetype count = positions.size();
    if (count == 0)
        return {};
    const double spacing = count > 1 ? double(length) / double(count - 1) : 1.0;
    const int stride = std::max(1, int(std::ceil((extent + 1) / std::max(spacing, 1e-9))));
    QList<int> shown;
    int end = std::numeric_limits<int>::min();
    for (qsizetype j = 0; j < count; j += stride) {
        // Uneven spacing (pixels are whole) can still bring two together.
        if (positions[j] <= end)
            continue;
        shown.append(int(j));
        end = positions[j] + extent;
    }
    return shown;
}

QStringList Orvex32Renderer::vertScaleLabels(double low, double high, int splits)
{
    splits = std::max(1, splits);
    const int decimals = vertScaleDecimals(low, high, splits);
    QStringList labels;
    for (int j = 0; j <= splits; ++j)
        labels << formatValue(low + (high - low) / splits * j, decimals);
    return labels;
}

int Orvex32Renderer::vertScaleDecimals(double low, double high, int splits)
{
    splits = std::max(1, splits);
    const double step = (high - low) / splits;
    // As few decimals as show every division exactly (at most six).
    int decimals = 0;
    for (; decimals < 6; ++decimals) {
        const double scale = std::pow(10.0, decimals);
        const auto whole = [scale](double v) {
            return std::abs(v * scale - std::round(v * scale)) <
                   1e-6 * std::max(1.0, std::abs(v * scale));
        };
        if (whole(step) && whole(low))
            break;
    }
    return decimals;
}

// --- Painting --------------------------------------------------------------------

void Orvex32Renderer::paint(QPainter &p, const Orvex32Layout &l, Parts parts) const
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    if (parts & Background)
        paintFrame(p, l);
    if (parts & Caption)
        paintCaption(p, l);
    if (parts & GraphRegion)
        paintGraphRegion(p, l);
    if (parts & Graphs)
        paintGraphs(p, l.plot);
    if (parts & Selection)
        paintSelection(p, l.plot);
    // The legend comes last: centred both ways it lies over the graphs.
    if (parts & Legend)
        paintLegend(p, l);
    p.restore();
}

void Orvex32Renderer::paintFrame(QPainter &p, const Orvex32Layout &l) const
{
    p.fillRect(l.frame, toQColor(m_s.backColor));
    drawBox(p, l.frame, m_s.frameAppearance, m_s.frameBorderStyle, m_s.frameShadowSize,
            toQColor(m_s.frameBackColor));
}

void Orvex32Renderer::paintCaption(QPainter &p, const Orvex32Layout &l) const
{
    if (!m_s.captionShow || l.caption.isEmpty())
        return;
    const QRect inner = drawBox(p, l.caption, m_s.captionAppearance, m_s.captionBorderStyle,
                                m_s.captionShadowSize, toQColor(m_s.captionBackColor));
    p.setFont(drawingFont(m_s.captionFont));
    p.setPen(toQColor(m_s.captionForeColor));
    p.drawText(inner.adjusted(2, 0, -2, 0),
               alignFlags(m_s.captionHorzAlign) | vertFlags(m_s.captionVertAlign), m_s.caption);
}

void Orvex32Renderer::paintLegend(QPainter &p, const Orvex32Layout &l) const
{
    if (!m_s.introShow || l.intro.isEmpty())
        return;
    const QRect inner = drawBox(p, l.intro, m_s.introAppearance, m_s.introBorderStyle,
                                m_s.introShadowSize, toQColor(m_s.introBackColor));
    p.save();
    p.setClipRect(inner);
    struct Column
    {
        int width;
        int part; // 0 index, 1 short name, 2 name, 3 unit, 4 value
    };
    QList<Column> columns;
    const short widths[] = {m_s.introIndexWidth, m_s.introShortNameWidth, m_s.introNameWidth,
                            m_s.introUnitWidth, m_s.introValueWidth};
    for (int c = 0; c < 5; ++c) {
        if (widths[c] > 0)
            columns.append({widths[c], c});
    }
    const int rowHeight = std::max<int>(0, m_s.introIndividualHeight);
    const QColor fore = toQColor(m_s.introForeColor);
    const QFont fonts[] = {drawingFont(m_s.introShortNameFont), drawingFont(m_s.introShortNameFont),
                           drawingFont(m_s.introNameFont), drawingFont(m_s.introUnitFont),
                           drawingFont(m_s.introValueFont)};
    const int halign[] = {nbgrCenter, m_s.introShortNameHorzAlign, m_s.introNameHorzAlign,
                          m_s.introUnitHorzAlign, m_s.introValueHorzAlign};
    const int valign[] = {1, m_s.introShortNameVertAlign, m_s.introNameVertAlign,
                          m_s.introUnitVertAlign, m_s.introValueVertAlign};

    for (int g = 0; g < graphCount(); ++g) {
        const GraphSettings &gs = m_graphs[g];
        const int y = inner.y() + g * (rowHeight + 1);
        int x = inner.x();
        for (const Column &c : columns) {
            const QRect cell(x, y, c.width, rowHeight);
            QString text;
            switch (c.part) {
            case 0: {
                // A swatch of the graph's colour, hollow while it is hidden.
                const QRect swatch = cell.adjusted(2, 2, -2, -2);
                const QColor color = toQColor(gs.graphColor);
                if (gs.graphShow != 0)
                    p.fillRect(swatch, color);
                else
                    frameRing(p, swatch, color, color);
                break;
            }
            case 1:
                text = gs.shortName;
                break;
            case 2:
                text = gs.longName;
                break;
            case 3:
                text = gs.unit;
                break;
            case 4:
                if (gs.valueFlag) {
                    text = formatValue(gs.value, gs.decimalPoint);
                    if (outOfSpan(g, gs.value))
                        p.fillRect(cell, toQColor(gs.graphAlertColor));
                }
                break;
            }
            if (!text.isEmpty()) {
                p.setFont(fonts[c.part]);
                p.setPen(fore);
                p.drawText(cell.adjusted(2, 0, -2, 0),
                           alignFlags(halign[c.part]) | vertFlags(valign[c.part]), text);
            }
            x += c.width + 1;
        }
        // Rules between the rows and between the columns.
        if (m_s.introHorzLine && g + 1 < graphCount())
            p.fillRect(QRect(inner.x(), y + rowHeight, inner.width(), 1),
                       toQColor(m_s.introHorzLineColor));
    }
    if (m_s.introVertLine) {
        int x = inner.x();
        for (qsizetype c = 0; c + 1 < columns.size(); ++c) {
            x += columns[c].width;
            p.fillRect(QRect(x, inner.y(), 1, inner.height()), toQColor(m_s.introVertLineColor));
            x += 1;
        }
    }
    p.restore();
}

void Orvex32Renderer::paintGraphRegion(QPainter &p, const Orvex32Layout &l) const
{
    if (l.graph.isEmpty())
        return;
    drawBox(p, l.graph, m_s.graphAppearance, m_s.graphBorderStyle, m_s.graphShadowSize,
            toQColor(m_s.graphBackColor));
    p.save();
    p.setClipRect(l.graphInner);
    if (m_s.horzScaleShow)
        paintHorzScale(p, l);
    for (const Orvex32Layout::VertScale &scale : l.vertScales)
        paintVertScale(p, l, scale);
    drawBox(p, l.plotArea, m_s.plotAreaAppearance, m_s.plotAreaBorderStyle, m_s.plotAreaShadowSize,
            toQColor(m_s.plotAreaBackColor));
    p.restore();

    p.save();
    p.setClipRect(l.plot);
    const bool pictureKind =
        m_s.graphKind == nbgrGraphKindCircleGraph || m_s.graphKind == nbgrGraphKindDigitalGraph;
    if (!pictureKind || m_s.overlay)
        paintGrid(p, l.plot);
    p.restore();
}

void Orvex32Renderer::paintHorzScale(QPainter &p, const Orvex32Layout &l) const
{
    const QRect &plot = l.plot;
    const QRect &scale = l.horzScale;
    if (scale.isEmpty())
        return;
    const int splits = std::max<int>(1, m_s.horzScaleSplitCount);
    const int subs = std::max<int>(1, m_s.horzScaleSubSplitCount);
    const QColor lineColor = toQColor(m_s.horzScaleLineColor);
    const int w = plot.width();
    for (const Tick &t : ticks(w, splits, subs))
        p.fillRect(QRect(plot.x() + t.at, scale.y(), 1, t.major ? 6 : 3), lineColor);
    const QFont font = drawingFont(m_s.horzScaleFont);
    p.setFont(font);
    p.setPen(toQColor(m_s.horzScaleForeColor));
    const bool centred = m_s.horzScaleLabelPos == nbgrScaleCenter;
    const int flags = (centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop;
    for (const auto &[x, text] : horzScaleLabelsShown(plot))
        drawTextAt(p, x, scale.y() + 7, flags, text);
}

QList<QPair<int, QString>> Orvex32Renderer::horzScaleLabelsShown(const QRect &plot) const
{
    const int splits = std::max<int>(1, m_s.horzScaleSplitCount);
    const int w = plot.width();
    const bool centred = m_s.horzScaleLabelPos == nbgrScaleCenter;
    const QFontMetrics fm(drawingFont(m_s.horzScaleFont));
    const int count = horzScaleLabelCount();
    // Labels grow towards the end of the scale: the widest of the first,
    // middle and last ones sets the stride; the gap is one digit wide.
    int extent = 0;
    for (int j : {0, count / 2, count - 1})
        extent = std::max(extent, fm.horizontalAdvance(horzScaleLabel(j)));
    extent += fm.horizontalAdvance(QLatin1Char('0'));
    QList<int> positions(count);
    for (int j = 0; j < count; ++j)
        positions[j] = plot.x() + int((centred ? j + 0.5 : j) * w / splits);
    QList<QPair<int, QString>> shown;
    int end = std::numeric_limits<int>::min();
    for (int j : thinned(positions, extent, w)) {
        const QString text = horzScaleLabel(j);
        const int width = fm.horizontalAdvance(text);
        const int left = centred ? positions[j] - width / 2 : positions[j];
        if (left <= end)
            continue; // a label wider than the others would touch its neighbour
        shown.append({positions[j], text});
        end = left + width;
    }
    return shown;
}

void Orvex32Renderer::paintVertScale(QPainter &p, const Orvex32Layout &l,
                                     const Orvex32Layout::VertScale &scale) const
{
    const QRect &plot = l.plot;
    const QRect &r = scale.rect;
    if (r.isEmpty() || graphCount() == 0)
        return;
    const int graph = scale.graph < 0 ? 0 : scale.graph;
    const GraphSettings &gs = m_graphs[graph];
    const QColor color =
        scale.graph < 0 ? toQColor(m_s.vertScaleForeColor) : toQColor(gs.graphColor);
    const int splits = std::max<int>(1, m_s.vertScaleSplitCount);
    const int subs = std::max<int>(1, m_s.vertScaleSubSplitCount);
    const int h = plot.height();
    const int bottom = bottomOf(plot);
    // The scale's axis on the side of the plot; the one next to the plot
    // shares the plot area's border.
    const int axis = scale.left ? rightOf(r) - 1 : r.x();
    const bool adjacent = scale.left ? rightOf(r) == l.plotArea.x() : r.x() == rightOf(l.plotArea);
    if (!adjacent)
        p.fillRect(QRect(axis, plot.y(), 1, h + 1), color);
    for (const Tick &t : ticks(h, splits, subs)) {
        const int len = t.major ? 6 : 3;
        p.fillRect(QRect(scale.left ? axis - len + 1 : axis, bottom - t.at, len, 1), color);
    }
    const QFont font = drawingFont(m_s.vertScaleFont);
    p.setFont(font);
    p.setPen(color);
    const int decimals = vertScaleDecimals(gs.lowValue, gs.highValue, splits);
    QList<int> positions(splits + 1);
    for (int j = 0; j <= splits; ++j)
        positions[j] = int(double(j) * h / splits); // upwards from the bottom
    for (int j : thinned(positions, QFontMetrics(font).height(), h)) {
        const int y = bottom - positions[j];
        const QString text =
            formatValue(gs.lowValue + (gs.highValue - gs.lowValue) / splits * j, decimals);
        if (scale.left)
            drawTextAt(p, axis - 7, y, Qt::AlignRight | Qt::AlignVCenter, text);
        else
            drawTextAt(p, axis + 7, y, Qt::AlignLeft | Qt::AlignVCenter, text);
    }
}

void Orvex32Renderer::paintGrid(QPainter &p, const QRect &plot) const
{
    const int w = plot.width(), h = plot.height();
    if (m_s.plotAreaVertScaleLine != nbgrLineKindNothing) {
        QPen pen(toQColor(m_s.plotAreaVertScaleLineColor), 1, penStyle(m_s.plotAreaVertScaleLine));
        pen.setCosmetic(true);
        p.setPen(pen);
        for (const Tick &t : ticks(w, m_s.horzScaleSplitCount, 1)) {
            if (t.at > 0 && t.at < w)
                p.drawLine(plot.x() + t.at, plot.y(), plot.x() + t.at, bottomOf(plot));
        }
    }
    if (m_s.plotAreaHorzScaleLine != nbgrLineKindNothing) {
        QPen pen(toQColor(m_s.plotAreaHorzScaleLineColor), 1, penStyle(m_s.plotAreaHorzScaleLine));
        pen.setCosmetic(true);
        p.setPen(pen);
        for (const Tick &t : ticks(h, m_s.vertScaleSplitCount, 1)) {
            if (t.at > 0 && t.at < h)
                p.drawLine(plot.x(), bottomOf(plot) - t.at, rightOf(plot), bottomOf(plot) - t.at);
        }
    }
}

void Orvex32Renderer::paintSpanBars(QPainter &p, const QRect &plot) const
{
    const int width = std::max(1, m_s.spanBarWidth);
    int slot = 0;
    for (int g = 0; g < graphCount(); ++g) {
        const GraphSettings &gs = m_graphs[g];
        if (gs.spanBarShow == 0 || !isShown(g))
            continue;
        const double y1 = valueY(plot, gs, gs.spanMax);
        const double y2 = valueY(plot, gs, gs.spanMin);
        ++slot;
        if (std::isnan(y1) || std::isnan(y2))
            continue;
        const int top =
            int(std::clamp(std::min(y1, y2), double(plot.y() - 1), double(bottomOf(plot) + 1)));
        const int bottom =
            int(std::clamp(std::max(y1, y2), double(plot.y() - 1), double(bottomOf(plot) + 1)));
        const int x = rightOf(plot) - slot * (width + 2);
        p.fillRect(QRect(x, top, width, bottom - top + 1), toQColor(gs.spanBarColor));
    }
}

void Orvex32Renderer::paintGraphs(QPainter &p, const QRect &plot) const
{
    if (plot.isEmpty() || m_store.dataCount() <= 0)
        return;
    p.save();
    // The last point lies on the right edge and the low value on the bottom
    // edge: both are drawn.
    p.setClipRect(plot.adjusted(0, 0, 1, 1));
    QList<int> lines, bars, circles, digitals;
    for (int g = 0; g < graphCount(); ++g) {
        if (!isShown(g))
            continue;
        switch (kindOf(g)) {
        case nbgrGraphKindLineGraph1:
        case nbgrGraphKindLineGraph2:
            lines << g;
            break;
        case nbgrGraphKindBarGraph:
            bars << g;
            break;
        case nbgrGraphKindCircleGraph:
            circles << g;
            break;
        case nbgrGraphKindDigitalGraph:
            digitals << g;
            break;
        default:
            break;
        }
    }
    if (!bars.isEmpty())
        paintBarGraph(p, plot, bars);
    if (!circles.isEmpty())
        paintCircleGraph(p, plot, circles);
    if (!digitals.isEmpty())
        paintDigitalGraph(p, plot, digitals);
    for (int g : lines) {
        paintLineGraph(p, plot, g, kindOf(g));
        if (spanChecked(g))
            paintLineAlerts(p, plot, g, kindOf(g));
    }
    for (int g : lines)
        paintMarkers(p, plot, g, kindOf(g));
    for (int g : bars)
        paintMarkers(p, plot, g, nbgrGraphKindBarGraph);
    // The span bars stand in front, at the right edge.
    paintSpanBars(p, plot);
    p.restore();
}

// Walks the points: a flag of 0 lifts the pen, a flagged point is drawn to
// from the previous one while the pen is down. With many points per pixel
// column, each column's stretch of flagged points is drawn as its first,
// lowest, highest and last point: the strokes inside a column then cover the
// same pixels, and the strokes between columns are the same ones.
void Orvex32Renderer::paintLineGraph(QPainter &p, const QRect &plot, int graph, int kind) const
{
    const GraphSettings &gs = m_graphs[graph];
    if (gs.lineKind == nbgrLineKindNothing)
        return;
    const double range = gs.highValue - gs.lowValue;
    if (!(range > 0) || !std::isfinite(range))
        return;
    const QColor color = toQColor(gs.graphColor);
    const QPen pen = graphPen(gs, color);
    p.setPen(pen);
    // One-pixel solid lines (by far the most common) are drawn by the rule
    // of PixelLines; every other pen goes through Qt's stroker. With more
    // points than pixel columns, both are reduced per column first.
    const XMap xm = xMap(plot, kind);
    const bool pixelLine = pen.style() == Qt::SolidLine && pen.width() == 1 && xm.step < 1.0;
    // Any pen: the points a column keeps cover what all its points would.
    const bool reduce = m_reduce && xm.step < 1.0;
    PixelLines pixels(plot.adjusted(0, 0, 1, 1));

    // A wide pen through dense points: the line is drawn one pixel wide into
    // a mask (dashes scaled to the wide pen's lengths) and widened there.
    const int width = pen.width();
    std::optional<CoverageSpread> wide;
    QPainter maskPainter;
    if (reduce && width > 1) {
        wide.emplace(plot.adjusted(-width, -width, width + 1, width + 1));
        maskPainter.begin(&wide->mask());
        maskPainter.translate(-wide->area().topLeft());
        QPen thin(Qt::black, 1, pen.style());
        thin.setCosmetic(true);
        if (pen.style() != Qt::SolidLine) {
            QList<qreal> dashes = pen.dashPattern();
            for (qreal &d : dashes)
                d *= width;
            thin.setDashPattern(dashes);
        }
        maskPainter.setPen(thin);
    }

    const qint32 *flags = m_store.flags(graph).data();
    const double *values = m_store.values(graph).data();
    const qsizetype n = m_store.dataCount();
    const auto yOf = [&plot, &gs](double v) {
        return int(valueY(plot, gs, v));
    };

    QList<QPoint> run;
    run.reserve(std::min<qsizetype>(n, 4 * qsizetype(plot.width()) + 16));
    const auto endRun = [&] {
        // A single point is a pen move only: nothing to draw.
        if (run.size() >= 2) {
            if (wide) {
                maskPainter.drawPolyline(run.constData(), int(run.size()));
            } else if (pixelLine) {
                for (qsizetype i = 1; i < run.size(); ++i)
                    pixels.add(run[i - 1], run[i]);
            } else {
                p.drawPolyline(run.constData(), int(run.size()));
            }
        }
        run.clear();
    };

    if (!reduce) {
        for (qsizetype k = 0; k < n; ++k) {
            const double v = values[k];
            if (flags[k] == 0 || std::isnan(v))
                endRun();
            else
                run.append(QPoint(xm.x(k), yOf(v)));
        }
        endRun();
        pixels.paint(p, color);
        return;
    }

    qsizetype k = 0;
    while (k < n) {
        const int x = xm.x(k);
        // The first point of the next column: guessed, then made exact.
        qsizetype end = std::clamp<qsizetype>(
            qsizetype(std::ceil((x + 1 - xm.base) / xm.step - xm.offset)), k + 1, n);
        while (end < n && xm.x(end) <= x)
            ++end;
        while (end > k + 1 && xm.x(end - 1) > x)
            --end;

        // The stretches of flagged points in this column.
        qsizetype count = 0, firstAt = 0, minAt = 0, maxAt = 0, lastAt = 0;
        double firstV = 0, minV = 0, maxV = 0, lastV = 0;
        const auto flush = [&] {
            if (count == 0)
                return;
            const std::pair<qsizetype, double> items[4] = {
                {firstAt, firstV},
                {std::min(minAt, maxAt), minAt < maxAt ? minV : maxV},
                {std::max(minAt, maxAt), minAt < maxAt ? maxV : minV},
                {lastAt, lastV}};
            qsizetype previous = -1;
            for (const auto &[at, v] : items) {
                if (at == previous)
                    continue;
                previous = at;
                run.append(QPoint(x, yOf(v)));
            }
            count = 0;
        };
        for (qsizetype i = k; i < end; ++i) {
            const double v = values[i];
            if (flags[i] == 0 || std::isnan(v)) {
                flush();
                endRun();
                continue;
            }
            if (count == 0) {
                firstAt = minAt = maxAt = i;
                firstV = minV = maxV = v;
            } else if (v < minV) {
                minV = v;
                minAt = i;
            } else if (v > maxV) {
                maxV = v;
                maxAt = i;
            }
            lastAt = i;
            lastV = v;
            ++count;
        }
        flush();
        k = end;
    }
    endRun();
    pixels.paint(p, color);
    if (wide) {
        maskPainter.end();
        wide->paint(p, penKernel(width), QPoint(-(width - 1) / 2, -(width - 1) / 2), color);
    }
}

// With the span check on, the strokes to and from points outside the span
// are drawn again in the alert colour.
void Orvex32Renderer::paintLineAlerts(QPainter &p, const QRect &plot, int graph, int kind) const
{
    const GraphSettings &gs = m_graphs[graph];
    if (gs.lineKind == nbgrLineKindNothing)
        return;
    const QColor color = toQColor(gs.graphAlertColor);
    const QPen pen = graphPen(gs, color);
    p.setPen(pen);
    const XMap xm = xMap(plot, kind);
    const bool pixelLine = pen.style() == Qt::SolidLine && pen.width() == 1 && xm.step < 1.0;
    PixelLines pixels(plot.adjusted(0, 0, 1, 1));
    const auto flags = m_store.flags(graph);
    const auto values = m_store.values(graph);
    for (qsizetype k = 1; k < qsizetype(flags.size()); ++k) {
        if (!flags[k] || !flags[k - 1])
            continue;
        if (!outOfSpan(graph, values[k]) && !outOfSpan(graph, values[k - 1]))
            continue;
        const double y0 = valueY(plot, gs, values[k - 1]);
        const double y1 = valueY(plot, gs, values[k]);
        if (std::isnan(y0) || std::isnan(y1))
            continue;
        const QPoint a(xm.x(k - 1), int(y0)), b(xm.x(k), int(y1));
        if (pixelLine)
            pixels.add(a, b);
        else
            p.drawLine(a, b);
    }
    pixels.paint(p, color);
}

void Orvex32Renderer::paintMarkers(QPainter &p, const QRect &plot, int graph, int kind) const
{
    const GraphSettings &gs = m_graphs[graph];
    const int markerKind = gs.markerKind;
    if (markerKind == 0 || markerText(markerKind, 0, 0).isEmpty())
        return;
    const QFont font = drawingFont(m_s.markerFont);
    const QFontMetrics fm(font);
    p.setFont(font);
    const QColor color = toQColor(gs.markerColor);
    p.setPen(color);
    const bool withValue = markerKind >= 11;
    const bool glyph = markerKind != 11;
    const QString glyphText =
        markerText(glyph ? (markerKind > 11 ? markerKind - 11 : markerKind) : 0, 0, 0);
    const int glyphWidth = glyph ? fm.horizontalAdvance(glyphText) : 0;
    // The baseline that centres a line of text on a point.
    const int centreBaseline = (fm.ascent() - fm.descent()) / 2;
    const int reach = fm.height() + 4;
    const auto flags = m_store.flags(graph);
    const auto values = m_store.values(graph);
    const qsizetype n = flags.size();

    // Dense points: glyphs through the stamp, and only values that clear the
    // one drawn before them (more would only be ink on ink).
    const bool dense = m_reduce && n > 2 * qsizetype(std::max(1, plot.width()));
    std::optional<CoverageSpread> stamp;
    QImage glyphKernel;
    QPoint glyphOrigin;
    if (dense && glyph) {
        const QRect ink = fm.boundingRect(glyphText).adjusted(-2, -2, 2, 2);
        QImage image(ink.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter glyphPainter(&image);
        glyphPainter.setFont(font);
        glyphPainter.setPen(Qt::black);
        glyphPainter.drawText(-ink.topLeft(), glyphText);
        glyphPainter.end();
        glyphKernel = image.convertToFormat(QImage::Format_Alpha8);
        glyphOrigin = QPoint(-glyphWidth / 2 + ink.left(), centreBaseline + ink.top());
        stamp.emplace(
            QRect(plot.x() - 1, plot.y() - reach, plot.width() + 2, plot.height() + 2 * reach + 1));
    }
    const XMap xm = xMap(plot, kind);
    int nextValueX = std::numeric_limits<int>::min();
    const int valueGap = fm.horizontalAdvance(QLatin1Char(' '));
    for (qsizetype k = 0; k < n; ++k) {
        if (!flags[k])
            continue;
        const double yv = valueY(plot, gs, values[k]);
        if (std::isnan(yv) || yv < plot.y() - reach || yv > bottomOf(plot) + reach)
            continue;
        const int x = xm.x(k);
        const int y = int(yv);
        if (stamp)
            stamp->mark(x, y);
        else if (glyph)
            p.drawText(QPoint(x - glyphWidth / 2, y + centreBaseline), glyphText);
        if (withValue && !(dense && x < nextValueX)) {
            const QString text = formatValue(values[k], gs.decimalPoint);
            const int w = fm.horizontalAdvance(text);
            nextValueX = x + w + valueGap;
            if (glyph) // the value above its marker
                p.drawText(QPoint(x - w / 2, y - fm.height() / 2 - fm.descent()), text);
            else
                p.drawText(QPoint(x - w / 2, y + centreBaseline), text);
        }
    }
    if (stamp)
        stamp->paint(p, glyphKernel, glyphOrigin, color);
}

void Orvex32Renderer::paintBarGraph(QPainter &p, const QRect &plot, const QList<int> &graphs) const
{
    const qsizetype n = m_store.dataCount();
    const double slot = double(plot.width()) / double(n);
    const int count = int(graphs.size());
    for (int b = 0; b < count; ++b) {
        const int g = graphs[b];
        const GraphSettings &gs = m_graphs[g];
        // Bars grow from zero, or from the edge nearer to it.
        double base = bottomOf(plot);
        if (gs.highValue <= 0)
            base = plot.y();
        else if (gs.lowValue < 0)
            base = valueY(plot, gs, 0.0);
        const auto flags = m_store.flags(g);
        const auto values = m_store.values(g);
        const QColor color = toQColor(gs.graphColor);
        const QColor alert = toQColor(gs.graphAlertColor);
        for (qsizetype k = 0; k < n; ++k) {
            if (!flags[k])
                continue;
            const double y = valueY(plot, gs, values[k]);
            if (std::isnan(y))
                continue;
            const int left = plot.x() + int(double(k) * slot);
            const int right = plot.x() + int(double(k + 1) * slot);
            const int slotWidth = std::max(1, right - left);
            const int group = std::max(count, slotWidth * 4 / 5);
            const int barWidth = std::max(1, group / count);
            const int x = left + (slotWidth - barWidth * count) / 2 + b * barWidth;
            const double clampedY = std::clamp(y, double(plot.y() - 1), double(bottomOf(plot) + 1));
            const int top = int(std::min(clampedY, base));
            const int bottom = int(std::max(clampedY, base));
            const QRect bar(x, top, barWidth, bottom - top + 1);
            p.fillRect(bar, outOfSpan(g, values[k]) ? alert : color);
            if (barWidth >= 5)
                frameRing(p, bar, color.darker(150), color.darker(150));
        }
    }
}

void Orvex32Renderer::paintCircleGraph(QPainter &p, const QRect &plot,
                                       const QList<int> &graphs) const
{
    // One value per graph (the first point) as a slice of the whole.
    double total = 0;
    for (int g : graphs) {
        if (m_store.flag(g, 0) && m_store.value(g, 0) > 0 && std::isfinite(m_store.value(g, 0)))
            total += m_store.value(g, 0);
    }
    if (!(total > 0) || !std::isfinite(total))
        return;
    const QFont font = drawingFont(m_s.markerFont);
    const QFontMetrics fm(font);
    const int side = std::min(plot.width(), plot.height()) - 2 * (fm.height() + 8);
    if (side <= 4)
        return;
    const QRectF pie(plot.x() + (plot.width() - side) / 2.0,
                     plot.y() + (plot.height() - side) / 2.0, side, side);
    p.save();
    p.setRenderHint(QPainter::Antialiasing, true);
    double angle = 90.0; // from twelve o'clock, clockwise
    for (int g : graphs) {
        const double v = m_store.value(g, 0);
        if (!m_store.flag(g, 0) || !(v > 0) || !std::isfinite(v))
            continue;
        const GraphSettings &gs = m_graphs[g];
        const double span = -v / total * 360.0;
        p.setPen(QPen(BorderColor, 1));
        p.setBrush(toQColor(outOfSpan(g, v) ? gs.graphAlertColor : gs.graphColor));
        p.drawPie(pie, int(std::lround(angle * 16)), int(std::lround(span * 16)));
        const QString text = markerText(gs.markerKind, v, gs.decimalPoint);
        if (!text.isEmpty()) {
            const double mid = (angle + span / 2) * M_PI / 180.0;
            const double r = side / 2.0 + fm.height() / 2.0 + 4;
            const QPointF c = pie.center() + QPointF(std::cos(mid) * r, -std::sin(mid) * r);
            p.setFont(font);
            p.setPen(toQColor(gs.markerColor));
            drawTextAt(p, int(c.x()), int(c.y()), Qt::AlignCenter, text);
        }
        angle += span;
    }
    p.restore();
}

void Orvex32Renderer::paintDigitalGraph(QPainter &p, const QRect &plot,
                                        const QList<int> &graphs) const
{
    // One panel per graph showing its value (the first point) in large digits.
    const int count = int(graphs.size());
    const int cols = int(std::ceil(std::sqrt(double(count))));
    const int rows = (count + cols - 1) / cols;
    const int gap = 4;
    const int cw = (plot.width() - gap * (cols + 1)) / cols;
    const int ch = (plot.height() - gap * (rows + 1)) / rows;
    if (cw <= 4 || ch <= 4)
        return;
    const QFont nameFont = drawingFont(m_s.introShortNameFont);
    const QFont unitFont = drawingFont(m_s.introUnitFont);
    for (int i = 0; i < count; ++i) {
        const int g = graphs[i];
        const GraphSettings &gs = m_graphs[g];
        const QRect cell(plot.x() + gap + (i % cols) * (cw + gap),
                         plot.y() + gap + (i / cols) * (ch + gap), cw, ch);
        const bool flagged = m_store.flag(g, 0) != 0;
        const double v = m_store.value(g, 0);
        p.fillRect(cell, toQColor(flagged && outOfSpan(g, v) ? gs.graphAlertColor
                                                             : m_s.plotAreaBackColor));
        frameRing(p, cell, toQColor(m_s.plotAreaHorzScaleLineColor),
                  toQColor(m_s.plotAreaHorzScaleLineColor));
        p.setPen(toQColor(m_s.introForeColor));
        p.setFont(nameFont);
        p.drawText(cell.adjusted(4, 2, -4, -2), Qt::AlignLeft | Qt::AlignTop, gs.shortName);
        p.setFont(unitFont);
        p.drawText(cell.adjusted(4, 2, -4, -2), Qt::AlignRight | Qt::AlignBottom, gs.unit);
        const QString text = flagged ? formatValue(v, gs.decimalPoint) : QStringLiteral("----");
        QFont big = drawingFont(m_s.introValueFont);
        const int byHeight = ch * 2 / 5;
        const int byWidth = int(cw * 0.9 / std::max<qsizetype>(4, text.size()) * 1.6);
        big.setPixelSize(std::max(6, std::min(byHeight, byWidth)));
        p.setFont(big);
        p.setPen(toQColor(gs.graphColor));
        p.drawText(cell, Qt::AlignCenter, text);
    }
}

void Orvex32Renderer::paintSelection(QPainter &p, const QRect &plot) const
{
    const int mode = m_s.plotAreaHitCheckMode;
    const int sel = m_s.plotAreaSelectDataCount;
    if (mode != nbgrHitCheckLineDisp && mode != nbgrHitCheckOnAll)
        return;
    if (sel < 0 || sel >= m_store.dataCount() || plot.isEmpty())
        return;
    const int x = pointX(plot, m_s.graphKind, sel);
    p.save();
    p.setClipRect(plot.adjusted(0, 0, 1, 1));
    p.fillRect(QRect(x, plot.y(), 1, plot.height() + 1), SelectionColor);
    p.restore();
}
