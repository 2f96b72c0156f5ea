#include "accuracygraph.h"

#include <QtGlobal>

namespace AccuracyGraph {

QList<double> points(const QByteArrayList &entries)
{
    QList<double> values;
    values.reserve(entries.size() + 1);
    for (const QByteArray &entry : entries)
        values.append(entry.trimmed().toDouble());
    if (!values.isEmpty())
        values.append(values.first());
    return values;
}

int scale(const QByteArrayList &entries)
{
    double largest = 0;
    for (const double value : points(entries))
        largest = qMax(largest, qAbs(value));
    if (largest <= 50)
        return 50;
    return largest <= 100 ? 100 : 200;
}

} // namespace AccuracyGraph
