#include "camgraph.h"

namespace {

constexpr double step = 1.0 / CamProfile::LastPoint;

QList<double> differences(const QList<double> &values)
{
    const qsizetype n = values.size();
    QList<double> result(n);
    for (qsizetype k = 0; k < n; ++k) {
        const qsizetype before = qMax<qsizetype>(0, k - 1);
        const qsizetype after = qMin(n - 1, k + 1);
        result[k] = (values.at(after) - values.at(before)) / (double(after - before) * step);
    }
    return result;
}

QString fixed(double value)
{
    return QString::asprintf("%10.6f", value);
}

} // namespace

namespace CamGraph {

QList<double> positions(const CamProfile &profile)
{
    QList<double> values;
    values.reserve(CamProfile::PointCount);
    for (qint32 point : profile.points)
        values.append(point / CamProfile::PositionScale);
    return values;
}

QList<double> velocities(const CamProfile &profile)
{
    return differences(positions(profile));
}

QList<double> accelerations(const CamProfile &profile)
{
    const QList<double> p = positions(profile);
    const qsizetype n = p.size();
    QList<double> result(n);
    for (qsizetype k = 1; k + 1 < n; ++k)
        result[k] = (p.at(k + 1) - 2.0 * p.at(k) + p.at(k - 1)) / (step * step);
    if (n > 2) {
        result[0] = result.at(1);
        result[n - 1] = result.at(n - 2);
    }
    return result;
}

QStringList readouts(const CamProfile &profile)
{
    const auto value = [&](int slot, double unit) {
        return fixed(qint32(profile.values[slot]) / unit);
    };
    return {value(CamProfile::VelAtStart, CamProfile::PositionScale),
            value(CamProfile::VelAtEnd, CamProfile::PositionScale),
            value(CamProfile::VelMax, CamProfile::PositionScale),
            value(CamProfile::VelMin, CamProfile::PositionScale),
            value(CamProfile::AccMax, CamProfile::AccelerationScale),
            value(CamProfile::AccMin, CamProfile::AccelerationScale)};
}

} // namespace CamGraph
