#pragma once

#include "graphstore.h"
#include "orvex32layout.h"
#include "orvex32settings.h"

#include <QFlags>
#include <QStringList>

class QPainter;

// Turns the control's state into geometry and pixels: the layout of frame,
// caption, legend and graph region, and the drawing of every region and of
// the graphs of each kind. It only reads the state it is given; the settings
// and the store must outlive it, the lists are copied (they are shared).
class ORVEX32_EXPORT Orvex32Renderer
{
public:
    enum Part {
        Background = 0x01, // frame and its background
        Caption = 0x02,
        Legend = 0x04,
        GraphRegion = 0x08, // graph region, scales, plot area, grid lines, span bars
        Graphs = 0x10,      // the graphs and their markers
        Selection = 0x20,   // the selection line
        AllParts = 0x3F
    };
    Q_DECLARE_FLAGS(Parts, Part)

    Orvex32Renderer(const Orvex32Settings &settings, const QList<GraphSettings> &graphs,
                    const GraphStore &store, const QStringList &labels);

    Orvex32Layout layout(const QSize &size) const;
    void paint(QPainter &painter, const Orvex32Layout &layout, Parts parts = AllParts) const;

    // Long series are drawn one pixel column at a time as the column's
    // first, lowest, highest and last point, which gives the same picture as
    // drawing every point. Off only to prove that.
    void setColumnReduction(bool on) { m_reduce = on; }

    // The kind graph i is drawn as (overlay graphs take OverlayGraphKind).
    int kindOf(int graph) const;
    // x of data point k in plot rectangle P for a graph kind.
    int pointX(const QRect &plot, int kind, qint64 k) const;
    // y of value v of graph i; non-finite values give no position.
    static double valueY(const QRect &plot, const GraphSettings &graph, double v);
    // The data point under x (clamped to 0 … DataCount−1), -1 without points.
    int indexAt(const QRect &plot, int x) const;

    // Texts of the scales.
    QStringList horzScaleLabels() const;
    int horzScaleLabelCount() const;
    QString horzScaleLabel(int j) const;
    static QStringList vertScaleLabels(double low, double high, int splits);
    static int vertScaleDecimals(double low, double high, int splits);
    // The horizontal labels drawn under a plot (x and text): those that
    // would touch a neighbour are left out.
    QList<QPair<int, QString>> horzScaleLabelsShown(const QRect &plot) const;

    // The ticks of a scale length pixels long with splits major and subs
    // minor divisions, as offsets from its start: never more than one per
    // pixel, however many divisions there are.
    struct Tick
    {
        int at = 0;
        bool major = false;
    };
    static QList<Tick> ticks(int length, int splits, int subs);
    // Which of the labels at these increasing positions (extent pixels
    // long each along the scale) can be drawn without touching: every
    // stride-th one, the stride as small as keeps them apart.
    static QList<int> thinned(const QList<int> &positions, int extent, int length);
    // The marker text for a marker kind and value; empty when the kind draws nothing.
    static QString markerText(int markerKind, double value, int decimals);
    // A legend or marker value with its decimals.
    static QString formatValue(double value, int decimals);
    // The font as drawn on this machine: pixel size for 96 dots per inch,
    // the original family names mapped to installed ones.
    static QFont drawingFont(const QFont &font);

private:
    // Point k lies at base + trunc((k + offset) × step).
    struct XMap
    {
        int base = 0;
        double step = 0;
        double offset = 0;
        int x(qint64 k) const { return base + int((double(k) + offset) * step); }
    };
    XMap xMap(const QRect &plot, int kind) const;

    void paintFrame(QPainter &p, const Orvex32Layout &l) const;
    void paintCaption(QPainter &p, const Orvex32Layout &l) const;
    void paintLegend(QPainter &p, const Orvex32Layout &l) const;
    void paintGraphRegion(QPainter &p, const Orvex32Layout &l) const;
    void paintHorzScale(QPainter &p, const Orvex32Layout &l) const;
    void paintVertScale(QPainter &p, const Orvex32Layout &l,
                        const Orvex32Layout::VertScale &scale) const;
    void paintGrid(QPainter &p, const QRect &plot) const;
    void paintSpanBars(QPainter &p, const QRect &plot) const;
    void paintGraphs(QPainter &p, const QRect &plot) const;
    void paintLineGraph(QPainter &p, const QRect &plot, int graph, int kind) const;
    void paintLineAlerts(QPainter &p, const QRect &plot, int graph, int kind) const;
    void paintMarkers(QPainter &p, const QRect &plot, int graph, int kind) const;
    void paintBarGraph(QPainter &p, const QRect &plot, const QList<int> &graphs) const;
    void paintCircleGraph(QPainter &p, const QRect &plot, const QList<int> &graphs) const;
    void paintDigitalGraph(QPainter &p, const QRect &plot, const QList<int> &graphs) const;
    void paintSelection(QPainter &p, const QRect &plot) const;

    bool isShown(int graph) const;
    bool spanChecked(int graph) const;
    bool outOfSpan(int graph, double v) const;
    int graphCount() const;

    const Orvex32Settings &m_s;
    const QList<GraphSettings> m_graphs;
    const GraphStore &m_store;
    const QStringList m_labels;
    bool m_reduce = true;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Orvex32Renderer::Parts)
