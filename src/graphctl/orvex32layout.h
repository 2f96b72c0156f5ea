#pragma once

#include "orvex32global.h"

#include <QList>
#include <QRect>

// Where the control's regions lie, in the control's own pixels. Rectangles
// are QRects (x, y, width, height); an empty region keeps its position with
// zero size.
struct ORVEX32_EXPORT Orvex32Layout
{
    QRect frame;        // the whole control
    QRect frameInner;   // inside the frame's border and shadow
    QRect caption;      // the caption strip; zero height when hidden
    QRect captionInner; // where the caption text goes
    QRect intro;        // the legend with its border and shadow; empty when hidden
    QRect introInner;   // the legend's rows
    QRect graph;        // the graph region: scales and plot area
    QRect graphInner;
    QRect plotArea;  // the plot area with its border
    QRect plot;      // the plot rectangle the graphs are drawn in
    QRect horzScale; // below the plot area; zero height when hidden

    struct VertScale
    {
        QRect rect;
        int graph = -1; // -1: the single scale (graph 0's range)
        bool left = true;
    };
    QList<VertScale> vertScales;
};
