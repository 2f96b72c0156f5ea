#include "discreteconfigdialog.h"

#include "app/dialogtexts.h"
#include "iosignalgrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace {
constexpr int dialogId = 230;
constexpr int rangeListControl = 1039;
constexpr int setButton = 1007;
constexpr int exitButton = 1;

QLabel *tagged(QWidget *parent, int controlId)
{
    auto *label = new QLabel(parent);
    DialogTexts::tag(label, controlId);
    return label;
}
} // namespace

DiscreteConfigDialog::DiscreteConfigDialog(DriveLink &link, QWidget *parent)
    : FeatureMenuDialog(parent)
    , m_edit(link, prompt())
    , m_linkHold(link, m_edit)
    , m_ranges(new QComboBox(this))
    , m_inputs(new IoSignalGrid(IoSignalGrid::Cells::Boxes, 1502, this))
    , m_outputs(new IoSignalGrid(IoSignalGrid::Cells::Boxes, 1503, this))
{
    DialogTexts::tag(m_ranges, rangeListControl);
    m_set = addButton(setButton);
    QPushButton *exit = addButton(exitButton);
    m_ranges->setMinimumContentsLength(7);

    auto *select = new QHBoxLayout;
    select->addWidget(tagged(this, 1501));
    select->addWidget(m_ranges);
    select->addStretch();

    auto *legend = new QGridLayout;
    legend->addWidget(tagged(this, 1504), 0, 0);
    legend->addWidget(tagged(this, 1505), 0, 1);
    legend->addWidget(tagged(this, 1506), 1, 0);
    legend->addWidget(tagged(this, 1507), 1, 1);
    legend->setColumnStretch(2, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addLayout(legend);
    buttons->addStretch();
    buttons->addWidget(m_set);
    buttons->addWidget(exit);

    auto *layout = new QGridLayout(this);
    layout->addLayout(select, 0, 0, 1, 2);
    layout->addWidget(m_inputs, 1, 0);
    layout->addWidget(m_outputs, 1, 1);
    layout->addLayout(buttons, 2, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (IoSignalGrid *grid : {m_inputs, m_outputs}) {
        const auto side =
            grid == m_inputs ? DiscreteConfigEdit::Inputs : DiscreteConfigEdit::Outputs;
        connect(grid, &IoSignalGrid::boxClicked, this, [this, side](int position, bool checked) {
            m_edit.setBit(side, m_ranges->currentIndex() * DiscreteConfigEdit::RangeSize + position,
                          checked);
        });
    }
    connect(m_ranges, &QComboBox::currentIndexChanged, this, &DiscreteConfigDialog::showRange);
    connect(m_set, &QPushButton::clicked, &m_edit, &DiscreteConfigEdit::write);
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_edit, &DiscreteConfigEdit::busyChanged, this, &DiscreteConfigDialog::setBusy);
    setLinkHold(&m_linkHold);
    connect(&m_edit, &DiscreteConfigEdit::countsRead, this, &DiscreteConfigDialog::fillRanges);
    connect(&m_edit, &DiscreteConfigEdit::wordsChanged, this, &DiscreteConfigDialog::showRange);
    connect(&m_edit, &DiscreteConfigEdit::finished, this,
            [this](DiscreteConfigEdit::Outcome outcome, const QString &) { onFinished(outcome); });

    DialogTexts::apply(this, dialogId);
}

DiscreteConfigDialog::~DiscreteConfigDialog() = default;

void DiscreteConfigDialog::promptChanged(UserPrompt *)
{
    m_edit.setPrompt(prompt());
}

IoSignalGrid *DiscreteConfigDialog::grid(DiscreteConfigEdit::Side side) const
{
    return side == DiscreteConfigEdit::Inputs ? m_inputs : m_outputs;
}

void DiscreteConfigDialog::opened()
{
    m_ranges->clear();
    showRange();
    m_edit.read();
}

void DiscreteConfigDialog::fillRanges()
{
    const QSignalBlocker blocker(m_ranges);
    m_ranges->clear();
    for (int r = 0; r < m_edit.rangeCount(); ++r)
        m_ranges->addItem(DiscreteConfigEdit::rangeText(r));
    m_ranges->setCurrentIndex(m_ranges->count() > 0 ? 0 : -1);
    showRange();
}

void DiscreteConfigDialog::showRange()
{
    // The boxes write through to the words, so a tick survives range changes.
    const int range = qMax(0, m_ranges->currentIndex());
    const bool ready = !m_edit.isBusy();
    for (IoSignalGrid *grid : {m_inputs, m_outputs}) {
        const auto side =
            grid == m_inputs ? DiscreteConfigEdit::Inputs : DiscreteConfigEdit::Outputs;
        const int present = m_ranges->count() > 0 ? m_edit.signalsInRange(side, range) : 0;
        for (int p = 0; p < IoSignalGrid::Positions; ++p) {
            QCheckBox *box = grid->box(p);
            box->setChecked(p < present &&
                            m_edit.bit(side, range * DiscreteConfigEdit::RangeSize + p));
            box->setEnabled(ready && p < present);
        }
    }
}

void DiscreteConfigDialog::setBusy(bool busy)
{
    enableButtons(!busy);
    m_set->setEnabled(!busy && m_ranges->count() > 0);
    m_ranges->setEnabled(!busy);
    showRange();
    if (!busy)
        focusExit();
}

void DiscreteConfigDialog::onFinished(DiscreteConfigEdit::Outcome outcome)
{
    // After a write the drive restarts; after a failure nothing shown can be
    // trusted: either way the editor closes.
    if (outcome != DiscreteConfigEdit::Outcome::Read)
        accept();
}
