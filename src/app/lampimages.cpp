#include "lampimages.h"

#include "dialogtexts.h"

#include "resources/catalogue.h"

#include <QBitmap>
#include <QLabel>

LampImages &LampImages::instance()
{
    static LampImages images;
    return images;
}

QPixmap LampImages::masked(int bitmapId)
{
    const QString path = Catalogue::instance().bitmapPath(bitmapId);
    if (path.isEmpty())
        return {};
    QPixmap pixmap(path);
    if (pixmap.isNull())
        return pixmap;
    pixmap.setMask(pixmap.createMaskFromColor(QColor(0, 0, 255)));
    return pixmap;
}

void LampImages::load()
{
    m_images.clear();
    for (int id : {141, 142, 195, 143, 144, 196, 207})
        m_images.append(masked(id));
}

QPixmap LampImages::image(Lamp lamp) const
{
    if (lamp < 0 || lamp >= m_images.size())
        return {};
    return m_images.at(lamp);
}

namespace {
const char *litProperty = "torvaneLampLit";
}

void toggleActivityLamp(QLabel *lamp)
{
    if (!lamp)
        return;
    const bool lit = !lamp->property(litProperty).toBool();
    lamp->setProperty(litProperty, lit);
    lamp->setPixmap(LampImages::masked(lit ? 141 : 142));
}

void setLampIdle(QLabel *lamp)
{
    if (!lamp)
        return;
    lamp->setProperty(litProperty, false);
    lamp->setPixmap(LampImages::masked(142));
}

QLabel *makeActivityLamp(QWidget *parent)
{
    auto *lamp = new QLabel(parent);
    DialogTexts::tag(lamp, 1047);
    lamp->setFixedSize(15, 15);
    setLampIdle(lamp);
    return lamp;
}
