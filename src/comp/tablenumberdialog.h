#pragma once

#include <QDialog>

class QSpinBox;

// A number within a range with a spin control: "Divide Number Set" (dialog
// 234, 1 to 100) and "AbsAccCompensate Table Select" (dialog 255, 2 to 360).
// OK with a number outside the range shows the range message and keeps the
// dialog open.
class TableNumberDialog : public QDialog
{
    Q_OBJECT
public:
    // rangeText is the string that says the range ("… are %d to %d.").
    TableNumberDialog(int dialogId, int lowest, int highest, int rangeText,
                      QWidget *parent = nullptr);

    int value() const;
    void setValue(int value);
    QSpinBox *spinBox() const { return m_spin; }

    void accept() override;

private:
    QSpinBox *m_spin;
    int m_lowest;
    int m_highest;
    int m_rangeText;
};
