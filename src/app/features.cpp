#include "features.h"

#include "cam/camfeature.h"
#include "comp/tablefeature.h"
#include "io/iofeature.h"
#include "link/terminalfeature.h"
#include "mainmenuwindow.h"
#include "operate/operatefeature.h"
#include "params/parameterfeature.h"
#include "programs/programfeature.h"
#include "wave/wavefeature.h"

void registerFeatures(MainMenuWindow &window)
{
    registerParameterFeatures(window);
    registerProgramFeatures(window);
    registerTerminalFeatures(window);
    registerIoFeatures(window);
    registerOperateFeatures(window);
    registerWaveFeatures(window);
    registerTableFeatures(window);
    registerCamFeatures(window);
}
