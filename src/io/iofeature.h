#pragma once

class MainMenuWindow;

// The I/O configuration menu behind "I/O Set(&I)", and the I/O monitor that
// Terminal mode hosts.
void registerIoFeatures(MainMenuWindow &window);
