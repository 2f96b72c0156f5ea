#include "corvex32ctrl.h"

#include <QPainter>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <limits>

using Orvex32::InvokeKind;

Q_DECLARE_METATYPE(Orvex32::InvokeKind)

namespace {

const QString PGothic = QStringLiteral("ＭＳ Ｐゴシック");

QFont font(const QString &family, double points, int weight)
{
    QFont f(family);
    f.setPointSizeF(points);
    f.setWeight(QFont::Weight(weight));
    return f;
}

// Runs a call and returns the error it raised (number -1 when none).
struct Raised
{
    int number = -1;
    quint32 status = 0;
    QString text;
};

template <typename F> Raised raised(F &&call)
{
    try {
        call();
    } catch (const Orvex32Error &e) {
        return {e.number(), e.status(), e.text()};
    }
    return {};
}

QColor red()
{
    return QColor(255, 0, 0);
}

// A control with nothing but a white plot area: no caption, legend, scales
// or grid; graph 0 red, the other graphs hidden; 11 points from 0 to 100.
void makePlain(COrvex32Ctrl &c)
{
    c.resize(220, 120);
    c.setCaptionShow(false);
    c.setIntroShow(false);
    c.setHorzScaleShow(false);
    c.setVertScaleShowMode(Orvex32::nbgrVerticalScaleNothing);
    c.setPlotAreaVertScaleLine(Orvex32::nbgrLineKindNothing);
    c.setPlotAreaHorzScaleLine(Orvex32::nbgrLineKindNothing);
    c.setDataCount(11);
    for (int g = 1; g < c.graphCount(); ++g)
        c.setGraphShow(g, 0);
    c.setGraphColor(0, 0x0000FF);
    c.setMarkerColor(0, 0xFF0000); // blue
}

int countColor(const QImage &image, const QColor &color, const QRect &area = QRect())
{
    const QRect r = area.isNull() ? image.rect() : area.intersected(image.rect());
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            if (image.pixelColor(x, y) == color)
                ++n;
        }
    }
    return n;
}

int pointX(const QRect &plot, int k, int dataCount)
{
    return plot.x() + int(k * (double(plot.width()) / (dataCount - 1)));
}

int valueY(const QRect &plot, double v)
{
    return plot.y() + plot.height() - int(std::trunc(v / 100.0 * plot.height()));
}

} // namespace

class TestGraphControl : public QObject
{
    Q_OBJECT

private slots:
    void simpleProperties_data();
    void simpleProperties();
    void graphProperties_data();
    void graphProperties();
    void otherMembers();
    void persistedOrder();
    void enumerations_data();
    void enumerations();
    void newControl();
    void propertyBagRoundTrip();
    void propertyBagForms();
    void propertyBagRefusals();
    void propertyBagManyGraphs();
    void errors_data();
    void errors();
    void errorTexts_data();
    void errorTexts();
    void rejectedSettingsLeaveValues();
    void selection();
    void dataCountByGraphKind();
    void setArrayData();
    void setArrayDataUpdatesLegend();
    void resizeKeepsSurvivingPoints();
    void dataReadsPastTheEnd();
    void click();
    void layout_data();
    void layout();
    void layoutFrameAppearance_data();
    void layoutFrameAppearance();
    void plotInsideGraphRegion();
    void allGapsDrawNothing();
    void singlePointDrawsOnlyItsMarker();
    void gapSplitsLine();
    void lineKindsAndWidths();
    void edgesAreDrawn();
    void singleDataPoint();
    void selectionLine();
    void columnReductionGivesSamePicture_data();
    void columnReductionGivesSamePicture();
    void denseWideLinesAndMarkers_data();
    void denseWideLinesAndMarkers();
    void farValuesOnTallPlots();
    void pictureKindsHaveNoValueScale();
    void ticksBoundedByPixels_data();
    void ticksBoundedByPixels();
    void scaleLabelsNeverTouch_data();
    void scaleLabelsNeverTouch();
    void scaleLabels();
    void markerTexts();
    void otherKindsDraw_data();
    void otherKindsDraw();
};

// --- The dispatch interface ----------------------------------------------------

void TestGraphControl::simpleProperties_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QVariant>("def");

    const auto row = [](int id, const char *name, const char *type, const QVariant &def) {
        QTest::newRow(name) << id << QString::fromLatin1(type) << def;
    };
    const auto s = [](int v) {
        return QVariant::fromValue(short(v));
    };
    row(-518, "Caption", "string", QStringLiteral("NubraOCX/Graph"));
    row(-501, "BackColor", "colour", 0x8000000Fu);
    row(1, "CaptionForeColor", "colour", 0x000000u);
    row(2, "CaptionBackColor", "colour", 0xC0C0C0u);
    row(3, "FrameBackColor", "colour", 0xC0C0C0u);
    row(4, "IntroBackColor", "colour", 0xFFFFFFu);
    row(5, "IntroHorzLine", "bool", true);
    row(6, "IntroVertLineColor", "colour", 0xC0C0C0u);
    row(7, "IntroForeColor", "colour", 0x000000u);
    row(8, "IntroVertLine", "bool", true);
    row(9, "IntroHorzLineColor", "colour", 0xC0C0C0u);
    row(10, "CaptionShow", "bool", true);
    row(11, "IntroShow", "bool", true);
    row(12, "HorzScaleShow", "bool", true);
    row(13, "GraphBackColor", "colour", 0xC0C0C0u);
    row(14, "PlotAreaBackColor", "colour", 0xFFFFFFu);
    row(15, "HorzScaleForeColor", "colour", 0x000000u);
    row(16, "HorzScaleLineColor", "colour", 0x000000u);
    row(17, "VertScaleForeColor", "colour", 0x000000u);
    row(18, "HorzScaleStartValue", "string", QStringLiteral("0"));
    row(19, "AutoRefresh", "bool", true);
    row(20, "PlotAreaVertScaleLineColor", "colour", 0xC0C0C0u);
    row(21, "PlotAreaHorzScaleLineColor", "colour", 0xC0C0C0u);
    row(22, "Overlay", "bool", false);
    row(23, "VertScaleAlign", "VerticalScaleAlignmentConstants", 0);
    row(24, "ImageFiles", "string", QStringLiteral("default.bmp"));
    row(25, "CaptionFont", "font", font(PGothic, 10, 700));
    row(26, "IntroShortNameFont", "font", font(PGothic, 9, 400));
    row(27, "IntroNameFont", "font", font(PGothic, 9, 400));
    row(28, "IntroUnitFont", "font", font(PGothic, 9, 400));
    row(29, "IntroValueFont", "font", font(PGothic, 9, 400));
    row(30, "VertScaleFont", "font", font(PGothic, 8, 400));
    row(31, "HorzScaleFont", "font", font(PGothic, 10, 400));
    row(32, "CaptionAppearance", "FrameStyleConstants", 0);
    row(33, "CaptionBorderStyle", "BorderStyleConstants", 0);
    row(34, "FrameAppearance", "FrameStyleConstants", 1);
    row(35, "CaptionHorzAlign", "AlignmentConstants", 1);
    row(36, "CaptionShadowSize", "short", s(3));
    row(37, "FrameShadowSize", "short", s(5));
    row(38, "FrameBorderStyle", "BorderStyleConstants", 1);
    row(39, "IntroBorderStyle", "BorderStyleConstants", 1);
    row(40, "IntroAppearance", "FrameStyleConstants", 1);
    row(41, "GraphCount", "short", s(4));
    row(42, "IntroShortNameHorzAlign", "AlignmentConstants", 0);
    row(43, "IntroNameHorzAlign", "AlignmentConstants", 0);
    row(44, "IntroUnitHorzAlign", "AlignmentConstants", 0);
    row(45, "IntroValueHorzAlign", "AlignmentConstants", 2);
    row(46, "CaptionVertAlign", "VerticalAlignmentConstants1", 1);
    row(47, "CaptionHeight", "short", s(18));
    row(48, "IntroIndexWidth", "short", s(13));
    row(49, "IntroShortNameWidth", "short", s(105));
    row(50, "IntroNameWidth", "short", s(210));
    row(51, "IntroUnitWidth", "short", s(55));
    row(52, "IntroValueWidth", "short", s(55));
    row(53, "IntroIndividualHeight", "short", s(16));
    row(54, "IntroShortNameVertAlign", "VerticalAlignmentConstants2", 1);
    row(55, "IntroNameVertAlign", "VerticalAlignmentConstants2", 1);
    row(56, "IntroUnitVertAlign", "VerticalAlignmentConstants2", 1);
    row(57, "IntroValueVertAlign", "VerticalAlignmentConstants2", 1);
    row(58, "HorzScaleHeight", "short", s(30));
    row(59, "VertScaleWidth", "short", s(40));
    row(60, "IntroShadowSize", "short", s(3));
    row(61, "VertScaleShowMode", "VerticalScaleConstants", 1);
    row(62, "GraphAppearance", "FrameStyleConstants", 1);
    row(63, "GraphBorderStyle", "BorderStyleConstants", 1);
    row(64, "GraphShadowSize", "short", s(3));
    row(65, "PlotAreaAppearance", "FrameStyleConstants", 1);
    row(66, "PlotAreaBorderStyle", "BorderStyleConstants", 1);
    row(67, "PlotAreaShadowSize", "short", s(3));
    row(68, "VertScaleSplitCount", "short", s(10));
    row(69, "VertScaleSubSplitCount", "short", s(5));
    row(70, "HorzScaleSplitCount", "short", s(10));
    row(71, "HorzScaleSubSplitCount", "short", s(5));
    row(72, "DataCount", "long", 101);
    row(73, "HorzScaleSpan", "long", 1);
    row(74, "HorzScaleSpanUnit", "SpanUnitConstants", 0);
    row(75, "HorzScaleLabelStyle", "ScaleLabelStyleConstants", 0);
    row(76, "GraphKind", "GraphKindConstants", 0);
    row(77, "IntroHorzAlign", "AlignmentConstants", 0);
    row(78, "IntroVertAlign", "VerticalAlignmentConstants2", 0);
    row(79, "HorzScaleLabelPos", "ScaleLabelPosConstants", 0);
    row(80, "PlotAreaVertScaleLine", "LineKindConstants", 3);
    row(81, "PlotAreaHorzScaleLine", "LineKindConstants", 3);
    row(82, "OverlayGraphCount", "short", s(1));
    row(83, "OverlayGraphKind", "GraphKindConstants", 1);
    row(84, "MarkerFont", "font", font(QStringLiteral("ＭＳ ゴシック"), 9, 400));
    row(85, "PlotAreaSelectDataCount", "long", -1);
    row(86, "PlotAreaHitCheckMode", "HitCheckModeConstants", 3);
    row(87, "SpanBarWidth", "long", 5);
    row(88, "SpanCheck", "SpanCheckConstants", 0);
    row(89, "Picture", "picture", QImage());
}

void TestGraphControl::simpleProperties()
{
    QFETCH(int, id);
    QFETCH(QString, type);
    QFETCH(QVariant, def);
    const QString name = QString::fromLatin1(QTest::currentDataTag());

    const Orvex32::MemberInfo *m = Orvex32::member(id);
    QVERIFY(m);
    QCOMPARE(m->name, name);
    QCOMPARE(m->kind, Orvex32::MemberInfo::Property);
    QVERIFY(!m->isIndexed());
    const bool isEnum = type.endsWith(QLatin1String("Constants")) ||
                        type.startsWith(QLatin1String("VerticalAlignmentConstants"));
    if (isEnum) {
        QCOMPARE(m->type, Orvex32::VarType::Enum);
        QCOMPARE(m->enumName, type);
        QVERIFY(Orvex32::enumeration(type));
    } else {
        QCOMPARE(Orvex32::varTypeName(m->type), type);
    }
    QCOMPARE(COrvex32Ctrl::dispIdOfName(name), id);
    QCOMPARE(COrvex32Ctrl::dispIdOfName(name.toUpper()), id);

    // A new control has the default, by id and by name, with the value's type.
    COrvex32Ctrl c;
    const QVariant byId = c.invoke(id, InvokeKind::PropertyGet);
    const QVariant byName = c.propertyGet(name);
    QCOMPARE(byId, def);
    QCOMPARE(byName, def);
    QCOMPARE(byId.metaType(), def.metaType());

    // Persisted under its own name with the same default (Picture is not).
    const QVariantMap bag = c.saveProperties();
    if (id == 89) {
        QVERIFY(!m->isPersisted());
        QVERIFY(!bag.contains(name));
    } else {
        QCOMPARE(m->persistedName, name);
        QCOMPARE(bag.value(name), def);
    }
}

void TestGraphControl::graphProperties_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("indexName");
    QTest::addColumn<QString>("indexType");
    QTest::addColumn<QString>("type");
    QTest::addColumn<QString>("persisted"); // with %d
    QTest::addColumn<QString>("def");       // with %1 = n, "cycle" for the colour cycle

    const auto row = [](int id, const char *name, const char *index, const char *indexType,
                        const char *type, const char *persisted, const char *def) {
        QTest::newRow(name) << id << QString::fromLatin1(index) << QString::fromLatin1(indexType)
                            << QString::fromLatin1(type) << QString::fromLatin1(persisted)
                            << QString::fromLatin1(def);
    };
    row(94, "GraphColor", "nIndex", "short", "colour", "Graph(%d).Color", "cycle");
    row(95, "ShortName", "nIndex", "short", "string", "Graph(%d).ShortName", "ShortName%1");
    row(96, "LongName", "nIndex", "short", "string", "Graph(%d).Name", "Name%1");
    row(97, "Unit", "nIndex", "short", "string", "Graph(%d).Unit", "Unit%1");
    row(98, "Value", "nIndex", "short", "double", "", "0");
    row(99, "ValueFlag", "nIndex", "short", "bool", "", "false");
    row(100, "DecimalPoint", "nIndex", "short", "short", "Graph(%d).DecimalPoint", "2");
    row(101, "HighValue", "nIndex", "short", "double", "Graph(%d).HighValue", "100");
    row(102, "LowValue", "nIndex", "short", "double", "Graph(%d).LowValue", "0");
    row(106, "LineWidth", "nIndex", "short", "short", "Graph(%d).LineWidth", "1");
    row(107, "LineKind", "nIndex", "short", "short", "Graph(%d).LineKind", "1");
    row(108, "MarkerKind", "nGraph", "short", "short", "Graph(%d).MarkerKind", "0");
    row(109, "MarkerColor", "nGraph", "short", "colour", "Graph(%d).MarkerColor", "cycle");
    row(110, "GraphShow", "nGraph", "short", "short", "Graph(%d).GraphShow", "1");
    row(111, "SpanBarShow", "nIndex", "short", "short", "Graph(%d).SpanBarShow", "0");
    row(112, "SpanMax", "nIndex", "long", "double", "Graph(%d).SpanMax", "0");
    row(113, "SpanMin", "nIndex", "long", "double", "Graph(%d).SpanMin", "0");
    row(114, "SpanBarColor", "nIndex", "long", "colour", "Graph(%d).SpanBarColor", "cycle");
    row(115, "GraphAlertColor", "nIndex", "short", "colour", "Graph(%d).GraphAlertColor",
        "12632256");
}

void TestGraphControl::graphProperties()
{
    QFETCH(int, id);
    QFETCH(QString, indexName);
    QFETCH(QString, indexType);
    QFETCH(QString, type);
    QFETCH(QString, persisted);
    QFETCH(QString, def);
    const QString name = QString::fromLatin1(QTest::currentDataTag());

    const Orvex32::MemberInfo *m = Orvex32::member(id);
    QVERIFY(m);
    QCOMPARE(m->name, name);
    QCOMPARE(m->args.size(), 1);
    QCOMPARE(m->args[0].name, indexName);
    QCOMPARE(Orvex32::varTypeName(m->args[0].type), indexType);
    QCOMPARE(Orvex32::varTypeName(m->type), type);
    QCOMPARE(m->persistedName, persisted);

    static const quint32 cycle[12] = {0x0000FF, 0x00FFFF, 0x00FF00, 0xFFFF00, 0xFF0000, 0xFF00FF,
                                      0x000080, 0x008080, 0x008000, 0x808000, 0x800000, 0x800080};
    COrvex32Ctrl c;
    c.setGraphCount(14); // the colour cycle wraps at 12
    const QVariantMap bag = c.saveProperties();
    for (int i = 0; i < 14; ++i) {
        const QVariant v = c.propertyGet(name, {i});
        QVariant expected;
        if (def == QLatin1String("cycle"))
            expected = uint(cycle[i % 12]);
        else if (type == QLatin1String("string"))
            expected = def.arg(i + 1);
        else if (type == QLatin1String("short"))
            expected = QVariant::fromValue(short(def.toInt()));
        else if (type == QLatin1String("colour"))
            expected = def.toUInt();
        else if (type == QLatin1String("bool"))
            expected = false;
        else
            expected = def.toDouble();
        QCOMPARE(v, expected);
        QCOMPARE(v.metaType(), expected.metaType());
        if (!persisted.isEmpty()) {
            const QString key = QString(persisted).replace(QLatin1String("%d"), QString::number(i));
            QCOMPARE(bag.value(key), expected);
        }
    }
}

void TestGraphControl::otherMembers()
{
    struct Row
    {
        int id;
        const char *name;
        Orvex32::MemberInfo::Kind kind;
        const char *type;
        QStringList args;
    };
    using K = Orvex32::MemberInfo;
    const QList<Row> rows = {
        {103, "Data", K::Property, "double", {"nGraph:short", "nIndex:long"}},
        {104, "DataFlag", K::Property, "bool", {"nGraph:short", "nIndex:long"}},
        {105, "Label", K::Property, "string", {"nIndex:long"}},
        {-550, "Refresh", K::Method, "void", {}},
        {-552, "AboutBox", K::Method, "void", {}},
        {90,
         "SetArrayData",
         K::Method,
         "bool",
         {"nGraph:short", "nGraphIndex:long", "nIndex:long", "nCount:long", "aFlag:variant",
          "aData:variant"}},
        {91, "ClearGraph", K::Method, "void", {"nIndex:short"}},
        {92, "ClearGraphAll", K::Method, "void", {}},
        {93, "GetImage", K::Method, "short", {}},
    };
    for (const Row &r : rows) {
        const Orvex32::MemberInfo *m = Orvex32::member(r.id);
        QVERIFY2(m, r.name);
        QCOMPARE(m->name, QString::fromLatin1(r.name));
        QCOMPARE(m->kind, r.kind);
        QCOMPARE(Orvex32::varTypeName(m->type), QString::fromLatin1(r.type));
        QStringList args;
        for (const Orvex32::ArgInfo &a : m->args)
            args << a.name + QLatin1Char(':') + Orvex32::varTypeName(a.type);
        QCOMPARE(args, r.args);
        QVERIFY(!m->isPersisted());
    }
    // 91 simple properties (Picture too), 22 indexed ones, 6 methods.
    QCOMPARE(Orvex32::members().size(), 91 + 22 + 6);

    QCOMPARE(Orvex32::events().size(), 1);
    QCOMPARE(Orvex32::events()[0].dispId, 1);
    QCOMPARE(Orvex32::events()[0].name, QStringLiteral("PlotAreaClick"));
    QCOMPARE(Orvex32::events()[0].args[0].name, QStringLiteral("DataPoint"));
    QCOMPARE(Orvex32::events()[0].args[0].type, Orvex32::VarType::Long);
    QCOMPARE(Orvex32::dispatchInterfaceName(), QStringLiteral("_DOrvex32"));
    QCOMPARE(Orvex32::eventInterfaceName(), QStringLiteral("_DOrvex32Events"));
    QCOMPARE(Orvex32::progId(), QStringLiteral("Orvex32.Orvex32Ctrl.1"));
}

void TestGraphControl::persistedOrder()
{
    const QStringList names = Orvex32::persistedNames(2);
    const QStringList head = {"BackColor", "AutoRefresh", "GraphCount",      "DataCount",
                              "GraphKind", "Caption",     "CaptionForeColor"};
    QCOMPARE(names.mid(0, head.size()), head);
    const QStringList beforeGraphs = {"Overlay",
                                      "OverlayGraphKind",
                                      "OverlayGraphCount",
                                      "MarkerFont",
                                      "PlotAreaHitCheckMode",
                                      "PlotAreaSelectDataCount",
                                      "SpanBarWidth",
                                      "SpanCheck",
                                      "ImageFiles"};
    QCOMPARE(names.mid(90 - beforeGraphs.size(), beforeGraphs.size()), beforeGraphs);
    const QStringList graph1 = {
        "Graph(1).Color",        "Graph(1).ShortName",      "Graph(1).Name",
        "Graph(1).Unit",         "Graph(1).DecimalPoint",   "Graph(1).HighValue",
        "Graph(1).LowValue",     "Graph(1).LineWidth",      "Graph(1).LineKind",
        "Graph(1).MarkerColor",  "Graph(1).MarkerKind",     "Graph(1).GraphShow",
        "Graph(1).SpanBarShow",  "Graph(1).SpanMax",        "Graph(1).SpanMin",
        "Graph(1).SpanBarColor", "Graph(1).GraphAlertColor"};
    QCOMPARE(names.size(), 90 + 2 * 17);
    QCOMPARE(names.mid(90 + 17), graph1);
    // The groups keep together: all caption entries before the frame's, …
    const auto lastOf = [&](const char *prefix) {
        int last = -1;
        for (int i = 6; i < 90; ++i) {
            if (names[i].startsWith(QLatin1String(prefix)))
                last = i;
        }
        return last;
    };
    const auto firstOf = [&](const char *prefix) {
        for (int i = 6; i < 90; ++i) {
            if (names[i].startsWith(QLatin1String(prefix)))
                return i;
        }
        return -1;
    };
    QVERIFY(lastOf("Caption") < firstOf("Frame"));
    QVERIFY(lastOf("Frame") < firstOf("Intro"));
    QVERIFY(lastOf("Intro") < firstOf("HorzScale"));
    QVERIFY(lastOf("HorzScale") < firstOf("VertScale"));
    QVERIFY(lastOf("VertScale") < firstOf("GraphBackColor"));
    QVERIFY(firstOf("PlotAreaBackColor") > lastOf("GraphShadowSize"));
    QCOMPARE(QSet<QString>(names.begin(), names.end()).size(), names.size());
    // The bag of a control holds exactly these entries.
    COrvex32Ctrl c;
    c.setGraphCount(2);
    QStringList saved = c.saveProperties().keys();
    QStringList expected = names;
    saved.sort();
    expected.sort();
    QCOMPARE(saved, expected);
}

void TestGraphControl::enumerations_data()
{
    QTest::addColumn<QStringList>("constants"); // name=value
    QTest::newRow("FrameStyleConstants") << QStringList{"nbgrFrameRaise=0", "nbgrFrameFlat=1",
                                                        "nbgrFrameInset=2", "nbgrFrameShadow=3"};
    QTest::newRow("BorderStyleConstants") << QStringList{"nbgrBorderNothing=0", "nbgrBorderLine=1"};
    QTest::newRow("AlignmentConstants")
        << QStringList{"nbgrLeftJustify=0", "nbgrCenter=1", "nbgrRightJustify=2"};
    QTest::newRow("VerticalAlignmentConstants1")
        << QStringList{"nbgrVerticalAlignment1TopJustify=0", "nbgrVerticalAlignment1Middle=1",
                       "nbgrVerticalAlignment1BottomJustify=2", "nbgrMultiLine=3"};
    QTest::newRow("VerticalAlignmentConstants2")
        << QStringList{"nbgrVerticalAlignment2TopJustify=0", "nbgrVerticalAlignment2Middle=1",
                       "nbgrVerticalAlignment2BottomJustify=2"};
    QTest::newRow("VerticalScaleConstants") << QStringList{
        "nbgrVerticalScaleNothing=0", "nbgrVerticalScaleSingle=1", "nbgrVerticalScaleIndividual=2"};
    QTest::newRow("SpanUnitConstants") << QStringList{
        "nbgrSpanUnitNumber=0", "nbgrSpanUnitYear=1",   "nbgrSpanUnitMonth=2", "nbgrSpanUnitDay=3",
        "nbgrSpanUnitHour=4",   "nbgrSpanUnitMinute=5", "nbgrSpanUnitSecond=6"};
    QTest::newRow("ScaleLabelStyleConstants") << QStringList{"nbgrScaleAuto=0", "nbgrScaleLabel=1"};
    QTest::newRow("ScaleLabelPosConstants") << QStringList{"nbgrScaleLeft=0", "nbgrScaleCenter=1"};
    QTest::newRow("GraphKindConstants") << QStringList{
        "nbgrGraphKindLineGraph1=0",  "nbgrGraphKindLineGraph2=1",   "nbgrGraphKindBarGraph=2",
        "nbgrGraphKindCircleGraph=3", "nbgrGraphKindDigitalGraph=4", "nbgrGraphKintScatGraph=5"};
    QTest::newRow("LineKindConstants") << QStringList{
        "nbgrLineKindNothing=0", "nbgrLineKindSolid=1",   "nbgrLineKindDash=2",
        "nbgrLineKindDot=3",     "nbgrLineKindDashDot=4", "nbgrLineKindDashDotDot=5"};
    QTest::newRow("HitCheckModeConstants")
        << QStringList{"nbgrHitCheckOffAll=0", "nbgrHitCheckLineDisp=1", "nbgrHitCheckIntroDisp=2",
                       "nbgrHitCheckOnAll=3"};
    QTest::newRow("VerticalScaleAlignmentConstants")
        << QStringList{"nbgrVerticalScaleBothSide=0", "nbgrVerticalScaleLeftSide=1",
                       "nbgrVerticalScaleRightSide=2"};
    QTest::newRow("SpanCheckConstants") << QStringList{"SpanCheckOff=0", "SpanCheckOn=1"};
    QTest::newRow("OldEnumConstants")
        << QStringList{"Raise=0",        "Flat=1",       "Inset=2",      "Shadow=3",
                       "Nothing=0",      "Line=1",       "LeftAlign=0",  "CenterAlign=1",
                       "RightAlign=2",   "Top=0",        "Middle=1",     "Bottom=2",
                       "MultiLine=3",    "Single=1",     "Individual=2", "Number=0",
                       "Year=1",         "Month=2",      "Day=3",        "Hour=4",
                       "Minute=5",       "Second=6",     "Auto=0",       "Label=1",
                       "LineGraph1=0",   "LineGraph2=1", "BarGraph=2",   "CircleGraph=3",
                       "DigitalGraph=4", "ScatGraph=5",  "Solid=1",      "Dash=2",
                       "Dot=3",          "DashDot=4",    "DashDotDot=5", "OffAll=0",
                       "LineDisp=1",     "IntroDisp=2",  "OnAll=3",      "BothSide=0",
                       "LeftSide=1",     "RightSide=2",  "Off=0",        "On=1"};
}

void TestGraphControl::enumerations()
{
    QFETCH(QStringList, constants);
    const Orvex32::EnumInfo *e = Orvex32::enumeration(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(e);
    QStringList got;
    for (const auto &c : e->constants)
        got << QStringLiteral("%1=%2").arg(c.first).arg(c.second);
    QCOMPARE(got, constants);
}

void TestGraphControl::newControl()
{
    COrvex32Ctrl c;
    QCOMPARE(c.graphCount(), short(4));
    QCOMPARE(c.dataCount(), 101);
    QCOMPARE(c.store().graphCount(), 4);
    QCOMPARE(c.store().dataCount(), 101);
    QCOMPARE(c.caption(), QStringLiteral("NubraOCX/Graph"));
    QCOMPARE(c.plotAreaSelectDataCount(), -1);
    for (int g = 0; g < 4; ++g) {
        for (int k = 0; k < 101; ++k)
            QVERIFY(!c.dataFlag(g, k));
    }
    QCOMPARE(c.label(100), QString());
    QCOMPARE(c.saveProperties(), COrvex32Ctrl::defaultProperties());
}

// --- The property bag ------------------------------------------------------------

void TestGraphControl::propertyBagRoundTrip()
{
    COrvex32Ctrl a;
    a.propertyPut(QStringLiteral("GraphCount"), 3);
    a.propertyPut(QStringLiteral("DataCount"), 501);
    a.propertyPut(QStringLiteral("Caption"), QStringLiteral("Oscilloscope"));
    a.propertyPut(QStringLiteral("CaptionShow"), false);
    a.propertyPut(QStringLiteral("FrameAppearance"), Orvex32::nbgrFrameShadow);
    a.propertyPut(QStringLiteral("IntroVertAlign"), 2);
    a.propertyPut(QStringLiteral("PlotAreaBackColor"), 0x202020u);
    a.propertyPut(QStringLiteral("CaptionFont"), font(QStringLiteral("DejaVu Sans"), 12, 400));
    a.propertyPut(QStringLiteral("HorzScaleStartValue"), QStringLiteral("2024/01/01"));
    a.propertyPut(QStringLiteral("PlotAreaSelectDataCount"), 250);
    a.propertyPut(QStringLiteral("ImageFiles"), QStringLiteral("scope.bmp"));
    a.propertyPut(QStringLiteral("ShortName"), {2}, QStringLiteral("CH3"));
    a.propertyPut(QStringLiteral("LowValue"), {1}, -200.0);
    a.propertyPut(QStringLiteral("HighValue"), {1}, -100.0);
    a.propertyPut(QStringLiteral("SpanMax"), {0}, 12.5);
    a.propertyPut(QStringLiteral("MarkerKind"), {2}, 3);
    a.propertyPut(QStringLiteral("GraphColor"), {0}, 0x123456u);

    const QVariantMap bag = a.saveProperties();
    COrvex32Ctrl b(bag);
    QCOMPARE(b.saveProperties(), bag);
    QCOMPARE(b.graphCount(), short(3));
    QCOMPARE(b.dataCount(), 501);
    QCOMPARE(b.plotAreaSelectDataCount(), 250);
    QCOMPARE(b.shortName(2), QStringLiteral("CH3"));
    QCOMPARE(b.lowValue(1), -200.0);
    QCOMPARE(b.highValue(1), -100.0);
    QCOMPARE(b.graphColor(0), 0x123456u);
    QCOMPARE(b.captionFont().family(), QStringLiteral("DejaVu Sans"));
    QCOMPARE(b.store().dataCount(), 501);
    QVERIFY(!bag.contains(QStringLiteral("Graph(3).Color")));

    // Loading resets what the bag does not name.
    COrvex32Ctrl d;
    d.setCaption(QStringLiteral("changed"));
    QVERIFY(d.loadProperties({{QStringLiteral("DataCount"), 11}}).isEmpty());
    QCOMPARE(d.caption(), QStringLiteral("NubraOCX/Graph"));
    QCOMPARE(d.dataCount(), 11);
}

void TestGraphControl::propertyBagForms()
{
    // Bags written by hand or from text: numbers as text, colours as
    // "#RRGGBB" or negative 32-bit numbers, fonts as text or maps.
    const QVariantMap bag = {
        {"GraphCount", QStringLiteral("2")},
        {"CaptionShow", QStringLiteral("false")},
        {"CaptionBackColor", QStringLiteral("#FF8000")},
        {"BackColor", int(0x8000000F)},
        {"IntroBackColor", QStringLiteral("&H00C0FFC0&")},
        {"CaptionFont", QStringLiteral("DejaVu Sans,12,700")},
        {"MarkerFont", QVariantMap{{"Name", "DejaVu Sans Mono"}, {"Size", 8}, {"Bold", true}}},
        {"Graph(1).HighValue", QStringLiteral("5.5")},
        {"Graph(1).GraphShow", true},
    };
    COrvex32Ctrl c;
    QCOMPARE(c.loadProperties(bag), QStringList());
    QCOMPARE(c.graphCount(), short(2));
    QCOMPARE(c.captionShow(), false);
    QCOMPARE(c.captionBackColor(), 0x0080FFu);
    QCOMPARE(c.backColor(), 0x8000000Fu);
    QCOMPARE(c.introBackColor(), 0xC0FFC0u);
    QCOMPARE(c.captionFont(), font(QStringLiteral("DejaVu Sans"), 12, 700));
    QCOMPARE(c.markerFont(), font(QStringLiteral("DejaVu Sans Mono"), 8, 700));
    QCOMPARE(c.highValue(1), 5.5);
    QVERIFY(c.graphShow(1) != 0);
}

void TestGraphControl::propertyBagRefusals()
{
    const QVariantMap bag = {
        {"GraphCount", 2},
        {"DataCount", 0},                          // refused: 1000
        {"GraphKind", 5},                          // refused: 1004
        {"CaptionHeight", QStringLiteral("tall")}, // not a number
        {"Graph(0).HighValue", -5},                // below the low value
        {"Graph(1).HighValue", -5},                // with its low value a valid pair
        {"Graph(1).LowValue", -10},
        {"Graph(2).Color", 0xFF},  // no graph 2
        {"Graph(01).Color", 0xFF}, // not as a set is saved
        {"Graph(1).Colour", 1},    // no such entry
        {"Colour", 1},             // unknown
        {"Caption", QStringLiteral("kept")},
    };
    COrvex32Ctrl c;
    QStringList rejected = c.loadProperties(bag);
    rejected.sort();
    QStringList expected = {"CaptionHeight",      "Colour",          "DataCount",
                            "Graph(0).HighValue", "Graph(01).Color", "Graph(1).Colour",
                            "Graph(2).Color",     "GraphKind"};
    QCOMPARE(rejected, expected);
    QCOMPARE(c.dataCount(), 101);
    QCOMPARE(c.graphKind(), Orvex32::nbgrGraphKindLineGraph1);
    QCOMPARE(c.captionHeight(), short(18));
    QCOMPARE(c.highValue(0), 100.0);
    QCOMPARE(c.highValue(1), -5.0);
    QCOMPARE(c.lowValue(1), -10.0);
    QCOMPARE(c.caption(), QStringLiteral("kept"));
}

// The most graphs a set can hold load whole, each graph its own entries.
void TestGraphControl::propertyBagManyGraphs()
{
    COrvex32Ctrl a;
    a.setGraphCount(32767);
    a.setHighValue(32766, 7.5);
    a.setLongName(32766, QStringLiteral("last"));
    a.setLongName(1, QStringLiteral("second"));
    COrvex32Ctrl b;
    QCOMPARE(b.loadProperties(a.saveProperties()), QStringList());
    QCOMPARE(b.graphCount(), short(32767));
    QCOMPARE(b.highValue(32766), 7.5);
    QCOMPARE(b.longName(32766), QStringLiteral("last"));
    QCOMPARE(b.longName(1), QStringLiteral("second"));
    QCOMPARE(b.graphColor(13), a.graphColor(13));
}

// --- Errors -------------------------------------------------------------------------

void TestGraphControl::errors_data()
{
    QTest::addColumn<QString>("member");
    QTest::addColumn<InvokeKind>("kind");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<int>("number");
    QTest::addColumn<quint32>("status");

    const auto get = InvokeKind::PropertyGet;
    const auto put = InvokeKind::PropertyPut;
    const auto call = InvokeKind::Method;
    const quint32 value = Orvex32Error::CtlInvalidPropertyValue;
    const quint32 index = Orvex32Error::CtlInvalidPropertyArrayIndex;
    const QVariantList flags5{1, 1, 1, 1, 1};
    const QVariantList data5{1.0, 2.0, 3.0, 4.0, 5.0};
    const QVariant intFlags = QVariant::fromValue(QList<int>(101, 1));
    const QVariant doubleData = QVariant::fromValue(QList<double>(101, 1.0));

    QTest::newRow("GraphCount 0") << "GraphCount" << put << QVariantList{0} << 1000 << value;
    QTest::newRow("GraphCount -1") << "GraphCount" << put << QVariantList{-1} << 1000 << value;
    QTest::newRow("DataCount 0") << "DataCount" << put << QVariantList{0} << 1000 << value;
    QTest::newRow("DataCount -5") << "DataCount" << put << QVariantList{-5} << 1000 << value;
    // A size beyond what the store may hold is a memory failure that
    // changes nothing (labels are counted: one graph does not make room).
    const quint32 memory = Orvex32Error::CtlOutOfMemory;
    QTest::newRow("DataCount 2^24")
        << "DataCount" << put << QVariantList{1 << 24} << 1001 << memory;
    QTest::newRow("DataCount 2^26")
        << "DataCount" << put << QVariantList{1 << 26} << 1001 << memory;
    QTest::newRow("GraphKind 5") << "GraphKind" << put << QVariantList{5} << 1004 << value;
    QTest::newRow("GraphKind -1") << "GraphKind" << put << QVariantList{-1} << 1004 << value;
    QTest::newRow("FrameAppearance 4")
        << "FrameAppearance" << put << QVariantList{4} << 1000 << value;
    QTest::newRow("HighValue = LowValue")
        << "HighValue" << put << QVariantList{0, 0.0} << 1010 << value;
    QTest::newRow("LowValue = HighValue")
        << "LowValue" << put << QVariantList{0, 100.0} << 1010 << value;
    const double inf = std::numeric_limits<double>::infinity();
    QTest::newRow("HighValue NaN")
        << "HighValue" << put << QVariantList{0, std::nan("")} << 1009 << value;
    QTest::newRow("HighValue inf") << "HighValue" << put << QVariantList{0, inf} << 1009 << value;
    QTest::newRow("LowValue -inf") << "LowValue" << put << QVariantList{0, -inf} << 1009 << value;
    QTest::newRow("SpanBarWidth -1") << "SpanBarWidth" << put << QVariantList{-1} << 1000 << value;
    QTest::newRow("SpanBarWidth 1e9")
        << "SpanBarWidth" << put << QVariantList{1000000000} << 1000 << value;
    QTest::newRow("GraphColor(4)") << "GraphColor" << get << QVariantList{4} << 1002 << index;
    QTest::newRow("ShortName(-1) put")
        << "ShortName" << put << QVariantList{-1, "x"} << 1002 << index;
    QTest::newRow("SpanMax(4)") << "SpanMax" << get << QVariantList{4} << 1002 << index;
    QTest::newRow("MarkerKind(4)") << "MarkerKind" << get << QVariantList{4} << 1006 << value;
    QTest::newRow("GraphShow(-1) put")
        << "GraphShow" << put << QVariantList{-1, 1} << 1006 << value;
    QTest::newRow("Data(4,0)") << "Data" << get << QVariantList{4, 0} << 1003 << index;
    QTest::newRow("Data(-1,0) put") << "Data" << put << QVariantList{-1, 0, 1.0} << 1003 << index;
    QTest::newRow("Data(0,101) put") << "Data" << put << QVariantList{0, 101, 1.0} << 1002 << index;
    QTest::newRow("Data(0,-1) put") << "Data" << put << QVariantList{0, -1, 1.0} << 1002 << index;
    QTest::newRow("DataFlag(0,101)") << "DataFlag" << get << QVariantList{0, 101} << 1002 << index;
    QTest::newRow("DataFlag(4,0) put")
        << "DataFlag" << put << QVariantList{4, 0, true} << 1002 << index;
    QTest::newRow("Label(101)") << "Label" << get << QVariantList{101} << 1002 << index;
    QTest::newRow("Label(-1) put") << "Label" << put << QVariantList{-1, "x"} << 1002 << index;
    QTest::newRow("ClearGraph(4)") << "ClearGraph" << call << QVariantList{4} << 1006 << value;

    QTest::newRow("SetArrayData graph 4")
        << "SetArrayData" << call << QVariantList{4, 0, 0, 5, flags5, data5} << 1006 << value;
    QTest::newRow("SetArrayData graph -1")
        << "SetArrayData" << call << QVariantList{-1, 0, 0, 5, flags5, data5} << 1006 << value;
    QTest::newRow("SetArrayData start 101")
        << "SetArrayData" << call << QVariantList{0, 101, 0, 0, flags5, data5} << 1007 << value;
    QTest::newRow("SetArrayData start -1")
        << "SetArrayData" << call << QVariantList{0, -1, 0, 1, flags5, data5} << 1007 << value;
    QTest::newRow("SetArrayData one past the end")
        << "SetArrayData" << call << QVariantList{0, 0, 0, 102, intFlags, doubleData} << 1008
        << value;
    QTest::newRow("SetArrayData end past the end")
        << "SetArrayData" << call << QVariantList{0, 97, 0, 5, flags5, data5} << 1008 << value;
    QTest::newRow("SetArrayData negative count")
        << "SetArrayData" << call << QVariantList{0, 0, 0, -1, flags5, data5} << 1008 << value;
    QTest::newRow("SetArrayData negative array index")
        << "SetArrayData" << call << QVariantList{0, 0, -1, 2, flags5, data5} << 1008 << value;
    QTest::newRow("SetArrayData arrays too short")
        << "SetArrayData" << call << QVariantList{0, 0, 1, 5, flags5, data5} << 1008 << value;
    QTest::newRow("SetArrayData flag scalar")
        << "SetArrayData" << call << QVariantList{0, 0, 0, 1, 1, data5} << 1005 << value;
    QTest::newRow("SetArrayData data scalar")
        << "SetArrayData" << call << QVariantList{0, 0, 0, 1, flags5, 1.0} << 1005 << value;
    QTest::newRow("SetArrayData flags of doubles")
        << "SetArrayData" << call << QVariantList{0, 0, 0, 5, data5, data5} << 1009 << value;
    QTest::newRow("SetArrayData flag list of doubles")
        << "SetArrayData" << call << QVariantList{0, 0, 0, 5, doubleData, doubleData} << 1009
        << value;
    QTest::newRow("SetArrayData data of ints")
        << "SetArrayData" << call << QVariantList{0, 0, 0, 5, flags5, flags5} << 1009 << value;
    const QVariant typedLists[] = {
        QVariant::fromValue(QList<float>(5, 1.0f)), QVariant::fromValue(QList<qint64>(5, 1)),
        QVariant::fromValue(QList<short>(5, 1)), QVariant::fromValue(QList<quint32>(5, 1)),
        QVariant(QStringList(5, QStringLiteral("1")))};
    for (const QVariant &list : typedLists) {
        const QByteArray type = list.metaType().name();
        QTest::addRow("SetArrayData flags %s", type.constData())
            << "SetArrayData" << call << QVariantList{0, 0, 0, 5, list, data5} << 1009 << value;
        QTest::addRow("SetArrayData data %s", type.constData())
            << "SetArrayData" << call << QVariantList{0, 0, 0, 5, flags5, list} << 1009 << value;
    }
    QTest::newRow("SetArrayData data string")
        << "SetArrayData" << call << QVariantList{0, 0, 0, 1, flags5, "1.0"} << 1005 << value;

    // What the dispatch interface itself refuses (number 0).
    QTest::newRow("string for short")
        << "GraphCount" << put << QVariantList{"many"} << 0 << Orvex32Error::DispTypeMismatch;
    QTest::newRow("list for string")
        << "Caption" << put << QVariantList{QVariantList{1}} << 0 << Orvex32Error::DispTypeMismatch;
    QTest::newRow("map for colour") << "GraphColor" << put << QVariantList{0, QVariantMap()} << 0
                                    << Orvex32Error::DispTypeMismatch;
    QTest::newRow("short overflow")
        << "GraphCount" << put << QVariantList{40000} << 0 << Orvex32Error::DispOverflow;
    QTest::newRow("index overflow")
        << "GraphColor" << get << QVariantList{70000} << 0 << Orvex32Error::DispOverflow;
    QTest::newRow("index of text")
        << "Data" << get << QVariantList{"a", 0} << 0 << Orvex32Error::DispTypeMismatch;
    QTest::newRow("index missing")
        << "GraphColor" << get << QVariantList{} << 0 << Orvex32Error::DispBadParamCount;
    QTest::newRow("value missing")
        << "Caption" << put << QVariantList{} << 0 << Orvex32Error::DispBadParamCount;
    QTest::newRow("method with args")
        << "Refresh" << call << QVariantList{1} << 0 << Orvex32Error::DispBadParamCount;
    QTest::newRow("SetArrayData short")
        << "SetArrayData" << call << QVariantList{0, 0, 0} << 0 << Orvex32Error::DispBadParamCount;
    QTest::newRow("unknown") << "NoSuchMember" << get << QVariantList{} << 0
                             << Orvex32Error::DispMemberNotFound;
    QTest::newRow("property called")
        << "Caption" << call << QVariantList{} << 0 << Orvex32Error::DispMemberNotFound;
    QTest::newRow("method read") << "Refresh" << get << QVariantList{} << 0
                                 << Orvex32Error::DispMemberNotFound;
}

void TestGraphControl::errors()
{
    QFETCH(QString, member);
    QFETCH(InvokeKind, kind);
    QFETCH(QVariantList, args);
    QFETCH(int, number);
    QFETCH(quint32, status);

    COrvex32Ctrl c;
    const QVariantMap before = c.saveProperties();
    const Raised e = raised([&] { c.invoke(member, kind, args); });
    QCOMPARE(e.number, number);
    QCOMPARE(e.status, status);
    QVERIFY(!e.text.isEmpty());
    if (number > 0)
        QCOMPARE(e.text, Orvex32Error::textOf(number));
    // A refused call changes nothing.
    QCOMPARE(c.saveProperties(), before);
    QCOMPARE(c.store().dataCount(), 101);
    QCOMPARE(c.store().labels().size(), 101);
    for (int k = 0; k < 101; ++k)
        QVERIFY(!c.dataFlag(0, k));

    // The typed interface raises the same errors.
    if (member == QLatin1String("SetArrayData") && number >= 1006 && number <= 1008 &&
        args.size() == 6 && args[4].typeId() == QMetaType::QVariantList) {
        const QList<qint32> flags(args[4].toList().size(), 1);
        const QList<double> data(args[5].toList().size(), 1.0);
        const Raised t = raised([&] {
            c.setArrayData(args[0].toInt(), args[1].toInt(), args[2].toInt(), args[3].toInt(),
                           std::span<const qint32>(flags), std::span<const double>(data));
        });
        QCOMPARE(t.number, number);
    }
}

void TestGraphControl::errorTexts_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("text");
    QTest::newRow("1000") << 1000
                          << QStringLiteral("指定されたプロパティ値が範囲を超えています。\n"
                                            "プロパティ、メソッドで指定した値を確認してください。");
    QTest::newRow("1001")
        << 1001
        << QStringLiteral("メモり不足が発生しました。\n指定した値が妥当がどうかチェックするか"
                          "、動作しているアプリケーションを終了させて再度実行してください。");
    QTest::newRow("1002")
        << 1002
        << QStringLiteral("プロパティで指定されたインデックス値（パラメータ）が間違っています"
                          "。\nインデックス値（パラメータ）が範囲を超えていないかなどを確認"
                          "してください。");
    QTest::newRow("1003")
        << 1003
        << QStringLiteral("プロパティで指定されたグラフ番号（パラメータ）が間違っています。\n"
                          "グラフ番号（パラメータ）が範囲を超えていないかなどを確認してくださ"
                          "い。");
    QTest::newRow("1004") << 1004 << QStringLiteral("現在、指定されたグラフはサポートしてません。");
    QTest::newRow("1005")
        << 1005
        << QStringLiteral("データフラグ、データの両方またはいずれかが配列データではありません"
                          "。\n必ず、配列データを指定してください。");
    QTest::newRow("1006") << 1006 << QStringLiteral("グラフ番号がグラフ個数を超えています。");
    QTest::newRow("1007") << 1007
                          << QStringLiteral(
                                 "グラフデータインデックス番号が、データ個数を超えています。");
    QTest::newRow("1008") << 1008
                          << QStringLiteral("指定されたデータ個数（グラフデータインデックス、データ"
                                            "インデックス考慮)がデータ個数を超えています。");
    QTest::newRow("1009") << 1009
                          << QStringLiteral("指定されたデータタイプが違います。\nヘルプを参考にして"
                                            "、型を合わせてください。");
    QTest::newRow("1010")
        << 1010
        << QStringLiteral("上限値が下限値を下回っているか、下限値が上限値を上回っています。");
}

void TestGraphControl::errorTexts()
{
    QFETCH(int, number);
    QFETCH(QString, text);
    QCOMPARE(Orvex32Error::textOf(number), text);
    const Orvex32Error e(static_cast<Orvex32Error::Number>(number));
    QCOMPARE(e.text(), text);
    QCOMPARE(e.number(), number);
    QCOMPARE(e.status(), number == 1001 ? Orvex32Error::CtlOutOfMemory
                         : number == 1002 || number == 1003
                             ? Orvex32Error::CtlInvalidPropertyArrayIndex
                             : Orvex32Error::CtlInvalidPropertyValue);
}

void TestGraphControl::rejectedSettingsLeaveValues()
{
    COrvex32Ctrl c;
    c.setHighValue(0, 50);
    QCOMPARE(raised([&] { c.setLowValue(0, 60); }).number, 1010);
    QCOMPARE(c.lowValue(0), 0.0);
    QCOMPARE(raised([&] { c.setHighValue(0, std::nan("")); }).number, 1009);
    QCOMPARE(c.highValue(0), 50.0);
    QCOMPARE(raised([&] { c.setGraphCount(0); }).number, 1000);
    QCOMPARE(c.graphCount(), short(4));
    QCOMPARE(raised([&] { c.setGraphKind(Orvex32::nbgrGraphKintScatGraph); }).number, 1004);
    QCOMPARE(c.graphKind(), Orvex32::nbgrGraphKindLineGraph1);

    // A range below the old one: one at a time is refused, both at once not.
    QCOMPARE(raised([&] { c.setHighValue(1, -100); }).number, 1010);
    c.setValueRange(1, -200, -100);
    QCOMPARE(c.lowValue(1), -200.0);
    QCOMPARE(c.highValue(1), -100.0);
    QCOMPARE(raised([&] { c.setValueRange(1, 5, 5); }).number, 1010);
    QCOMPARE(raised([&] { c.setValueRange(4, 0, 1); }).number, 1002);
    QCOMPARE(c.lowValue(1), -200.0);
}

void TestGraphControl::selection()
{
    COrvex32Ctrl c;
    c.setPlotAreaSelectDataCount(50);
    QCOMPARE(c.plotAreaSelectDataCount(), 50);
    c.setPlotAreaSelectDataCount(-7);
    QCOMPARE(c.plotAreaSelectDataCount(), -1);
    c.setPlotAreaSelectDataCount(100);
    QCOMPARE(c.plotAreaSelectDataCount(), 100);
    // Only 0 … DataCount−1 can be selected: DataCount itself is refused too,
    // and the selection clamps to the last point.
    c.setPlotAreaSelectDataCount(-1);
    QCOMPARE(raised([&] { c.setPlotAreaSelectDataCount(101); }).number, 1000);
    QCOMPARE(c.plotAreaSelectDataCount(), 100);
    QCOMPARE(raised([&] { c.setPlotAreaSelectDataCount(5000); }).number, 1000);
    QCOMPARE(c.plotAreaSelectDataCount(), 100);
    // DataCount must stay above the selection.
    QCOMPARE(raised([&] { c.setDataCount(100); }).number, 1000);
    QCOMPARE(c.dataCount(), 101);
    c.setPlotAreaSelectDataCount(40);
    c.setDataCount(41);
    QCOMPARE(c.dataCount(), 41);
}

void TestGraphControl::dataCountByGraphKind()
{
    COrvex32Ctrl c;
    c.setGraphKind(Orvex32::nbgrGraphKindCircleGraph);
    QCOMPARE(raised([&] { c.setDataCount(5); }).number, 1000);
    c.setDataCount(1);
    QCOMPARE(c.dataCount(), 1);
    c.setGraphKind(Orvex32::nbgrGraphKindDigitalGraph);
    QCOMPARE(raised([&] { c.setDataCount(2); }).number, 1000);
    c.setGraphKind(Orvex32::nbgrGraphKindBarGraph);
    c.setDataCount(7);
    QCOMPARE(c.dataCount(), 7);
}

void TestGraphControl::setArrayData()
{
    COrvex32Ctrl c;
    // Up to the last point exactly.
    QList<qint32> flags(101);
    QList<double> data(101);
    for (int k = 0; k < 101; ++k) {
        flags[k] = k % 3;
        data[k] = k * 0.5;
    }
    QVERIFY(c.setArrayData(1, 0, 0, 101, flags, data));
    for (int k = 0; k < 101; ++k) {
        QCOMPARE(c.dataFlag(1, k), k % 3 != 0);
        QCOMPARE(c.data(1, k), k * 0.5);
    }
    // A window of the arrays into the middle of the graph, by dispatch.
    const QVariantList f{7, 0, 9, 1};
    const QVariantList d{1.5, 2.5, 3.5, 4.5};
    QCOMPARE(c.call(QStringLiteral("SetArrayData"), {2, 98, 1, 3, f, d}), QVariant(true));
    QCOMPARE(c.store().flag(2, 98), 0);
    QCOMPARE(c.store().flag(2, 99), 9);
    QCOMPARE(c.data(2, 100), 4.5);
    QCOMPARE(c.data(2, 97), 0.0);
    // Typed lists through the dispatch interface as well.
    QCOMPARE(
        c.call(QStringLiteral("SetArrayData"), {0, 0, 0, 2, QVariant::fromValue(QList<int>{1, 1}),
                                                QVariant::fromValue(QList<double>{-1.0, -2.0})}),
        QVariant(true));
    QCOMPARE(c.data(0, 1), -2.0);
    // Zero points is a valid transfer.
    QVERIFY(c.setArrayData(3, 100, 0, 0, std::span<const qint32>(), std::span<const double>()));

    c.call(QStringLiteral("ClearGraph"), {1});
    QVERIFY(!c.store().hasPoints(1));
    QVERIFY(c.store().hasPoints(2));
    c.call(QStringLiteral("ClearGraphAll"));
    QVERIFY(!c.store().hasPoints(2));
    QCOMPARE(c.data(2, 100), 0.0);
}

void TestGraphControl::setArrayDataUpdatesLegend()
{
    COrvex32Ctrl c;
    c.setPlotAreaSelectDataCount(5);
    const QList<qint32> flags(10, 1);
    QList<double> data(10);
    for (int k = 0; k < 10; ++k)
        data[k] = 100 + k;
    c.setArrayData(0, 0, 0, 10, flags, data);
    QCOMPARE(c.value(0), 105.0);
    QVERIFY(c.valueFlag(0));
    // Not while the legend is left alone.
    c.setPlotAreaHitCheckMode(Orvex32::nbgrHitCheckLineDisp);
    data[5] = 1;
    c.setArrayData(0, 0, 0, 10, flags, data);
    QCOMPARE(c.value(0), 105.0);
}

void TestGraphControl::resizeKeepsSurvivingPoints()
{
    COrvex32Ctrl c;
    for (int g = 0; g < 4; ++g) {
        for (int k = 0; k < 101; ++k) {
            c.setDataFlag(g, k, true);
            c.setData(g, k, g * 1000 + k);
        }
    }
    c.setShortName(1, QStringLiteral("kept"));
    c.setDataCount(50);
    c.setGraphCount(2);
    c.setDataCount(101);
    c.setGraphCount(5);
    for (int g = 0; g < 2; ++g) {
        for (int k = 0; k < 50; ++k) {
            QVERIFY(c.dataFlag(g, k));
            QCOMPARE(c.data(g, k), double(g * 1000 + k));
        }
        for (int k = 50; k < 101; ++k) {
            QVERIFY(!c.dataFlag(g, k));
            QCOMPARE(c.data(g, k), 0.0);
        }
    }
    for (int g = 2; g < 5; ++g)
        QVERIFY(!c.store().hasPoints(g));
    QCOMPARE(c.shortName(1), QStringLiteral("kept"));
    QCOMPARE(c.shortName(2), QStringLiteral("ShortName3"));
    QCOMPARE(c.graphColor(4), 0xFF0000u);

    // Far too many points is out of memory, and nothing changes.
    QCOMPARE(raised([&] { c.setDataCount(2000000000); }).number, 1001);
    QCOMPARE(raised([&] { c.setDataCount(2000000000); }).status, Orvex32Error::CtlOutOfMemory);
    QCOMPARE(c.dataCount(), 101);
    QCOMPARE(c.store().dataCount(), 101);
}

void TestGraphControl::dataReadsPastTheEnd()
{
    COrvex32Ctrl c;
    // Nothing selected: reading past the end gives 0.
    QCOMPARE(c.propertyGet(QStringLiteral("Data"), {0, 101}), QVariant(0.0));
    QCOMPARE(c.propertyGet(QStringLiteral("Data"), {0, -1}), QVariant(0.0));
    c.setPlotAreaSelectDataCount(3);
    QCOMPARE(raised([&] { c.propertyGet(QStringLiteral("Data"), {0, 101}); }).number, 1002);
}

void TestGraphControl::click()
{
    COrvex32Ctrl c;
    makePlain(c);
    for (int k = 0; k < 11; ++k) {
        c.setDataFlag(1, k, true);
        c.setData(1, k, k * 10);
    }
    QSignalSpy spy(&c, &COrvex32Ctrl::PlotAreaClick);
    QSignalSpy generic(&c, &COrvex32Ctrl::dispatchEvent);
    const QRect plot = c.plotRect();
    const int y = plot.center().y();

    // On point 4: selected, legend values taken, event fired.
    QTest::mouseRelease(&c, Qt::LeftButton, {}, QPoint(pointX(plot, 4, 11) + 1, y));
    QCOMPARE(spy.size(), 1);
    QCOMPARE(spy.takeFirst().at(0).toInt(), 4);
    QCOMPARE(c.plotAreaSelectDataCount(), 4);
    QCOMPARE(c.value(1), 40.0);
    QCOMPARE(generic.size(), 1);
    QCOMPARE(generic[0].at(0).toInt(), 1);
    QCOMPARE(generic[0].at(1).toString(), QStringLiteral("PlotAreaClick"));
    QCOMPARE(generic[0].at(2).toList(), QVariantList{4});

    // The last point from its right edge.
    c.clickAt(QPoint(plot.x() + plot.width(), y));
    QCOMPARE(spy.takeFirst().at(0).toInt(), 10);

    // Outside the plot: no change, but the event comes.
    c.clickAt(QPoint(1, 1));
    QCOMPARE(spy.takeFirst().at(0).toInt(), 10);

    // Hit checking off: the click still fires with the unchanged selection.
    c.setPlotAreaHitCheckMode(Orvex32::nbgrHitCheckOffAll);
    c.clickAt(QPoint(pointX(plot, 2, 11), y));
    QCOMPARE(spy.takeFirst().at(0).toInt(), 10);
    QCOMPARE(c.plotAreaSelectDataCount(), 10);

    // The right button does nothing.
    QTest::mouseRelease(&c, Qt::RightButton, {}, QPoint(pointX(plot, 2, 11), y));
    QCOMPARE(spy.size(), 0);
}

// --- Layout -----------------------------------------------------------------------------

void TestGraphControl::layout_data()
{
    QTest::addColumn<bool>("caption");
    QTest::addColumn<int>("horz");
    QTest::addColumn<int>("vert");
    QTest::addColumn<QRect>("intro");
    QTest::addColumn<QRect>("graph");

    // A 600 × 400 control with the defaults: the flat frame with its line
    // leaves F = (1, 1) … (599, 399); the caption is 18 high; the legend is
    // 14 + 106 + 211 + 56 + 56 = 443 by 4 × 17 − 1 = 67 inside its line,
    // 445 × 69 outside.
    const int top[2] = {1, 19};
    for (int shown = 0; shown < 2; ++shown) {
        const int t = top[shown];
        const char *name = shown ? "caption" : "no caption";
        const int lefts[3] = {1, 1 + 598 / 2 - 445 / 2, 599 - 445};
        const int tops[3] = {t, t + (399 - t) / 2 - 69 / 2, 399 - 69};
        for (int h = 0; h < 3; ++h) {
            for (int v = 0; v < 3; ++v) {
                const QRect intro(lefts[h], tops[v], 445, 69);
                QRect graph(1, t, 598, 399 - t);
                if (v == 0)
                    graph.setTop(t + 69);
                else if (v == 2)
                    graph.setBottom(330 - 1);
                else if (h == 0)
                    graph.setLeft(446);
                else if (h == 2)
                    graph.setRight(154 - 1);
                QTest::addRow("%s, horz %d, vert %d", name, h, v)
                    << bool(shown) << h << v << intro << graph;
            }
        }
    }
}

void TestGraphControl::layout()
{
    QFETCH(bool, caption);
    QFETCH(int, horz);
    QFETCH(int, vert);
    QFETCH(QRect, intro);
    QFETCH(QRect, graph);

    COrvex32Ctrl c;
    c.setCaptionShow(caption);
    c.setIntroHorzAlign(Orvex32::AlignmentConstants(horz));
    c.setIntroVertAlign(Orvex32::VerticalAlignmentConstants2(vert));
    const Orvex32Layout l = c.layoutFor(QSize(600, 400));
    QCOMPARE(l.frame, QRect(0, 0, 600, 400));
    QCOMPARE(l.frameInner, QRect(1, 1, 598, 398));
    QCOMPARE(l.caption, caption ? QRect(1, 1, 598, 18) : QRect(1, 1, 598, 0));
    QCOMPARE(l.intro, intro);
    QCOMPARE(l.introInner, intro.adjusted(1, 1, -1, -1));
    QCOMPARE(l.graph, graph);
    if (vert == 0) // directly under the legend, caption or not
        QCOMPARE(l.graph.top(), l.intro.bottom() + 1);

    // No legend: the graph region takes everything below the caption.
    c.setIntroShow(false);
    QCOMPARE(c.layoutFor(QSize(600, 400)).graph,
             QRect(1, caption ? 19 : 1, 598, caption ? 380 : 398));
}

void TestGraphControl::layoutFrameAppearance_data()
{
    QTest::addColumn<int>("appearance");
    QTest::addColumn<int>("border");
    QTest::addColumn<int>("shadow");
    QTest::addColumn<QRect>("inner");
    QTest::newRow("flat, line") << 1 << 1 << 5 << QRect(1, 1, 298, 198);
    QTest::newRow("flat, none") << 1 << 0 << 5 << QRect(0, 0, 300, 200);
    QTest::newRow("raised, line") << 0 << 1 << 5 << QRect(3, 3, 294, 194);
    QTest::newRow("inset, none") << 2 << 0 << 5 << QRect(2, 2, 296, 196);
    QTest::newRow("shadow 5, line") << 3 << 1 << 5 << QRect(1, 1, 293, 193);
    QTest::newRow("shadow 0, none") << 3 << 0 << 0 << QRect(0, 0, 300, 200);
}

void TestGraphControl::layoutFrameAppearance()
{
    QFETCH(int, appearance);
    QFETCH(int, border);
    QFETCH(int, shadow);
    QFETCH(QRect, inner);
    COrvex32Ctrl c;
    c.setFrameAppearance(Orvex32::FrameStyleConstants(appearance));
    c.setFrameBorderStyle(Orvex32::BorderStyleConstants(border));
    c.setFrameShadowSize(short(shadow));
    const Orvex32Layout l = c.layoutFor(QSize(300, 200));
    QCOMPARE(l.frameInner, inner);
    QCOMPARE(l.caption, QRect(inner.x(), inner.y(), inner.width(), 18));
}

void TestGraphControl::plotInsideGraphRegion()
{
    COrvex32Ctrl c;
    const Orvex32Layout l = c.layoutFor(QSize(600, 400));
    QVERIFY(l.graphInner.contains(l.plotArea));
    QVERIFY(l.plotArea.contains(l.plot));
    QCOMPARE(l.plot, l.plotArea.adjusted(1, 1, -1, -1));
    // One single scale on each side, as wide as VertScaleWidth, next to the plot area.
    QCOMPARE(l.vertScales.size(), 2);
    QCOMPARE(l.vertScales[0].rect.width(), 40);
    QCOMPARE(l.vertScales[0].rect.right() + 1, l.plotArea.left());
    QCOMPARE(l.vertScales[1].rect.left(), l.plotArea.right() + 1);
    QCOMPARE(l.horzScale.height(), 30);
    QCOMPARE(l.horzScale.top(), l.plotArea.bottom() + 1);
    QCOMPARE(l.horzScale.bottom(), l.graphInner.bottom());

    c.setVertScaleShowMode(Orvex32::nbgrVerticalScaleIndividual);
    c.setVertScaleAlign(Orvex32::nbgrVerticalScaleLeftSide);
    c.setGraphShow(2, 0);
    const Orvex32Layout ind = c.layoutFor(QSize(600, 400));
    QCOMPARE(ind.vertScales.size(), 3);
    QCOMPARE(ind.vertScales[0].graph, 0);
    QCOMPARE(ind.vertScales[2].graph, 3);
    QCOMPARE(ind.vertScales[0].rect.left(), ind.graphInner.left());
    QCOMPARE(ind.vertScales[2].rect.right() + 1, ind.plotArea.left());
}

// --- Drawing --------------------------------------------------------------------------

void TestGraphControl::allGapsDrawNothing()
{
    COrvex32Ctrl c;
    makePlain(c);
    c.setGraphShow(0, 0);
    const QImage empty = c.toImage();
    c.setGraphShow(0, 1);
    c.setMarkerKind(0, 1);
    for (int k = 0; k < 11; ++k)
        c.setData(0, k, k * 10); // values, but every flag 0
    QCOMPARE(c.toImage(), empty);
    QCOMPARE(countColor(empty, red()), 0);
}

void TestGraphControl::singlePointDrawsOnlyItsMarker()
{
    COrvex32Ctrl c;
    makePlain(c);
    c.setGraphShow(0, 0);
    const QImage empty = c.toImage();
    c.setGraphShow(0, 1);
    // Points 4 and 6 are gaps; 5 stands alone.
    for (int k = 0; k < 11; ++k)
        c.setData(0, k, 50);
    c.setDataFlag(0, 5, true);
    const QImage noMarker = c.toImage();
    QCOMPARE(noMarker, empty); // a pen move draws nothing

    c.setMarkerKind(0, 3); // ■
    const QImage marked = c.toImage();
    QCOMPARE(countColor(marked, red()), 0);
    const QRect plot = c.plotRect();
    const QPoint at(pointX(plot, 5, 11), valueY(plot, 50));
    const QRect around(at - QPoint(10, 10), QSize(21, 21));
    int changed = 0;
    for (int y = 0; y < marked.height(); ++y) {
        for (int x = 0; x < marked.width(); ++x) {
            if (marked.pixel(x, y) == empty.pixel(x, y))
                continue;
            QVERIFY2(around.contains(x, y), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
            ++changed;
        }
    }
    QVERIFY(changed > 10);
    // The glyph covers its point in the marker colour.
    QCOMPARE(marked.pixelColor(at), QColor(0, 0, 255));
}

void TestGraphControl::gapSplitsLine()
{
    COrvex32Ctrl c;
    makePlain(c);
    for (int k = 0; k < 11; ++k) {
        c.setDataFlag(0, k, k != 5);
        c.setData(0, k, 50);
    }
    const QImage image = c.toImage();
    const QRect plot = c.plotRect();
    const int y = valueY(plot, 50);
    const int x4 = pointX(plot, 4, 11), x6 = pointX(plot, 6, 11);
    for (int x = pointX(plot, 0, 11); x <= x4; ++x)
        QCOMPARE(image.pixelColor(x, y), red());
    for (int x = x6; x <= pointX(plot, 10, 11); ++x)
        QCOMPARE(image.pixelColor(x, y), red());
    for (int x = x4 + 1; x < x6; ++x)
        QCOMPARE(image.pixelColor(x, y), QColor(255, 255, 255));
    // Only that row is red.
    QCOMPARE(countColor(image, red()), (x4 - plot.x() + 1) + (pointX(plot, 10, 11) - x6 + 1));
}

void TestGraphControl::lineKindsAndWidths()
{
    COrvex32Ctrl c;
    makePlain(c);
    for (int k = 0; k < 11; ++k) {
        c.setDataFlag(0, k, true);
        c.setData(0, k, 50);
    }
    const QRect plot = c.plotRect();
    const int y = valueY(plot, 50);
    const QRect row(plot.x(), y, plot.width() + 1, 1);
    const int solid = countColor(c.toImage(), red(), row);
    QCOMPARE(solid, plot.width() + 1);
    c.setLineKind(0, Orvex32::nbgrLineKindDash);
    const int dash = countColor(c.toImage(), red(), row);
    QVERIFY(dash > solid / 2 && dash < solid);
    c.setLineKind(0, Orvex32::nbgrLineKindDot);
    const int dot = countColor(c.toImage(), red(), row);
    QVERIFY(dot > solid / 5 && dot < dash);
    c.setLineKind(0, Orvex32::nbgrLineKindNothing);
    QCOMPARE(countColor(c.toImage(), red()), 0);

    c.setLineKind(0, Orvex32::nbgrLineKindSolid);
    c.setLineWidth(0, 3);
    const QImage wide = c.toImage();
    const int x = plot.center().x();
    QCOMPARE(wide.pixelColor(x, y - 1), red());
    QCOMPARE(wide.pixelColor(x, y), red());
    QCOMPARE(wide.pixelColor(x, y + 1), red());
    QCOMPARE(wide.pixelColor(x, y - 3), QColor(255, 255, 255));
    QCOMPARE(wide.pixelColor(x, y + 3), QColor(255, 255, 255));
}

void TestGraphControl::edgesAreDrawn()
{
    // The low value lies on the bottom edge and the last point on the right
    // edge of the plot rectangle; both are drawn.
    COrvex32Ctrl c;
    makePlain(c);
    for (int k = 0; k < 11; ++k) {
        c.setDataFlag(0, k, true);
        c.setData(0, k, k == 10 ? 100 : 0);
    }
    const QImage image = c.toImage();
    const QRect plot = c.plotRect();
    QCOMPARE(image.pixelColor(plot.x(), plot.y() + plot.height()), red());
    QCOMPARE(image.pixelColor(plot.x() + plot.width(), plot.y()), red());
    // Nothing outside the plot's clip.
    QCOMPARE(countColor(image, red(), QRect(0, 0, plot.x(), image.height())), 0);
    QCOMPARE(countColor(image, red(), QRect(0, 0, image.width(), plot.y())), 0);
}

void TestGraphControl::singleDataPoint()
{
    // One point: no step to divide by; the point stands in the middle.
    COrvex32Ctrl c;
    makePlain(c);
    c.setDataCount(1);
    c.setDataFlag(0, 0, true);
    c.setData(0, 0, 50);
    c.setMarkerKind(0, 3);
    const QImage image = c.toImage();
    const QRect plot = c.plotRect();
    QCOMPARE(image.pixelColor(plot.x() + plot.width() / 2, valueY(plot, 50)), QColor(0, 0, 255));
    QCOMPARE(countColor(image, red()), 0);
    c.clickAt(plot.topLeft() + QPoint(2, 2));
    QCOMPARE(c.plotAreaSelectDataCount(), 0);
    QCOMPARE(c.value(0), 50.0);
    QVERIFY(!c.toImage().isNull());
}

void TestGraphControl::selectionLine()
{
    COrvex32Ctrl c;
    makePlain(c);
    c.setGraphShow(0, 0);
    const QRect plot = c.plotRect();
    const int x = pointX(plot, 3, 11);
    const QRect column(x, plot.y(), 1, plot.height());
    c.setPlotAreaSelectDataCount(3);
    QCOMPARE(countColor(c.toImage(), Qt::black, column), plot.height());
    c.setPlotAreaHitCheckMode(Orvex32::nbgrHitCheckIntroDisp);
    QCOMPARE(countColor(c.toImage(), Qt::black, column), 0);
    c.setPlotAreaHitCheckMode(Orvex32::nbgrHitCheckLineDisp);
    QCOMPARE(countColor(c.toImage(), Qt::black, column), plot.height());
}

void TestGraphControl::columnReductionGivesSamePicture_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::newRow("line 1, 200000") << 0 << 200000;
    QTest::newRow("line 1, 3001") << 0 << 3001;
    QTest::newRow("line 2, 100000") << 1 << 100000;
    QTest::newRow("line 1, 700 (fewer than columns)") << 0 << 700;
}

void TestGraphControl::columnReductionGivesSamePicture()
{
    QFETCH(int, kind);
    QFETCH(int, count);
    COrvex32Ctrl c;
    c.resize(1000, 600);
    c.setGraphKind(Orvex32::GraphKindConstants(kind));
    c.setDataCount(count);
    QRandomGenerator rng(42);
    for (int g = 0; g < 4; ++g) {
        QList<qint32> flags(count);
        QList<double> data(count);
        double v = 50;
        for (int k = 0; k < count; ++k) {
            flags[k] = (k / 997 + g) % 7 == 3 ? 0 : 1; // runs of gaps
            if (rng.bounded(5000) == 0)
                flags[k] = 0; // lone gaps
            v += rng.bounded(2.0) - 1.0 + (g == 3 ? 20 * std::sin(k * 0.01) : 0);
            data[k] = v;
            if (rng.bounded(20000) == 0)
                data[k] = 1e12; // far off the plot
            if (rng.bounded(20000) == 0)
                data[k] = std::nan("");
        }
        c.setArrayData(g, 0, 0, count, flags, data);
        c.setLowValue(g, -100.0 * (g + 1));
        c.setHighValue(g, 150.0);
    }
    const Orvex32Layout l = c.layoutFor(c.size());
    const auto draw = [&](bool reduce) {
        QImage image(c.size(), QImage::Format_RGB32);
        QPainter p(&image);
        Orvex32Renderer r(c.settings(),
                          QList<GraphSettings>{c.graphSettings(0), c.graphSettings(1),
                                               c.graphSettings(2), c.graphSettings(3)},
                          c.store(), {});
        r.setColumnReduction(reduce);
        r.paint(p, l);
        return image;
    };
    const QImage reduced = draw(true);
    const QImage full = draw(false);
    QCOMPARE(reduced, full);
}

void TestGraphControl::denseWideLinesAndMarkers_data()
{
    QTest::addColumn<int>("lineKind");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("marker");
    // The share of the drawn pixels that may differ: none for markers; a wide
    // pen is square here and round there, and dashes fall where the reduced
    // path has walked as far.
    QTest::addColumn<double>("tolerance");
    QTest::newRow("markers ■") << 0 << 1 << 3 << 0.0;
    QTest::newRow("markers ×") << 0 << 1 << 9 << 0.0;
    QTest::newRow("solid, width 3") << 1 << 3 << 0 << 0.08;
    QTest::newRow("dash, width 2") << 2 << 2 << 0 << 0.3;
}

// Dense graphs with wide pens or markers are drawn through a mask: the same
// pixels as drawing every point, within a small share at the edges.
void TestGraphControl::denseWideLinesAndMarkers()
{
    QFETCH(int, lineKind);
    QFETCH(int, width);
    QFETCH(int, marker);
    QFETCH(double, tolerance);
    COrvex32Ctrl c;
    makePlain(c);
    c.resize(300, 200);
    const int count = 20000;
    c.setDataCount(count);
    QList<qint32> flags(count, 1);
    QList<double> data(count);
    for (int k = 0; k < count; ++k)
        data[k] = 50 + 40 * std::sin(k * 0.0005) + (k % 7) - 3;
    c.setArrayData(0, 0, 0, count, flags, data);
    GraphSettings gs = c.graphSettings(0);
    gs.lineKind = short(lineKind);
    gs.lineWidth = short(width);
    gs.markerKind = short(marker);
    const Orvex32Layout l = c.layoutFor(c.size());
    const auto draw = [&](bool reduce) {
        QImage image(c.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter p(&image);
        Orvex32Renderer r(c.settings(), QList<GraphSettings>{gs}, c.store(), {});
        r.setColumnReduction(reduce);
        r.paint(p, l, Orvex32Renderer::Graphs);
        return image;
    };
    const QImage fast = draw(true);
    const QImage full = draw(false);
    int drawn = 0, differing = 0;
    for (int y = 0; y < full.height(); ++y) {
        for (int x = 0; x < full.width(); ++x) {
            const bool a = fast.pixel(x, y) != qRgb(255, 255, 255);
            const bool b = full.pixel(x, y) != qRgb(255, 255, 255);
            drawn += b;
            differing += a != b;
        }
    }
    QVERIFY(drawn > 1000);
    QVERIFY2(differing <= tolerance * drawn,
             qPrintable(QStringLiteral("%1 of %2 pixels differ").arg(differing).arg(drawn)));
}

void TestGraphControl::farValuesOnTallPlots()
{
    // A value far below the range is drawn downwards however tall the plot.
    COrvex32Ctrl c;
    makePlain(c);
    c.resize(200, 2600);
    c.setDataCount(2);
    c.setDataFlag(0, 0, true);
    c.setDataFlag(0, 1, true);
    c.setData(0, 0, 50);
    for (const double far : {-1e12, -1e300, -std::numeric_limits<double>::infinity()}) {
        c.setData(0, 1, far);
        const QImage image = c.toImage();
        const QRect plot = c.plotRect();
        const int y = valueY(plot, 50);
        QCOMPARE(countColor(image, red(), QRect(0, 0, image.width(), y)), 0);
        QVERIFY(countColor(image, red(), QRect(0, y + 1, image.width(), image.height())) > 100);
    }
}

void TestGraphControl::pictureKindsHaveNoValueScale()
{
    COrvex32Ctrl c;
    QCOMPARE(c.layout().vertScales.size(), 2);
    c.setDataCount(1);
    for (const auto kind :
         {Orvex32::nbgrGraphKindCircleGraph, Orvex32::nbgrGraphKindDigitalGraph}) {
        c.setGraphKind(kind);
        QVERIFY(c.layout().vertScales.isEmpty());
    }
}

void TestGraphControl::ticksBoundedByPixels_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("splits");
    QTest::addColumn<int>("subs");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("majors");
    QTest::newRow("default") << 100 << 10 << 5 << 51 << 11;
    QTest::newRow("minors finer than pixels") << 800 << 400 << 10 << 801 << 401;
    QTest::newRow("32767 x 32767") << 800 << 32767 << 32767 << 801 << 801;
    QTest::newRow("no room") << 0 << 3000 << 3000 << 1 << 1;
}

void TestGraphControl::ticksBoundedByPixels()
{
    QFETCH(int, length);
    QFETCH(int, splits);
    QFETCH(int, subs);
    QFETCH(int, count);
    QFETCH(int, majors);
    const auto ticks = Orvex32Renderer::ticks(length, splits, subs);
    QCOMPARE(int(ticks.size()), count);
    QCOMPARE(int(std::count_if(ticks.begin(), ticks.end(), [](auto t) { return t.major; })),
             majors);
    QCOMPARE(ticks.first().at, 0);
    QCOMPARE(ticks.last().at, length);
    for (qsizetype i = 1; i < ticks.size(); ++i)
        QVERIFY(ticks[i].at > ticks[i - 1].at);
}

void TestGraphControl::scaleLabelsNeverTouch_data()
{
    QTest::addColumn<int>("splits");
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("shown");
    QTest::newRow("10 fit") << 10 << int(Orvex32::nbgrScaleLeft) << 11;
    QTest::newRow("200 thinned") << 200 << int(Orvex32::nbgrScaleLeft) << -1;
    QTest::newRow("32767 centred") << 32767 << int(Orvex32::nbgrScaleCenter) << -1;
}

void TestGraphControl::scaleLabelsNeverTouch()
{
    QFETCH(int, splits);
    QFETCH(int, position);
    QFETCH(int, shown);
    COrvex32Ctrl c;
    c.resize(700, 300);
    c.setHorzScaleSplitCount(short(splits));
    c.setHorzScaleSubSplitCount(short(splits));
    c.setHorzScaleLabelPos(Orvex32::ScaleLabelPosConstants(position));
    c.setHorzScaleStartValue(QStringLiteral("100000"));
    const QRect plot = c.plotRect();
    const Orvex32Renderer r(c.settings(), {}, c.store(), {});
    const auto labels = r.horzScaleLabelsShown(plot);
    if (shown > 0)
        QCOMPARE(int(labels.size()), shown);
    QVERIFY(labels.size() >= 2);
    const QFontMetrics fm(Orvex32Renderer::drawingFont(c.horzScaleFont()));
    const bool centred = position == Orvex32::nbgrScaleCenter;
    for (qsizetype i = 1; i < labels.size(); ++i) {
        const int w0 = fm.horizontalAdvance(labels[i - 1].second);
        const int w1 = fm.horizontalAdvance(labels[i].second);
        const int end0 = labels[i - 1].first + (centred ? w0 - w0 / 2 : w0);
        const int start1 = labels[i].first - (centred ? w1 / 2 : 0);
        QVERIFY2(start1 > end0, qPrintable(labels[i].second));
    }
    // Value scales: rows of text one line apart at the least.
    QList<int> rows;
    for (int j = 0; j <= 32767; ++j)
        rows << int(double(j) * 250 / 32767);
    const auto kept = Orvex32Renderer::thinned(rows, 12, 250);
    QVERIFY(kept.size() >= 10);
    for (qsizetype i = 1; i < kept.size(); ++i)
        QVERIFY(rows[kept[i]] - rows[kept[i - 1]] > 12);
    c.setHorzScaleSplitCount(32767);
    QVERIFY(!c.toImage().isNull()); // and draws at once
}

void TestGraphControl::scaleLabels()
{
    QCOMPARE(Orvex32Renderer::vertScaleLabels(0, 100, 10),
             QStringList({"0", "10", "20", "30", "40", "50", "60", "70", "80", "90", "100"}));
    QCOMPARE(Orvex32Renderer::vertScaleLabels(-1, 1, 4),
             QStringList({"-1.0", "-0.5", "0.0", "0.5", "1.0"}));
    QCOMPARE(Orvex32Renderer::vertScaleLabels(-6, 6, 4), QStringList({"-6", "-3", "0", "3", "6"}));

    COrvex32Ctrl c;
    const auto labels = [&c] {
        return Orvex32Renderer(c.settings(), {}, c.store(), {}).horzScaleLabels();
    };
    c.setHorzScaleSplitCount(4);
    QCOMPARE(labels(), QStringList({"0", "25", "50", "75", "100"}));
    c.setHorzScaleStartValue(QStringLiteral("10"));
    c.setHorzScaleSpan(2);
    QCOMPARE(labels(), QStringList({"10", "60", "110", "160", "210"}));
    c.setDataCount(5);
    c.setHorzScaleSpan(1);
    c.setHorzScaleStartValue(QStringLiteral("2023/11/30 22:58:58"));
    c.setHorzScaleSpanUnit(Orvex32::nbgrSpanUnitYear);
    QCOMPARE(labels(), QStringList({"2023", "2024", "2025", "2026", "2027"}));
    c.setHorzScaleSpanUnit(Orvex32::nbgrSpanUnitMonth);
    QCOMPARE(labels(), QStringList({"2023/11", "2023/12", "2024/01", "2024/02", "2024/03"}));
    c.setHorzScaleSpanUnit(Orvex32::nbgrSpanUnitDay);
    QCOMPARE(labels(), QStringList({"11/30", "12/01", "12/02", "12/03", "12/04"}));
    c.setHorzScaleSpanUnit(Orvex32::nbgrSpanUnitHour);
    QCOMPARE(labels(), QStringList({"30.22", "30.23", "01.00", "01.01", "01.02"}));
    c.setHorzScaleSpanUnit(Orvex32::nbgrSpanUnitMinute);
    QCOMPARE(labels(), QStringList({"22:58", "22:59", "23:00", "23:01", "23:02"}));
    c.setHorzScaleSpanUnit(Orvex32::nbgrSpanUnitSecond);
    QCOMPARE(labels(), QStringList({"58:58", "58:59", "59:00", "59:01", "59:02"}));
    // Centred labels: one per division, for the point in its middle.
    c.setHorzScaleSpanUnit(Orvex32::nbgrSpanUnitNumber);
    c.setHorzScaleStartValue(QStringLiteral("0"));
    c.setDataCount(9);
    c.setHorzScaleLabelPos(Orvex32::nbgrScaleCenter);
    QCOMPARE(labels(), QStringList({"1", "3", "5", "7"}));
    // The host's own labels.
    c.setHorzScaleLabelPos(Orvex32::nbgrScaleLeft);
    c.setHorzScaleLabelStyle(Orvex32::nbgrScaleLabel);
    c.setLabel(0, QStringLiteral("start"));
    c.setLabel(8, QStringLiteral("end"));
    const QStringList hostLabels = Orvex32Renderer(c.settings(), {}, c.store(),
                                                   {"start", "", "a", "", "b", "", "c", "", "end"})
                                       .horzScaleLabels();
    QCOMPARE(hostLabels, QStringList({"start", "a", "b", "c", "end"}));
}

void TestGraphControl::markerTexts()
{
    QCOMPARE(Orvex32Renderer::markerText(0, 1.5, 2), QString());
    QCOMPARE(Orvex32Renderer::markerText(1, 1.5, 2), QStringLiteral("●"));
    QCOMPARE(Orvex32Renderer::markerText(10, 1.5, 2), QStringLiteral("+"));
    QCOMPARE(Orvex32Renderer::markerText(11, 1.5, 2), QStringLiteral("1.50"));
    QCOMPARE(Orvex32Renderer::markerText(11, -0.001, 2), QStringLiteral("0.00"));
    QCOMPARE(Orvex32Renderer::markerText(13, 2.24, 1), QStringLiteral("○ 2.2"));
    QCOMPARE(Orvex32Renderer::markerText(22, 1, 0), QString());
    QCOMPARE(Orvex32Renderer::formatValue(1234.5678, 0), QStringLiteral("1235"));
}

void TestGraphControl::otherKindsDraw_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("line 2") << 1;
    QTest::newRow("bar") << 2;
    QTest::newRow("circle") << 3;
    QTest::newRow("digital") << 4;
}

void TestGraphControl::otherKindsDraw()
{
    QFETCH(int, kind);
    COrvex32Ctrl c;
    makePlain(c);
    c.setGraphShow(0, 0);
    const int count = kind >= 3 ? 1 : 11;
    if (kind >= 3)
        c.setDataCount(1);
    c.setGraphKind(Orvex32::GraphKindConstants(kind));
    const QImage empty = c.toImage();
    QCOMPARE(countColor(empty, red()), 0);
    c.setGraphShow(0, 1);
    for (int k = 0; k < count; ++k) {
        c.setDataFlag(0, k, true);
        c.setData(0, k, 30 + k);
    }
    const QImage drawn = c.toImage();
    QVERIFY(countColor(drawn, red()) > 0);
    // Only inside the plot (with its right and bottom edge).
    const QRect clip = c.plotRect().adjusted(0, 0, 1, 1);
    QCOMPARE(countColor(drawn, red(), clip), countColor(drawn, red()));
}

QTEST_MAIN(TestGraphControl)
#include "tst_graphcontrol.moc"
