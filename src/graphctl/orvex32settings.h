#pragma once

#include "orvex32.h"

#include <QFont>
#include <QImage>
#include <QString>

// The control's properties as plain data. The lists below are the one place
// where each property's dispatch id, name, C++ type, automation type and
// default are written down; the settings structs, the typed accessors, the
// dispatch tables and the persistence are all generated from them.
//
// X(dispId, Name, member, CppType, VarType, enumeration, default)
#define ORVEX32_SIMPLE_PROPERTIES(X)                                                               \
    X(-518, Caption, caption, QString, String, "", QStringLiteral("NubraOCX/Graph"))               \
    X(-501, BackColor, backColor, Orvex32::OleColor, Color, "", 0x8000000Fu)                       \
    X(1, CaptionForeColor, captionForeColor, Orvex32::OleColor, Color, "", 0x000000u)              \
    X(2, CaptionBackColor, captionBackColor, Orvex32::OleColor, Color, "", 0xC0C0C0u)              \
    X(3, FrameBackColor, frameBackColor, Orvex32::OleColor, Color, "", 0xC0C0C0u)                  \
    X(4, IntroBackColor, introBackColor, Orvex32::OleColor, Color, "", 0xFFFFFFu)                  \
    X(5, IntroHorzLine, introHorzLine, bool, Bool, "", true)                                       \
    X(6, IntroVertLineColor, introVertLineColor, Orvex32::OleColor, Color, "", 0xC0C0C0u)          \
    X(7, IntroForeColor, introForeColor, Orvex32::OleColor, Color, "", 0x000000u)                  \
    X(8, IntroVertLine, introVertLine, bool, Bool, "", true)                                       \
    X(9, IntroHorzLineColor, introHorzLineColor, Orvex32::OleColor, Color, "", 0xC0C0C0u)          \
    X(10, CaptionShow, captionShow, bool, Bool, "", true)                                          \
    X(11, IntroShow, introShow, bool, Bool, "", true)                                              \
    X(12, HorzScaleShow, horzScaleShow, bool, Bool, "", true)                                      \
    X(13, GraphBackColor, graphBackColor, Orvex32::OleColor, Color, "", 0xC0C0C0u)                 \
    X(14, PlotAreaBackColor, plotAreaBackColor, Orvex32::OleColor, Color, "", 0xFFFFFFu)           \
    X(15, HorzScaleForeColor, horzScaleForeColor, Orvex32::OleColor, Color, "", 0x000000u)         \
    X(16, HorzScaleLineColor, horzScaleLineColor, Orvex32::OleColor, Color, "", 0x000000u)         \
    X(17, VertScaleForeColor, vertScaleForeColor, Orvex32::OleColor, Color, "", 0x000000u)         \
    X(18, HorzScaleStartValue, horzScaleStartValue, QString, String, "", QStringLiteral("0"))      \
    X(19, AutoRefresh, autoRefresh, bool, Bool, "", true)                                          \
    X(20, PlotAreaVertScaleLineColor, plotAreaVertScaleLineColor, Orvex32::OleColor, Color, "",    \
      0xC0C0C0u)                                                                                   \
    X(21, PlotAreaHorzScaleLineColor, plotAreaHorzScaleLineColor, Orvex32::OleColor, Color, "",    \
      0xC0C0C0u)                                                                                   \
    X(22, Overlay, overlay, bool, Bool, "", false)                                                 \
    X(23, VertScaleAlign, vertScaleAlign, Orvex32::VerticalScaleAlignmentConstants, Enum,          \
      "VerticalScaleAlignmentConstants", Orvex32::nbgrVerticalScaleBothSide)                       \
    X(24, ImageFiles, imageFiles, QString, String, "", QStringLiteral("default.bmp"))              \
    X(25, CaptionFont, captionFont, QFont, Font, "", Orvex32Settings::defaultFont(0))              \
    X(26, IntroShortNameFont, introShortNameFont, QFont, Font, "",                                 \
      Orvex32Settings::defaultFont(1))                                                             \
    X(27, IntroNameFont, introNameFont, QFont, Font, "", Orvex32Settings::defaultFont(1))          \
    X(28, IntroUnitFont, introUnitFont, QFont, Font, "", Orvex32Settings::defaultFont(1))          \
    X(29, IntroValueFont, introValueFont, QFont, Font, "", Orvex32Settings::defaultFont(1))        \
    X(30, VertScaleFont, vertScaleFont, QFont, Font, "", Orvex32Settings::defaultFont(2))          \
    X(31, HorzScaleFont, horzScaleFont, QFont, Font, "", Orvex32Settings::defaultFont(3))          \
    X(32, CaptionAppearance, captionAppearance, Orvex32::FrameStyleConstants, Enum,                \
      "FrameStyleConstants", Orvex32::nbgrFrameRaise)                                              \
    X(33, CaptionBorderStyle, captionBorderStyle, Orvex32::BorderStyleConstants, Enum,             \
      "BorderStyleConstants", Orvex32::nbgrBorderNothing)                                          \
    X(34, FrameAppearance, frameAppearance, Orvex32::FrameStyleConstants, Enum,                    \
      "FrameStyleConstants", Orvex32::nbgrFrameFlat)                                               \
    X(35, CaptionHorzAlign, captionHorzAlign, Orvex32::AlignmentConstants, Enum,                   \
      "AlignmentConstants", Orvex32::nbgrCenter)                                                   \
    X(36, CaptionShadowSize, captionShadowSize, short, Short, "", short(3))                        \
    X(37, FrameShadowSize, frameShadowSize, short, Short, "", short(5))                            \
    X(38, FrameBorderStyle, frameBorderStyle, Orvex32::BorderStyleConstants, Enum,                 \
      "BorderStyleConstants", Orvex32::nbgrBorderLine)                                             \
    X(39, IntroBorderStyle, introBorderStyle, Orvex32::BorderStyleConstants, Enum,                 \
      "BorderStyleConstants", Orvex32::nbgrBorderLine)                                             \
    X(40, IntroAppearance, introAppearance, Orvex32::FrameStyleConstants, Enum,                    \
      "FrameStyleConstants", Orvex32::nbgrFrameFlat)                                               \
    X(41, GraphCount, graphCount, short, Short, "", short(4))                                      \
    X(42, IntroShortNameHorzAlign, introShortNameHorzAlign, Orvex32::AlignmentConstants, Enum,     \
      "AlignmentConstants", Orvex32::nbgrLeftJustify)                                              \
    X(43, IntroNameHorzAlign, introNameHorzAlign, Orvex32::AlignmentConstants, Enum,               \
      "AlignmentConstants", Orvex32::nbgrLeftJustify)                                              \
    X(44, IntroUnitHorzAlign, introUnitHorzAlign, Orvex32::AlignmentConstants, Enum,               \
      "AlignmentConstants", Orvex32::nbgrLeftJustify)                                              \
    X(45, IntroValueHorzAlign, introValueHorzAlign, Orvex32::AlignmentConstants, Enum,             \
      "AlignmentConstants", Orvex32::nbgrRightJustify)                                             \
    X(46, CaptionVertAlign, captionVertAlign, Orvex32::VerticalAlignmentConstants1, Enum,          \
      "VerticalAlignmentConstants1", Orvex32::nbgrVerticalAlignment1Middle)                        \
    X(47, CaptionHeight, captionHeight, short, Short, "", short(18))                               \
    X(48, IntroIndexWidth, introIndexWidth, short, Short, "", short(13))                           \
    X(49, IntroShortNameWidth, introShortNameWidth, short, Short, "", short(105))                  \
    X(50, IntroNameWidth, introNameWidth, short, Short, "", short(210))                            \
    X(51, IntroUnitWidth, introUnitWidth, short, Short, "", short(55))                             \
    X(52, IntroValueWidth, introValueWidth, short, Short, "", short(55))                           \
    X(53, IntroIndividualHeight, introIndividualHeight, short, Short, "", short(16))               \
    X(54, IntroShortNameVertAlign, introShortNameVertAlign, Orvex32::VerticalAlignmentConstants2,  \
      Enum, "VerticalAlignmentConstants2", Orvex32::nbgrVerticalAlignment2Middle)                  \
    X(55, IntroNameVertAlign, introNameVertAlign, Orvex32::VerticalAlignmentConstants2, Enum,      \
      "VerticalAlignmentConstants2", Orvex32::nbgrVerticalAlignment2Middle)                        \
    X(56, IntroUnitVertAlign, introUnitVertAlign, Orvex32::VerticalAlignmentConstants2, Enum,      \
      "VerticalAlignmentConstants2", Orvex32::nbgrVerticalAlignment2Middle)                        \
    X(57, IntroValueVertAlign, introValueVertAlign, Orvex32::VerticalAlignmentConstants2, Enum,    \
      "VerticalAlignmentConstants2", Orvex32::nbgrVerticalAlignment2Middle)                        \
    X(58, HorzScaleHeight, horzScaleHeight, short, Short, "", short(30))                           \
    X(59, VertScaleWidth, vertScaleWidth, short, Short, "", short(40))                             \
    X(60, IntroShadowSize, introShadowSize, short, Short, "", short(3))                            \
    X(61, VertScaleShowMode, vertScaleShowMode, Orvex32::VerticalScaleConstants, Enum,             \
      "VerticalScaleConstants", Orvex32::nbgrVerticalScaleSingle)                                  \
    X(62, GraphAppearance, graphAppearance, Orvex32::FrameStyleConstants, Enum,                    \
      "FrameStyleConstants", Orvex32::nbgrFrameFlat)                                               \
    X(63, GraphBorderStyle, graphBorderStyle, Orvex32::BorderStyleConstants, Enum,                 \
      "BorderStyleConstants", Orvex32::nbgrBorderLine)                                             \
    X(64, GraphShadowSize, graphShadowSize, short, Short, "", short(3))                            \
    X(65, PlotAreaAppearance, plotAreaAppearance, Orvex32::FrameStyleConstants, Enum,              \
      "FrameStyleConstants", Orvex32::nbgrFrameFlat)                                               \
    X(66, PlotAreaBorderStyle, plotAreaBorderStyle, Orvex32::BorderStyleConstants, Enum,           \
      "BorderStyleConstants", Orvex32::nbgrBorderLine)                                             \
    X(67, PlotAreaShadowSize, plotAreaShadowSize, short, Short, "", short(3))                      \
    X(68, VertScaleSplitCount, vertScaleSplitCount, short, Short, "", short(10))                   \
    X(69, VertScaleSubSplitCount, vertScaleSubSplitCount, short, Short, "", short(5))              \
    X(70, HorzScaleSplitCount, horzScaleSplitCount, short, Short, "", short(10))                   \
    X(71, HorzScaleSubSplitCount, horzScaleSubSplitCount, short, Short, "", short(5))              \
    X(72, DataCount, dataCount, int, Long, "", 101)                                                \
    X(73, HorzScaleSpan, horzScaleSpan, int, Long, "", 1)                                          \
    X(74, HorzScaleSpanUnit, horzScaleSpanUnit, Orvex32::SpanUnitConstants, Enum,                  \
      "SpanUnitConstants", Orvex32::nbgrSpanUnitNumber)                                            \
    X(75, HorzScaleLabelStyle, horzScaleLabelStyle, Orvex32::ScaleLabelStyleConstants, Enum,       \
      "ScaleLabelStyleConstants", Orvex32::nbgrScaleAuto)                                          \
    X(76, GraphKind, graphKind, Orvex32::GraphKindConstants, Enum, "GraphKindConstants",           \
      Orvex32::nbgrGraphKindLineGraph1)                                                            \
    X(77, IntroHorzAlign, introHorzAlign, Orvex32::AlignmentConstants, Enum, "AlignmentConstants", \
      Orvex32::nbgrLeftJustify)                                                                    \
    X(78, IntroVertAlign, introVertAlign, Orvex32::VerticalAlignmentConstants2, Enum,              \
      "VerticalAlignmentConstants2", Orvex32::nbgrVerticalAlignment2TopJustify)                    \
    X(79, HorzScaleLabelPos, horzScaleLabelPos, Orvex32::ScaleLabelPosConstants, Enum,             \
      "ScaleLabelPosConstants", Orvex32::nbgrScaleLeft)                                            \
    X(80, PlotAreaVertScaleLine, plotAreaVertScaleLine, Orvex32::LineKindConstants, Enum,          \
      "LineKindConstants", Orvex32::nbgrLineKindDot)                                               \
    X(81, PlotAreaHorzScaleLine, plotAreaHorzScaleLine, Orvex32::LineKindConstants, Enum,          \
      "LineKindConstants", Orvex32::nbgrLineKindDot)                                               \
    X(82, OverlayGraphCount, overlayGraphCount, short, Short, "", short(1))                        \
    X(83, OverlayGraphKind, overlayGraphKind, Orvex32::GraphKindConstants, Enum,                   \
      "GraphKindConstants", Orvex32::nbgrGraphKindLineGraph2)                                      \
    X(84, MarkerFont, markerFont, QFont, Font, "", Orvex32Settings::defaultFont(4))                \
    X(85, PlotAreaSelectDataCount, plotAreaSelectDataCount, int, Long, "", -1)                     \
    X(86, PlotAreaHitCheckMode, plotAreaHitCheckMode, Orvex32::HitCheckModeConstants, Enum,        \
      "HitCheckModeConstants", Orvex32::nbgrHitCheckOnAll)                                         \
    X(87, SpanBarWidth, spanBarWidth, int, Long, "", 5)                                            \
    X(88, SpanCheck, spanCheck, Orvex32::SpanCheckConstants, Enum, "SpanCheckConstants",           \
      Orvex32::SpanCheckOff)                                                                       \
    X(89, Picture, picture, QImage, Picture, "", QImage())

// The per-graph properties with one index argument.
// X(dispId, Name, member, CppType, VarType, indexName, indexType, persisted suffix, index error)
// An empty suffix means not persisted; the index error is raised for an
// index outside 0 … GraphCount−1.
#define ORVEX32_GRAPH_PROPERTIES(X)                                                                \
    X(94, GraphColor, graphColor, Orvex32::OleColor, Color, "nIndex", Short, "Color", BadIndex)    \
    X(95, ShortName, shortName, QString, String, "nIndex", Short, "ShortName", BadIndex)           \
    X(96, LongName, longName, QString, String, "nIndex", Short, "Name", BadIndex)                  \
    X(97, Unit, unit, QString, String, "nIndex", Short, "Unit", BadIndex)                          \
    X(98, Value, value, double, Double, "nIndex", Short, "", BadIndex)                             \
    X(99, ValueFlag, valueFlag, bool, Bool, "nIndex", Short, "", BadIndex)                         \
    X(100, DecimalPoint, decimalPoint, short, Short, "nIndex", Short, "DecimalPoint", BadIndex)    \
    X(101, HighValue, highValue, double, Double, "nIndex", Short, "HighValue", BadIndex)           \
    X(102, LowValue, lowValue, double, Double, "nIndex", Short, "LowValue", BadIndex)              \
    X(106, LineWidth, lineWidth, short, Short, "nIndex", Short, "LineWidth", BadIndex)             \
    X(107, LineKind, lineKind, short, Short, "nIndex", Short, "LineKind", BadIndex)                \
    X(108, MarkerKind, markerKind, short, Short, "nGraph", Short, "MarkerKind",                    \
      GraphNumberExceedsCount)                                                                     \
    X(109, MarkerColor, markerColor, Orvex32::OleColor, Color, "nGraph", Short, "MarkerColor",     \
      GraphNumberExceedsCount)                                                                     \
    X(110, GraphShow, graphShow, short, Short, "nGraph", Short, "GraphShow",                       \
      GraphNumberExceedsCount)                                                                     \
    X(111, SpanBarShow, spanBarShow, short, Short, "nIndex", Short, "SpanBarShow", BadIndex)       \
    X(112, SpanMax, spanMax, double, Double, "nIndex", Long, "SpanMax", BadIndex)                  \
    X(113, SpanMin, spanMin, double, Double, "nIndex", Long, "SpanMin", BadIndex)                  \
    X(114, SpanBarColor, spanBarColor, Orvex32::OleColor, Color, "nIndex", Long, "SpanBarColor",   \
      BadIndex)                                                                                    \
    X(115, GraphAlertColor, graphAlertColor, Orvex32::OleColor, Color, "nIndex", Short,            \
      "GraphAlertColor", BadIndex)

// The simple properties.
struct ORVEX32_EXPORT Orvex32Settings
{
    // The default fonts: 0 caption, 1 legend, 2 vertical scale, 3 horizontal
    // scale, 4 markers.
    static QFont defaultFont(int which);

#define ORVEX32_DECLARE_MEMBER(id, Name, member, CppType, vt, en, def) CppType member = def;
    ORVEX32_SIMPLE_PROPERTIES(ORVEX32_DECLARE_MEMBER)
#undef ORVEX32_DECLARE_MEMBER
};

// The settings of one graph; a new graph i gets graphDefaults(i).
struct ORVEX32_EXPORT GraphSettings
{
    Orvex32::OleColor graphColor = 0;
    QString shortName;
    QString longName;
    QString unit;
    double value = 0.0;
    bool valueFlag = false;
    short decimalPoint = 2;
    double highValue = 100.0;
    double lowValue = 0.0;
    short lineWidth = 1;
    short lineKind = Orvex32::nbgrLineKindSolid;
    short markerKind = 0;
    Orvex32::OleColor markerColor = 0;
    short graphShow = 1;
    short spanBarShow = 0;
    double spanMax = 0.0;
    double spanMin = 0.0;
    Orvex32::OleColor spanBarColor = 0;
    Orvex32::OleColor graphAlertColor = 0xC0C0C0;

    static GraphSettings defaults(int graph);
};
