#pragma once

class MainMenuWindow;

// The "Back Up" dialog behind "BackUp(&B)" on the main menu.
void registerBackupFeatures(MainMenuWindow &window);
