#pragma once

#include "iomonitorpoller.h"

#include <QWidget>

class IoSignalGrid;
class QCheckBox;
class QComboBox;
class QLabel;
class TerminalSession;

// "I/O Monitor" (dialog 209), hosted by Terminal mode: the discrete inputs
// (DI) and outputs (DO) of the chosen range as lamps, lit red for on, dark
// red for off. With "Dummy" ticked the DI boxes are written to the drive as
// dummy inputs instead of being read, and the DI lamps show the ticks.
class IoMonitorWindow : public QWidget
{
    Q_OBJECT
public:
    explicit IoMonitorWindow(TerminalSession &terminal, QWidget *parent = nullptr);
    ~IoMonitorWindow() override;

    IoMonitorPoller &poller() { return *m_poller; }
    QComboBox *rangeList() const { return m_ranges; }
    QCheckBox *dummyBox() const { return m_dummy; }
    IoSignalGrid *grid(IoMonitorPoller::Side side) const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void fillRanges();
    void showLamps();

    TerminalSession &m_terminal;
    IoMonitorPoller *m_poller;
    QComboBox *m_ranges;
    IoSignalGrid *m_inputs;
    IoSignalGrid *m_outputs;
    QCheckBox *m_dummy;
    QLabel *m_activity;
};
