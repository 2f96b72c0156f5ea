#pragma once

#include "app/linkhold.h"
#include "camtransfer.h"

#include <QDialog>
#include <QHash>

#include <functional>
#include <memory>

class DriveLink;
class QLabel;
class QPushButton;
class UserPrompt;

// "Cam Profile Menu" (dialog 223): download and upload one profile or the
// batch ("Select type"), view a profile, the universal cam editor, the
// communication reset. While open, its exchange is the link's owner.
class CamMenuDialog : public QDialog
{
    Q_OBJECT
public:
    explicit CamMenuDialog(DriveLink &link, QWidget *parent = nullptr);
    ~CamMenuDialog() override;

    void setPrompt(UserPrompt *prompt);
    // Instead of asking (tests): the batch choice, and the profile number
    // (0 for Cancel).
    void setTypeChooser(std::function<int()> chooser) { m_chooseType = std::move(chooser); }
    void setNumberChooser(std::function<int()> chooser) { m_chooseNumber = std::move(chooser); }

    CamTransfer &transfer() { return m_transfer; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }

    void upload();
    void download();
    void view();
    void universal();

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void setBusy(bool busy);
    // -1 for Cancel, 0 for one profile, 1 for the batch.
    int chooseType();
    int chooseNumber();

    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    CamTransfer m_transfer;
    LinkHold m_hold;
    QHash<int, QPushButton *> m_buttons;
    QLabel *m_lamp;
    std::function<int()> m_chooseType;
    std::function<int()> m_chooseNumber;
};
