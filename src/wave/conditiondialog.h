#pragma once

#include <QDialog>

#include <array>

class QButtonGroup;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

// "SetCondition・LogStart" (dialog 254): the channels, their sources, the
// trigger and the time base of the next log, on the edited conditions. Start
// stores the controls into them; Cancel leaves them as they were. The two
// presets of "Easy Setting" fill the controls at once.
class ConditionDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ConditionDialog(QWidget *parent = nullptr);

    // Fills the lists and shows the edited conditions.
    void load();
    // "Test Mode" (1103) and "Coin" (1024).
    void applyPreset(int controlId);

    QComboBox *sourceList(int channel) const { return m_sources[channel]; }
    QPushButton *channelButton(int channel) const { return m_channels[channel]; }
    QComboBox *list(int controlId) const;
    QSpinBox *level() const { return m_level; }
    QPushButton *button(int controlId) const;
    QRadioButton *radio(int controlId) const;

    void accept() override;

private:
    void showMarks();

    std::array<QPushButton *, 4> m_channels{};
    std::array<QLabel *, 4> m_marks{};
    std::array<QComboBox *, 4> m_sources{};
    std::array<bool, 4> m_shown{true, true, true, true};
    QRadioButton *m_free;
    QRadioButton *m_single;
    QRadioButton *m_rise;
    QRadioButton *m_fall;
    QComboBox *m_triggerSource;
    QSpinBox *m_level;
    QComboBox *m_triggerPosition;
    QComboBox *m_time;
    QPushButton *m_testMode;
    QPushButton *m_coin;
    QPushButton *m_start;
    QPushButton *m_cancel;
};
