#pragma once

#include "app/featuremenudialog.h"
#include "app/linkhold.h"
#include "discreteconfigedit.h"

class DriveLink;
class IoSignalGrid;
class QComboBox;

// "Discrete configuration" (dialog 230): the logic of each discrete input
// (DI) and output (DO), a ticked box for positive logic. It reads the drive's
// words when it opens, shows 32 signals of each side at a time for the range
// chosen in "Select", and "Set(&S)" writes everything back and restarts the
// drive, after which it closes. While open its exchange owns the link.
class DiscreteConfigDialog : public FeatureMenuDialog
{
    Q_OBJECT
public:
    explicit DiscreteConfigDialog(DriveLink &link, QWidget *parent = nullptr);
    ~DiscreteConfigDialog() override;

    DiscreteConfigEdit &edit() { return m_edit; }
    QComboBox *rangeList() const { return m_ranges; }
    IoSignalGrid *grid(DiscreteConfigEdit::Side side) const;

protected:
    void promptChanged(UserPrompt *given) override;
    bool isExchangeBusy() const override { return m_edit.isBusy(); }
    // Each opening reads the drive anew.
    void opened() override;
    void setBusy(bool busy) override;

private:
    void fillRanges();
    void showRange();
    void onFinished(DiscreteConfigEdit::Outcome outcome);

    DiscreteConfigEdit m_edit;
    LinkHold m_linkHold;
    QComboBox *m_ranges;
    IoSignalGrid *m_inputs;
    IoSignalGrid *m_outputs;
    QPushButton *m_set = nullptr;
};
