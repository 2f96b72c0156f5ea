#pragma once

class MainMenuWindow;

void registerCamFeatures(MainMenuWindow &window);
