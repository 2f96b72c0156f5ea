#pragma once

#include <QDialog>

#include <array>
#include <memory>

class DialogPrompt;
class DriveLink;
class PulseSettings;
class QComboBox;
class QLabel;
class QPushButton;

// The pulse setting dialog (dialog 158): four drop-down lists for the pulse
// interface parameters, read when the dialog opens and written by "Set",
// which restarts the drive and closes the dialog.
class PulseDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PulseDialog(DriveLink &link, QWidget *parent = nullptr);
    ~PulseDialog() override;

    PulseSettings &settings() { return *m_settings; }
    // The lists by position: #202, #204, #205, #207.
    QComboBox *list(int index) const { return m_lists.at(index); }
    QPushButton *setButton() const { return m_set; }
    QPushButton *closeButton() const { return m_close; }

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    void fillLists();
    void updateButtons();
    void finish(int result);

    std::unique_ptr<DialogPrompt> m_prompt;
    std::unique_ptr<PulseSettings> m_settings;
    std::array<QComboBox *, 4> m_lists{};
    QPushButton *m_set;
    QPushButton *m_close;
    QLabel *m_lamp;
};
