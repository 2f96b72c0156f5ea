#pragma once

#include "programdialogprompt.h"
#include "programtransfer.h"

#include "app/featuremenudialog.h"
#include "app/linkhold.h"

#include <array>
#include <functional>

class DriveLink;
class ProgramIndexDialog;
class ProgramPropertyDialog;
class QPlainTextEdit;
class QPrinter;

// "Program Edit" (dialog 213): two edit windows, each with one program's
// text and its option flags, and the buttons that move a window's program
// to and from the drive and program files, list and delete the drive's
// programs, print a window and reset the communication. One operation at a
// time; the exchange is the link's owner while the dialog is open.
class ProgramEditDialog : public FeatureMenuDialog
{
    Q_OBJECT
public:
    enum Window { Top = 0, Bottom = 1 };
    // Asks for the printer; false when the user cancelled.
    using PrinterChooser = std::function<bool(QPrinter &printer, QWidget *parent)>;

    explicit ProgramEditDialog(DriveLink &link, QWidget *parent = nullptr);
    ~ProgramEditDialog() override;

    void setPrinterChooser(PrinterChooser chooser) { m_chooser = std::move(chooser); }

    ProgramTransfer &transfer() { return m_transfer; }
    QPlainTextEdit *editor(int window) const { return m_edits.at(size_t(window)); }
    ProgramPropertyDialog *property() const { return m_property; }
    ProgramIndexDialog *index() const { return m_index; }

    // The window that last had the focus, or the one last chosen.
    int activeWindow() const { return m_active; }
    quint32 options(int window) const { return m_options.at(size_t(window)); }
    void setOptions(int window, quint32 options) { m_options.at(size_t(window)) = options & 3; }
    // The window's lines as the drive and the files take them; the line
    // after a final line end is the cursor's, not a program line.
    QByteArrayList lines(int window) const;
    void setLines(int window, const QByteArrayList &lines);

    // The buttons' operations.
    void download();
    void upload();
    void deleteProgram();
    void showIndex();
    void openFile();
    void saveFile();
    void print();
    void resetCommunication();

protected:
    void promptChanged(UserPrompt *given) override;
    bool isExchangeBusy() const override { return m_transfer.isBusy(); }
    // The edit windows stay usable; every button waits for the drive.
    void setBusy(bool busy) override { enableButtons(!busy); }
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Runs "Property" in a mode, preset with the active window; false when
    // cancelled. The chosen window becomes the active one.
    bool askProperty(int mode, int highest = -1);
    void selectLine(int window, int line);
    QString lineMessage(int line, int textId) const;
    void transferFinished(ProgramTransfer::Outcome outcome);

    ProgramDialogPrompt m_prompt;
    ProgramTransfer m_transfer;
    LinkHold m_linkHold;
    std::array<QPlainTextEdit *, 2> m_edits;
    std::array<quint32, 2> m_options{0, 0};
    int m_active = Top;
    // The window an upload or a download works on.
    int m_target = Top;
    ProgramPropertyDialog *m_property;
    ProgramIndexDialog *m_index;
    PrinterChooser m_chooser;
};
