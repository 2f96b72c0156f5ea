#include "sim/camfamily.h"

#include "sim/drivestate.h"
#include "sim/simtext.h"

#include <cmath>

namespace {

// The item indices in the order of the drive's readings.
constexpr quint32 itemIndex[SimCam::ItemCount] = {0x1, 0x2, 0x3, 0x4,  0xB,  0xC,
                                                  0xD, 0xE, 0xF, 0x10, 0x11, 0x12};
constexpr int TitleLimit = 31;

int slotOf(quint32 index)
{
    for (int slot = 0; slot < SimCam::ItemCount; ++slot) {
        if (itemIndex[slot] == index)
            return slot;
    }
    return -1;
}

bool isFunction(const QByteArray &command, const char *name)
{
    return command == name || command.startsWith(QByteArray(name) + ':');
}

QByteArray argsOf(const QByteArray &command)
{
    const qsizetype colon = command.indexOf(':');
    return colon < 0 ? QByteArray() : command.mid(colon + 1);
}

SimCam *camOf(DriveState &state, const QByteArray &args)
{
    const auto number = SimText::parseDecimal(args, 1, SimCam::Count);
    return number ? &state.cams[*number - 1] : nullptr;
}

QList<QByteArray> profileLines(const SimCam &cam)
{
    QList<QByteArray> lines{"R1Z :" + cam.title};
    for (int slot = 0; slot < SimCam::ItemCount; ++slot)
        lines.append("R2H :" + SimText::hex(itemIndex[slot]) + ':' + SimText::hex(cam.items[slot]));
    for (int first = 0; first < SimCam::PointCount - 1; first += 5) {
        QByteArray line =
            "R7H :" + SimText::hex(quint32(first)) + ':' + SimText::hex(quint32(first + 4));
        for (int k = first; k <= first + 4; ++k)
            line += ':' + SimText::hex(quint32(cam.points.at(k)));
        lines.append(line);
    }
    lines.append("R3H :1F4:1F4:" + SimText::hex(quint32(cam.points.at(SimCam::PointCount - 1))));
    return lines;
}

void registerCam(DriveState &state, int number, const QByteArray &title,
                 const std::array<quint32, SimCam::ItemCount> &items, const QList<qint32> &points)
{
    SimCam &cam = state.cams[number - 1];
    cam.registered = true;
    cam.title = title;
    cam.items = items;
    cam.points = points;
    ++state.camSequence;
    cam.regTag = quint32(0x00010000 * state.camSequence + number) & 0x7FFFFFFF;
}

QList<qint32> seedPoints(double (*law)(double))
{
    QList<qint32> points;
    for (int k = 0; k < SimCam::PointCount; ++k)
        points.append(qint32(std::lround(16777216.0 * law(k / 500.0))));
    return points;
}

} // namespace

void CamFamily::seed(DriveState &state)
{
    for (SimCam &cam : state.cams)
        cam = SimCam();
    state.camSequence = 0;
    registerCam(state, 1, "SIM-CYCLOID",
                {0x1, 0x1, 0x1F5, 0x101, 0, 0x1000000, 0, 0, 0x2000000, 0, 0x1921FB, 0xFFE6DE05},
                seedPoints([](double x) { return x - std::sin(2.0 * M_PI * x) / (2.0 * M_PI); }));
    registerCam(state, 9, "SIM-HARMONIC",
                {0x1, 0x2, 0x1F5, 0x109, 0, 0x1000000, 0, 0, 0x1921FB5, 0, 0x13BD3D, 0xFFEC42C3},
                seedPoints([](double x) { return (1.0 - std::cos(M_PI * x)) / 2.0; }));
    registerCam(
        state, 10, "SIM-LINEAR",
        {0x1, 0x3, 0x1F5, 0x10A, 0, 0x1000000, 0x1000000, 0x1000000, 0x1000000, 0x1000000, 0, 0},
        seedPoints([](double x) { return x; }));
}

void CamFamily::fill(DriveState &state)
{
    for (int number = 1; number <= SimCam::Count; ++number) {
        if (state.cams[number - 1].registered)
            continue;
        // x^p rising from 0 to 1, p = 1.25, 1.5, … by the number.
        const double power = 1.0 + number / 4.0;
        QList<qint32> points;
        for (int k = 0; k < SimCam::PointCount; ++k)
            points.append(qint32(std::lround(16777216.0 * std::pow(k / 500.0, power))));
        const quint32 velMax = quint32(std::lround(16777216.0 * power));
        registerCam(state, number, "SIM-POWER-" + QByteArray::number(number),
                    {0x1, 0x4, 0x1F5, quint32(0x100 + number), 0, 0x1000000, 0, velMax, velMax, 0,
                     0x100000 * quint32(number), 0},
                    points);
    }
}

bool CamFamily::handle(const QByteArray &command, int depth, DriveState &state, SimReply *reply)
{
    Q_UNUSED(depth);
    if (isFunction(command, "@72")) {
        const auto number = SimText::parseDecimal(argsOf(command), 0, SimCam::Count);
        if (!number) {
            *reply = SimReply::of("ERR2");
        } else if (*number == 0) {
            *reply = SimReply::of("ERR3"); // no registration open
        } else {
            m_open = true;
            m_number = int(*number);
            m_titleSeen = false;
            m_title.clear();
            std::fill(std::begin(m_items), std::end(m_items), 0);
            std::fill(std::begin(m_itemSeen), std::end(m_itemSeen), false);
            m_points = QList<qint32>(SimCam::PointCount, 0);
            m_pointSeen = QList<bool>(SimCam::PointCount, false);
            *reply = SimReply::of("R0P");
        }
    } else if (isFunction(command, "@73")) {
        const SimCam *cam = camOf(state, argsOf(command));
        if (!cam) {
            *reply = SimReply::of("ERR2");
        } else if (!cam->registered) {
            *reply = SimReply::of("R00");
        } else if (state.camOnePhase) {
            QList<QByteArray> lines = profileLines(*cam);
            lines.append("R1H :" + SimText::hex(cam->items[3], 8));
            *reply = SimReply::paged(lines);
        } else {
            m_askedNumber = int(cam - state.cams + 1);
            m_askedTag = cam->regTag;
            *reply = SimReply::of("R1H :" + SimText::hex(cam->regTag, 8));
        }
    } else if (isFunction(command, "@70")) {
        const auto tag = SimText::parseDecimal(argsOf(command), 0, 0xFFFFFFFFLL);
        const bool known = tag && m_askedNumber > 0 && quint32(*tag) == m_askedTag;
        *reply = SimReply::of(known ? "R00" : "ERR2");
    } else if (isFunction(command, "@71")) {
        const SimCam *cam = camOf(state, argsOf(command));
        *reply =
            cam && cam->registered ? SimReply::paged(profileLines(*cam)) : SimReply::of("ERR2");
    } else {
        return false;
    }
    return true;
}

SimReply CamFamily::modeLine(const QByteArray &line, DriveState &state)
{
    const QByteArray command = SimText::trimBlanks(line);
    if (command == "@72:0")
        return close(state);
    if (command.startsWith("TT1:")) {
        m_title = command.mid(4).left(TitleLimit);
        m_titleSeen = true;
        return SimReply::of("R0P");
    }
    const QList<QByteArray> fields = command.mid(4).split(':');
    if (command.startsWith("TI1:")) {
        if (fields.size() != 2)
            return abandon("ERR2");
        const std::optional<quint32> index = SimText::parseHex(fields.at(0));
        const std::optional<quint32> value = SimText::parseHex(fields.at(1));
        const int slot = index ? slotOf(*index) : -1;
        if (slot < 0 || !value.has_value() || (slot < 3 && value.value() > 0xFFFF))
            return abandon("ERR2");
        m_items[slot] = value.value();
        m_itemSeen[slot] = true;
        return SimReply::of("R0P");
    }
    if (command.startsWith("TD1:")) {
        const auto first = fields.size() >= 3 ? SimText::parseHex(fields.at(0)) : std::nullopt;
        const auto last = fields.size() >= 3 ? SimText::parseHex(fields.at(1)) : std::nullopt;
        if (!first || !last || *first > *last || *last >= quint32(SimCam::PointCount) ||
            qsizetype(*last - *first) + 3 != fields.size())
            return abandon("ERR2");
        for (quint32 k = *first; k <= *last; ++k) {
            const auto value = SimText::parseHex(fields.at(int(k - *first) + 2));
            if (!value)
                return abandon("ERR2");
            m_points[k] = qint32(*value);
            m_pointSeen[k] = true;
        }
        return SimReply::of("R0P");
    }
    return abandon("ERR3");
}

SimReply CamFamily::close(DriveState &state)
{
    bool complete = m_titleSeen && !m_pointSeen.contains(false);
    for (bool seen : m_itemSeen)
        complete = complete && seen;
    if (!complete)
        return abandon("ERR3");
    std::array<quint32, SimCam::ItemCount> items;
    std::copy(std::begin(m_items), std::end(m_items), items.begin());
    registerCam(state, m_number, m_title, items, m_points);
    return abandon("R00");
}

SimReply CamFamily::abandon(const char *reply)
{
    m_open = false;
    m_points.clear();
    m_pointSeen.clear();
    return SimReply::of(reply);
}

int CamFamily::demoLatencyMs(const QByteArray &command) const
{
    return command == "@72:0" ? 200 : -1;
}

void CamFamily::restart(DriveState &state)
{
    Q_UNUSED(state);
    abandon("");
    m_askedNumber = 0;
}

void CamFamily::communicationReset(DriveState &state)
{
    Q_UNUSED(state);
    abandon("");
}
