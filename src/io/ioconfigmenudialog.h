#pragma once

#include "app/featuremenudialog.h"
#include "app/linkhold.h"
#include "ioconfigtransfer.h"

class DiscreteConfigDialog;
class DriveLink;

// "I/O configuration menu" (dialog 229): upload the drive's I/O configuration
// to an "ioc" file, download one into the drive, and open the discrete
// configuration editor. The dialog owns the exchange and shows what it
// reports; while it is open the exchange is the link's owner.
class IoConfigMenuDialog : public FeatureMenuDialog
{
    Q_OBJECT
public:
    explicit IoConfigMenuDialog(DriveLink &link, QWidget *parent = nullptr);
    ~IoConfigMenuDialog() override;

    IoConfigTransfer &transfer() { return m_transfer; }
    DiscreteConfigDialog *editor() const { return m_editor; }

protected:
    void promptChanged(UserPrompt *given) override;
    bool isExchangeBusy() const override { return m_transfer.isBusy(); }
    void opened() override;
    void setBusy(bool busy) override;

private:
    void openEditor();

    IoConfigTransfer m_transfer;
    LinkHold m_linkHold;
    DiscreteConfigDialog *m_editor;
};
