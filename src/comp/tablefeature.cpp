#include "tablefeature.h"

#include "accuracytabledialog.h"
#include "app/mainmenuwindow.h"
#include "indexmenudialog.h"
#include "link/drivelink.h"
#include "pointtabledialog.h"

void registerTableFeatures(MainMenuWindow &window)
{
    window.setFeature(1006, [](QWidget *parent) -> QDialog * {
        DriveLink *link = DriveLink::instance();
        return link ? new PointTableDialog(*link, parent) : nullptr;
    });
    window.setFeature(1007, [](QWidget *parent) -> QDialog * {
        DriveLink *link = DriveLink::instance();
        return link ? new IndexMenuDialog(*link, parent) : nullptr;
    });
    window.setFeature(1009, [](QWidget *parent) -> QDialog * {
        DriveLink *link = DriveLink::instance();
        return link ? new AccuracyTableDialog(*link, parent) : nullptr;
    });
}
