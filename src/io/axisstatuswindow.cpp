#include "axisstatuswindow.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "link/terminalsession.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>

namespace {
const char *const fallbackLabels[AxisStatusPoller::SignalCount] = {":Driver ready",
                                                                   ":Servo ready",
                                                                   ":Driver overload",
                                                                   ":3",
                                                                   ":Proximity detected",
                                                                   ":Over travel (+) dir",
                                                                   ":Over travel (-) dir",
                                                                   ":7",
                                                                   ":Servo mark",
                                                                   ":Reference mark",
                                                                   ":Srv pls disconn",
                                                                   ":Ref pls disconn",
                                                                   ":Servo Z or M",
                                                                   ":Ref Z or M",
                                                                   ":14",
                                                                   ":15"};
} // namespace

AxisStatusWindow::AxisStatusWindow(TerminalSession &terminal, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_terminal(terminal)
    , m_poller(new AxisStatusPoller(terminal, this))
    , m_activity(new QLabel(this))
{
    if (!LampImages::instance().isLoaded())
        LampImages::instance().load();
    DialogTexts::tag(m_activity, 1047);
    m_activity->setFixedSize(15, 15);
    setLampIdle(m_activity);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_activity, 0, 0);
    constexpr int perColumn = AxisStatusPoller::SignalCount / 2;
    for (int bit = 0; bit < AxisStatusPoller::SignalCount; ++bit) {
        auto *lamp = new QLabel(this);
        DialogTexts::tag(lamp, 1350 + bit);
        lamp->setFixedSize(15, 15);
        auto *text = new QLabel(QString::fromUtf8(fallbackLabels[bit]), this);
        DialogTexts::tag(text, 1370 + bit);
        m_lamps[bit] = lamp;
        m_labels[bit] = text;
        const int row = 1 + bit % perColumn;
        const int column = 2 * (bit / perColumn);
        layout->addWidget(lamp, row, column);
        layout->addWidget(text, row, column + 1);
    }
    layout->setColumnMinimumWidth(1, 150);
    layout->setColumnMinimumWidth(3, 150);
    layout->setHorizontalSpacing(6);

    connect(m_poller, &AxisStatusPoller::lampsChanged, this, &AxisStatusWindow::showLamps);
    connect(m_poller, &AxisStatusPoller::activityChanged, this, [this](bool lit) {
        setLampIdle(m_activity);
        if (lit)
            toggleActivityLamp(m_activity);
    });
    showLamps();
    terminal.setMonitor(TerminalSession::AxisSignal, m_poller);
    DialogTexts::apply(this, 208);
}

AxisStatusWindow::~AxisStatusWindow() = default;

void AxisStatusWindow::showLamps()
{
    const LampImages &images = LampImages::instance();
    for (int bit = 0; bit < AxisStatusPoller::SignalCount; ++bit) {
        m_lamps[bit]->setPixmap(images.image(LampImages::Lamp(int(m_poller->lamp(bit)))));
        m_labels[bit]->setEnabled(m_poller->labelEnabled(bit));
    }
}

void AxisStatusWindow::closeEvent(QCloseEvent *event)
{
    m_terminal.hideMonitor(TerminalSession::AxisSignal);
    event->accept();
}
