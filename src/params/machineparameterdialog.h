#pragma once

#include "machineparameteredit.h"

#include "app/linkhold.h"

#include <QDialog>
#include <QHash>

#include <memory>

class DriveLink;
class ParameterGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class UserPrompt;

// "MachineParameterEdit" (dialog 250): the drive's group 1 in a grid of key,
// label and value. Values are changed one at a time through the edit box and
// "Enter"; "Set" writes every row back and restarts the drive. The group is
// read each time the dialog opens; while it is open its exchange owns the link.
class MachineParameterDialog : public QDialog
{
    Q_OBJECT
public:
    explicit MachineParameterDialog(DriveLink &link, QWidget *parent = nullptr);

    // Messages go to this prompt (tests script it); nullptr gives the
    // message boxes back.
    void setPrompt(UserPrompt *prompt);

    MachineParameterEdit &edit() { return m_edit; }
    ParameterGrid *grid() const { return m_grid; }
    QLineEdit *valueBox() const { return m_valueBox; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }
    QLabel *lamp() const { return m_lamp; }

    // Closing resets the link and gives it back to the window below.
    void done(int result) override;
    // Escape and the close box do nothing while the drive is being talked to.
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void setBusy(bool busy);
    void showRows();

    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    MachineParameterEdit m_edit;
    LinkHold m_linkHold;
    ParameterGrid *m_grid;
    QLineEdit *m_valueBox;
    QLabel *m_lamp;
    QHash<int, QPushButton *> m_buttons;
};
