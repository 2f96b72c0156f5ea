#include "iofeature.h"

#include "app/mainmenuwindow.h"
#include "ioconfigmenudialog.h"
#include "iomonitorwindow.h"
#include "link/drivelink.h"
#include "link/terminalwindow.h"

void registerIoFeatures(MainMenuWindow &window)
{
    // "I/O Set(&I)" on the main menu.
    window.setFeature(1005, [](QWidget *parent) -> QDialog * {
        DriveLink *link = DriveLink::instance();
        return link ? new IoConfigMenuDialog(*link, parent) : nullptr;
    });
    TerminalWindow::setIoMonitorFactory([](TerminalSession &session, QWidget *parent) -> QWidget * {
        return new IoMonitorWindow(session, parent);
    });
}
