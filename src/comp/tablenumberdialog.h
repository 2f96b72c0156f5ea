#pragma once

#include <QDialog>

class QSpinBox;
class UserPrompt;

// A number within a range with a spin control: "Divide Number Set" (dialog
// 234, 1 to 100) and "AbsAccCompensate Table Select" (dialog 255, 2 to 360).
// OK with a number outside the range says the range through the prompt and
// keeps the dialog open.
class TableNumberDialog : public QDialog
{
    Q_OBJECT
public:
    // rangeText is the string that says the range ("… are %d to %d.").
    TableNumberDialog(int dialogId, int lowest, int highest, int rangeText, UserPrompt &prompt,
                      QWidget *parent = nullptr);

    int value() const;
    void setValue(int value);
    QSpinBox *spinBox() const { return m_spin; }

    void accept() override;

private:
    QSpinBox *m_spin;
    UserPrompt &m_prompt;
    int m_lowest;
    int m_highest;
    int m_rangeText;
};
