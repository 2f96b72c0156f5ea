#include "parameterfeature.h"

#include "app/mainmenuwindow.h"
#include "link/drivelink.h"
#include "parametermanagerdialog.h"

void registerParameterFeatures(MainMenuWindow &window)
{
    // "Paramater(&M)" on the main menu.
    window.setFeature(1001, [](QWidget *parent) -> QDialog * {
        DriveLink *link = DriveLink::instance();
        return link ? new ParameterManagerDialog(*link, parent) : nullptr;
    });
}
