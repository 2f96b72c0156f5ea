#include "orvex32.h"

#include "orvex32settings.h"

#include <QGuiApplication>
#include <QMetaEnum>
#include <QPalette>

#include <algorithm>

namespace Orvex32 {

QColor toQColor(OleColor color)
{
    if (color & 0x80000000u) {
        // System colours, by the index of the Windows colour table.
        const QPalette pal = QGuiApplication::palette();
        switch (color & 0xFF) {
        case 5: // window
            return pal.color(QPalette::Base);
        case 8:  // window text
        case 18: // button text
            return pal.color(QPalette::Text);
        case 13: // highlight
            return pal.color(QPalette::Highlight);
        case 14: // highlight text
            return pal.color(QPalette::HighlightedText);
        case 15: // button face
        default:
            return pal.color(QPalette::Button);
        }
    }
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

OleColor fromQColor(const QColor &color)
{
    const QColor c = color.toRgb();
    return rgb(c.red(), c.green(), c.blue());
}

QString varTypeName(VarType type)
{
    switch (type) {
    case VarType::Void:
        return QStringLiteral("void");
    case VarType::Bool:
        return QStringLiteral("bool");
    case VarType::Short:
        return QStringLiteral("short");
    case VarType::Long:
        return QStringLiteral("long");
    case VarType::Double:
        return QStringLiteral("double");
    case VarType::String:
        return QStringLiteral("string");
    case VarType::Color:
        return QStringLiteral("colour");
    case VarType::Font:
        return QStringLiteral("font");
    case VarType::Picture:
        return QStringLiteral("picture");
    case VarType::Variant:
        return QStringLiteral("variant");
    case VarType::Enum:
        return QStringLiteral("enum");
    }
    return {};
}

QString dispatchInterfaceName()
{
    return QStringLiteral("_DOrvex32");
}

QString eventInterfaceName()
{
    return QStringLiteral("_DOrvex32Events");
}

QString progId()
{
    return QStringLiteral("Orvex32.Orvex32Ctrl.1");
}

namespace {

QList<MemberInfo> buildMembers()
{
    QList<MemberInfo> list;
    const auto property = [&list](int id, const char *name, VarType type, const char *enumName,
                                  QList<ArgInfo> args, QString persisted, bool perGraph) {
        MemberInfo m;
        m.dispId = id;
        m.name = QString::fromLatin1(name);
        m.kind = MemberInfo::Property;
        m.type = type;
        m.enumName = QString::fromLatin1(enumName);
        m.args = std::move(args);
        m.persistedName = std::move(persisted);
        m.perGraph = perGraph;
        list.append(m);
    };
    const auto method = [&list](int id, const char *name, VarType result, QList<ArgInfo> args) {
        MemberInfo m;
        m.dispId = id;
        m.name = QString::fromLatin1(name);
        m.kind = MemberInfo::Method;
        m.type = result;
        m.args = std::move(args);
        list.append(m);
    };

#define ORVEX32_SIMPLE_MEMBER(id, Name, member, CppType, vt, en, def)                              \
    property(id, #Name, VarType::vt, en, {}, id == 89 ? QString() : QStringLiteral(#Name), false);
    ORVEX32_SIMPLE_PROPERTIES(ORVEX32_SIMPLE_MEMBER)
#undef ORVEX32_SIMPLE_MEMBER

#define ORVEX32_GRAPH_MEMBER(id, Name, member, CppType, vt, indexName, indexType, suffix, err)     \
    property(id, #Name, VarType::vt, "", {{QStringLiteral(indexName), VarType::indexType}},        \
             QString::fromLatin1(suffix).isEmpty()                                                 \
                 ? QString()                                                                       \
                 : QStringLiteral("Graph(%d).") + QString::fromLatin1(suffix),                     \
             true);
    ORVEX32_GRAPH_PROPERTIES(ORVEX32_GRAPH_MEMBER)
#undef ORVEX32_GRAPH_MEMBER

    const ArgInfo nGraph{QStringLiteral("nGraph"), VarType::Short};
    const ArgInfo nIndexLong{QStringLiteral("nIndex"), VarType::Long};
    property(103, "Data", VarType::Double, "", {nGraph, nIndexLong}, {}, false);
    property(104, "DataFlag", VarType::Bool, "", {nGraph, nIndexLong}, {}, false);
    property(105, "Label", VarType::String, "", {nIndexLong}, {}, false);

    method(-550, "Refresh", VarType::Void, {});
    method(-552, "AboutBox", VarType::Void, {});
    method(90, "SetArrayData", VarType::Bool,
           {nGraph,
            {QStringLiteral("nGraphIndex"), VarType::Long},
            nIndexLong,
            {QStringLiteral("nCount"), VarType::Long},
            {QStringLiteral("aFlag"), VarType::Variant},
            {QStringLiteral("aData"), VarType::Variant}});
    method(91, "ClearGraph", VarType::Void, {{QStringLiteral("nIndex"), VarType::Short}});
    method(92, "ClearGraphAll", VarType::Void, {});
    method(93, "GetImage", VarType::Short, {});

    std::stable_sort(list.begin(), list.end(),
                     [](const MemberInfo &a, const MemberInfo &b) { return a.dispId < b.dispId; });
    return list;
}

QList<EnumInfo> buildEnumerations()
{
    QList<EnumInfo> list;
    const QMetaObject &mo = staticMetaObject;
    for (int i = 0; i < mo.enumeratorCount(); ++i) {
        const QMetaEnum e = mo.enumerator(i);
        EnumInfo info;
        info.name = QString::fromLatin1(e.name());
        for (int k = 0; k < e.keyCount(); ++k)
            info.constants.append({QString::fromLatin1(e.key(k)), e.value(k)});
        list.append(info);
    }
    // Declaration order already puts OldEnumConstants last.
    return list;
}

QList<int> buildSimpleOrder()
{
    QList<int> order = {-501, 19, 41, 72, 76, -518};
    const QList<int> tail = {22, 83, 82, 84, 86, 85, 87, 88, 24};
    const auto taken = [&](int id) {
        return order.contains(id) || tail.contains(id);
    };
    // The groups, each in dispatch id order.
    const char *const groups[] = {"Caption",   "Frame", "Intro",   "HorzScale",
                                  "VertScale", "Graph", "PlotArea"};
    for (const char *prefix : groups) {
        for (const MemberInfo &m : members()) {
            if (m.perGraph || !m.isPersisted() || m.isIndexed() || taken(m.dispId))
                continue;
            if (m.name.startsWith(QLatin1String(prefix)))
                order.append(m.dispId);
        }
    }
    order.append(tail);
    return order;
}

} // namespace

const QList<MemberInfo> &members()
{
    static const QList<MemberInfo> list = buildMembers();
    return list;
}

const MemberInfo *member(int dispId)
{
    const QList<MemberInfo> &list = members();
    auto it = std::lower_bound(list.begin(), list.end(), dispId,
                               [](const MemberInfo &m, int id) { return m.dispId < id; });
    return (it != list.end() && it->dispId == dispId) ? &*it : nullptr;
}

const MemberInfo *member(const QString &name)
{
    for (const MemberInfo &m : members()) {
        if (m.name.compare(name, Qt::CaseInsensitive) == 0)
            return &m;
    }
    return nullptr;
}

const QList<MemberInfo> &events()
{
    static const QList<MemberInfo> list = [] {
        MemberInfo click;
        click.dispId = 1;
        click.name = QStringLiteral("PlotAreaClick");
        click.kind = MemberInfo::Method;
        click.args = {{QStringLiteral("DataPoint"), VarType::Long}};
        return QList<MemberInfo>{click};
    }();
    return list;
}

const QList<EnumInfo> &enumerations()
{
    static const QList<EnumInfo> list = buildEnumerations();
    return list;
}

const EnumInfo *enumeration(const QString &name)
{
    for (const EnumInfo &e : enumerations()) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

const QList<int> &persistedSimpleOrder()
{
    static const QList<int> order = buildSimpleOrder();
    return order;
}

const QList<int> &persistedGraphOrder()
{
    static const QList<int> order = {94,  95,  96,  97,  100, 101, 102, 106, 107,
                                     109, 108, 110, 111, 112, 113, 114, 115};
    return order;
}

QString perGraphName(int dispId, int graph)
{
    const MemberInfo *m = member(dispId);
    if (!m || !m->perGraph || !m->isPersisted())
        return {};
    QString name = m->persistedName;
    return name.replace(QLatin1String("%d"), QString::number(graph));
}

QStringList persistedNames(int graphCount)
{
    QStringList names;
    for (int id : persistedSimpleOrder())
        names.append(member(id)->persistedName);
    for (int g = 0; g < graphCount; ++g) {
        for (int id : persistedGraphOrder())
            names.append(perGraphName(id, g));
    }
    return names;
}

OleColor defaultGraphColor(int graph)
{
    static const OleColor cycle[12] = {0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF,
                                       0x000080, 0x008080, 0x008000, 0x808000, 0x800000, 0x800080};
    return cycle[((graph % 12) + 12) % 12];
}

} // namespace Orvex32

QFont Orvex32Settings::defaultFont(int which)
{
    // Point sizes and weights as the control has always had them; the
    // families are those of the original Japanese desktop and are kept as
    // names, the painter maps them to fonts this machine has.
    const QString pGothic = QStringLiteral("ＭＳ Ｐゴシック");
    QFont font;
    switch (which) {
    case 0:
        font = QFont(pGothic);
        font.setPointSizeF(10);
        font.setWeight(QFont::Bold);
        break;
    case 1:
        font = QFont(pGothic);
        font.setPointSizeF(9);
        font.setWeight(QFont::Normal);
        break;
    case 2:
        font = QFont(pGothic);
        font.setPointSizeF(8);
        font.setWeight(QFont::Normal);
        break;
    case 3:
        font = QFont(pGothic);
        font.setPointSizeF(10);
        font.setWeight(QFont::Normal);
        break;
    default:
        font = QFont(QStringLiteral("ＭＳ ゴシック"));
        font.setPointSizeF(9);
        font.setWeight(QFont::Normal);
        break;
    }
    return font;
}

GraphSettings GraphSettings::defaults(int graph)
{
    GraphSettings s;
    const int n = graph + 1;
    s.graphColor = Orvex32::defaultGraphColor(graph);
    s.markerColor = s.graphColor;
    s.spanBarColor = s.graphColor;
    s.shortName = QStringLiteral("ShortName%1").arg(n);
    s.longName = QStringLiteral("Name%1").arg(n);
    s.unit = QStringLiteral("Unit%1").arg(n);
    return s;
}
