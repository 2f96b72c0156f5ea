#pragma once

#include "userprompt.h"

#include <QFileDialog>

// The one file dialog of the program: it opens in the data directory and
// remembers the folder of the chosen file as the new data directory.
class DataFileDialog : public QFileDialog
{
    Q_OBJECT
public:
    explicit DataFileDialog(const UserPrompt::FileRequest &request, QWidget *parent = nullptr);

    // Runs the dialog; the chosen path, or empty when cancelled.
    QString run();
};
