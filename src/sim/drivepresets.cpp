#include "sim/drivepresets.h"

#include "sim/camfamily.h"
#include "sim/virtualdrive.h"

namespace {

// Every kind of user data at its fullest: twenty programs, both tables of
// both index kinds, all sixteen cam profiles, logic words in every I/O word, a
// characteristic table of fifteen points (the 360-entry accuracy table is
// seeded already).
void loadFully(DriveState &s)
{
    s.clearPrograms();
    for (int k = 0; k < 20; ++k) {
        const QByteArray n = QByteArray::number(k * 4);
        s.setProgram(k * 4, quint16(k % 4),
                     {"'full program " + n, "SPD " + QByteArray::number(100 + k), "ACC 50 'ramp",
                      "MOV " + QByteArray::number(1000 * (k + 1)) + " 'out",
                      "TIM " + QByteArray::number(10 * k), "MOV 0 'home", "END"});
    }
    for (int t = 0; t < 2; ++t) {
        QList<qint32> index;
        QList<qint32> division;
        for (int i = 0; i < 16 + 8 * t; ++i) {
            index.append((i * 7 + t) % 11 - 5);
            division.append(i * (360000 / (16 + 8 * t)));
        }
        s.indexTables[t] = {true, index};
        s.divisionTables[t] = {true, division};
    }
    CamFamily::fill(s);
    for (int w = 0; w < DiscreteIo::words(s.io.inputCount); ++w)
        s.io.inputLogic[w] = quint16(0x1234 + 0x1111 * w);
    for (int w = 0; w < DiscreteIo::words(s.io.outputCount); ++w)
        s.io.outputLogic[w] = quint16(0xA5A5 ^ (0x0101 * w));
    QList<std::pair<qint16, qint16>> curve;
    for (int p = 0; p < 15; ++p)
        curve.append({qint16(p * 100), qint16(p * 250 - p * p * 5)});
    s.characteristicTables[0] = curve;
}

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
        s.io.inputCycleMs = 1000;
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
    } else if (name == u"io12x8") {
        s.io.inputCount = 12;
        s.io.outputCount = 8;
    } else if (name == u"io40") {
        s.io.inputCount = 40;
        s.io.outputCount = 24;
    } else if (name == u"io256") {
        s.io.inputCount = 256;
        s.io.outputCount = 256;
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
    } else if (name == u"full") {
        loadFully(s);
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
            QStringLiteral("big_items"),   QStringLiteral("io12x8"),   QStringLiteral("io40"),
            QStringLiteral("io256"),       QStringLiteral("full")};
}
