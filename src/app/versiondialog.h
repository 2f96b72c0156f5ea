#pragma once

#include <QDialog>

// The version information: shown once at start as a splash that closes
// itself, and on request afterwards until OK is pressed.
class VersionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit VersionDialog(QWidget *parent = nullptr);

    // Shows the dialog modally; the first showing of a run closes itself
    // after autoCloseMs when that is positive.
    int run(int autoCloseMs = 0);

    // The title line: the resource module's text ("Torvane Version 0.1")
    // with its number replaced by the program's own version, so the dialog
    // always shows the version the program was built as.
    static QString titleText(const QString &resourceText);
};
