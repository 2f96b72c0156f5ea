#pragma once

#include <QLabel>
#include <QList>
#include <QPixmap>

// The lamp images every status window draws from, loaded once from the
// resource module: lit and dark green, hollow green, lit and dark red, hollow
// red and a blank, 15 x 15 pixels each, blue standing for transparent.
class LampImages
{
public:
    enum Lamp { GreenLit, GreenDark, GreenHollow, RedLit, RedDark, RedHollow, Blank, Count };

    static LampImages &instance();

    // Loads bitmaps 141, 142, 195, 143, 144, 196 and 207 in that order.
    void load();
    bool isLoaded() const { return !m_images.isEmpty(); }
    QPixmap image(Lamp lamp) const;
    // The bitmap with its blue pixels made transparent.
    static QPixmap masked(int bitmapId);

private:
    QList<QPixmap> m_images;
};

// The activity lamp of the talking windows: 141 (lit) and 142 (dark).
void toggleActivityLamp(QLabel *lamp);
void setLampIdle(QLabel *lamp);
// A dark activity lamp, tagged as control 1047, for a dialog's layout.
QLabel *makeActivityLamp(QWidget *parent);

// Lets the lamp blink with an exchange's traffic: every exchange that talks
// reports lampToggled() per reply and lampIdle() when it is done.
template <typename Exchange> void followActivity(QLabel *lamp, Exchange *exchange)
{
    QObject::connect(exchange, &Exchange::lampToggled, lamp, [lamp] { toggleActivityLamp(lamp); });
    QObject::connect(exchange, &Exchange::lampIdle, lamp, [lamp] { setLampIdle(lamp); });
}
