#include "sim/motorfamily.h"

#include "sim/drivestate.h"
#include "sim/simtext.h"

namespace {

constexpr int MaxString = 31;
constexpr int MaxPoints = 15;

QByteArray *committedString(DriveState &state, int which)
{
    switch (which) {
    case 0:
        return &state.motorStringA;
    case 1:
        return &state.motorStringB;
    case 2:
        return &state.motorStringC;
    default:
        return &state.motorStringD;
    }
}

// The machine parameter number that "PR and "PW name: for a COM entry its
// short-request address (the one "pr: reads), for the others their number.
int parameterNumber(const MachineEntry &entry)
{
    return entry.group == MachineEntry::Group::Com ? entry.slot : entry.number;
}

MachineEntry *entryByNumber(DriveState &state, int number)
{
    for (MachineEntry &m : state.machine) {
        if (parameterNumber(m) == number)
            return &m;
    }
    return nullptr;
}

bool isMainScriptEntry(const MachineEntry &entry)
{
    return entry.group != MachineEntry::Group::Adj;
}

} // namespace

void MotorFamily::seed(DriveState &state)
{
    state.characteristicTables[0] = {{0, 0}, {100, 1200}, {200, 2300}, {300, 3200}, {400, 3900}};
    state.characteristicTables[1] = {{0, 400}, {1000, 400}, {2000, 300}, {3000, 200}};
    state.characteristicTables[2] = {{0, 0}, {1500, 10}, {3000, 25}};
}

void MotorFamily::clear()
{
    m_strings.fill(std::nullopt);
    m_tables.fill(std::nullopt);
    m_values.clear();
    m_readTable = -1;
    m_readCursor = 0;
    m_writeTable = -1;
    m_writing.clear();
}

void MotorFamily::restart(DriveState &state)
{
    Q_UNUSED(state);
    clear();
}

void MotorFamily::communicationReset(DriveState &state)
{
    Q_UNUSED(state);
    clear();
}

bool MotorFamily::handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply)
{
    Q_UNUSED(depth);
    if (!command.startsWith('"'))
        return false;
    const QByteArray body = command.mid(1);
    const qsizetype colon = body.indexOf(':');
    const QByteArray name = colon < 0 ? body : body.left(colon);
    const QByteArray args = colon < 0 ? QByteArray() : body.mid(colon + 1);
    const QByteArrayList fields = args.split(':');

    if (name.size() == 4 && name.startsWith("PS") && name.at(2) >= 'A' && name.at(2) <= 'D' &&
        (name.at(3) == 'R' || name.at(3) == 'W')) {
        const int which = name.at(2) - 'A';
        if (name.at(3) == 'R') {
            *reply = SimReply::of("RS PS" + QByteArray(1, name.at(2)) + ':' +
                                  *committedString(state, which));
        } else if (colon < 0 || args.size() > MaxString || args.contains(':')) {
            *reply = SimReply::of("ERR2");
        } else {
            m_strings[which] = args;
            *reply = SimReply::of("R00");
        }
        return true;
    }
    if (name == "FROPN" || name == "FWOPN") {
        const auto table = SimText::parseDecimal(args, 0, 2);
        if (!table) {
            *reply = SimReply::of("ERR2");
        } else if (name == "FROPN") {
            m_readTable = int(*table);
            m_readCursor = 0;
            *reply = SimReply::of("RD FRO:" +
                                  QByteArray::number(state.characteristicTables[*table].size()));
        } else {
            m_writeTable = int(*table);
            m_writing.clear();
            *reply = SimReply::of("R00");
        }
        return true;
    }
    if (name == "FDRN") {
        if (m_readTable < 0) {
            *reply = SimReply::of("ERR3");
        } else if (m_readCursor < state.characteristicTables[m_readTable].size()) {
            const Point point = state.characteristicTables[m_readTable].at(m_readCursor++);
            *reply = SimReply::of("RDD FDR:" + QByteArray::number(point.first) + ':' +
                                  QByteArray::number(point.second));
        } else {
            m_readTable = -1;
            *reply = SimReply::of("R");
        }
        return true;
    }
    if (name == "FDW") {
        const auto first = SimText::parseDecimal(fields.value(0), -32768, 32767);
        const auto second = SimText::parseDecimal(fields.value(1), -32768, 32767);
        if (m_writeTable < 0)
            *reply = SimReply::of("ERR3");
        else if (fields.size() != 2 || !first || !second || m_writing.size() >= MaxPoints)
            *reply = SimReply::of("ERR2");
        else {
            m_writing.append({qint16(*first), qint16(*second)});
            *reply = SimReply::of("R00");
        }
        return true;
    }
    if (name == "FCLS") {
        if (m_writeTable < 0) {
            *reply = SimReply::of("ERR3");
        } else {
            m_tables[m_writeTable] = m_writing;
            m_writeTable = -1;
            *reply = SimReply::of("R00");
        }
        return true;
    }
    if (name == "PR" || name == "PW") {
        const auto number = SimText::parseDecimal(fields.value(0), -32768, 32767);
        MachineEntry *entry = number ? entryByNumber(state, int(*number)) : nullptr;
        if (!entry) {
            *reply = SimReply::of("ERR2");
        } else if (name == "PR") {
            *reply = SimReply::of("RD PR" + QByteArray::number(parameterNumber(*entry)) + ':' +
                                  QByteArray::number(entry->value));
        } else {
            const auto value =
                SimText::parseDecimal(fields.value(1), -2147483647LL - 1, 2147483647);
            if (fields.size() != 2 || !value) {
                *reply = SimReply::of("ERR2");
            } else {
                m_values[parameterNumber(*entry)] = qint32(*value);
                *reply = SimReply::of("R00");
            }
        }
        return true;
    }
    if (name == "REGBD" || name == "REGAD") {
        *reply = registerStaged(name == "REGBD", state);
        return true;
    }
    return false;
}

SimReply MotorFamily::registerStaged(bool mainScript, DriveState &state)
{
    if (mainScript && m_values.contains(0) && m_values.value(0) != 0 && m_values.value(0) != 1)
        return SimReply::of("ERR60");
    const int firstString = mainScript ? 0 : 2;
    for (int which = firstString; which < firstString + 2; ++which) {
        if (m_strings.at(which))
            *committedString(state, which) = *m_strings.at(which);
        m_strings[which].reset();
    }
    if (mainScript) {
        for (int t = 0; t < 3; ++t) {
            if (m_tables.at(t))
                state.characteristicTables[t] = *m_tables.at(t);
            m_tables[t].reset();
        }
    }
    for (auto it = m_values.begin(); it != m_values.end();) {
        MachineEntry *entry = entryByNumber(state, it.key());
        if (entry && isMainScriptEntry(*entry) == mainScript) {
            entry->value = it.value();
            it = m_values.erase(it);
        } else {
            ++it;
        }
    }
    return SimReply::of("R1Z :AllReset");
}
