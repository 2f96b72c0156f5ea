#include "sim/tablefamily.h"

#include "sim/drivestate.h"
#include "sim/simtext.h"

#include <cmath>

namespace {

bool isFunction(const QByteArray &command, const char *name)
{
    return command == name || command.startsWith(QByteArray(name) + ':');
}

QByteArray argsOf(const QByteArray &command)
{
    const qsizetype colon = command.indexOf(':');
    return colon < 0 ? QByteArray() : command.mid(colon + 1);
}

SimTable *indexTable(DriveState &state, bool typeB, int table)
{
    return typeB ? &state.divisionTables[table] : &state.indexTables[table];
}

SimReply listTables(const SimTable (&tables)[2])
{
    return SimReply::paged({"R2H :" + QByteArray(tables[0].registered ? "1" : "0") + ':' +
                            QByteArray(tables[1].registered ? "1" : "0")});
}

SimReply readIndex(DriveState &state, bool typeB, const QByteArray &args)
{
    const auto table = SimText::parseDecimal(args, 0, 1);
    if (!table)
        return SimReply::of("ERR2");
    const SimTable *t = indexTable(state, typeB, int(*table));
    if (!t->registered || t->entries.isEmpty())
        return SimReply::of("R00");
    QList<QByteArray> lines;
    for (qint32 value : t->entries) {
        // Both kinds send their entries in hexadecimal; only the code differs.
        lines.append((typeB ? "R1D :" : "R1H :") + SimText::hex(quint32(value), 8));
    }
    return SimReply::paged(lines);
}

SimReply readAccuracy(const DriveState &state)
{
    const SimTable &t = state.accuracyTable;
    if (!t.registered || t.entries.isEmpty())
        return SimReply::of("R00");
    QList<QByteArray> lines;
    for (int k = 0; k < t.entries.size(); ++k)
        lines.append("R2D :" + QByteArray::number(k) + ':' + SimText::decimal(t.entries.at(k)) +
                     ' ');
    return SimReply::paged(lines);
}

} // namespace

void TableFamily::seed(DriveState &state)
{
    state.indexTables[0] = {true, {0, 5, -3, 2, 0, -1, 4, -2, 1, 0, -5, 3}};
    state.indexTables[1] = {};
    state.divisionTables[0] = {};
    state.divisionTables[1] = {true, {0, 40000, 90000, 135000, 180000, 250000, 300000, 330000}};
    QList<qint32> accuracy;
    for (int k = 0; k < 360; ++k) {
        const double angle = 2.0 * M_PI * k / 360.0;
        accuracy.append(qint32(std::lround(30.0 * std::sin(angle) + 10.0 * std::sin(2.0 * angle))));
    }
    state.accuracyTable = {true, accuracy};
}

bool TableFamily::handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply)
{
    Q_UNUSED(depth);
    if (command == "@65") {
        *reply = listTables(state.indexTables);
    } else if (command == "@80") {
        *reply = listTables(state.divisionTables);
    } else if (isFunction(command, "@66")) {
        *reply = openIndex(Mode::IndexA, argsOf(command));
    } else if (isFunction(command, "@81")) {
        *reply = openIndex(Mode::IndexB, argsOf(command));
    } else if (command == "@67" || command == "@82") {
        // Only reached with no registration open.
        *reply = SimReply::of("ERR3");
    } else if (isFunction(command, "@68")) {
        *reply = readIndex(state, false, argsOf(command));
    } else if (isFunction(command, "@83")) {
        *reply = readIndex(state, true, argsOf(command));
    } else if (command == "@84") {
        *reply = readAccuracy(state);
    } else if (isFunction(command, "@85")) {
        const auto size = SimText::parseDecimal(argsOf(command), 0, 360);
        if (size && *size == 0) {
            *reply = SimReply::of("ERR3");
        } else if (!size || *size < 2) {
            *reply = SimReply::of("ERR2");
        } else {
            m_mode = Mode::Accuracy;
            m_count = int(*size);
            m_staged.clear();
            *reply = SimReply::of("R0P");
        }
    } else {
        return false;
    }
    return true;
}

SimReply TableFamily::openIndex(Mode mode, const QByteArray &args)
{
    const QList<QByteArray> fields = args.split(':');
    const auto table =
        fields.size() == 2 ? SimText::parseDecimal(fields.at(0), 0, 1) : std::nullopt;
    const auto count =
        fields.size() == 2 ? SimText::parseDecimal(fields.at(1), 1, 100) : std::nullopt;
    if (!table || !count)
        return SimReply::of("ERR2");
    m_mode = mode;
    m_table = int(*table);
    m_count = int(*count);
    m_staged.clear();
    return SimReply::of("R0P");
}

SimReply TableFamily::modeLine(const QByteArray &line, DriveState &state)
{
    const QByteArray command = SimText::trimBlanks(line);
    if (m_mode == Mode::Accuracy) {
        if (command == "@85:0")
            return closeAccuracy(state);
        if (!command.startsWith("TE1:")) {
            abandon();
            return SimReply::of("ERR3");
        }
        const QList<QByteArray> fields = command.mid(4).split(':');
        const auto k =
            fields.size() == 2 ? SimText::parseDecimal(fields.at(0), 0, 359) : std::nullopt;
        const auto v = fields.size() == 2
                           ? SimText::parseDecimal(fields.at(1), -999999999, 999999999)
                           : std::nullopt;
        if (!k || !v || *k != m_staged.size() || m_staged.size() >= m_count) {
            abandon();
            return SimReply::of("ERR2");
        }
        m_staged.append(qint32(*v));
        return SimReply::of("R0P");
    }
    const bool typeB = m_mode == Mode::IndexB;
    if (command == (typeB ? "@82" : "@67"))
        return closeIndex(m_mode, state);
    const QByteArray prefix = typeB ? "TB1:" : "TC1:";
    const std::optional<quint32> value =
        command.startsWith(prefix) ? SimText::parseHex(command.mid(4)) : std::nullopt;
    if (!value || m_staged.size() >= m_count) {
        abandon();
        return SimReply::of("ERR3");
    }
    m_staged.append(qint32(*value));
    return SimReply::of("R0P");
}

SimReply TableFamily::closeIndex(Mode mode, DriveState &state)
{
    const bool complete = m_staged.size() == m_count;
    if (complete)
        *indexTable(state, mode == Mode::IndexB, m_table) = {true, m_staged};
    abandon();
    return SimReply::of(complete ? "R00" : "ERR3");
}

SimReply TableFamily::closeAccuracy(DriveState &state)
{
    const bool complete = m_staged.size() == m_count;
    if (complete)
        state.accuracyTable = {true, m_staged};
    abandon();
    return SimReply::of(complete ? "R00" : "ERR3");
}

void TableFamily::abandon()
{
    m_mode = Mode::None;
    m_staged.clear();
    m_count = 0;
}

int TableFamily::demoLatencyMs(const QByteArray &command) const
{
    if (command == "@67" || command == "@82")
        return 100;
    if (command == "@85:0")
        return 150;
    return -1;
}

void TableFamily::restart(DriveState &state)
{
    Q_UNUSED(state);
    abandon();
}

void TableFamily::communicationReset(DriveState &state)
{
    Q_UNUSED(state);
    abandon();
}
