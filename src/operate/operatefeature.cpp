#include "operatefeature.h"

#include "app/mainmenuwindow.h"
#include "drivemenuwindow.h"
#include "link/drivelink.h"
#include "servotuningwindow.h"

void registerOperateFeatures(MainMenuWindow &window)
{
    window.setFeature(1044, [](QWidget *parent) -> QDialog * {
        DriveLink *link = DriveLink::instance();
        return link ? new DriveMenuWindow(*link, parent) : nullptr;
    });
    window.setFeature(1008, [](QWidget *parent) -> QDialog * {
        DriveLink *link = DriveLink::instance();
        return link ? new ServoTuningWindow(*link, parent) : nullptr;
    });
}
