#pragma once

#include <QWidget>

#include <array>

class MonitorPoller;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class TerminalSession;

// The "Parameter Monitor" (dialog 211): five rows of parameter number, label
// and value, kept up to date by its MonitorPoller through Terminal mode.
class MonitorWindow : public QWidget
{
    Q_OBJECT
public:
    static constexpr int Rows = 5;

    MonitorWindow(TerminalSession &terminal, QWidget *parent = nullptr);
    ~MonitorWindow() override;

    MonitorPoller &poller() { return *m_poller; }
    QSpinBox *numberField(int row) const { return m_numbers.at(row); }
    QLineEdit *labelField(int row) const { return m_labels.at(row); }
    QLineEdit *valueField(int row) const { return m_values.at(row); }
    // Rows 2-5 (index 1-4); nullptr for the first row.
    QCheckBox *rowBox(int row) const { return m_boxes.at(row); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void showRow(int row);

    TerminalSession &m_terminal;
    MonitorPoller *m_poller;
    std::array<QSpinBox *, Rows> m_numbers{};
    std::array<QLineEdit *, Rows> m_labels{};
    std::array<QLineEdit *, Rows> m_values{};
    std::array<QCheckBox *, Rows> m_boxes{};
    QLabel *m_lamp;
};
