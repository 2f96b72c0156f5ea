// Draws the graph control offscreen in a few typical states and writes PNGs,
// for a look at the result: graphctl_shots [output folder]
#include "corvex32ctrl.h"

#include <QApplication>
#include <QDir>
#include <QImage>

#include <cmath>

namespace {

// A record as the drive's logger gives it: 4 channels of 501 samples.
void fillScopeRecord(COrvex32Ctrl &graph)
{
    const int n = 501;
    graph.setDataCount(n);
    const char *const names[] = {"Velocity command", "Velocity feedback", "Torque command",
                                 "In position"};
    const double highs[] = {3000, 3000, 300, 1.5};
    const double lows[] = {-3000, -3000, -300, -6};
    for (int ch = 0; ch < 4; ++ch) {
        graph.setShortName(ch, QStringLiteral("CH%1").arg(ch + 1));
        graph.setLongName(ch, QString::fromLatin1(names[ch]));
        graph.setUnit(ch, ch < 2    ? QStringLiteral("rpm")
                          : ch == 2 ? QStringLiteral("%")
                                    : QString());
        graph.setDecimalPoint(ch, 0);
        graph.setHighValue(ch, highs[ch]);
        graph.setLowValue(ch, lows[ch]);
    }
    QList<qint32> flags(n, 1);
    QList<double> v(n);
    // A trapezoidal move and the motor following it with some overshoot.
    const auto command = [](int k) {
        if (k < 50 || k > 450)
            return 0.0;
        if (k < 150)
            return 2000.0 * (k - 50) / 100;
        if (k < 350)
            return 2000.0;
        return 2000.0 * (450 - k) / 100;
    };
    for (int k = 0; k < n; ++k)
        v[k] = command(k);
    graph.setArrayData(0, 0, 0, n, flags, v);
    for (int k = 0; k < n; ++k) {
        const double lag = command(std::max(0, k - 6));
        const double ring =
            (k > 150 ? 120 * std::exp(-(k - 150) / 25.0) * std::sin((k - 150) / 5.0) : 0) +
            (k > 450 ? -90 * std::exp(-(k - 450) / 20.0) * std::sin((k - 450) / 5.0) : 0);
        v[k] = lag + ring + 8 * std::sin(k * 1.7);
    }
    graph.setArrayData(1, 0, 0, n, flags, v);
    for (int k = 0; k < n; ++k) {
        double t = 0;
        if (k >= 50 && k < 150)
            t = 180;
        else if (k >= 350 && k < 450)
            t = -170;
        v[k] = t + 15 * std::sin(k * 0.9) + 6 * std::cos(k * 2.3);
    }
    graph.setArrayData(2, 0, 0, n, flags, v);
    for (int k = 0; k < n; ++k)
        v[k] = (k > 470 || k < 40) ? 1 : 0;
    graph.setArrayData(3, 0, 0, n, flags, v);
    // The samples the logger lost: a gap in channel 3.
    for (int k = 300; k < 320; ++k)
        graph.setDataFlag(2, k, false);
}

void save(COrvex32Ctrl &graph, const QString &dir, const QString &name)
{
    const QImage image = graph.toImage();
    const QString path = QDir(dir).filePath(name);
    if (!image.save(path))
        qWarning("cannot write %s", qPrintable(path));
    else
        qInfo("%s", qPrintable(path));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("shots");
    QDir().mkpath(dir);

    {
        COrvex32Ctrl graph;
        graph.resize(800, 500);
        save(graph, dir, QStringLiteral("graphctl-defaults.png"));
    }
    {
        COrvex32Ctrl graph;
        graph.resize(800, 500);
        fillScopeRecord(graph);
        graph.setPlotAreaSelectDataCount(200);
        save(graph, dir, QStringLiteral("graphctl-scope.png"));

        graph.setVertScaleShowMode(Orvex32::nbgrVerticalScaleIndividual);
        graph.setIntroVertAlign(Orvex32::nbgrVerticalAlignment2Middle);
        graph.setIntroHorzAlign(Orvex32::nbgrRightJustify);
        graph.setIntroShortNameWidth(40);
        graph.setIntroNameWidth(110);
        graph.setIntroUnitWidth(30);
        graph.setCaptionShow(false);
        graph.setFrameAppearance(Orvex32::nbgrFrameRaise);
        graph.setGraphAppearance(Orvex32::nbgrFrameInset);
        graph.setIntroAppearance(Orvex32::nbgrFrameShadow);
        graph.setMarkerKind(3, 1);
        graph.setLineWidth(1, 2);
        graph.setLineKind(0, Orvex32::nbgrLineKindDash);
        save(graph, dir, QStringLiteral("graphctl-scope-variant.png"));
    }
    {
        // A long record, many points to each pixel column, with a gap.
        COrvex32Ctrl graph;
        graph.resize(800, 500);
        graph.setGraphCount(2);
        graph.setCaption(QStringLiteral("200,000 points"));
        const int n = 200000;
        graph.setDataCount(n);
        QList<qint32> flags(n, 1);
        QList<double> v(n);
        for (int g = 0; g < 2; ++g) {
            for (int k = 0; k < n; ++k) {
                const double t = double(k) / n;
                v[k] = 50 + 30 * std::sin(2 * M_PI * 3 * t + g) +
                       (g == 0 ? 8 * std::sin(k * 0.37) : 2 * std::sin(k * 1.3));
                flags[k] = (g == 1 && k > 90000 && k < 110000) ? 0 : 1;
            }
            graph.setArrayData(g, 0, 0, n, flags, v);
        }
        graph.setHorzScaleSplitCount(8);
        graph.setHorzScaleSpanUnit(Orvex32::nbgrSpanUnitSecond);
        graph.setHorzScaleStartValue(QStringLiteral("2024/05/01 10:00:00"));
        graph.setHorzScaleSpan(1);
        save(graph, dir, QStringLiteral("graphctl-dense.png"));
    }
    {
        COrvex32Ctrl graph;
        graph.resize(800, 500);
        graph.setGraphCount(3);
        graph.setDataCount(12);
        graph.setGraphKind(Orvex32::nbgrGraphKindBarGraph);
        graph.setOverlay(true);
        graph.setHorzScaleSplitCount(12);
        graph.setHorzScaleLabelPos(Orvex32::nbgrScaleCenter);
        graph.setHorzScaleSpanUnit(Orvex32::nbgrSpanUnitMonth);
        graph.setHorzScaleStartValue(QStringLiteral("2024/01"));
        for (int g = 0; g < 3; ++g) {
            for (int k = 0; k < 12; ++k) {
                graph.setDataFlag(g, k, k != 7 || g == 2);
                graph.setData(g, k, 20 + 60 * std::abs(std::sin((k + 3 * g) / 3.0)));
            }
        }
        graph.setMarkerKind(2, 12);
        graph.setDecimalPoint(2, 0);
        graph.setSpanBarShow(0, 1);
        graph.setSpanMax(0, 70);
        graph.setSpanMin(0, 30);
        graph.setSpanCheck(Orvex32::SpanCheckOn);
        graph.setGraphAlertColor(0, 0x0080FF);
        save(graph, dir, QStringLiteral("graphctl-bars.png"));
    }
    {
        COrvex32Ctrl graph;
        graph.resize(600, 400);
        graph.setGraphKind(Orvex32::nbgrGraphKindCircleGraph);
        graph.setDataCount(1);
        graph.setVertScaleShowMode(Orvex32::nbgrVerticalScaleNothing);
        graph.setHorzScaleShow(false);
        const double v[] = {40, 25, 20, 15};
        for (int g = 0; g < 4; ++g) {
            graph.setDataFlag(g, 0, true);
            graph.setData(g, 0, v[g]);
            graph.setMarkerKind(g, 11);
            graph.setDecimalPoint(g, 0);
        }
        save(graph, dir, QStringLiteral("graphctl-circle.png"));
        graph.setGraphKind(Orvex32::nbgrGraphKindDigitalGraph);
        graph.setDataFlag(3, 0, false);
        save(graph, dir, QStringLiteral("graphctl-digital.png"));
    }
    return 0;
}
