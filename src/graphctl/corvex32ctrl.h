#pragma once

#include "dorvex32.h"
#include "graphstore.h"
#include "orvex32error.h"
#include "orvex32layout.h"
#include "orvex32renderer.h"
#include "orvex32settings.h"

#include <QStringList>
#include <QVariantMap>
#include <QWidget>

#include <array>
#include <span>

// The Orvex32 graph control: line, bar, circle and digital graphs of
// GraphCount series of DataCount points each, with caption, legend and
// scales.
//
// Hosts use it in two ways:
// - the typed interface below: one getter and one setter per property
//   (caption() / setCaption(), graphColor(i) / setGraphColor(i, c), …),
//   setArrayData() with spans, the methods;
// - the dispatch interface (DOrvex32): invoke() by dispatch id or name with
//   QVariant arguments.
// Both check their arguments the same way and raise Orvex32Error.
//
// Creating it from a dialog's initial properties:
//     auto *graph = new COrvex32Ctrl(catalogue.graphInit(dialog, control), parent);
// Feeding a record:
//     graph->setArrayData(0, 0, 0, n, flags, values);
// Colours are OLE colours (0x00BBGGRR); see Orvex32::toQColor().
class ORVEX32_EXPORT COrvex32Ctrl : public QWidget, public DOrvex32
{
    Q_OBJECT

public:
    explicit COrvex32Ctrl(QWidget *parent = nullptr);
    // A control loaded from a property bag (see loadProperties()).
    explicit COrvex32Ctrl(const QVariantMap &properties, QWidget *parent = nullptr);
    ~COrvex32Ctrl() override;

    // --- Simple properties -------------------------------------------------
#define ORVEX32_DECLARE_SIMPLE(id, Name, member, CppType, vt, en, def)                             \
    CppType member() const                                                                         \
    {                                                                                              \
        return m_settings.member;                                                                  \
    }                                                                                              \
    void set##Name(const CppType &value);
    ORVEX32_SIMPLE_PROPERTIES(ORVEX32_DECLARE_SIMPLE)
#undef ORVEX32_DECLARE_SIMPLE

    // --- Per-graph properties (graph 0 … GraphCount−1) ---------------------
#define ORVEX32_DECLARE_GRAPH(id, Name, member, CppType, vt, in, it, suffix, err)                  \
    CppType member(int graph) const;                                                               \
    void set##Name(int graph, const CppType &value);
    ORVEX32_GRAPH_PROPERTIES(ORVEX32_DECLARE_GRAPH)
#undef ORVEX32_DECLARE_GRAPH

    // HighValue and LowValue together, so that a range can move past the
    // old one in one step (raises 1010 unless high > low).
    void setValueRange(int graph, double low, double high);

    // --- Samples and labels -------------------------------------------------
    double data(int graph, int index) const;
    void setData(int graph, int index, double value);
    bool dataFlag(int graph, int index) const;
    void setDataFlag(int graph, int index, bool flag);
    QString label(int index) const;
    void setLabel(int index, const QString &text);

    // --- Methods -----------------------------------------------------------
    void refresh();
    void aboutBox();
    // Copies count points into graph nGraph from point graphIndex on, taking
    // elements index … index+count−1 of both arrays. Raises 1006, 1007 or
    // 1008 for bad numbers; returns true.
    bool setArrayData(int graph, int graphIndex, int index, int count,
                      std::span<const qint32> flags, std::span<const double> values);
    // The same with the arrays as variants (QList<int>/QList<double> or
    // QVariantList of int/double); also raises 1005 and 1009.
    bool setArrayData(int graph, int graphIndex, int index, int count, const QVariant &flags,
                      const QVariant &values);
    void clearGraph(int graph);
    void clearGraphAll();
    // Draws the control into Picture; 1 when there was something to draw.
    short getImage();

    // --- Dispatch interface ------------------------------------------------
    using DOrvex32::invoke;
    QVariant invoke(int dispId, Orvex32::InvokeKind kind, const QVariantList &args = {}) override;

    // --- Persistence -------------------------------------------------------
    // Resets every persisted property to its default, then takes the bag's
    // entries in exchange order (GraphCount before the per-graph entries).
    // Entries that are refused or unknown are skipped and returned by name;
    // the rest of the bag still loads.
    QStringList loadProperties(const QVariantMap &bag);
    QVariantMap saveProperties() const;
    // The bag of a new control.
    static QVariantMap defaultProperties();

    // --- Drawing and geometry ----------------------------------------------
    const Orvex32Settings &settings() const
    {
        return m_settings;
    }
    const GraphSettings &graphSettings(int graph) const;
    const GraphStore &store() const
    {
        return m_store;
    }
    Orvex32Layout layout() const
    {
        return layoutFor(size());
    }
    Orvex32Layout layoutFor(const QSize &size) const;
    // The rectangle the graphs are drawn in, at the current size.
    QRect plotRect() const
    {
        return layout().plot;
    }
    void paintTo(QPainter &painter, const QSize &size,
                 Orvex32Renderer::Parts parts = Orvex32Renderer::AllParts) const;
    QImage toImage(const QSize &size = QSize()) const;
    // What a left-button release at pos does (also used by the mouse).
    void clickAt(const QPoint &pos);

    QSize sizeHint() const override;

signals:
    // _DOrvex32Events::PlotAreaClick: every left-button release over the
    // control, with the selected data index afterwards (-1: none).
    void PlotAreaClick(int dataPoint);
    // Every event also as dispatch id, name and arguments, for hosts that
    // route events generically.
    void dispatchEvent(int dispId, const QString &name, const QVariantList &args);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QVariant getSimple(int dispId) const;
    void putSimple(int dispId, const QVariant &value);
    QVariant getGraph(int dispId, int graph) const;
    void putGraph(int dispId, int graph, const QVariant &value);
    void checkGraph(int graph, Orvex32Error::Number error) const;
    void checkPoint(int graph, int index, Orvex32Error::Number error) const;
    void resizeStore(int graphCount, int dataCount);
    void refreshLegendValues();
    void changed();
    void resetToDefaults();
    // One graph's saved entries, by position in Orvex32::persistedGraphOrder()
    // (nullptr: not in the set).
    using GraphEntries = std::array<const QVariant *, 17>;
    void loadGraphEntries(const GraphEntries &entries, int graph, QStringList &rejected);

    Orvex32Settings m_settings;
    QList<GraphSettings> m_graphs;
    GraphStore m_store;
};
