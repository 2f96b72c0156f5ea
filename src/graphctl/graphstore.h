#pragma once

#include "orvex32global.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <span>

// The samples behind the graphs: graphCount × dataCount points, each a
// 32-bit flag (0 = no sample, the pen lifts there) and a value, and one
// horizontal label per point position. The points of one graph lie
// contiguously in point order. Resizing keeps every point and label whose
// graph and position survive; new points have flag 0 and value 0.
class ORVEX32_EXPORT GraphStore
{
public:
    // Beyond this many bytes in all the store refuses to grow (the control
    // reports it as out of memory rather than exhausting the machine).
    static constexpr qint64 MaxBytes = qint64(1) << 30;
    // What a size costs: every point's flag and value, every position's
    // label and every graph's lists.
    static qint64 bytesFor(qint64 graphCount, qint64 dataCount);

    GraphStore() = default;
    GraphStore(int graphCount, int dataCount) { resize(graphCount, dataCount); }

    int graphCount() const { return int(m_flags.size()); }
    int dataCount() const { return m_dataCount; }

    // False (and nothing changed) when the size is refused or memory fails.
    bool resize(int graphCount, int dataCount);

    const QStringList &labels() const { return m_labels; }
    QString label(int index) const { return m_labels[index]; }
    void setLabel(int index, const QString &text) { m_labels[index] = text; }

    qint32 flag(int graph, int index) const { return m_flags[graph][index]; }
    double value(int graph, int index) const { return m_values[graph][index]; }
    void setFlag(int graph, int index, qint32 flag) { m_flags[graph][index] = flag; }
    void setValue(int graph, int index, double value) { m_values[graph][index] = value; }

    std::span<const qint32> flags(int graph) const
    {
        return {m_flags[graph].constData(), size_t(m_dataCount)};
    }
    std::span<const double> values(int graph) const
    {
        return {m_values[graph].constData(), size_t(m_dataCount)};
    }
    std::span<qint32> flags(int graph) { return {m_flags[graph].data(), size_t(m_dataCount)}; }
    std::span<double> values(int graph) { return {m_values[graph].data(), size_t(m_dataCount)}; }

    // True when the graph has at least one flagged point.
    bool hasPoints(int graph) const;
    // Flag 0 and value 0 for every point of one graph.
    void clear(int graph);
    void clearAll();

private:
    QList<QList<qint32>> m_flags;
    QList<QList<double>> m_values;
    QStringList m_labels;
    int m_dataCount = 0;
};
