#include "programmonitorwindow.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "io/erroralarmlistwindow.h"
#include "io/erroralarmmonitor.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "link/terminalsession.h"
#include "programmonitorinitdialog.h"
#include "programoptiondialog.h"
#include "resources/catalogue.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

namespace {

constexpr int optionButton = 1001;
constexpr int startButton = 1002;
constexpr int stopButton = 1003;
constexpr int abortButton = 1004;
constexpr int resetButton = 1005;
constexpr int answerButton = 1006;
constexpr int listButton = 1007;
constexpr int enterButton = 1048;
constexpr int exitButton = 1;
constexpr int terminalLines = 12;

// Which command buttons each display state enables: option set, start,
// stop, abort, error reset, M answer.
struct Enabled
{
    bool option, start, stop, abort, reset, answer;
};

Enabled enabledIn(ProgramMonitor::DisplayState state)
{
    switch (state) {
    case ProgramMonitor::Idle:
        return {true, true, false, false, false, false};
    case ProgramMonitor::Waiting:
        return {true, true, true, true, false, true};
    case ProgramMonitor::Running:
        return {true, false, true, true, false, false};
    case ProgramMonitor::Error:
        return {true, false, false, true, true, false};
    case ProgramMonitor::NoStatus:
        break;
    }
    return {true, false, false, false, false, false};
}

} // namespace

ProgramMonitorWindow::ProgramMonitorWindow(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_prompt(this)
    , m_monitor(link, m_prompt)
    , m_init(new ProgramMonitorInitDialog(m_monitor, this))
    , m_option(new ProgramOptionDialog(this))
    , m_text(new QPlainTextEdit(this))
    , m_program(new QLabel(this))
    , m_block(new QLabel(this))
    , m_state(new QLabel(this))
    , m_lamp(new QLabel(this))
    , m_input(new QLineEdit(this))
    , m_output(new QPlainTextEdit(this))
{
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setStyleHint(QFont::TypeWriter);
    const QFontMetrics metrics(fixed);
    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(fixed);
    m_text->setMinimumWidth(metrics.horizontalAdvance(QString(84, QLatin1Char('M'))));
    m_text->setMinimumHeight(metrics.lineSpacing() * 16);
    m_output->setReadOnly(true);
    m_output->setFont(fixed);
    m_output->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_output->setMaximumBlockCount(terminalLines);
    m_output->setFixedHeight(metrics.lineSpacing() * 5 + 2 * m_output->frameWidth() + 8);
    m_input->setFont(fixed);
    m_lamp->setFixedSize(15, 15);
    setLampIdle(m_lamp);
    for (QLabel *value : {m_program, m_block})
        value->setMinimumWidth(metrics.horizontalAdvance(QStringLiteral("0000")));
    QFont bold = m_state->font();
    bold.setBold(true);
    m_state->setFont(bold);

    auto *programCaption = new QLabel(this);
    DialogTexts::tag(programCaption, 1501);
    auto *blockCaption = new QLabel(this);
    DialogTexts::tag(blockCaption, 1502);
    auto *numbers = new QHBoxLayout;
    numbers->addWidget(programCaption);
    numbers->addWidget(m_program);
    numbers->addSpacing(16);
    numbers->addWidget(blockCaption);
    numbers->addWidget(m_block);
    numbers->addSpacing(16);
    numbers->addWidget(m_state, 1);
    numbers->addWidget(m_lamp);

    auto *terminal = new QHBoxLayout;
    terminal->addWidget(m_input, 1);
    terminal->addWidget(addButton(enterButton));

    auto *left = new QVBoxLayout;
    left->addLayout(numbers);
    left->addWidget(m_text, 1);
    left->addLayout(terminal);
    left->addWidget(m_output);

    auto *commands = new QVBoxLayout;
    for (int id : {optionButton, startButton, stopButton, abortButton, resetButton, answerButton,
                   listButton})
        commands->addWidget(addButton(id));
    commands->addStretch(1);
    commands->addWidget(addButton(exitButton));

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(commands);

    connect(m_buttons.value(optionButton), &QPushButton::clicked, this,
            &ProgramMonitorWindow::setOptions);
    connect(m_buttons.value(startButton), &QPushButton::clicked, &m_monitor,
            &ProgramMonitor::startProgram);
    connect(m_buttons.value(stopButton), &QPushButton::clicked, &m_monitor,
            &ProgramMonitor::stopProgram);
    connect(m_buttons.value(abortButton), &QPushButton::clicked, &m_monitor,
            &ProgramMonitor::abortProgram);
    connect(m_buttons.value(resetButton), &QPushButton::clicked, &m_monitor,
            &ProgramMonitor::resetError);
    connect(m_buttons.value(answerButton), &QPushButton::clicked, &m_monitor,
            &ProgramMonitor::answerM);
    connect(m_buttons.value(listButton), &QPushButton::clicked, this,
            &ProgramMonitorWindow::openErrorList);
    connect(m_buttons.value(enterButton), &QPushButton::clicked, this,
            &ProgramMonitorWindow::enterLine);
    connect(m_input, &QLineEdit::returnPressed, this, &ProgramMonitorWindow::enterLine);
    connect(m_buttons.value(exitButton), &QPushButton::clicked, this, &QDialog::accept);

    connect(&m_monitor, &ProgramMonitor::programShown, this, &ProgramMonitorWindow::showProgram);
    connect(&m_monitor, &ProgramMonitor::statusChanged, this, &ProgramMonitorWindow::showStatus);
    connect(&m_monitor, &ProgramMonitor::lampToggled, this, [this] {
        if (isVisible())
            toggleActivityLamp(m_lamp);
    });
    connect(&m_monitor, &ProgramMonitor::terminalReply, this, [this](const QByteArray &line) {
        m_output->appendPlainText(QStringLiteral("<- ") + DriveText::decode(line));
    });
    connect(&m_monitor, &ProgramMonitor::closeRequested, this, &QDialog::reject);

    DialogTexts::apply(this, 216);
    showStatus();
}

ProgramMonitorWindow::~ProgramMonitorWindow()
{
    m_monitor.stop();
    if (m_session)
        m_session->close();
    release();
}

QPushButton *ProgramMonitorWindow::addButton(int controlId)
{
    auto *button = new QPushButton(this);
    DialogTexts::tag(button, controlId);
    button->setAutoDefault(false);
    m_buttons.insert(controlId, button);
    return button;
}

void ProgramMonitorWindow::setPrompt(UserPrompt *prompt)
{
    m_prompt.setStandIn(prompt);
}

bool ProgramMonitorWindow::run()
{
    if (!m_ownsLink)
        m_ownsLink = m_link.pushOwner(&m_monitor);
    if (m_init->exec() != QDialog::Accepted) {
        release();
        return false;
    }
    m_output->clear();
    m_input->clear();
    m_monitor.start();
    exec();
    return true;
}

void ProgramMonitorWindow::release()
{
    if (!m_ownsLink)
        return;
    m_link.reset();
    // A poll still unanswered must not hand its time-out to the window below.
    m_link.disarmTimer();
    m_link.popOwner();
    m_ownsLink = false;
}

void ProgramMonitorWindow::done(int result)
{
    m_monitor.stop();
    release();
    QDialog::done(result);
}

QString ProgramMonitorWindow::programNumberText() const
{
    return m_program->text();
}

QString ProgramMonitorWindow::blockNumberText() const
{
    return m_block->text();
}

QString ProgramMonitorWindow::stateText() const
{
    return m_state->text();
}

void ProgramMonitorWindow::showProgram(int number)
{
    const auto found = m_monitor.programs().constFind(number);
    if (found == m_monitor.programs().cend()) {
        m_text->clear();
        return;
    }
    QStringList lines;
    for (const QByteArray &line : found->lines)
        lines.append(DriveText::decode(line));
    m_text->setPlainText(lines.join(QLatin1Char('\n')));
}

void ProgramMonitorWindow::showStatus()
{
    const ProgramMonitor::DisplayState state = m_monitor.state();
    const bool known = state != ProgramMonitor::NoStatus;
    const ProgramMonitor::Status status = m_monitor.status();
    m_program->setText(known ? QString::number(status.program) : QString());
    m_block->setText(known ? QString::number(status.block) : QString());
    QString shown;
    if (state == ProgramMonitor::Error)
        shown = Catalogue::instance().string(158);
    else if (state == ProgramMonitor::Running || state == ProgramMonitor::Waiting)
        shown = Catalogue::instance().string(157);
    m_state->setText(shown);
    m_state->setStyleSheet(state == ProgramMonitor::Error ? QStringLiteral("color: #c00000")
                                                          : QString());

    const Enabled enabled = enabledIn(state);
    m_buttons.value(optionButton)->setEnabled(enabled.option);
    m_buttons.value(startButton)->setEnabled(enabled.start);
    m_buttons.value(stopButton)->setEnabled(enabled.stop);
    m_buttons.value(abortButton)->setEnabled(enabled.abort);
    m_buttons.value(resetButton)->setEnabled(enabled.reset);
    m_buttons.value(answerButton)->setEnabled(enabled.answer);

    // The executing block: its line stands out and stays in view.
    QList<QTextEdit::ExtraSelection> marks;
    const int line = m_monitor.markedLine();
    const QTextBlock block = m_text->document()->findBlockByNumber(line);
    if (line >= 0 && block.isValid()) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(block);
        mark.format.setBackground(palette().color(QPalette::Highlight));
        mark.format.setForeground(palette().color(QPalette::HighlightedText));
        mark.format.setProperty(QTextFormat::FullWidthSelection, true);
        marks.append(mark);
        m_text->setTextCursor(QTextCursor(block));
        m_text->ensureCursorVisible();
    }
    m_text->setExtraSelections(marks);
}

void ProgramMonitorWindow::setOptions()
{
    m_option->setOptions(m_monitor.runOptions());
    if (m_option->exec() != QDialog::Accepted)
        return;
    m_monitor.setRunOptions(m_option->options());
    m_monitor.sendStepMode();
}

void ProgramMonitorWindow::enterLine()
{
    const QString typed = m_input->text().trimmed();
    if (typed.isEmpty() || !m_monitor.isPolling())
        return;
    m_output->appendPlainText(QStringLiteral("-> ") + typed);
    m_monitor.sendTerminal(DriveText::encode(typed));
    m_input->clear();
}

void ProgramMonitorWindow::openErrorList()
{
    if (!m_session) {
        m_session = std::make_unique<TerminalSession>(m_link);
        m_errorMonitor = std::make_unique<ErrorAlarmMonitor>(*m_session);
        m_session->setMonitor(TerminalSession::ErrorAlarm, m_errorMonitor.get());
        m_errorList = new ErrorAlarmListWindow(*m_errorMonitor, this);
    }
    // The poll pauses; the list reads through the session, which takes the
    // link on top of the monitor and gives it back when the list closes.
    m_monitor.stop();
    m_link.reset();
    m_link.disarmTimer();
    m_session->setPrompt(&m_prompt);
    m_session->open();
    m_session->showMonitor(TerminalSession::ErrorAlarm);
    m_errorList->exec();
    m_session->close();
    if (isVisible())
        m_monitor.resume();
}
