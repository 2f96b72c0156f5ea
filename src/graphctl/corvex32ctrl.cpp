#include "corvex32ctrl.h"

#include "orvex32variant_p.h"

#include <QHash>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QSequentialIterable>
#include <QSet>

#include <cmath>
#include <vector>

using Orvex32::InvokeKind;
using Orvex32::MemberInfo;
using Orvex32::VarType;
using Orvex32::detail::coerce;

namespace {

// Values as the dispatch interface hands them out.
QVariant out(const QString &v)
{
    return v;
}
QVariant out(bool v)
{
    return v;
}
QVariant out(short v)
{
    return QVariant::fromValue(v);
}
QVariant out(int v)
{
    return v;
}
QVariant out(double v)
{
    return v;
}
QVariant out(Orvex32::OleColor v)
{
    return uint(v);
}
QVariant out(const QFont &v)
{
    return v;
}
QVariant out(const QImage &v)
{
    return v;
}
template <typename E>
requires std::is_enum_v<E> QVariant out(E v)
{
    return int(v);
}

// Values coming in, already coerced to the canonical variant of their type.
void take(QString &m, const QVariant &v)
{
    m = v.toString();
}
void take(bool &m, const QVariant &v)
{
    m = v.toBool();
}
void take(short &m, const QVariant &v)
{
    m = v.value<short>();
}
void take(int &m, const QVariant &v)
{
    m = v.toInt();
}
void take(double &m, const QVariant &v)
{
    m = v.toDouble();
}
void take(Orvex32::OleColor &m, const QVariant &v)
{
    m = v.toUInt();
}
void take(QFont &m, const QVariant &v)
{
    m = v.value<QFont>();
}
void take(QImage &m, const QVariant &v)
{
    m = v.value<QImage>();
}
template <typename E>
requires std::is_enum_v<E>
void take(E &m, const QVariant &v)
{
    m = E(v.toInt());
}

// Wider span bars than a screen would draw nothing more.
constexpr int MaxSpanBarWidth = 4096;

[[noreturn]] void outOfMemory()
{
    throw Orvex32Error(Orvex32Error::OutOfMemory);
}

[[noreturn]] void memberNotFound(const QString &what)
{
    throw Orvex32Error(Orvex32Error::DispMemberNotFound,
                       QStringLiteral("Member not found: %1.").arg(what));
}

[[noreturn]] void badParamCount(const MemberInfo &m, int expected, int got)
{
    throw Orvex32Error(Orvex32Error::DispBadParamCount,
                       QStringLiteral("Invalid number of parameters for %1: %2 expected, %3 given.")
                           .arg(m.name)
                           .arg(expected)
                           .arg(got));
}

// The range of an enumeration's constants.
bool inEnumRange(const QString &enumName, int v)
{
    const Orvex32::EnumInfo *e = Orvex32::enumeration(enumName);
    if (!e)
        return true;
    for (const auto &c : e->constants) {
        if (c.second == v)
            return true;
    }
    return false;
}

// An array argument: any list (a typed QList of any element type, a
// QVariantList, a QStringList); a single value or a string is none.
bool isArray(const QVariant &v)
{
    const QMetaType type = v.metaType();
    if (type.id() == QMetaType::QString || type.id() == QMetaType::QByteArray)
        return false;
    return QMetaType::canView(type, QMetaType::fromType<QSequentialIterable>());
}

// The elements of an array argument: a list of exactly the element type, or
// a variant list whose every element has exactly that type. Lists of any
// other element (float, 64 or 16 bits, strings) are the wrong data type.
template <typename T> QList<T> arrayElements(const QVariant &array)
{
    if (array.metaType() == QMetaType::fromType<QList<T>>())
        return array.value<QList<T>>();
    if (array.typeId() != QMetaType::QVariantList)
        throw Orvex32Error(Orvex32Error::WrongDataType);
    const QVariantList list = array.toList();
    QList<T> elements;
    elements.reserve(list.size());
    for (const QVariant &e : list) {
        if (e.metaType() != QMetaType::fromType<T>())
            throw Orvex32Error(Orvex32Error::WrongDataType);
        elements.append(e.value<T>());
    }
    return elements;
}

} // namespace

DOrvex32::~DOrvex32() = default;

QVariant DOrvex32::invoke(const QString &name, Orvex32::InvokeKind kind, const QVariantList &args)
{
    const int id = dispIdOfName(name);
    if (id == DispIdUnknown)
        memberNotFound(name);
    return invoke(id, kind, args);
}

int DOrvex32::dispIdOfName(const QString &name)
{
    const MemberInfo *m = Orvex32::member(name);
    return m ? m->dispId : DispIdUnknown;
}

COrvex32Ctrl::COrvex32Ctrl(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    resetToDefaults();
}

COrvex32Ctrl::COrvex32Ctrl(const QVariantMap &properties, QWidget *parent)
    : COrvex32Ctrl(parent)
{
    loadProperties(properties);
}

COrvex32Ctrl::~COrvex32Ctrl() = default;

QSize COrvex32Ctrl::sizeHint() const
{
    return {480, 320};
}

// --- Typed accessors ---------------------------------------------------------

#define ORVEX32_DEFINE_SIMPLE(id, Name, member, CppType, vt, en, def)                              \
    void COrvex32Ctrl::set##Name(const CppType &value)                                             \
    {                                                                                              \
        putSimple(id, out(value));                                                                 \
    }
ORVEX32_SIMPLE_PROPERTIES(ORVEX32_DEFINE_SIMPLE)
#undef ORVEX32_DEFINE_SIMPLE

#define ORVEX32_DEFINE_GRAPH(id, Name, member, CppType, vt, in, it, suffix, err)                   \
    CppType COrvex32Ctrl::member(int graph) const                                                  \
    {                                                                                              \
        checkGraph(graph, Orvex32Error::err);                                                      \
        return m_graphs[graph].member;                                                             \
    }                                                                                              \
    void COrvex32Ctrl::set##Name(int graph, const CppType &value)                                  \
    {                                                                                              \
        putGraph(id, graph, out(value));                                                           \
    }
ORVEX32_GRAPH_PROPERTIES(ORVEX32_DEFINE_GRAPH)
#undef ORVEX32_DEFINE_GRAPH

const GraphSettings &COrvex32Ctrl::graphSettings(int graph) const
{
    checkGraph(graph, Orvex32Error::BadIndex);
    return m_graphs[graph];
}

void COrvex32Ctrl::checkGraph(int graph, Orvex32Error::Number error) const
{
    if (graph < 0 || graph >= m_graphs.size())
        throw Orvex32Error(error);
}

void COrvex32Ctrl::checkPoint(int graph, int index, Orvex32Error::Number error) const
{
    if (graph < 0 || graph >= m_store.graphCount() || index < 0 || index >= m_store.dataCount())
        throw Orvex32Error(error);
}

QVariant COrvex32Ctrl::getSimple(int dispId) const
{
    switch (dispId) {
#define ORVEX32_GET_SIMPLE(id, Name, member, CppType, vt, en, def)                                 \
    case id:                                                                                       \
        return out(m_settings.member);
        ORVEX32_SIMPLE_PROPERTIES(ORVEX32_GET_SIMPLE)
#undef ORVEX32_GET_SIMPLE
    }
    memberNotFound(QString::number(dispId));
}

// Stores a simple property after the checks it has. The value is already of
// the property's type.
void COrvex32Ctrl::putSimple(int dispId, const QVariant &value)
try {
    const MemberInfo *m = Orvex32::member(dispId);
    const QVariant v = coerce(value, m->type);
    switch (dispId) {
    case 41: { // GraphCount
        const int count = v.value<short>();
        if (count <= 0)
            throw Orvex32Error(Orvex32Error::PropertyValueOutOfRange);
        if (count == m_settings.graphCount)
            return;
        // The settings are built aside first: the store's resize is the last
        // step that can fail, and nothing has changed when it does.
        QList<GraphSettings> graphs = m_graphs;
        const int old = int(graphs.size());
        graphs.resize(count);
        for (int g = old; g < count; ++g)
            graphs[g] = GraphSettings::defaults(g);
        resizeStore(count, m_store.dataCount());
        m_graphs.swap(graphs);
        m_settings.graphCount = short(count);
        refreshLegendValues();
        changed();
        return;
    }
    case 72: { // DataCount
        const int count = v.toInt();
        const int kind = m_settings.graphKind;
        bool ok = count > 0;
        if (kind == Orvex32::nbgrGraphKindCircleGraph || kind == Orvex32::nbgrGraphKindDigitalGraph)
            ok = ok && count == 1;
        else
            ok = ok && count > m_settings.plotAreaSelectDataCount;
        if (!ok)
            throw Orvex32Error(Orvex32Error::PropertyValueOutOfRange);
        if (count == m_settings.dataCount)
            return;
        resizeStore(m_store.graphCount(), count);
        m_settings.dataCount = count;
        if (m_settings.plotAreaSelectDataCount >= count)
            m_settings.plotAreaSelectDataCount = -1;
        refreshLegendValues();
        changed();
        return;
    }
    case 76: // GraphKind
    case 83: // OverlayGraphKind
        if (v.toInt() < 0 || v.toInt() > Orvex32::nbgrGraphKindDigitalGraph)
            throw Orvex32Error(Orvex32Error::GraphKindNotSupported);
        break;
    case 87: // SpanBarWidth: a bar is never wider than a screen
        if (v.toInt() < 0 || v.toInt() > MaxSpanBarWidth)
            throw Orvex32Error(Orvex32Error::PropertyValueOutOfRange);
        break;
    case 85: { // PlotAreaSelectDataCount
        const int index = v.toInt();
        if (index >= m_settings.dataCount) {
            // Clamped to the last point, which is still a point.
            m_settings.plotAreaSelectDataCount = m_settings.dataCount - 1;
            refreshLegendValues();
            changed();
            throw Orvex32Error(Orvex32Error::PropertyValueOutOfRange);
        }
        m_settings.plotAreaSelectDataCount = index < 0 ? -1 : index;
        refreshLegendValues();
        changed();
        return;
    }
    default:
        if (m->type == VarType::Enum && !inEnumRange(m->enumName, v.toInt()))
            throw Orvex32Error(Orvex32Error::PropertyValueOutOfRange);
        break;
    }

    switch (dispId) {
#define ORVEX32_PUT_SIMPLE(id, Name, member, CppType, vt, en, def)                                 \
    case id:                                                                                       \
        take(m_settings.member, v);                                                                \
        break;
        ORVEX32_SIMPLE_PROPERTIES(ORVEX32_PUT_SIMPLE)
#undef ORVEX32_PUT_SIMPLE
    }
    changed();
} catch (const std::bad_alloc &) {
    outOfMemory();
}

QVariant COrvex32Ctrl::getGraph(int dispId, int graph) const
{
    switch (dispId) {
#define ORVEX32_GET_GRAPH(id, Name, member, CppType, vt, in, it, suffix, err)                      \
    case id:                                                                                       \
        checkGraph(graph, Orvex32Error::err);                                                      \
        return out(m_graphs[graph].member);
        ORVEX32_GRAPH_PROPERTIES(ORVEX32_GET_GRAPH)
#undef ORVEX32_GET_GRAPH
    }
    memberNotFound(QString::number(dispId));
}

void COrvex32Ctrl::putGraph(int dispId, int graph, const QVariant &value)
try {
    const MemberInfo *m = Orvex32::member(dispId);
    const QVariant v = coerce(value, m->type);
    switch (dispId) {
#define ORVEX32_PUT_GRAPH(id, Name, member, CppType, vt, in, it, suffix, err)                      \
    case id:                                                                                       \
        checkGraph(graph, Orvex32Error::err);                                                      \
        break;
        ORVEX32_GRAPH_PROPERTIES(ORVEX32_PUT_GRAPH)
#undef ORVEX32_PUT_GRAPH
    default:
        memberNotFound(QString::number(dispId));
    }
    GraphSettings &g = m_graphs[graph];
    if ((dispId == 101 || dispId == 102) && !std::isfinite(v.toDouble()))
        throw Orvex32Error(Orvex32Error::WrongDataType);
    if (dispId == 101 && !(v.toDouble() > g.lowValue)) // HighValue
        throw Orvex32Error(Orvex32Error::HighBelowLow);
    if (dispId == 102 && !(v.toDouble() < g.highValue)) // LowValue
        throw Orvex32Error(Orvex32Error::HighBelowLow);
    switch (dispId) {
#define ORVEX32_TAKE_GRAPH(id, Name, member, CppType, vt, in, it, suffix, err)                     \
    case id:                                                                                       \
        take(g.member, v);                                                                         \
        break;
        ORVEX32_GRAPH_PROPERTIES(ORVEX32_TAKE_GRAPH)
#undef ORVEX32_TAKE_GRAPH
    }
    changed();
} catch (const std::bad_alloc &) {
    outOfMemory();
}

void COrvex32Ctrl::setValueRange(int graph, double low, double high)
{
    checkGraph(graph, Orvex32Error::BadIndex);
    if (!std::isfinite(low) || !std::isfinite(high))
        throw Orvex32Error(Orvex32Error::WrongDataType);
    if (!(high > low))
        throw Orvex32Error(Orvex32Error::HighBelowLow);
    m_graphs[graph].lowValue = low;
    m_graphs[graph].highValue = high;
    changed();
}

// --- Samples -------------------------------------------------------------------

double COrvex32Ctrl::data(int graph, int index) const
{
    if (graph < 0 || graph >= m_store.graphCount())
        throw Orvex32Error(Orvex32Error::BadGraphNumber);
    if (index < 0 || index >= m_store.dataCount()) {
        // Hosts read past the end while nothing is selected and get 0.
        if (m_settings.plotAreaSelectDataCount < 0)
            return 0.0;
        throw Orvex32Error(Orvex32Error::BadIndex);
    }
    return m_store.value(graph, index);
}

void COrvex32Ctrl::setData(int graph, int index, double value)
{
    if (graph < 0 || graph >= m_store.graphCount())
        throw Orvex32Error(Orvex32Error::BadGraphNumber);
    if (index < 0 || index >= m_store.dataCount())
        throw Orvex32Error(Orvex32Error::BadIndex);
    m_store.setValue(graph, index, value);
    if (index == m_settings.plotAreaSelectDataCount)
        refreshLegendValues();
    changed();
}

bool COrvex32Ctrl::dataFlag(int graph, int index) const
{
    checkPoint(graph, index, Orvex32Error::BadIndex);
    return m_store.flag(graph, index) != 0;
}

void COrvex32Ctrl::setDataFlag(int graph, int index, bool flag)
{
    checkPoint(graph, index, Orvex32Error::BadIndex);
    m_store.setFlag(graph, index, flag ? 1 : 0);
    if (index == m_settings.plotAreaSelectDataCount)
        refreshLegendValues();
    changed();
}

QString COrvex32Ctrl::label(int index) const
{
    if (index < 0 || index >= m_store.dataCount())
        throw Orvex32Error(Orvex32Error::BadIndex);
    return m_store.label(index);
}

void COrvex32Ctrl::setLabel(int index, const QString &text)
try {
    if (index < 0 || index >= m_store.dataCount())
        throw Orvex32Error(Orvex32Error::BadIndex);
    m_store.setLabel(index, text);
    changed();
} catch (const std::bad_alloc &) {
    outOfMemory();
}

void COrvex32Ctrl::resizeStore(int graphCount, int dataCount)
{
    if (!m_store.resize(graphCount, dataCount))
        throw Orvex32Error(Orvex32Error::OutOfMemory);
}

void COrvex32Ctrl::refreshLegendValues()
{
    const int mode = m_settings.plotAreaHitCheckMode;
    const int sel = m_settings.plotAreaSelectDataCount;
    if (mode != Orvex32::nbgrHitCheckIntroDisp && mode != Orvex32::nbgrHitCheckOnAll)
        return;
    if (sel < 0 || sel >= m_store.dataCount())
        return;
    for (int g = 0; g < m_graphs.size() && g < m_store.graphCount(); ++g) {
        m_graphs[g].value = m_store.value(g, sel);
        m_graphs[g].valueFlag = m_store.flag(g, sel) != 0;
    }
}

void COrvex32Ctrl::changed()
{
    if (m_settings.autoRefresh)
        update();
}

// --- Methods -------------------------------------------------------------------

void COrvex32Ctrl::refresh()
{
    update();
}

void COrvex32Ctrl::aboutBox()
{
    // Not modal on the application: the host's dialog keeps running.
    auto *box = new QMessageBox(QMessageBox::Information, QStringLiteral("Orvex32"),
                                QStringLiteral("Orvex32 graph control\n%1").arg(Orvex32::progId()),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

bool COrvex32Ctrl::setArrayData(int graph, int graphIndex, int index, int count,
                                std::span<const qint32> flags, std::span<const double> values)
{
    if (graph < 0 || graph >= m_store.graphCount())
        throw Orvex32Error(Orvex32Error::GraphNumberExceedsCount);
    if (graphIndex < 0 || graphIndex >= m_store.dataCount())
        throw Orvex32Error(Orvex32Error::DataIndexExceedsCount);
    if (count < 0 || qint64(graphIndex) + count > m_store.dataCount())
        throw Orvex32Error(Orvex32Error::CountExceedsDataCount);
    // Both ends of the source range must lie inside both arrays.
    const qint64 end = qint64(index) + count;
    if (index < 0 || end > qint64(flags.size()) || end > qint64(values.size()))
        throw Orvex32Error(Orvex32Error::CountExceedsDataCount);

    std::copy_n(flags.begin() + index, count, m_store.flags(graph).begin() + graphIndex);
    std::copy_n(values.begin() + index, count, m_store.values(graph).begin() + graphIndex);
    refreshLegendValues();
    changed();
    return true;
}

bool COrvex32Ctrl::setArrayData(int graph, int graphIndex, int index, int count,
                                const QVariant &flags, const QVariant &values)
try {
    if (graph < 0 || graph >= m_store.graphCount())
        throw Orvex32Error(Orvex32Error::GraphNumberExceedsCount);
    if (graphIndex < 0 || graphIndex >= m_store.dataCount())
        throw Orvex32Error(Orvex32Error::DataIndexExceedsCount);
    if (count < 0 || qint64(graphIndex) + count > m_store.dataCount())
        throw Orvex32Error(Orvex32Error::CountExceedsDataCount);

    if (!isArray(flags) || !isArray(values))
        throw Orvex32Error(Orvex32Error::NotAnArray);

    // The element types: 32-bit integers for the flags, doubles for the data.
    const QList<qint32> flagList = arrayElements<qint32>(flags);
    const QList<double> valueList = arrayElements<double>(values);
    return setArrayData(graph, graphIndex, index, count, std::span<const qint32>(flagList),
                        std::span<const double>(valueList));
} catch (const std::bad_alloc &) {
    outOfMemory();
}

void COrvex32Ctrl::clearGraph(int graph)
{
    if (graph < 0 || graph >= m_store.graphCount())
        throw Orvex32Error(Orvex32Error::GraphNumberExceedsCount);
    m_store.clear(graph);
    refreshLegendValues();
    changed();
}

void COrvex32Ctrl::clearGraphAll()
{
    m_store.clearAll();
    refreshLegendValues();
    changed();
}

short COrvex32Ctrl::getImage()
{
    m_settings.picture = toImage();
    return m_settings.picture.isNull() ? 0 : 1;
}

// --- Dispatch --------------------------------------------------------------------

QVariant COrvex32Ctrl::invoke(int dispId, InvokeKind kind, const QVariantList &args)
try {
    const MemberInfo *m = Orvex32::member(dispId);
    if (!m)
        memberNotFound(QString::number(dispId));
    const int nargs = int(m->args.size());
    const auto argAt = [&](int i) {
        return coerce(args.at(i), m->args.at(i).type);
    };
    const auto intArg = [&](int i) {
        const QVariant v = argAt(i);
        return m->args.at(i).type == VarType::Short ? int(v.value<short>()) : v.toInt();
    };

    if (m->kind == MemberInfo::Method) {
        if (kind != InvokeKind::Method)
            memberNotFound(m->name);
        if (args.size() != nargs)
            badParamCount(*m, nargs, int(args.size()));
        switch (dispId) {
        case -550:
            refresh();
            return {};
        case -552:
            aboutBox();
            return {};
        case 90:
            return setArrayData(intArg(0), intArg(1), intArg(2), intArg(3), args.at(4), args.at(5));
        case 91:
            clearGraph(intArg(0));
            return {};
        case 92:
            clearGraphAll();
            return {};
        case 93:
            return QVariant::fromValue(getImage());
        }
        memberNotFound(m->name);
    }

    if (kind == InvokeKind::Method)
        memberNotFound(m->name);
    const bool put = kind == InvokeKind::PropertyPut;
    const int expected = nargs + (put ? 1 : 0);
    if (args.size() != expected)
        badParamCount(*m, expected, int(args.size()));

    switch (dispId) {
    case 103: { // Data
        const int g = intArg(0), k = intArg(1);
        if (!put)
            return data(g, k);
        setData(g, k, coerce(args.at(2), VarType::Double).toDouble());
        return {};
    }
    case 104: { // DataFlag
        const int g = intArg(0), k = intArg(1);
        if (!put)
            return dataFlag(g, k);
        setDataFlag(g, k, coerce(args.at(2), VarType::Bool).toBool());
        return {};
    }
    case 105: { // Label
        const int k = intArg(0);
        if (!put)
            return label(k);
        setLabel(k, coerce(args.at(1), VarType::String).toString());
        return {};
    }
    default:
        break;
    }

    if (m->isIndexed()) {
        const int g = intArg(0);
        if (!put)
            return getGraph(dispId, g);
        putGraph(dispId, g, args.at(1));
        return {};
    }
    if (!put)
        return getSimple(dispId);
    putSimple(dispId, args.at(0));
    return {};
} catch (const std::bad_alloc &) {
    outOfMemory();
}

// --- Persistence -------------------------------------------------------------------

void COrvex32Ctrl::resetToDefaults()
{
    const QImage picture = m_settings.picture;
    m_settings = Orvex32Settings();
    m_settings.picture = picture;
    const QList<GraphSettings> old = m_graphs;
    m_graphs.resize(m_settings.graphCount);
    for (int g = 0; g < m_graphs.size(); ++g) {
        m_graphs[g] = GraphSettings::defaults(g);
        // The legend's values are run-time data, not settings.
        if (g < old.size()) {
            m_graphs[g].value = old[g].value;
            m_graphs[g].valueFlag = old[g].valueFlag;
        }
    }
    resizeStore(m_settings.graphCount, m_settings.dataCount);
}

namespace {

// Where a per-graph entry name such as "Graph(12).Color" points: the graph
// and the entry's position in the persisted graph order, or false for a
// name that is not one (the number written exactly as saving writes it).
bool parseGraphEntry(const QString &name, int *graph, int *slot)
{
    static const QHash<QString, int> slotOfSuffix = [] {
        QHash<QString, int> h;
        const QList<int> &order = Orvex32::persistedGraphOrder();
        Q_ASSERT(size_t(order.size()) == size_t(17));
        for (int i = 0; i < order.size(); ++i) {
            const QString pattern = Orvex32::member(order[i])->persistedName;
            h.insert(pattern.mid(pattern.indexOf(QLatin1Char('.')) + 1), i);
        }
        return h;
    }();
    static const QLatin1String head("Graph(");
    if (!name.startsWith(head))
        return false;
    const qsizetype close = name.indexOf(QLatin1String(")."), head.size());
    if (close < 0)
        return false;
    const QStringView digits = QStringView(name).mid(head.size(), close - head.size());
    bool ok = false;
    const int g = digits.toInt(&ok);
    if (!ok || g < 0 || digits != QString::number(g))
        return false;
    const auto it = slotOfSuffix.constFind(name.mid(close + 2));
    if (it == slotOfSuffix.cend())
        return false;
    *graph = g;
    *slot = it.value();
    return true;
}

} // namespace

QStringList COrvex32Ctrl::loadProperties(const QVariantMap &bag)
try {
    QStringList rejected;
    resetToDefaults();

    QSet<QString> simpleNames;
    for (int id : Orvex32::persistedSimpleOrder()) {
        const QString name = Orvex32::member(id)->persistedName;
        simpleNames.insert(name);
        const auto it = bag.constFind(name);
        if (it == bag.cend())
            continue;
        try {
            putSimple(id, it.value());
        } catch (const Orvex32Error &) {
            rejected.append(name);
        }
    }
    // GraphCount is in place now: exactly its graphs take their entries.
    // One pass over the set sorts them by graph, so that a set of tens of
    // thousands of graphs loads in one go rather than name by name.
    std::vector<GraphEntries> entries(size_t(m_graphs.size()), GraphEntries{});
    QStringList unknown;
    for (auto it = bag.cbegin(); it != bag.cend(); ++it) {
        if (simpleNames.contains(it.key()))
            continue;
        int graph = -1, slot = -1;
        if (parseGraphEntry(it.key(), &graph, &slot) && graph < m_graphs.size())
            entries[size_t(graph)][size_t(slot)] = &it.value();
        else
            unknown.append(it.key());
    }
    for (int g = 0; g < m_graphs.size(); ++g)
        loadGraphEntries(entries[size_t(g)], g, rejected);
    rejected += unknown;
    update();
    return rejected;
} catch (const std::bad_alloc &) {
    outOfMemory();
}

void COrvex32Ctrl::loadGraphEntries(const GraphEntries &entries, int graph, QStringList &rejected)
{
    // The high and low values are checked as a pair, so that any order of
    // loading takes a valid range such as -200 … -100.
    const QList<int> &order = Orvex32::persistedGraphOrder();
    const QVariant *high = nullptr;
    const QVariant *low = nullptr;
    for (int i = 0; i < order.size(); ++i) {
        const int id = order[i];
        const QVariant *value = entries[size_t(i)];
        if (id == 101)
            high = value;
        else if (id == 102)
            low = value;
        if (!value || id == 101 || id == 102)
            continue;
        try {
            putGraph(id, graph, *value);
        } catch (const Orvex32Error &) {
            rejected.append(Orvex32::perGraphName(id, graph));
        }
    }
    if (!high && !low)
        return;
    GraphSettings &g = m_graphs[graph];
    try {
        const double h = high ? coerce(*high, VarType::Double).toDouble() : g.highValue;
        const double l = low ? coerce(*low, VarType::Double).toDouble() : g.lowValue;
        if (!std::isfinite(l) || !std::isfinite(h))
            throw Orvex32Error(Orvex32Error::WrongDataType);
        if (!(h > l))
            throw Orvex32Error(Orvex32Error::HighBelowLow);
        g.highValue = h;
        g.lowValue = l;
    } catch (const Orvex32Error &) {
        if (high)
            rejected.append(Orvex32::perGraphName(101, graph));
        if (low)
            rejected.append(Orvex32::perGraphName(102, graph));
    }
}

QVariantMap COrvex32Ctrl::saveProperties() const
{
    QVariantMap bag;
    for (int id : Orvex32::persistedSimpleOrder())
        bag.insert(Orvex32::member(id)->persistedName, getSimple(id));
    for (int g = 0; g < m_graphs.size(); ++g) {
        for (int id : Orvex32::persistedGraphOrder())
            bag.insert(Orvex32::perGraphName(id, g), getGraph(id, g));
    }
    return bag;
}

QVariantMap COrvex32Ctrl::defaultProperties()
{
    return COrvex32Ctrl().saveProperties();
}

// --- Drawing and mouse -------------------------------------------------------------

Orvex32Layout COrvex32Ctrl::layoutFor(const QSize &size) const
{
    return Orvex32Renderer(m_settings, m_graphs, m_store, m_store.labels()).layout(size);
}

void COrvex32Ctrl::paintTo(QPainter &painter, const QSize &size, Orvex32Renderer::Parts parts) const
{
    const Orvex32Renderer renderer(m_settings, m_graphs, m_store, m_store.labels());
    renderer.paint(painter, renderer.layout(size), parts);
}

QImage COrvex32Ctrl::toImage(const QSize &requested) const
{
    const QSize size = requested.isValid() ? requested : this->size();
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    paintTo(painter, size);
    return image;
}

void COrvex32Ctrl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    paintTo(painter, size());
}

void COrvex32Ctrl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        clickAt(event->position().toPoint());
    QWidget::mouseReleaseEvent(event);
}

void COrvex32Ctrl::clickAt(const QPoint &pos)
{
    const int mode = m_settings.plotAreaHitCheckMode;
    if (mode != Orvex32::nbgrHitCheckOffAll) {
        const Orvex32Renderer renderer(m_settings, m_graphs, m_store, m_store.labels());
        const QRect plot = renderer.layout(size()).plot;
        // The plot takes its right and bottom border lines too, where the
        // last point and the low value lie.
        if (plot.adjusted(0, 0, 1, 1).contains(pos)) {
            const int index = renderer.indexAt(plot, pos.x());
            if (index >= 0 && index != m_settings.plotAreaSelectDataCount) {
                m_settings.plotAreaSelectDataCount = index;
                refreshLegendValues();
                update();
            }
        }
    }
    const int selection = m_settings.plotAreaSelectDataCount;
    emit PlotAreaClick(selection);
    emit dispatchEvent(1, QStringLiteral("PlotAreaClick"), {selection});
}
