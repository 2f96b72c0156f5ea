#pragma once

#include <QDialog>

class QRadioButton;

// "Select type" (dialog 222): one program ("Normal(&N)") or a whole batch
// program file ("All(&W)").
class SelectTypeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SelectTypeDialog(QWidget *parent = nullptr);

    bool batch() const;
    void setBatch(bool batch);
    QRadioButton *normalButton() const { return m_normal; }
    QRadioButton *allButton() const { return m_all; }

private:
    QRadioButton *m_normal;
    QRadioButton *m_all;
};
