#pragma once

#include "app/featuremenudialog.h"
#include "app/linkhold.h"
#include "camtransfer.h"

#include <functional>

class DriveLink;

// "Cam Profile Menu" (dialog 223): download and upload one profile or the
// batch ("Select type"), view a profile, the universal cam editor, the
// communication reset. While open, its exchange is the link's owner.
class CamMenuDialog : public FeatureMenuDialog
{
    Q_OBJECT
public:
    explicit CamMenuDialog(DriveLink &link, QWidget *parent = nullptr);
    ~CamMenuDialog() override;

    // Instead of asking (tests): the batch choice, and the profile number
    // (0 for Cancel).
    void setTypeChooser(std::function<int()> chooser) { m_chooseType = std::move(chooser); }
    void setNumberChooser(std::function<int()> chooser) { m_chooseNumber = std::move(chooser); }

    CamTransfer &transfer() { return m_transfer; }

    void upload();
    void download();
    void view();
    void universal();

protected:
    void promptChanged(UserPrompt *given) override;
    bool isExchangeBusy() const override { return m_transfer.isBusy(); }

private:
    // -1 for Cancel, 0 for one profile, 1 for the batch.
    int chooseType();
    int chooseNumber();

    CamTransfer m_transfer;
    LinkHold m_hold;
    std::function<int()> m_chooseType;
    std::function<int()> m_chooseNumber;
};
