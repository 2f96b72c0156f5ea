#pragma once

#include "discreteconfigedit.h"

#include <QDialog>

#include <memory>

class DriveLink;
class IoSignalGrid;
class QComboBox;
class QPushButton;
class UserPrompt;

// "Discrete configuration" (dialog 230): the logic of each discrete input
// (DI) and output (DO), a ticked box for positive logic. It reads the drive's
// words when it opens, shows 32 signals of each side at a time for the range
// chosen in "Select", and "Set(&S)" writes everything back and restarts the
// drive, after which it closes. While open its exchange owns the link.
class DiscreteConfigDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DiscreteConfigDialog(DriveLink &link, QWidget *parent = nullptr);
    ~DiscreteConfigDialog() override;

    void setPrompt(UserPrompt *prompt);
    DiscreteConfigEdit &edit() { return m_edit; }
    QComboBox *rangeList() const { return m_ranges; }
    IoSignalGrid *grid(DiscreteConfigEdit::Side side) const;
    QPushButton *button(int controlId) const;

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void fillRanges();
    void showRange();
    void setBusy(bool busy);
    void onFinished(DiscreteConfigEdit::Outcome outcome);

    DriveLink &m_link;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    DiscreteConfigEdit m_edit;
    QComboBox *m_ranges;
    IoSignalGrid *m_inputs;
    IoSignalGrid *m_outputs;
    QPushButton *m_set;
    QPushButton *m_exit;
    bool m_ownsLink = false;
};
