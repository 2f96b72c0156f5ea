#pragma once

#include "axisstatuspoller.h"

#include <QWidget>

#include <array>

class QLabel;
class TerminalSession;

// "Axis signal status" (dialog 208): sixteen lamps, one per axis signal, kept
// up to date about once a second by its AxisStatusPoller through Terminal mode.
class AxisStatusWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AxisStatusWindow(TerminalSession &terminal, QWidget *parent = nullptr);
    ~AxisStatusWindow() override;

    AxisStatusPoller &poller() { return *m_poller; }
    QLabel *lampLabel(int bit) const { return m_lamps.at(bit); }
    QLabel *signalLabel(int bit) const { return m_labels.at(bit); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showLamps();

    TerminalSession &m_terminal;
    AxisStatusPoller *m_poller;
    std::array<QLabel *, AxisStatusPoller::SignalCount> m_lamps{};
    std::array<QLabel *, AxisStatusPoller::SignalCount> m_labels{};
    QLabel *m_activity;
};
