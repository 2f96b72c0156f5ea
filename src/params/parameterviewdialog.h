#pragma once

#include <QByteArrayList>
#include <QDialog>
#include <QString>

#include <functional>

class QPlainTextEdit;
class QPrinter;
class QPushButton;

// "View parameter file" (dialog 118): a parameter file's text, read-only,
// with Print and Exit. With the English module the text is set in a
// fixed-pitch font so that the file's columns line up.
class ParameterViewDialog : public QDialog
{
    Q_OBJECT
public:
    // Shows the print dialog for the printer; false when the user cancels.
    using PrinterChooser = std::function<bool(QPrinter &printer, QWidget *parent)>;

    explicit ParameterViewDialog(QWidget *parent = nullptr);

    // The file's lines as read (8-bit, the drive's code page) and its path.
    void setFile(const QByteArrayList &lines, const QString &path);
    QString path() const { return m_path; }
    // The lines as shown, each followed by CR LF.
    QString text() const;

    // Tests print without the print dialog.
    void setPrinterChooser(PrinterChooser chooser) { m_chooser = std::move(chooser); }
    // The Print button: asks for a printer and prints the lines.
    void print();

    QPlainTextEdit *editor() const { return m_edit; }
    QPushButton *button(int controlId) const;

private:
    QPlainTextEdit *m_edit;
    QPushButton *m_print;
    QPushButton *m_exit;
    QStringList m_lines;
    QString m_path;
    PrinterChooser m_chooser;
};
