#include "features.h"

#include "link/terminalfeature.h"
#include "mainmenuwindow.h"
#include "params/parameterfeature.h"
#include "programs/programfeature.h"

void registerFeatures(MainMenuWindow &window)
{
    registerParameterFeatures(window);
    registerProgramFeatures(window);
    registerTerminalFeatures(window);
}
