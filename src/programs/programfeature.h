#pragma once

class MainMenuWindow;

// The program manager behind "Program(&G)".
void registerProgramFeatures(MainMenuWindow &window);
