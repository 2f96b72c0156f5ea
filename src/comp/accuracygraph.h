#pragma once

#include <QByteArrayList>
#include <QList>

// What the "Abs Acc Comp Graph" plots: the entries against the point number
// and entry 0 once more at the end, so that the curve closes over the
// revolution; and the vertical scale that holds them all.
namespace AccuracyGraph {

// size + 1 values: entries 0 … size−1, then entry 0 again. Nothing past the
// table is read; an entry that is not a number counts as 0.
QList<double> points(const QByteArrayList &entries);
// 50 when every entry lies within ±50, 100 within ±100, else 200.
int scale(const QByteArrayList &entries);

} // namespace AccuracyGraph
