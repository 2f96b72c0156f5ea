#include "sim/drivepresets.h"

#include "sim/virtualdrive.h"

namespace {

bool applyOne(VirtualDrive &drive, const QString &name)
{
    DriveState &s = drive.state();
    if (name == u"default") {
        s.seed();
        drive.setProfile(VirtualDrive::Profile::Test);
        drive.setStation(0);
    } else if (name == u"test") {
        drive.setProfile(VirtualDrive::Profile::Test);
    } else if (name == u"demo") {
        // Real time at the real line speed, with an axis that moves and
        // conditions that come and go, so that the monitors have something
        // to show.
        drive.setProfile(VirtualDrive::Profile::Demo);
        s.axisWander = true;
        s.conditionCycleMs = 300000;
    } else if (name == u"empty") {
        for (int n = 600; n < 800; ++n)
            s.items.force(n, 0);
        s.clearPrograms();
    } else if (name == u"linear") {
        s.machineEntry(MachineEntry::Group::Com, 0)->value = 1;
        s.motorStringA = "LM0300-SIM";
        s.motorStringB = "SN00067890";
    } else if (name == u"japanese") {
        s.items.force(201, 0);
    } else if (name == u"no_abs") {
        s.machineEntry(MachineEntry::Group::Com, 16)->value = 0;
    } else if (name == u"plc") {
        s.plcMode = true;
    } else if (name == u"ifb100") {
        s.machineEntry(MachineEntry::Group::Com, 7)->value = 100;
    } else if (name == u"alarm") {
        s.raise({"E31", "E31 Soft limit over", false});
        s.raise({"A13", "A13 Overload", true});
    } else if (name == u"station3") {
        drive.setStation(3);
    } else if (name == u"no_params") {
        s.items.removeAll(SimItem::Kind::Parameter);
    } else if (name == u"empty_group") {
        // Group 3 (servo gains) lists nothing; the other groups are whole.
        s.items.removeAll(SimItem::Kind::Parameter, 3);
    } else if (name == u"compact") {
        // Only the named parameters: no auxiliary ones.
        QList<int> auxiliary;
        for (const SimItem *item : s.items.all()) {
            if (item->kind == SimItem::Kind::Parameter && item->english.contains("Aux"))
                auxiliary.append(item->number);
        }
        for (int n : auxiliary)
            s.items.remove(n);
    } else if (name == u"big_params") {
        for (int n = 1000; n < 1740; ++n) {
            SimItem item;
            item.number = n;
            item.group = 5;
            item.type = 'N';
            item.english = "Extra" + QByteArray::number(n);
            item.japanese = item.english;
            item.min = -999999999;
            item.max = 999999999;
            item.value = n;
            s.items.insert(item);
        }
    } else if (name == u"big_items") {
        for (int n = 1000; n < 1460; ++n) {
            SimItem item;
            item.number = n;
            item.kind = SimItem::Kind::Monitor;
            item.english = "Item" + QByteArray::number(n);
            item.japanese = item.english;
            item.writable = false;
            s.items.insert(item);
        }
    } else {
        return false;
    }
    return true;
}

} // namespace

bool DrivePresets::apply(VirtualDrive &drive, const QString &names, QString *error)
{
    const QStringList list = names.split(u'+', Qt::SkipEmptyParts);
    for (const QString &name : list) {
        if (!names.isEmpty() && !DrivePresets::names().contains(name.trimmed())) {
            if (error)
                *error = QStringLiteral("unknown preset \"%1\" (known: %2)")
                             .arg(name, DrivePresets::names().join(u", "));
            return false;
        }
    }
    for (const QString &name : list)
        applyOne(drive, name.trimmed());
    return true;
}

QStringList DrivePresets::names()
{
    return {QStringLiteral("default"),     QStringLiteral("test"),     QStringLiteral("demo"),
            QStringLiteral("empty"),       QStringLiteral("linear"),   QStringLiteral("japanese"),
            QStringLiteral("no_abs"),      QStringLiteral("plc"),      QStringLiteral("ifb100"),
            QStringLiteral("alarm"),       QStringLiteral("station3"), QStringLiteral("no_params"),
            QStringLiteral("empty_group"), QStringLiteral("compact"),  QStringLiteral("big_params"),
            QStringLiteral("big_items")};
}
