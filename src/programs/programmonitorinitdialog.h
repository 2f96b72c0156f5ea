#pragma once

#include <QDialog>

class ProgramMonitor;
class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

// "Program Monitor Init" (dialog 218): which program to watch, one number
// or "ALL". OK reads the programs through the monitor; the dialog ends with
// OK once they are read and with Cancel when the reading failed (the
// monitor has said why).
class ProgramMonitorInitDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProgramMonitorInitDialog(ProgramMonitor &monitor, QWidget *parent = nullptr);

    QSpinBox *numberBox() const { return m_number; }
    QCheckBox *allBox() const { return m_all; }
    QPushButton *okButton() const { return m_ok; }

    void accept() override;
    void reject() override;

private:
    void setReading(bool reading);

    ProgramMonitor &m_monitor;
    QSpinBox *m_number;
    QCheckBox *m_all;
    QLabel *m_lamp;
    QPushButton *m_ok;
    QPushButton *m_cancel;
};
