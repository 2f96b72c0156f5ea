#include "parameterfeature.h"

void registerParameterFeatures(MainMenuWindow &)
{
}
