#pragma once

#include "parametertransfer.h"

#include "app/featuremenudialog.h"
#include "app/linkhold.h"

class DriveLink;
class MachineParameterDialog;
class ParameterViewDialog;

// "Parameter Manager" (dialog 119): upload, download, view a parameter file
// and reset the communication. The dialog owns the exchange, forwards its
// buttons to it and shows what it reports; while it is open the exchange is
// the link's owner.
class ParameterManagerDialog : public FeatureMenuDialog
{
    Q_OBJECT
public:
    explicit ParameterManagerDialog(DriveLink &link, QWidget *parent = nullptr);

    ParameterTransfer &transfer() { return m_transfer; }
    ParameterViewDialog *viewer() const { return m_viewer; }
    MachineParameterDialog *machineParameters() const { return m_machine; }

protected:
    void promptChanged(UserPrompt *given) override;
    bool isExchangeBusy() const override { return m_transfer.isBusy(); }

private:
    void upload();
    void download();
    void viewFile();
    void editMachineParameters();
    void applySettings();

    ParameterTransfer m_transfer;
    LinkHold m_linkHold;
    ParameterViewDialog *m_viewer;
    MachineParameterDialog *m_machine;
};
