#include "graphstore.h"

#include <algorithm>
#include <new>

bool GraphStore::resize(int graphCount, int dataCount)
{
    if (graphCount < 0 || dataCount < 0 || qint64(graphCount) * dataCount > MaxPoints)
        return false;
    try {
        QList<QList<qint32>> flags = m_flags;
        QList<QList<double>> values = m_values;
        flags.resize(graphCount);
        values.resize(graphCount);
        for (int g = 0; g < graphCount; ++g) {
            flags[g].resize(dataCount, 0);
            values[g].resize(dataCount, 0.0);
        }
        m_flags.swap(flags);
        m_values.swap(values);
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
