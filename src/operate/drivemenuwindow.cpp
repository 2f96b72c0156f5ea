#include "drivemenuwindow.h"

#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "link/drivelink.h"
#include "motionwindow.h"
#include "resources/catalogue.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int dialogId = 147;
constexpr int testModeButton = 1461;
constexpr int exitButton = 1;

struct MenuEntry
{
    int controlId;
    MotionKind::Id kind;
};
constexpr MenuEntry entries[] = {
    {1045, MotionKind::Id::Homing}, {1051, MotionKind::Id::SignalSearch},
    {1050, MotionKind::Id::Jog},    {1047, MotionKind::Id::IndexA},
    {1048, MotionKind::Id::IndexB}, {1049, MotionKind::Id::Reference},
};
} // namespace

DriveMenuWindow::DriveMenuWindow(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_prompt(m_dialogPrompt.get())
    , m_exchange(link)
{
    m_exchange.setPrompt(m_prompt);
    auto *layout = new QVBoxLayout(this);
    for (const MenuEntry &e : entries) {
        layout->addWidget(addButton(e.controlId));
        const int id = e.controlId;
        connect(button(id), &QPushButton::clicked, this, [this, id] { openMotion(id); });
    }
    layout->addSpacing(8);
    layout->addWidget(addButton(testModeButton));
    layout->addStretch();
    layout->addWidget(addButton(exitButton));
    connect(button(testModeButton), &QPushButton::clicked, &m_exchange,
            &DriveMenuExchange::toggleTestMode);
    connect(button(exitButton), &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_exchange, &DriveMenuExchange::changed, this, &DriveMenuWindow::update);
    DialogTexts::apply(this, dialogId);
    // The English set keeps the test-operation button out of sight.
    button(testModeButton)
        ->setHidden(Catalogue::instance().controlHidden(dialogId, testModeButton));
    setMinimumWidth(200);
    update();
}

DriveMenuWindow::~DriveMenuWindow() = default;

void DriveMenuWindow::setPrompt(UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_dialogPrompt.get();
    m_exchange.setPrompt(m_prompt);
    for (MotionWindow *w : std::as_const(m_windows))
        w->setPrompt(prompt);
}

QPushButton *DriveMenuWindow::addButton(int controlId)
{
    auto *b = new QPushButton(this);
    DialogTexts::tag(b, controlId);
    b->setAutoDefault(false);
    m_buttons.insert(controlId, b);
    return b;
}

MotionWindow *DriveMenuWindow::motionWindow(int controlId)
{
    if (MotionWindow *w = m_windows.value(controlId))
        return w;
    for (const MenuEntry &e : entries) {
        if (e.controlId != controlId)
            continue;
        auto *w = new MotionWindow(m_link, e.kind, this);
        if (m_prompt != m_dialogPrompt.get())
            w->setPrompt(m_prompt);
        m_windows.insert(controlId, w);
        return w;
    }
    return nullptr;
}

void DriveMenuWindow::openMotion(int controlId)
{
    MotionWindow *w = motionWindow(controlId);
    if (!w || !m_exchange.motionButtonsEnabled())
        return;
    m_exchange.pausePolling([this, w] {
        w->exec();
        m_exchange.resumePolling();
    });
}

void DriveMenuWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_link.open();
    m_exchange.open();
}

void DriveMenuWindow::done(int result)
{
    // Leaves the driver's test mode too.
    m_exchange.close();
    QDialog::done(result);
}

void DriveMenuWindow::update()
{
    const bool motions = m_exchange.motionButtonsEnabled();
    for (const MenuEntry &e : entries)
        button(e.controlId)->setEnabled(motions);
    const Catalogue &c = Catalogue::instance();
    button(testModeButton)->setText(m_exchange.testMode() ? c.string(200) : c.string(201));
    button(testModeButton)
        ->setEnabled(m_exchange.state() == DriveMenuExchange::Idle ||
                     m_exchange.state() == DriveMenuExchange::Poll);
}
