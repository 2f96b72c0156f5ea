#include "terminalfeature.h"

void registerTerminalFeatures(MainMenuWindow &)
{
}
