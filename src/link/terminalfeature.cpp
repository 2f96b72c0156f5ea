#include "terminalfeature.h"

#include "app/mainmenuwindow.h"
#include "drivelink.h"
#include "params/pulsedialog.h"
#include "terminalwindow.h"

void registerTerminalFeatures(MainMenuWindow &window)
{
    window.setFeature(1002, [](QWidget *parent) -> QDialog * {
        return new TerminalWindow(*DriveLink::instance(), parent);
    });
    window.setFeature(1010, [](QWidget *parent) -> QDialog * {
        return new PulseDialog(*DriveLink::instance(), parent);
    });
}
