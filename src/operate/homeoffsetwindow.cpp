#include "homeoffsetwindow.h"

#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "link/drivelink.h"
#include "link/simpleterminalwindow.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
constexpr int dialogId = 252;
constexpr int titleCaption = 1501;
constexpr int offsetCaption = 1502;
constexpr int directionGroup = 1503;
constexpr int enterButton = 1048;
constexpr int cwButton = 1043;
constexpr int ccwButton = 1044;
constexpr int plusButton = 1024;
constexpr int minusButton = 1025;
constexpr int inhibitButton = 1026;
constexpr int abortButton = 1302;
constexpr int terminalButton = 1062;
constexpr int exitButton = 1;
} // namespace

HomeOffsetWindow::HomeOffsetWindow(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_exchange(link)
    , m_offset(new QLineEdit(this))
{
    m_exchange.setPrompt(m_dialogPrompt.get());
    auto *layout = new QGridLayout(this);
    auto *title = new QLabel(this);
    DialogTexts::tag(title, titleCaption);
    layout->addWidget(title, 0, 0, 1, 3);

    auto *caption = new QLabel(this);
    DialogTexts::tag(caption, offsetCaption);
    caption->setBuddy(m_offset);
    m_offset->setMaxLength(11);
    layout->addWidget(caption, 1, 0);
    layout->addWidget(m_offset, 1, 1);
    layout->addWidget(addButton(enterButton), 1, 2);

    auto *group = new QGroupBox(this);
    DialogTexts::tag(group, directionGroup);
    auto *g = new QVBoxLayout(group);
    for (int id : {cwButton, ccwButton}) {
        auto *radio = new QRadioButton(group);
        DialogTexts::tag(radio, id);
        radio->setEnabled(false);
        g->addWidget(radio);
    }
    layout->addWidget(group, 2, 0, 3, 2);
    layout->addWidget(addButton(plusButton), 2, 2);
    layout->addWidget(addButton(minusButton), 3, 2);
    layout->addWidget(addButton(inhibitButton), 4, 2);
    for (int id : {plusButton, minusButton, inhibitButton})
        button(id)->setEnabled(false);
    layout->addWidget(addButton(abortButton), 5, 0);
    layout->addWidget(addButton(terminalButton), 5, 1);
    layout->addWidget(addButton(exitButton), 5, 2);

    connect(button(enterButton), &QPushButton::clicked, this,
            [this] { m_exchange.enter(m_offset->text().toLatin1()); });
    connect(m_offset, &QLineEdit::returnPressed, button(enterButton), &QPushButton::click);
    connect(button(abortButton), &QPushButton::clicked, &m_exchange, &HomeOffsetExchange::abort);
    connect(button(exitButton), &QPushButton::clicked, this, &QDialog::accept);
    connect(button(terminalButton), &QPushButton::clicked, this,
            [this] { m_terminal->openBeside(); });
    connect(&m_exchange, &HomeOffsetExchange::changed, this, &HomeOffsetWindow::update);

    DialogTexts::apply(this, dialogId);
    m_terminal = new SimpleTerminalWindow(link, this);
    update();
}

HomeOffsetWindow::~HomeOffsetWindow() = default;

void HomeOffsetWindow::setPrompt(UserPrompt *prompt)
{
    m_exchange.setPrompt(prompt ? prompt : m_dialogPrompt.get());
}

QPushButton *HomeOffsetWindow::addButton(int controlId)
{
    auto *b = new QPushButton(this);
    DialogTexts::tag(b, controlId);
    b->setAutoDefault(false);
    m_buttons.insert(controlId, b);
    return b;
}

void HomeOffsetWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_exchange.open();
}

void HomeOffsetWindow::done(int result)
{
    if (m_terminal->isVisible())
        m_terminal->close();
    m_exchange.close();
    QDialog::done(result);
}

void HomeOffsetWindow::update()
{
    const bool idle = m_exchange.state() == HomeOffsetExchange::Idle;
    // The box has the focus from the start: what the user has typed stays,
    // anything else shows the drive's value.
    if (idle && !m_offset->isModified())
        m_offset->setText(QString::fromLatin1(m_exchange.offset()));
    for (int id : {enterButton, abortButton, terminalButton})
        button(id)->setEnabled(idle);
}
