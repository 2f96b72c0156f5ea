#pragma once

#include "programmonitor.h"

#include <QDialog>

class QRadioButton;
class QSpinBox;

// "Setting Option " (dialog 219): where a start begins (program and block)
// and whether the program runs on or stops after every block.
class ProgramOptionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProgramOptionDialog(QWidget *parent = nullptr);

    void setOptions(const ProgramMonitor::RunOptions &options);
    ProgramMonitor::RunOptions options() const;

    QSpinBox *programBox() const { return m_program; }
    QSpinBox *blockBox() const { return m_block; }
    QRadioButton *normalButton() const { return m_normal; }
    QRadioButton *stepButton() const { return m_step; }

private:
    QSpinBox *m_program;
    QSpinBox *m_block;
    QRadioButton *m_normal;
    QRadioButton *m_step;
};
