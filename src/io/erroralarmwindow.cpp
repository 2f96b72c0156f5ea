#include "erroralarmwindow.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "erroralarmlistwindow.h"
#include "erroralarmmonitor.h"
#include "link/terminalsession.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {
QLineEdit *indicator(QWidget *parent, int id)
{
    auto *field = new QLineEdit(parent);
    DialogTexts::tag(field, id);
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    // A condition that is present should catch the eye.
    QPalette palette = field->palette();
    palette.setColor(QPalette::Text, QColor(200, 0, 0));
    field->setPalette(palette);
    QFont font = field->font();
    font.setBold(true);
    field->setFont(font);
    return field;
}
} // namespace

ErrorAlarmWindow::ErrorAlarmWindow(TerminalSession &terminal, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_terminal(terminal)
    , m_monitor(new ErrorAlarmMonitor(terminal, this))
    , m_errorField(indicator(this, 1428))
    , m_alarmField(indicator(this, 1430))
    , m_list(new QPlainTextEdit(this))
    , m_listButton(new QPushButton(QStringLiteral("D"), this))
    , m_lamp(new QLabel(this))
{
    auto *errorLabel = new QLabel(QStringLiteral("Error"), this);
    DialogTexts::tag(errorLabel, 1501);
    auto *alarmLabel = new QLabel(QStringLiteral("Alarm"), this);
    DialogTexts::tag(alarmLabel, 1502);
    DialogTexts::tag(m_list, 1072);
    DialogTexts::tag(m_listButton, 1053);
    DialogTexts::tag(m_lamp, 1047);
    m_lamp->setFixedSize(15, 15);
    setLampIdle(m_lamp);
    m_list->setReadOnly(true);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_list->setMinimumSize(320, 120);
    m_listButton->setFixedWidth(32);
    m_listButton->setAutoDefault(false);

    auto *layout = new QGridLayout(this);
    layout->addWidget(errorLabel, 0, 0);
    layout->addWidget(m_errorField, 0, 1);
    layout->addWidget(m_lamp, 0, 2, Qt::AlignCenter);
    layout->addWidget(alarmLabel, 1, 0);
    layout->addWidget(m_alarmField, 1, 1);
    layout->addWidget(m_listButton, 1, 2);
    layout->addWidget(m_list, 2, 0, 1, 3);
    layout->setColumnStretch(1, 1);
    layout->setRowStretch(2, 1);

    connect(m_monitor, &ErrorAlarmMonitor::indicatorsChanged, this,
            &ErrorAlarmWindow::showIndicators);
    connect(m_monitor, &ErrorAlarmMonitor::messagesChanged, this, &ErrorAlarmWindow::showMessages);
    connect(m_monitor, &ErrorAlarmMonitor::activityChanged, this, [this](bool lit) {
        setLampIdle(m_lamp);
        if (lit)
            toggleActivityLamp(m_lamp);
    });
    connect(m_listButton, &QPushButton::clicked, this, &ErrorAlarmWindow::openList);
    connect(&terminal, &TerminalSession::busyChanged, m_listButton,
            [this](bool busy) { m_listButton->setEnabled(!busy); });

    terminal.setMonitor(TerminalSession::ErrorAlarm, m_monitor);
    terminal.setHelp(TerminalSession::ErrorList, m_monitor);
    DialogTexts::apply(this, 210);
}

ErrorAlarmWindow::~ErrorAlarmWindow() = default;

void ErrorAlarmWindow::showIndicators()
{
    m_errorField->setText(m_monitor->errorText());
    m_alarmField->setText(m_monitor->alarmText());
}

void ErrorAlarmWindow::showMessages()
{
    m_list->setPlainText(m_monitor->messages().join(QLatin1Char('\n')));
}

void ErrorAlarmWindow::openList()
{
    if (!m_listWindow)
        m_listWindow = new ErrorAlarmListWindow(*m_monitor, this);
    m_listWindow->exec();
}

void ErrorAlarmWindow::closeEvent(QCloseEvent *event)
{
    m_terminal.hideMonitor(TerminalSession::ErrorAlarm);
    event->accept();
}
