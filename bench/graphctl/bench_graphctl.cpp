// Drawing times of the graph control into a 1000 × 600 image: four graphs of
// 250 points (an oscilloscope record) and four graphs of 1,000,000 points.
// Prints the figures; targets are under 1 ms and under 30 ms. --quick leaves
// out the slow drawing of every point without column reduction, --small
// draws the 250 points only, --save DIR keeps the dense drawings as PNG.
#include "corvex32ctrl.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <functional>

namespace {

void fill(COrvex32Ctrl &graph, int count)
{
    graph.setDataCount(count);
    QRandomGenerator rng(7);
    QList<qint32> flags(count, 1);
    QList<double> values(count);
    for (int g = 0; g < 4; ++g) {
        for (int k = 0; k < count; ++k) {
            const double t = double(k) / count;
            values[k] = 50 + 40 * std::sin(2 * M_PI * (g + 1) * t) + rng.bounded(6.0) - 3.0;
        }
        graph.setArrayData(g, 0, 0, count, flags, values);
    }
}

// --save DIR keeps the last drawing of each dense variant for a look.
QString &saveDir()
{
    static QString dir;
    return dir;
}

double threadCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

struct Figure
{
    double wall; // median wall-clock time of one drawing, ms
    double cpu;  // median processor time of the drawing thread, ms
};

// Median times of one drawing. The processor time is what the drawing costs
// when the machine is busy with other work; the wall time is what a user waits.
Figure timeDrawing(const COrvex32Ctrl &graph, const QSize &size, Orvex32Renderer::Parts parts,
                   int rounds, bool reduce = true,
                   const std::function<void(QList<GraphSettings> &)> &tweak = {},
                   const QString &saveName = {})
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    const Orvex32Layout layout = graph.layoutFor(size);
    QList<GraphSettings> graphs;
    for (int g = 0; g < graph.graphCount(); ++g)
        graphs << graph.graphSettings(g);
    if (tweak)
        tweak(graphs);
    Orvex32Renderer renderer(graph.settings(), graphs, graph.store(), {});
    renderer.setColumnReduction(reduce);
    QList<double> wall, cpu;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        const double cpuStart = threadCpuMs();
        QPainter painter(&image);
        renderer.paint(painter, layout, parts);
        painter.end();
        cpu << threadCpuMs() - cpuStart;
        wall << timer.nsecsElapsed() / 1e6;
    }
    if (!saveName.isEmpty() && !saveDir().isEmpty())
        image.save(saveDir() + QLatin1Char('/') + saveName + QStringLiteral(".png"));
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

void report(const char *what, const Figure &graphs, const Figure &whole, const char *target)
{
    std::printf("%-22s graphs %7.3f ms (cpu %7.3f)   whole control %7.3f ms (cpu %7.3f)   "
                "target %s\n",
                what, graphs.wall, graphs.cpu, whole.wall, whole.cpu, target);
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QSize size(1000, 600);
    const int save = int(app.arguments().indexOf(QStringLiteral("--save")));
    if (save > 0 && save + 1 < app.arguments().size())
        saveDir() = app.arguments().at(save + 1);

    COrvex32Ctrl graph;
    graph.resize(size);
    std::printf("graph control drawing into a %d x %d image (median of the rounds)\n", size.width(),
                size.height());

    {
        // A saved property set of 32,767 graphs: every graph's entries.
        COrvex32Ctrl many;
        many.setGraphCount(32767);
        const QVariantMap bag = many.saveProperties();
        QElapsedTimer timer;
        timer.start();
        COrvex32Ctrl loaded(bag);
        std::printf("loading a saved set of %lld graphs (%lld entries): %.1f ms   target < 1000 "
                    "ms\n",
                    qlonglong(loaded.graphCount()), qlonglong(bag.size()),
                    timer.nsecsElapsed() / 1e6);
    }

    fill(graph, 250);
    report("4 x 250 points:", timeDrawing(graph, size, Orvex32Renderer::Graphs, 200),
           timeDrawing(graph, size, Orvex32Renderer::AllParts, 200), "< 1 ms");

    if (app.arguments().contains(QStringLiteral("--small")))
        return 0;
    fill(graph, 1000000);
    report("4 x 1,000,000 points:", timeDrawing(graph, size, Orvex32Renderer::Graphs, 15),
           timeDrawing(graph, size, Orvex32Renderer::AllParts, 15), "< 30 ms");
    // Every line style at widths 1 to 3 on all four graphs, and markers on
    // one graph.
    const char *styles[] = {"solid", "dash", "dot", "dash-dot", "dash-dot-dot"};
    for (int kind = Orvex32::nbgrLineKindSolid; kind <= Orvex32::nbgrLineKindDashDotDot; ++kind) {
        for (int width = 1; width <= 3; ++width) {
            const Figure f = timeDrawing(
                graph, size, Orvex32Renderer::Graphs, 7, true,
                [kind, width](QList<GraphSettings> &graphs) {
                    for (GraphSettings &g : graphs) {
                        g.lineKind = short(kind);
                        g.lineWidth = short(width);
                    }
                },
                QStringLiteral("%1-width%2").arg(styles[kind - 1]).arg(width));
            std::printf("  %-13s width %d   %7.3f ms (cpu %7.3f)   target < 30 ms\n",
                        styles[kind - 1], width, f.wall, f.cpu);
        }
    }
    for (int marker : {1, 5, 12}) {
        const Figure f = timeDrawing(
            graph, size, Orvex32Renderer::Graphs, 7, true,
            [marker](QList<GraphSettings> &graphs) { graphs[0].markerKind = short(marker); },
            QStringLiteral("markers%1").arg(marker));
        std::printf("  markers kind %-2d on one graph   %7.3f ms (cpu %7.3f)   target < 30 ms\n",
                    marker, f.wall, f.cpu);
    }
    if (!app.arguments().contains(QStringLiteral("--quick"))) {
        const Figure full = timeDrawing(graph, size, Orvex32Renderer::Graphs, 3, false);
        std::printf("4 x 1,000,000 points, every point drawn (no column reduction): %.1f ms "
                    "(cpu %.1f)\n",
                    full.wall, full.cpu);
    }
    return 0;
}
