#pragma once

#include <QDialog>

#include <functional>

class QPushButton;
class ViewerFiles;

// "File Operation" (dialog 174): graph files ("Wave Data") and condition
// files ("SetCondition"), and the record exported as CSV or the plot as
// PNG. An Open closes the dialog after its attempt; Save and the exports
// leave it open.
class FileOperationDialog : public QDialog
{
    Q_OBJECT
public:
    FileOperationDialog(ViewerFiles &files, std::function<QByteArray()> png,
                        QWidget *parent = nullptr);

    // Runs the dialog; true when a file was read and is to be shown.
    bool run();
    bool fileLoaded() const { return m_loaded; }
    // Buttons by control number; the export buttons are 2101 (CSV) and 2102 (PNG).
    QPushButton *button(int controlId) const;

    static constexpr int CsvButton = 2101;
    static constexpr int PngButton = 2102;

private:
    QPushButton *addButton(int controlId);
    void opened(bool loaded);

    ViewerFiles &m_files;
    std::function<QByteArray()> m_png;
    QList<QPushButton *> m_buttons;
    bool m_loaded = false;
};
