#pragma once

class MainMenuWindow;

// Terminal mode behind "Terminal(&T)" and the pulse setting dialog.
void registerTerminalFeatures(MainMenuWindow &window);
