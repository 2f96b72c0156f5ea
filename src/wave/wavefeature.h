#pragma once

class MainMenuWindow;

// The oscilloscope menu behind "Oscilloscope(&O)": the waveform viewer and
// the analog monitor.
void registerWaveFeatures(MainMenuWindow &window);
