#pragma once

#include "camprofile.h"

#include <array>
#include <optional>

// The curve law of the universal cam editor. The ten normalised times are
// T0 = 0 ≤ T1 ≤ … ≤ T7 = 1, the shape of one rise, and Tcs < Tce, where
// the rise starts and ends within the profile (a dwell at 0 before Tcs and
// at 1 after Tce).
//
// Over the rise the acceleration follows seven segments:
//   T0…T1 rises from 0 to +A along a quarter sine,
//   T1…T2 stays at +A,
//   T2…T3 falls back to 0 along a quarter cosine,
//   T3…T4 is 0 (constant velocity),
//   T4…T5 falls from 0 to −D along a quarter sine,
//   T5…T6 stays at −D,
//   T6…T7 returns to 0 along a quarter cosine.
// A and D are chosen so that the velocity is 0 at both ends and the
// position goes from 0 to 1. Velocity is continuous and the acceleration
// bounded everywhere; the acceleration itself is continuous too. The family
// holds the classic laws: T1 = T2 = 1/4, T3 = T4 = 1/2, T5 = T6 = 3/4 is the
// cycloid; 1/8, 1/8, 1/2, 1/2, 7/8, 7/8 the modified sine; 1/8, 3/8, 1/2,
// 1/2, 5/8, 7/8 the modified trapezoid; T3 < T4 adds a constant-velocity
// stretch (the modified constant-velocity laws).
//
// The profile's 501 points are the position at x = k/500 in 2^24 units,
// rounded half away from zero. Its items: Ready 1, Type 4 (universal), Size
// 501, Tag 0, the positions 0 and 2^24 at the ends, the velocities at the
// ends, the largest and smallest velocity (dy/dx, 2^24 units) and
// acceleration (d²y/dx², 2^18 units).
class CamLaw
{
public:
    enum Time { T0, T1, T2, T3, T4, T5, T6, T7, Tcs, Tce, TimeCount };
    using Times = std::array<double, TimeCount>;

    static constexpr quint32 UniversalType = 4;

    // T0 = 0, T7 = 1 and the others on the modified trapezoid, over the whole profile.
    static Times defaultTimes();
    // True when the times describe a rise: T0 = 0, T7 = 1, never falling,
    // T3 > 0, T4 < 1, 0 ≤ Tcs < Tce ≤ 1.
    static bool isValid(const Times &times);

    // Nothing for times that are not valid.
    static std::optional<CamLaw> fromTimes(const Times &times);

    // Position, velocity and acceleration at x in 0 … 1 of the profile.
    double position(double x) const;
    double velocity(double x) const;
    double acceleration(double x) const;

    CamProfile profile() const;

private:
    explicit CamLaw(const Times &times);
    struct State
    {
        double y = 0;
        double v = 0;
        double a = 0;
    };
    // The rise in its own time t (0 … 1), before scaling to a unit travel.
    State rise(double t) const;
    State at(double x) const;

    Times m_times;
    double m_accel = 0; // A
    double m_decel = 0; // D
    double m_scale = 1; // makes the travel 1
};
