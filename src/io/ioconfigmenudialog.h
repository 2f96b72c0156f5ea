#pragma once

#include "app/linkhold.h"
#include "ioconfigtransfer.h"

#include <QDialog>
#include <QHash>

#include <memory>

class DiscreteConfigDialog;
class DriveLink;
class QLabel;
class QPushButton;
class UserPrompt;

// "I/O configuration menu" (dialog 229): upload the drive's I/O configuration
// to an "ioc" file, download one into the drive, and open the discrete
// configuration editor. The dialog owns the exchange and shows what it
// reports; while it is open the exchange is the link's owner.
class IoConfigMenuDialog : public QDialog
{
    Q_OBJECT
public:
    explicit IoConfigMenuDialog(DriveLink &link, QWidget *parent = nullptr);
    ~IoConfigMenuDialog() override;

    // Questions go to this prompt (tests script it); nullptr gives the
    // message boxes and the file dialog back.
    void setPrompt(UserPrompt *prompt);

    IoConfigTransfer &transfer() { return m_transfer; }
    DiscreteConfigDialog *editor() const { return m_editor; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void setBusy(bool busy);
    void enableButtons(bool enable);
    void openEditor();

    std::unique_ptr<UserPrompt> m_dialogPrompt;
    IoConfigTransfer m_transfer;
    LinkHold m_linkHold;
    QHash<int, QPushButton *> m_buttons;
    QLabel *m_lamp;
    DiscreteConfigDialog *m_editor;
};
