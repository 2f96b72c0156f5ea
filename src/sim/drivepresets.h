#pragma once

#include <QString>
#include <QStringList>

class VirtualDrive;

// Named variants of the drive, combined with "+" (later names win):
// default, test, demo, empty, linear, japanese, no_abs, plc, ifb100, alarm,
// station3, no_params, empty_group, big_params, big_items, compact, io12x8,
// io40, io256, full.
class DrivePresets
{
public:
    static bool apply(VirtualDrive &drive, const QString &names, QString *error = nullptr);
    static QStringList names();
};
