#pragma once

#include "parametertransfer.h"

#include "app/linkhold.h"

#include <QDialog>
#include <QHash>

#include <memory>

class DriveLink;
class MachineParameterDialog;
class ParameterViewDialog;
class QLabel;
class QPushButton;
class UserPrompt;

// "Parameter Manager" (dialog 119): upload, download, view a parameter file
// and reset the communication. The dialog owns the exchange, forwards its
// buttons to it and shows what it reports; while it is open the exchange is
// the link's owner.
class ParameterManagerDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ParameterManagerDialog(DriveLink &link, QWidget *parent = nullptr);

    // What the exchange asks goes to this prompt (tests script it); nullptr
    // gives the message boxes and the file dialog back.
    void setPrompt(UserPrompt *prompt);

    ParameterTransfer &transfer() { return m_transfer; }
    ParameterViewDialog *viewer() const { return m_viewer; }
    MachineParameterDialog *machineParameters() const { return m_machine; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }
    QLabel *lamp() const { return m_lamp; }

    // Closing releases the link: the link is reset and the exchange popped,
    // so the window below owns it again.
    void done(int result) override;
    // Escape and the close box do nothing while an operation runs.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void setBusy(bool busy);
    void upload();
    void download();
    void viewFile();
    void editMachineParameters();
    void resetCommunication();
    void applySettings();

    std::unique_ptr<UserPrompt> m_dialogPrompt;
    ParameterTransfer m_transfer;
    LinkHold m_linkHold;
    QHash<int, QPushButton *> m_buttons;
    QLabel *m_lamp;
    ParameterViewDialog *m_viewer;
    MachineParameterDialog *m_machine;
};
