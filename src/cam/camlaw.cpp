#include "camlaw.h"

#include <cmath>

namespace {

constexpr double halfPi = M_PI / 2.0;
constexpr double twoOverPi = 2.0 / M_PI;

// The shapes of a segment of unit amplitude over u in 0 … 1: acceleration,
// its first and second integral over u.
enum class Shape { Zero, SineRise, Flat, CosineFall };

struct Integrals
{
    double g = 0;
    double g1 = 0;
    double g2 = 0;
};

Integrals shapeAt(Shape shape, double u)
{
    switch (shape) {
    case Shape::Zero:
        return {};
    case Shape::SineRise:
        return {std::sin(halfPi * u), twoOverPi * (1.0 - std::cos(halfPi * u)),
                twoOverPi * (u - twoOverPi * std::sin(halfPi * u))};
    case Shape::Flat:
        return {1.0, u, u * u / 2.0};
    case Shape::CosineFall:
        return {std::cos(halfPi * u), twoOverPi * std::sin(halfPi * u),
                twoOverPi * twoOverPi * (1.0 - std::cos(halfPi * u))};
    }
    return {};
}

constexpr Shape shapes[7] = {Shape::SineRise, Shape::Flat, Shape::CosineFall, Shape::Zero,
                             Shape::SineRise, Shape::Flat, Shape::CosineFall};

qint32 rounded(double value)
{
    return qint32(std::lround(value));
}

} // namespace

CamLaw::Times CamLaw::defaultTimes()
{
    return {0.0, 0.125, 0.375, 0.5, 0.5, 0.625, 0.875, 1.0, 0.0, 1.0};
}

bool CamLaw::isValid(const Times &times)
{
    for (double t : times) {
        if (!std::isfinite(t))
            return false;
    }
    if (times[T0] != 0.0 || times[T7] != 1.0)
        return false;
    for (int i = T0; i < T7; ++i) {
        if (times[i + 1] < times[i])
            return false;
    }
    return times[T3] > 0.0 && times[T4] < 1.0 && times[Tcs] >= 0.0 && times[Tcs] < times[Tce] &&
           times[Tce] <= 1.0;
}

std::optional<CamLaw> CamLaw::fromTimes(const Times &times)
{
    if (!isValid(times))
        return std::nullopt;
    return CamLaw(times);
}

CamLaw::CamLaw(const Times &times)
    : m_times(times)
{
    // The areas under the unit accelerating and decelerating halves; the
    // amplitudes that make each area 1 bring the velocity to 1 and back to 0.
    const auto area = [&](int from) {
        return twoOverPi * (times[from + 1] - times[from]) + (times[from + 2] - times[from + 1]) +
               twoOverPi * (times[from + 3] - times[from + 2]);
    };
    m_accel = 1.0 / area(T0);
    m_decel = 1.0 / area(T4);
    m_scale = 1.0;
    m_scale = 1.0 / rise(1.0).y;
}

CamLaw::State CamLaw::rise(double t) const
{
    State state;
    for (int segment = 0; segment < 7; ++segment) {
        const double start = m_times[segment];
        const double length = m_times[segment + 1] - start;
        const double amplitude = segment < 3 ? m_accel : (segment == 3 ? 0.0 : -m_decel);
        if (length <= 0.0)
            continue;
        const bool inside = t < start + length || segment == 6;
        const double u = inside ? qBound(0.0, (t - start) / length, 1.0) : 1.0;
        const Integrals g = shapeAt(shapes[segment], u);
        const State end{state.y + state.v * length * u + amplitude * length * length * g.g2,
                        state.v + amplitude * length * g.g1, amplitude * g.g};
        if (inside)
            return {end.y * m_scale, end.v * m_scale, end.a * m_scale};
        state = end;
    }
    return {state.y * m_scale, state.v * m_scale, 0.0};
}

CamLaw::State CamLaw::at(double x) const
{
    const double start = m_times[Tcs];
    const double width = m_times[Tce] - start;
    if (x <= start)
        return {};
    if (x >= m_times[Tce])
        return {1.0, 0.0, 0.0};
    const State r = rise((x - start) / width);
    return {r.y, r.v / width, r.a / (width * width)};
}

double CamLaw::position(double x) const
{
    return at(x).y;
}

double CamLaw::velocity(double x) const
{
    return at(x).v;
}

double CamLaw::acceleration(double x) const
{
    return at(x).a;
}

CamProfile CamLaw::profile() const
{
    CamProfile profile;
    for (int k = 0; k < CamProfile::PointCount; ++k)
        profile.points[k] =
            rounded(position(double(k) / CamProfile::LastPoint) * CamProfile::PositionScale);
    profile.points[CamProfile::LastPoint] = rounded(CamProfile::PositionScale);
    // The extremes of the law: the velocity peaks at 1 over the rise before
    // scaling; the accelerations peak at A and −D.
    const double width = m_times[Tce] - m_times[Tcs];
    const double vMax = m_scale / width;
    const double aMax = m_scale * m_accel / (width * width);
    const double aMin = -m_scale * m_decel / (width * width);
    const auto scaled = [](double value, double unit) {
        return quint32(rounded(value * unit));
    };
    profile.values = {1,
                      UniversalType,
                      quint32(CamProfile::PointCount),
                      0,
                      0,
                      scaled(1.0, CamProfile::PositionScale),
                      scaled(velocity(0.0), CamProfile::PositionScale),
                      scaled(velocity(1.0), CamProfile::PositionScale),
                      scaled(vMax, CamProfile::PositionScale),
                      0,
                      scaled(aMax, CamProfile::AccelerationScale),
                      scaled(aMin, CamProfile::AccelerationScale)};
    return profile;
}
