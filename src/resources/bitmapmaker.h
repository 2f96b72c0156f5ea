#pragma once

#include <QImage>
#include <QList>
#include <QSize>

// Draws the numbered bitmaps and the application icon of the resource
// modules. The images are simple pictograms in the 16 colours of the VGA
// palette, drawn without anti-aliasing so that a run always yields the same
// pixels; bitmapgen writes them as the PNG files the modules carry.
class BitmapMaker
{
public:
    enum class Set { English, Japanese };

    // The bitmap numbers a set holds (138, 3000 and 3001 are English only).
    static QList<int> bitmapIds(Set set);
    // The size of a bitmap; invalid for a number the set lacks.
    static QSize bitmapSize(int id, Set set);
    // The bitmap, or a null image for a number the set lacks.
    static QImage bitmap(int id, Set set);
    // True when the bitmap differs between the sets (only 168, the scale
    // strip, which is narrower in the Japanese set).
    static bool differsBySet(int id);

    // The sizes of the three images of icon 128.
    static QList<int> iconSizes();
    static QImage icon(int size);

    // The colour the lamp images use for their transparent background.
    static QRgb maskColour() { return qRgb(0, 0, 255); }
};
