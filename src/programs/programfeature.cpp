#include "programfeature.h"

#include "app/mainmenuwindow.h"
#include "link/drivelink.h"
#include "programmanagerdialog.h"

void registerProgramFeatures(MainMenuWindow &window)
{
    // "Program(&G)" on the main menu.
    window.setFeature(1003, [](QWidget *parent) -> QDialog * {
        DriveLink *link = DriveLink::instance();
        return link ? new ProgramManagerDialog(*link, parent) : nullptr;
    });
}
