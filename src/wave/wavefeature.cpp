#include "wavefeature.h"

#include "app/mainmenuwindow.h"
#include "link/drivelink.h"
#include "oscillomenu.h"

void registerWaveFeatures(MainMenuWindow &window)
{
    window.setFeature(1043, [](QWidget *parent) -> QDialog * {
        DriveLink *link = DriveLink::instance();
        return link ? new OscilloMenu(*link, parent) : nullptr;
    });
}
