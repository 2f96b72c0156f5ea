#include "simpleterminalwindow.h"

SimpleTerminalWindow::SimpleTerminalWindow(DriveLink &link, QWidget *featureWindow, int dialogId)
    : TerminalWindow(link, TerminalSession::Variant::Simple, dialogId, featureWindow)
{
    setWindowFlag(Qt::Tool);
    setModal(false);
}

void SimpleTerminalWindow::openBeside()
{
    if (QWidget *feature = parentWidget()) {
        const QRect frame = feature->window()->frameGeometry();
        move(frame.right() + 4, frame.top());
    }
    show();
    raise();
}
