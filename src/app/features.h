#pragma once

class MainMenuWindow;

// Connects each main-menu button to the dialog of its feature.
void registerFeatures(MainMenuWindow &window);
