#pragma once

class MainMenuWindow;

// The drive menu behind "Drive(&D)" and servo tuning behind "Servo Cntl(&S)".
void registerOperateFeatures(MainMenuWindow &window);
