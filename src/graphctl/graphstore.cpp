#include "graphstore.h"

#include <algorithm>
#include <new>

qint64 GraphStore::bytesFor(qint64 graphCount, qint64 dataCount)
{
    constexpr qint64 perPoint = sizeof(qint32) + sizeof(double);
    constexpr qint64 perGraph = 2 * (sizeof(QList<double>) + 32);
    return graphCount * (dataCount * perPoint + perGraph) + dataCount * qint64(sizeof(QString));
}

bool GraphStore::resize(int graphCount, int dataCount)
{
    if (graphCount < 0 || dataCount < 0 || bytesFor(graphCount, dataCount) > MaxBytes)
        return false;
    if (graphCount == this->graphCount() && dataCount == m_dataCount)
        return true;
    try {
        // Built aside and swapped in, so that a failure leaves the store as
        // it was. Graphs whose length does not change are shared, not copied.
        QList<QList<qint32>> flags = m_flags;
        QList<QList<double>> values = m_values;
        QStringList labels = m_labels;
        flags.resize(graphCount);
        values.resize(graphCount);
        for (int g = 0; g < graphCount; ++g) {
            if (flags[g].size() != dataCount)
                flags[g].resize(dataCount, 0);
            if (values[g].size() != dataCount)
                values[g].resize(dataCount, 0.0);
        }
        labels.resize(dataCount);
        m_flags.swap(flags);
        m_values.swap(values);
        m_labels.swap(labels);
    } catch (const std::bad_alloc &) {
        return false;
    }
    m_dataCount = dataCount;
    return true;
}

bool GraphStore::hasPoints(int graph) const
{
    const auto f = flags(graph);
    return std::any_of(f.begin(), f.end(), [](qint32 v) { return v != 0; });
}

void GraphStore::clear(int graph)
{
    std::ranges::fill(flags(graph), 0);
    std::ranges::fill(values(graph), 0.0);
}

void GraphStore::clearAll()
{
    for (int g = 0; g < graphCount(); ++g)
        clear(g);
}
