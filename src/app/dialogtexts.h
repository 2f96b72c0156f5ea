#pragma once

class QWidget;
class QAbstractButton;
class QString;

// Layouts are the program's own; every text in them comes from the loaded
// resource module by dialog and control number, so both languages share one
// layout. A control is tagged with its number once, where it is created.
namespace DialogTexts {

void tag(QWidget *control, int controlId);
int controlId(const QWidget *control);

// Sets the window title (dialog caption) and the text of every tagged button,
// label and group box below the dialog.
void apply(QWidget *dialog, int dialogId);

// The caption, or the program title when the set has none for this dialog.
QString caption(int dialogId);

// The width a window needs so that the window manager can show the whole
// title beside its icon and buttons.
int titleWidth(const QWidget *window);

} // namespace DialogTexts
