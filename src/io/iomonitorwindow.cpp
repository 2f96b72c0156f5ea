#include "iomonitorwindow.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "discreteconfigedit.h"
#include "iosignalgrid.h"
#include "link/terminalsession.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace {
constexpr int dialogId = 209;
constexpr int rangeListControl = 1039;
constexpr int dummyControl = 1053;
} // namespace

IoMonitorWindow::IoMonitorWindow(TerminalSession &terminal, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_terminal(terminal)
    , m_poller(new IoMonitorPoller(terminal, this))
    , m_ranges(new QComboBox(this))
    , m_inputs(new IoSignalGrid(IoSignalGrid::Cells::LampsAndBoxes, 1502, this))
    , m_outputs(new IoSignalGrid(IoSignalGrid::Cells::Lamps, 1503, this))
    , m_dummy(new QCheckBox(this))
    , m_activity(new QLabel(this))
{
    if (!LampImages::instance().isLoaded())
        LampImages::instance().load();
    DialogTexts::tag(m_ranges, rangeListControl);
    DialogTexts::tag(m_dummy, dummyControl);
    DialogTexts::tag(m_activity, 1047);
    m_activity->setFixedSize(15, 15);
    setLampIdle(m_activity);
    m_ranges->setMinimumContentsLength(7);

    auto *select = new QHBoxLayout;
    auto *selectLabel = new QLabel(this);
    DialogTexts::tag(selectLabel, 1501);
    select->addWidget(selectLabel);
    select->addWidget(m_ranges);
    select->addStretch();
    select->addWidget(m_activity);

    auto *legend = new QLabel(this);
    DialogTexts::tag(legend, 1504);

    auto *layout = new QGridLayout(this);
    layout->addLayout(select, 0, 0, 1, 2);
    layout->addWidget(m_inputs, 1, 0);
    layout->addWidget(m_outputs, 1, 1, Qt::AlignTop);
    layout->addWidget(m_dummy, 2, 0);
    layout->addWidget(legend, 2, 1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    for (int p = 0; p < IoSignalGrid::Positions; ++p)
        m_inputs->box(p)->setEnabled(false);
    connect(m_inputs, &IoSignalGrid::boxClicked, this, [this](int position, bool checked) {
        m_poller->setTicked(m_poller->range() * IoMonitorPoller::RangeSize + position, checked);
        showLamps();
    });
    connect(m_dummy, &QCheckBox::toggled, this, [this](bool on) {
        m_poller->setDummy(on);
        showLamps();
    });
    connect(m_ranges, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0)
            m_poller->setRange(index);
        showLamps();
    });
    connect(m_poller, &IoMonitorPoller::countsChanged, this, &IoMonitorWindow::fillRanges);
    connect(m_poller, &IoMonitorPoller::lampsChanged, this, &IoMonitorWindow::showLamps);
    connect(m_poller, &IoMonitorPoller::activityChanged, this, [this](bool lit) {
        setLampIdle(m_activity);
        if (lit)
            toggleActivityLamp(m_activity);
    });
    showLamps();
    terminal.setMonitor(TerminalSession::IoMonitor, m_poller);
    DialogTexts::apply(this, dialogId);
}

IoMonitorWindow::~IoMonitorWindow() = default;

IoSignalGrid *IoMonitorWindow::grid(IoMonitorPoller::Side side) const
{
    return side == IoMonitorPoller::Inputs ? m_inputs : m_outputs;
}

void IoMonitorWindow::fillRanges()
{
    const QSignalBlocker blocker(m_ranges);
    m_ranges->clear();
    for (int r = 0; r < m_poller->rangeCount(); ++r)
        m_ranges->addItem(DiscreteConfigEdit::rangeText(r));
    m_ranges->setCurrentIndex(m_ranges->count() > 0 ? m_poller->range() : -1);
    showLamps();
}

void IoMonitorWindow::showLamps()
{
    const LampImages &images = LampImages::instance();
    const QPixmap lit = images.image(LampImages::RedLit);
    const QPixmap dark = images.image(LampImages::RedDark);
    const bool dummy = m_poller->dummy();
    const int first = m_poller->range() * IoMonitorPoller::RangeSize;
    for (int p = 0; p < IoSignalGrid::Positions; ++p) {
        const bool present = first + p < m_poller->count(IoMonitorPoller::Inputs);
        const bool ticked = m_poller->isTicked(first + p);
        QCheckBox *box = m_inputs->box(p);
        box->setChecked(ticked);
        box->setEnabled(dummy && present);
        const bool inputOn = dummy ? present && ticked : m_poller->isOn(IoMonitorPoller::Inputs, p);
        m_inputs->lamp(p)->setPixmap(inputOn ? lit : dark);
        m_outputs->lamp(p)->setPixmap(m_poller->isOn(IoMonitorPoller::Outputs, p) ? lit : dark);
    }
}

void IoMonitorWindow::closeEvent(QCloseEvent *event)
{
    m_terminal.hideMonitor(TerminalSession::IoMonitor);
    event->accept();
}
