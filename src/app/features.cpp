#include "features.h"

#include "comp/tablefeature.h"
#include "link/terminalfeature.h"
#include "mainmenuwindow.h"
#include "params/parameterfeature.h"

void registerFeatures(MainMenuWindow &window)
{
    registerParameterFeatures(window);
    registerTerminalFeatures(window);
    registerTableFeatures(window);
}
