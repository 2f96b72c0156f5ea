#include "sim/itemstore.h"

#include "sim/simtext.h"

#include <algorithm>

namespace {

constexpr qint64 Huge = 999999999;

struct ParameterSeed
{
    int number;
    int group;
    char type;
    const char *label;
    qint32 value;
    qint64 min;
    qint64 max;
};

// The named parameters; every other number from 1 to 299 (but 200 and 217)
// is an auxiliary parameter of the group its number range belongs to.
const ParameterSeed namedParameters[] = {
    {1, 1, 'N', "ScaleNumerator", 1, 1, 999999},
    {2, 1, 'N', "ScaleDenominator", 1, 1, 999999},
    {3, 1, 'N', "ZeroOffset", 0, -Huge, Huge},
    {4, 1, 'N', "SoftLimitPlus", 999999999, -Huge, Huge},
    {5, 1, 'N', "SoftLimitMinus", -999999999, -Huge, Huge},
    {6, 1, 'N', "RolloverMode", 0, 0, 1},
    {7, 1, 'N', "PulsesPerRev", 2621440, 1, Huge},
    {8, 1, 'N', "InPositionWidth", 100, 0, 999999},
    {9, 1, 'N', "FollowErrLimit", 50000, 1, Huge},
    {10, 1, 'N', "OvertravelMode", 0, 0, 2},
    {11, 1, 'N', "MotorDirection", 0, 0, 1},
    {12, 2, 'N', "HomeDirection", 0, 0, 1},
    {13, 2, 'N', "HomeSpeed", 262144, 1, 10000000},
    {14, 2, 'N', "HomeCreepSpeed", 26214, 1, 10000000},
    {15, 2, 'N', "HomeOffset", 0, -Huge, Huge},
    {16, 2, 'N', "SearchSpeed", 131072, 1, 10000000},
    {17, 2, 'N', "SearchSignal", 0, 0, 3},
    {20, 2, 'N', "JogSpeed", 262144, 1, 10000000},
    {21, 2, 'N', "JogAccel", 100, 1, 10000},
    {29, 2, 'N', "IndexSpeed", 524288, 1, 10000000},
    {30, 2, 'N', "IndexAccel", 100, 1, 10000},
    {31, 2, 'N', "IndexDivision", 12, 1, 100},
    {32, 2, 'N', "IndexBSpeed", 524288, 1, 10000000},
    {40, 2, 'N', "DwellTime", 0, 0, 60000},
    {82, 2, 'N', "ProgStepMode", 0, 0, 1},
    {358, 2, 'N', "HomeFlagLimit", 5000, 0, 999999},
    {38, 3, 'N', "ServoRigidity", 10, 1, 30},
    {48, 3, 'N', "PosGain2B", 40, 1, 1000},
    {49, 3, 'N', "VelGain2B", 100, 1, 2000},
    {50, 3, 'N', "PosGain1", 30, 1, 1000},
    {51, 3, 'N', "VelGain1", 80, 1, 2000},
    {53, 3, 'N', "PosIntLimit", 1000, 0, 999999},
    {54, 3, 'N', "PosFeedForward", 0, 0, 100},
    {55, 3, 'N', "VelFeedForward", 0, 0, 100},
    {56, 3, 'N', "AccFeedForward", 0, 0, 100},
    {62, 3, 'N', "PosGain2", 40, 1, 1000},
    {63, 3, 'N', "VelGain2", 100, 1, 2000},
    {68, 3, 'N', "TorqueLimit", 10000, 0, 30000},
    {152, 3, 'N', "FilterSelect", 0, 0, 3},
    {153, 3, 'N', "NotchFilterHz", 500, 50, 1500},
    {154, 3, 'N', "FirstLagHz", 800, 50, 1500},
    {155, 3, 'N', "InertiaSet", 1500, 0, 999999},
    {69, 4, 'N', "VelMonGain", 3, 0, 8},
    {70, 4, 'N', "AnaMonSelect", 0, 0, 5},
    {71, 4, 'N', "AnaMonGain0", 4, 0, 8},
    {72, 4, 'N', "AnaMonGain1", 4, 0, 8},
    {73, 4, 'N', "AnaMonGain23", 7, 0, 14},
    {74, 4, 'N', "AnaMonGain45", 3, 0, 7},
    {75, 4, 'N', "VelMonSelect", 0, 0, 1},
    {199, 4, 'N', "ParamFormatVer", 3, 3, 3},
    {201, 4, 'N', "EnglishDisplay", 1, 0, 1},
    {202, 4, 'N', "CoordDirection", 0, 0, 1},
    {204, 4, 'N', "CmdPulseType", 1, 0, 2},
    {205, 4, 'N', "MonPulseType", 1, 0, 1},
    {207, 4, 'N', "ScalingWeight", 1, 1, 64},
    {208, 4, 'N', "EncoderBits", 20, 0, 32},
    {209, 4, 'N', "PolePairs", 10, 1, 64},
    {210, 4, 'N', "RatedCurrent", 60, 1, 9999},
    {212, 4, 'N', "MaxSpeed", 3000, 1, 99999},
    {213, 4, 'N', "MotorCode", 1060, 0, 65535},
    {250, 5, 'H', "FactoryTrim0", 0, -32767, 32767},
    {251, 5, 'H', "FactoryTrim1", 0, -32767, 32767},
    {252, 5, 'H', "CurOffsetU", 12, -32767, 32767},
    {253, 5, 'H', "CurOffsetV", -8, -32767, 32767},
};

struct MonitorSeed
{
    int number;
    const char *label;
    const char *japanese; // nullptr: the generic name
    qint32 value;
    bool binary;
};

const MonitorSeed monitorItems[] = {
    {217, "SerialOperation", nullptr, 1, false},   {300, "PosCommand", "ｲﾁｼﾚｲ", 0, false},
    {301, "PosFeedback", "ｲﾁｹﾞﾝｻﾞｲﾁ", 0, false},   {302, "PosDeviation", "ｲﾁﾍﾝｻ", 0, false},
    {303, "VelCommand", "ｿｸﾄﾞｼﾚｲ", 0, false},      {304, "VelFeedback", "ｿｸﾄﾞﾌｨｰﾄﾞﾊﾞｯｸ", 0, false},
    {305, "TorqueCommand", "ﾄﾙｸｼﾚｲ", 0, false},    {306, "InputBits", nullptr, 5, true},
    {307, "OutputBits", nullptr, 7, true},         {308, "StatusWord", nullptr, 0x01000013, false},
    {318, "HomeFlagPos", nullptr, 1200, false},    {319, "TestResponse", "ﾃｽﾄｵｳﾄｳ", 0, false},
    {322, "TorqueMonitor", "ﾄﾙｸﾓﾆﾀ", 0, false},    {328, "InPosition", "ｲﾁｷﾒｶﾝﾘｮｳ", 1, false},
    {356, "VelSensitivity", nullptr, 8192, false}, {365, "MotorSpeed", "ﾓｰﾀｿｸﾄﾞ", 0, false},
    {369, "FollowError", "ﾂｲｼﾞｭｳｺﾞｻ", 0, false},
};

// The group an auxiliary parameter belongs to, by its number range.
int auxiliaryGroup(int n)
{
    if (n <= 11 || (n >= 100 && n <= 139))
        return 1;
    if (n <= 47 || (n >= 76 && n <= 99))
        return 2;
    if (n <= 68 || (n >= 140 && n <= 198))
        return 3;
    if (n <= 249)
        return 4;
    return 5;
}

QByteArray auxiliaryLabel(int n, int group)
{
    switch (group) {
    case 1:
        return "MachAux" + QByteArray::number(n);
    case 2:
        return "MotionAux" + QByteArray::number(n);
    case 3:
        return "ServoAux" + QByteArray::number(n);
    case 4:
        return "SysAux" + QByteArray::number(n);
    default:
        return "TrimAux" + QByteArray::number(n);
    }
}

} // namespace

void ItemStore::seed()
{
    m_items.clear();
    const QByteArray parameterKana = SimText::halfWidthKana("ﾊﾟﾗﾒｰﾀ");
    const QByteArray monitorKana = SimText::halfWidthKana("ﾓﾆﾀ");

    for (const ParameterSeed &p : namedParameters) {
        SimItem item;
        item.number = p.number;
        item.group = p.group;
        item.type = p.type;
        item.english = p.label;
        item.japanese = parameterKana + QByteArray::number(p.number);
        item.value = p.value;
        item.min = p.min;
        item.max = p.max;
        insert(item);
    }
    // #199 is the format version of the parameter set: readable, never
    // writable. #207 takes powers of two only.
    find(199)->writable = false;
    find(201)->japanese = SimText::halfWidthKana("ｴｲｺﾞﾋｮｳｼﾞｾﾝﾀｸ");
    find(207)->allowed = {1, 2, 4, 8, 16, 32, 64};

    for (int n = 1; n <= 299; ++n) {
        if (n == 200 || n == 217 || contains(n))
            continue;
        SimItem item;
        item.number = n;
        item.group = auxiliaryGroup(n);
        item.english = auxiliaryLabel(n, item.group);
        item.japanese = parameterKana + QByteArray::number(n);
        if (item.group == 5) {
            item.type = 'H';
            item.min = -32767;
            item.max = 32767;
            item.value = (n % 7) - 3;
        } else {
            item.min = 0;
            item.max = 9999;
            item.value = (n * 37) % 1000;
        }
        insert(item);
    }

    for (const MonitorSeed &m : monitorItems) {
        SimItem item;
        item.number = m.number;
        item.kind = SimItem::Kind::Monitor;
        item.english = m.label;
        item.japanese = m.japanese ? SimText::halfWidthKana(m.japanese)
                                   : monitorKana + QByteArray::number(m.number);
        item.value = m.value;
        item.writable = false;
        item.binary = m.binary;
        insert(item);
    }

    const QByteArray pointKana = SimText::halfWidthKana("ﾎﾟｲﾝﾄ");
    const QByteArray attrKana = SimText::halfWidthKana("ｿﾞｸｾｲ");
    for (int k = 0; k < 100; ++k) {
        const QByteArray two = QByteArray::number(k).rightJustified(2, '0');
        SimItem point;
        point.number = 600 + k;
        point.kind = SimItem::Kind::Point;
        point.english = "Point" + two;
        point.japanese = pointKana + two;
        point.min = -Huge;
        point.max = Huge;
        point.value = k < 10 ? k * 10000 : 0;
        insert(point);

        SimItem attr = point;
        attr.number = 700 + k;
        attr.english = "Attr" + two;
        attr.japanese = attrKana + two;
        attr.min = 0;
        attr.max = 65535;
        attr.value = k < 10 ? 1 : 0;
        insert(attr);
    }
}

const SimItem *ItemStore::find(int number) const
{
    const auto it = m_items.constFind(number);
    return it == m_items.constEnd() ? nullptr : &*it;
}

SimItem *ItemStore::find(int number)
{
    const auto it = m_items.find(number);
    return it == m_items.end() ? nullptr : &*it;
}

void ItemStore::removeAll(SimItem::Kind kind, int group)
{
    for (auto it = m_items.begin(); it != m_items.end();) {
        if (it->kind == kind && (group == 0 || it->group == group))
            it = m_items.erase(it);
        else
            ++it;
    }
}

QList<const SimItem *> ItemStore::group(int group) const
{
    QList<const SimItem *> list;
    for (const SimItem &item : m_items) {
        if (item.kind == SimItem::Kind::Parameter && item.group == group)
            list.append(&item);
    }
    return list;
}

QList<const SimItem *> ItemStore::helpItems() const
{
    QList<const SimItem *> list;
    for (const SimItem &item : m_items) {
        if (item.kind != SimItem::Kind::Point)
            list.append(&item);
    }
    return list;
}

QList<const SimItem *> ItemStore::all() const
{
    QList<const SimItem *> list;
    for (const SimItem &item : m_items)
        list.append(&item);
    return list;
}

int ItemStore::parameterCount() const
{
    return int(std::count_if(m_items.cbegin(), m_items.cend(), [](const SimItem &item) {
        return item.kind == SimItem::Kind::Parameter;
    }));
}

ItemStore::WriteResult ItemStore::write(int number, const QByteArray &valueText)
{
    const SimItem *item = find(number);
    if (!item || !item->writable)
        return WriteResult::UnknownOrReadOnly;
    const auto value = SimText::parseDecimal(valueText, item->min, item->max);
    if (!value)
        return WriteResult::BadValue;
    return write(number, *value);
}

ItemStore::WriteResult ItemStore::write(int number, qint64 value)
{
    SimItem *item = find(number);
    if (!item || !item->writable)
        return WriteResult::UnknownOrReadOnly;
    if (value < item->min || value > item->max)
        return WriteResult::BadValue;
    if (!item->allowed.isEmpty() && !item->allowed.contains(value))
        return WriteResult::BadValue;
    item->value = qint32(value);
    return WriteResult::Accepted;
}

void ItemStore::force(int number, qint32 value)
{
    if (SimItem *item = find(number))
        item->value = value;
}
