#pragma once

class MainMenuWindow;

// The parameter manager behind "Paramater(&M)".
void registerParameterFeatures(MainMenuWindow &window);
