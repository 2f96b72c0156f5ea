#include "camfeature.h"

#include "app/mainmenuwindow.h"
#include "cammenudialog.h"
#include "link/drivelink.h"

void registerCamFeatures(MainMenuWindow &window)
{
    // "Parts(&C)" on the main menu.
    window.setFeature(1004, [](QWidget *parent) -> QDialog * {
        DriveLink *link = DriveLink::instance();
        return link ? new CamMenuDialog(*link, parent) : nullptr;
    });
}
