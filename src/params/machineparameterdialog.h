#pragma once

#include "machineparameteredit.h"

#include "app/featuremenudialog.h"
#include "app/linkhold.h"

class DriveLink;
class ParameterGrid;
class QLineEdit;

// "MachineParameterEdit" (dialog 250): the drive's group 1 in a grid of key,
// label and value. Values are changed one at a time through the edit box and
// "Enter"; "Set" writes every row back and restarts the drive. The group is
// read each time the dialog opens; while it is open its exchange owns the link.
class MachineParameterDialog : public FeatureMenuDialog
{
    Q_OBJECT
public:
    explicit MachineParameterDialog(DriveLink &link, QWidget *parent = nullptr);

    MachineParameterEdit &edit() { return m_edit; }
    ParameterGrid *grid() const { return m_grid; }
    QLineEdit *valueBox() const { return m_valueBox; }

protected:
    void promptChanged(UserPrompt *given) override;
    bool isExchangeBusy() const override { return m_edit.isBusy(); }
    // Each opening reads the group afresh.
    void opened() override;
    void setBusy(bool busy) override;

private:
    void showRows();

    MachineParameterEdit m_edit;
    LinkHold m_linkHold;
    ParameterGrid *m_grid;
    QLineEdit *m_valueBox;
};
