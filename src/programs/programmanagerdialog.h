#pragma once

#include "programdialogprompt.h"
#include "programtransfer.h"

#include "app/featuremenudialog.h"
#include "app/linkhold.h"

class DriveLink;
class ProgramEditDialog;
class ProgramMonitorWindow;
class ProgramPropertyDialog;
class QProgressBar;
class SelectTypeDialog;

// "Program Manager" (dialog 215): programs between files and the drive, one
// at a time or a whole batch program file, the communication reset, and the
// doors to the program editor and the program monitor. The dialog owns the
// exchange and shows what it reports; while it is open the exchange is the
// link's owner, and the editor and the monitor take the link from it while
// they are open.
class ProgramManagerDialog : public FeatureMenuDialog
{
    Q_OBJECT
public:
    explicit ProgramManagerDialog(DriveLink &link, QWidget *parent = nullptr);
    ~ProgramManagerDialog() override;

    ProgramTransfer &transfer() { return m_transfer; }
    QProgressBar *progressBar() const { return m_progress; }
    SelectTypeDialog *selectType() const { return m_select; }
    ProgramPropertyDialog *property() const { return m_property; }
    ProgramEditDialog *editor() const { return m_editor; }
    ProgramMonitorWindow *monitor() const { return m_monitor; }

protected:
    // What the exchange asks goes to the prompt, the editor's and the
    // monitor's questions too.
    void promptChanged(UserPrompt *given) override;
    bool isExchangeBusy() const override { return m_transfer.isBusy(); }
    void setBusy(bool busy) override;

private:
    void showProgress(int done, int total);
    // "Select type", then the number for a single transfer: false when the
    // user cancelled; *batch tells which.
    bool chooseTransfer(bool reading, bool *batch, int *number);
    void download();
    void upload();
    void edit();
    void openMonitor();

    ProgramDialogPrompt m_prompt;
    ProgramTransfer m_transfer;
    LinkHold m_linkHold;
    QProgressBar *m_progress;
    SelectTypeDialog *m_select;
    ProgramPropertyDialog *m_property;
    ProgramEditDialog *m_editor;
    ProgramMonitorWindow *m_monitor;
};
