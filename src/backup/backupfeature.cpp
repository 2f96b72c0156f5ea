#include "backupfeature.h"

#include "app/mainmenuwindow.h"
#include "backupdialog.h"
#include "link/drivelink.h"

void registerBackupFeatures(MainMenuWindow &window)
{
    window.setFeature(1134, [](QWidget *parent) -> QDialog * {
        DriveLink *link = DriveLink::instance();
        return link ? new BackupDialog(*link, parent) : nullptr;
    });
}
