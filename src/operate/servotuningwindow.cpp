#include "servotuningwindow.h"

#include "app/appsettings.h"
#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "link/drivelink.h"
#include "link/simpleterminalwindow.h"
#include "resources/catalogue.h"
#include "tuningdialogs.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int dialogId = 239;
constexpr int fieldEdits[] = {1451, 1452, 1453, 1454, 1455, 1456, 1457, 1458, 1459, 1463, 1464};
constexpr int fieldCaptions[] = {1501, 1502, 1503, 1504, 1505, 1506, 1507, 1508, 1509, 1510, 1511};
// The unit beside each field (0: none).
constexpr int fieldUnits[] = {1521, 0, 1523, 1524, 1525, 1526, 0, 1528, 1529, 1530, 1531};
constexpr int gainLamps[] = {1049, 1050, 1051, 1052};
constexpr int lampControl = 1047;
constexpr int enterButton = 1048;
constexpr int filterButton = 1460;
constexpr int autoTuningButton = 1462;
constexpr int testModeButton = 1461;
constexpr int triggerButton = 1494;
constexpr int displayButton = 1479;
constexpr int terminalButton = 1062;
constexpr int exitButton = 1;
} // namespace

ServoTuningWindow::ServoTuningWindow(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_dialogPrompt(std::make_unique<DialogPrompt>(this))
    , m_prompt(m_dialogPrompt.get())
    , m_exchange(link)
{
    m_exchange.setPrompt(m_prompt);
    auto *layout = new QHBoxLayout(this);
    auto *grid = new QGridLayout;
    for (int i = 0; i < ServoTuningExchange::FieldCount; ++i) {
        auto *caption = new QLabel(this);
        DialogTexts::tag(caption, fieldCaptions[i]);
        auto *edit = new QLineEdit(this);
        DialogTexts::tag(edit, fieldEdits[i]);
        edit->setMaxLength(11);
        edit->setFixedWidth(90);
        edit->installEventFilter(this);
        caption->setBuddy(edit);
        grid->addWidget(caption, i, 0);
        grid->addWidget(edit, i, 1);
        if (fieldUnits[i]) {
            auto *unit = new QLabel(this);
            DialogTexts::tag(unit, fieldUnits[i]);
            grid->addWidget(unit, i, 2);
            if (i == 0)
                m_inertiaUnit = unit;
        }
        m_fields.append(edit);
        m_typing.append(false);
        connect(edit, &QLineEdit::textEdited, this, [this, i] { m_typing[i] = true; });
        connect(edit, &QLineEdit::returnPressed, this, &ServoTuningWindow::enterClicked);
    }
    auto *lamps = new QHBoxLayout;
    for (int id : gainLamps) {
        auto *lamp = new QLabel(this);
        DialogTexts::tag(lamp, id);
        lamp->setFixedSize(15, 15);
        setLampIdle(lamp);
        lamps->addWidget(lamp);
    }
    lamps->addStretch();
    grid->addLayout(lamps, ServoTuningExchange::FieldCount, 0, 1, 3);
    layout->addLayout(grid, 1);

    auto *side = new QVBoxLayout;
    for (int id : {enterButton, filterButton, autoTuningButton, testModeButton, triggerButton,
                   displayButton, terminalButton})
        side->addWidget(addButton(id));
    side->addStretch();
    m_lamp = new QLabel(this);
    DialogTexts::tag(m_lamp, lampControl);
    m_lamp->setFixedSize(15, 15);
    setLampIdle(m_lamp);
    side->addWidget(m_lamp, 0, Qt::AlignRight);
    side->addWidget(addButton(exitButton));
    layout->addLayout(side);

    m_filter = new FilterWindow(m_exchange, this);
    m_graph = new ResponseGraphWindow(this);
    connect(m_filter, &QDialog::finished, this, [this] { update(); });

    connect(button(enterButton), &QPushButton::clicked, this, &ServoTuningWindow::enterClicked);
    connect(button(filterButton), &QPushButton::clicked, this, [this] {
        m_filter->show();
        update();
    });
    connect(button(autoTuningButton), &QPushButton::clicked, &m_exchange,
            &ServoTuningExchange::startAutoTuning);
    connect(button(testModeButton), &QPushButton::clicked, &m_exchange,
            &ServoTuningExchange::toggleTestMode);
    connect(button(triggerButton), &QPushButton::clicked, this, &ServoTuningWindow::triggerClicked);
    connect(button(displayButton), &QPushButton::clicked, this, &ServoTuningWindow::displayClicked);
    connect(button(terminalButton), &QPushButton::clicked, this, &ServoTuningWindow::openTerminal);
    connect(button(exitButton), &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_exchange, &ServoTuningExchange::changed, this, &ServoTuningWindow::update);
    connect(&m_exchange, &ServoTuningExchange::polled, this,
            [this] { toggleActivityLamp(m_lamp); });
    connect(&m_exchange, &ServoTuningExchange::fieldRead, this,
            [this](int index, const QByteArray &value) {
                if (QLineEdit *f = m_fields.value(index); f && !m_typing.at(index))
                    f->setText(QString::fromLatin1(value));
            });
    connect(&m_exchange, &ServoTuningExchange::closeRequested, this,
            [this] { QDialog::done(QDialog::Rejected); });
    connect(&m_exchange, &ServoTuningExchange::responseRead, this, [this] {
        if (!m_displayWanted)
            return;
        m_displayWanted = false;
        m_graph->setResponse(m_exchange.response());
        m_graph->open();
    });

    DialogTexts::apply(this, dialogId);
    m_terminal = new SimpleTerminalWindow(link, this);
    update();
}

ServoTuningWindow::~ServoTuningWindow() = default;

void ServoTuningWindow::setPrompt(UserPrompt *prompt)
{
    m_prompt = prompt ? prompt : m_dialogPrompt.get();
    m_exchange.setPrompt(m_prompt);
}

QPushButton *ServoTuningWindow::addButton(int controlId)
{
    auto *b = new QPushButton(this);
    DialogTexts::tag(b, controlId);
    b->setAutoDefault(false);
    m_buttons.insert(controlId, b);
    return b;
}

void ServoTuningWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_exchange.state() != ServoTuningExchange::Closed)
        return;
    if (m_inertiaUnit)
        m_inertiaUnit->setText(AppSettings::instance().linearMotor()
                                   ? QStringLiteral("*0.001Kg")
                                   : Catalogue::instance().controlText(dialogId, 1521));
    for (int i = 0; i < m_fields.size(); ++i) {
        m_fields.at(i)->clear();
        m_typing[i] = false;
    }
    m_link.open();
    m_exchange.open();
}

void ServoTuningWindow::done(int result)
{
    if (!m_exchange.requestClose())
        return;
    if (m_terminal->isVisible())
        m_terminal->close();
    m_filter->hide();
    QDialog::done(result);
}

bool ServoTuningWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        const int index = int(m_fields.indexOf(static_cast<QLineEdit *>(watched)));
        if (index >= 0)
            m_exchange.setCurrentField(index);
    } else if (event->type() == QEvent::FocusOut) {
        // Leaving a field gives it back to the poll.
        const int index = int(m_fields.indexOf(static_cast<QLineEdit *>(watched)));
        if (index >= 0)
            m_typing[index] = false;
    }
    return QDialog::eventFilter(watched, event);
}

void ServoTuningWindow::enterClicked()
{
    const int index = m_exchange.currentField();
    if (index < 0)
        return;
    if (!m_exchange.enter(m_fields.at(index)->text().toLatin1()))
        return;
    m_typing[index] = false;
    // The fields are disabled until the drive has answered; the focus moves
    // on once they are back.
    m_focusNext = int((index + 1) % m_fields.size());
}

void ServoTuningWindow::triggerClicked()
{
    TriggerDialog dialog(this);
    if (dialog.exec() == QDialog::Accepted)
        m_exchange.trigger(dialog.type(), dialog.time(), dialog.point());
}

void ServoTuningWindow::displayClicked()
{
    m_displayWanted = m_exchange.readResponse();
}

void ServoTuningWindow::openTerminal()
{
    m_terminal->openBeside();
}

void ServoTuningWindow::update()
{
    const bool fields = m_exchange.fieldsEnabled();
    const bool idle = !m_exchange.commandPending() &&
                      m_exchange.state() != ServoTuningExchange::Closed &&
                      m_exchange.state() != ServoTuningExchange::OpenStatus &&
                      m_exchange.state() != ServoTuningExchange::OpenBoard;
    for (QLineEdit *f : std::as_const(m_fields))
        f->setEnabled(fields);
    if (fields && m_focusNext >= 0) {
        m_fields.at(m_focusNext)->setFocus();
        m_focusNext = -1;
    }
    button(enterButton)->setEnabled(fields && idle);
    button(filterButton)->setEnabled(idle && !m_filter->isVisible());
    button(autoTuningButton)->setEnabled(fields && idle && m_exchange.autoTuningEnabled());
    button(testModeButton)->setEnabled(idle);
    button(testModeButton)
        ->setText(Catalogue::instance().string(m_exchange.testMode() ? 200 : 201));
    button(triggerButton)->setEnabled(idle);
    button(displayButton)->setEnabled(idle);
    button(terminalButton)->setEnabled(idle);
}
