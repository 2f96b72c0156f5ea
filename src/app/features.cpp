#include "features.h"

#include "link/terminalfeature.h"
#include "mainmenuwindow.h"
#include "operate/operatefeature.h"
#include "params/parameterfeature.h"

void registerFeatures(MainMenuWindow &window)
{
    registerParameterFeatures(window);
    registerTerminalFeatures(window);
    registerOperateFeatures(window);
}
