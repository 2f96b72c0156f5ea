#pragma once

#include "camprofile.h"

#include <QList>
#include <QString>

// What the cam profile "Graph" plots and shows beside the plots. The
// position is the points in units of travel (2^24); velocity and
// acceleration are their first and second differences over x = k/500
// (central inside, one-sided at the ends), so that a profile from the drive
// or a file plots the same way as a computed one.
namespace CamGraph {

QList<double> positions(const CamProfile &profile);
QList<double> velocities(const CamProfile &profile);
QList<double> accelerations(const CamProfile &profile);

// The readouts Vs, Ve, Vmax, Vmin (items 13 to 16 over 2^24) and Amax, Amin
// (items 17, 18 over 2^18), each in "%10.6f"; the values are signed.
QStringList readouts(const CamProfile &profile);

} // namespace CamGraph
