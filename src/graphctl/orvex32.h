#pragma once

#include "orvex32global.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

// The vocabulary of the Orvex32 graph control: its enumerations, the types of
// its dispatch members and the description of its dispatch interface
// _DOrvex32 and its event interface _DOrvex32Events (what a type library
// carries). The control itself is COrvex32Ctrl.
namespace Orvex32 {
Q_NAMESPACE_EXPORT(ORVEX32_EXPORT)

enum FrameStyleConstants {
    nbgrFrameRaise = 0,
    nbgrFrameFlat = 1,
    nbgrFrameInset = 2,
    nbgrFrameShadow = 3
};
Q_ENUM_NS(FrameStyleConstants)

enum BorderStyleConstants { nbgrBorderNothing = 0, nbgrBorderLine = 1 };
Q_ENUM_NS(BorderStyleConstants)

enum AlignmentConstants { nbgrLeftJustify = 0, nbgrCenter = 1, nbgrRightJustify = 2 };
Q_ENUM_NS(AlignmentConstants)

enum VerticalAlignmentConstants1 {
    nbgrVerticalAlignment1TopJustify = 0,
    nbgrVerticalAlignment1Middle = 1,
    nbgrVerticalAlignment1BottomJustify = 2,
    nbgrMultiLine = 3
};
Q_ENUM_NS(VerticalAlignmentConstants1)

enum VerticalAlignmentConstants2 {
    nbgrVerticalAlignment2TopJustify = 0,
    nbgrVerticalAlignment2Middle = 1,
    nbgrVerticalAlignment2BottomJustify = 2
};
Q_ENUM_NS(VerticalAlignmentConstants2)

enum VerticalScaleConstants {
    nbgrVerticalScaleNothing = 0,
    nbgrVerticalScaleSingle = 1,
    nbgrVerticalScaleIndividual = 2
};
Q_ENUM_NS(VerticalScaleConstants)

enum SpanUnitConstants {
    nbgrSpanUnitNumber = 0,
    nbgrSpanUnitYear = 1,
    nbgrSpanUnitMonth = 2,
    nbgrSpanUnitDay = 3,
    nbgrSpanUnitHour = 4,
    nbgrSpanUnitMinute = 5,
    nbgrSpanUnitSecond = 6
};
Q_ENUM_NS(SpanUnitConstants)

enum ScaleLabelStyleConstants { nbgrScaleAuto = 0, nbgrScaleLabel = 1 };
Q_ENUM_NS(ScaleLabelStyleConstants)

enum ScaleLabelPosConstants { nbgrScaleLeft = 0, nbgrScaleCenter = 1 };
Q_ENUM_NS(ScaleLabelPosConstants)

enum GraphKindConstants {
    nbgrGraphKindLineGraph1 = 0,
    nbgrGraphKindLineGraph2 = 1,
    nbgrGraphKindBarGraph = 2,
    nbgrGraphKindCircleGraph = 3,
    nbgrGraphKindDigitalGraph = 4,
    nbgrGraphKintScatGraph = 5
};
Q_ENUM_NS(GraphKindConstants)

enum LineKindConstants {
    nbgrLineKindNothing = 0,
    nbgrLineKindSolid = 1,
    nbgrLineKindDash = 2,
    nbgrLineKindDot = 3,
    nbgrLineKindDashDot = 4,
    nbgrLineKindDashDotDot = 5
};
Q_ENUM_NS(LineKindConstants)

enum HitCheckModeConstants {
    nbgrHitCheckOffAll = 0,
    nbgrHitCheckLineDisp = 1,
    nbgrHitCheckIntroDisp = 2,
    nbgrHitCheckOnAll = 3
};
Q_ENUM_NS(HitCheckModeConstants)

enum VerticalScaleAlignmentConstants {
    nbgrVerticalScaleBothSide = 0,
    nbgrVerticalScaleLeftSide = 1,
    nbgrVerticalScaleRightSide = 2
};
Q_ENUM_NS(VerticalScaleAlignmentConstants)

enum SpanCheckConstants { SpanCheckOff = 0, SpanCheckOn = 1 };
Q_ENUM_NS(SpanCheckConstants)

// The short names older hosts use; the values are those of the enumerations
// above. Scoped, because names such as Line or Label would clash otherwise.
enum class OldEnumConstants {
    Raise = 0,
    Flat = 1,
    Inset = 2,
    Shadow = 3,
    Nothing = 0,
    Line = 1,
    LeftAlign = 0,
    CenterAlign = 1,
    RightAlign = 2,
    Top = 0,
    Middle = 1,
    Bottom = 2,
    MultiLine = 3,
    Single = 1,
    Individual = 2,
    Number = 0,
    Year = 1,
    Month = 2,
    Day = 3,
    Hour = 4,
    Minute = 5,
    Second = 6,
    Auto = 0,
    Label = 1,
    LineGraph1 = 0,
    LineGraph2 = 1,
    BarGraph = 2,
    CircleGraph = 3,
    DigitalGraph = 4,
    ScatGraph = 5,
    Solid = 1,
    Dash = 2,
    Dot = 3,
    DashDot = 4,
    DashDotDot = 5,
    OffAll = 0,
    LineDisp = 1,
    IntroDisp = 2,
    OnAll = 3,
    BothSide = 0,
    LeftSide = 1,
    RightSide = 2,
    Off = 0,
    On = 1
};
Q_ENUM_NS(OldEnumConstants)

// Colours are OLE colours, 0x00BBGGRR. A value with the top bit set names a
// system colour by its index in the low byte (0x8000000F is the button face).
using OleColor = quint32;
ORVEX32_EXPORT QColor toQColor(OleColor color);
ORVEX32_EXPORT OleColor fromQColor(const QColor &color);
constexpr OleColor rgb(int r, int g, int b)
{
    return OleColor(r & 0xFF) | (OleColor(g & 0xFF) << 8) | (OleColor(b & 0xFF) << 16);
}

// The automation types of dispatch members. Values travel as QVariant:
// Bool as bool, Short as short, Long and Enum as int, Double as double,
// String as QString, Color as uint (OleColor), Font as QFont, Picture as
// QImage, Variant as anything.
enum class VarType { Void, Bool, Short, Long, Double, String, Color, Font, Picture, Variant, Enum };
ORVEX32_EXPORT QString varTypeName(VarType type);

enum class InvokeKind { Method, PropertyGet, PropertyPut };

struct ORVEX32_EXPORT ArgInfo
{
    QString name;
    VarType type;
};

struct ORVEX32_EXPORT MemberInfo
{
    enum Kind { Property, Method };
    int dispId = 0;
    QString name;
    Kind kind = Property;
    VarType type = VarType::Void; // the property's value or the method's result
    QString enumName;             // for VarType::Enum
    QList<ArgInfo> args;          // index arguments of a property, arguments of a method
    // Persisted properties: the name in the property bag. Per-graph entries
    // carry a "%d" for the graph number ("Graph(%d).Color").
    QString persistedName;
    bool perGraph = false;

    bool isIndexed() const { return kind == Property && !args.isEmpty(); }
    bool isPersisted() const { return !persistedName.isEmpty(); }
};

struct ORVEX32_EXPORT EnumInfo
{
    QString name;
    QList<QPair<QString, int>> constants;
};

// Names of the two interfaces as the type library gives them.
ORVEX32_EXPORT QString dispatchInterfaceName(); // "_DOrvex32"
ORVEX32_EXPORT QString eventInterfaceName();    // "_DOrvex32Events"
ORVEX32_EXPORT QString progId();                // "Orvex32.Orvex32Ctrl.1"

// Every property and method of _DOrvex32, in dispatch id order (stock ids,
// which are negative, first).
ORVEX32_EXPORT const QList<MemberInfo> &members();
// nullptr when there is no such member.
ORVEX32_EXPORT const MemberInfo *member(int dispId);
// Names are matched without regard to case, as automation does.
ORVEX32_EXPORT const MemberInfo *member(const QString &name);
// The events of _DOrvex32Events (PlotAreaClick, id 1).
ORVEX32_EXPORT const QList<MemberInfo> &events();
// All enumerations with their constants, OldEnumConstants last.
ORVEX32_EXPORT const QList<EnumInfo> &enumerations();
ORVEX32_EXPORT const EnumInfo *enumeration(const QString &name);

// The entries of the property bag in the order the control exchanges them,
// with the per-graph entries for graphs 0 … graphCount−1 at the end.
ORVEX32_EXPORT QStringList persistedNames(int graphCount);
// The dispatch ids of the simple persisted properties in exchange order.
ORVEX32_EXPORT const QList<int> &persistedSimpleOrder();
// The dispatch ids of the per-graph persisted properties in exchange order.
ORVEX32_EXPORT const QList<int> &persistedGraphOrder();
// "Graph(2).Color" for dispId 94 and graph 2.
ORVEX32_EXPORT QString perGraphName(int dispId, int graph);

// The default colour of graph i (also its marker and span bar colours).
ORVEX32_EXPORT OleColor defaultGraphColor(int graph);

} // namespace Orvex32
