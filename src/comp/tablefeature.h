#pragma once

class MainMenuWindow;

// The compensation and point tables behind "Point Set(&P)", "Index
// Comp(&N)" and "AbsAccComp(&A)".
void registerTableFeatures(MainMenuWindow &window);
