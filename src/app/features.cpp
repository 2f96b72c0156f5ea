#include "features.h"

#include "link/terminalfeature.h"
#include "mainmenuwindow.h"
#include "params/parameterfeature.h"
#include "wave/wavefeature.h"

void registerFeatures(MainMenuWindow &window)
{
    registerParameterFeatures(window);
    registerTerminalFeatures(window);
    registerWaveFeatures(window);
}
