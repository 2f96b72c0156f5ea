#include "features.h"

#include "mainmenuwindow.h"

void registerFeatures(MainMenuWindow &window)
{
    Q_UNUSED(window);
}
