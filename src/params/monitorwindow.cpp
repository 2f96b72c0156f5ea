#include "monitorwindow.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "link/drivetext.h"
#include "link/terminalsession.h"
#include "monitorpoller.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

namespace {
QLineEdit *readOnlyField(QWidget *parent, int id, int width)
{
    auto *field = new QLineEdit(parent);
    DialogTexts::tag(field, id);
    field->setReadOnly(true);
    // Shown, never edited: the focus passes them by.
    field->setFocusPolicy(Qt::NoFocus);
    field->setMinimumWidth(width);
    return field;
}

QLabel *label(QWidget *parent, int id, const QString &fallback)
{
    auto *l = new QLabel(fallback, parent);
    DialogTexts::tag(l, id);
    return l;
}
} // namespace

MonitorWindow::MonitorWindow(TerminalSession &terminal, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_terminal(terminal)
    , m_poller(new MonitorPoller(terminal, this))
    , m_lamp(new QLabel(this))
{
    DialogTexts::tag(m_lamp, 1047);
    m_lamp->setFixedSize(15, 15);
    setLampIdle(m_lamp);

    auto *layout = new QGridLayout(this);
    layout->addWidget(label(this, 1506, QStringLiteral("No.")), 0, 2);
    layout->addWidget(label(this, 1507, QStringLiteral("Label")), 0, 3);
    layout->addWidget(label(this, 1508, QStringLiteral("Value")), 0, 4);
    layout->addWidget(m_lamp, 0, 0, Qt::AlignCenter);

    for (int row = 0; row < Rows; ++row) {
        const int base = 1081 + 4 * row;
        if (row > 0) {
            auto *box = new QCheckBox(this);
            DialogTexts::tag(box, 1102 + row);
            m_boxes[row] = box;
            layout->addWidget(box, row + 1, 0, Qt::AlignCenter);
        }
        layout->addWidget(label(this, 1501 + row, QString::number(row + 1)), row + 1, 1);

        auto *number = new QSpinBox(this);
        DialogTexts::tag(number, base);
        number->setRange(MonitorPoller::MinNumber, MonitorPoller::MaxNumber);
        number->setValue(m_poller->row(row).number);
        number->setEnabled(row == 0);
        m_numbers[row] = number;
        layout->addWidget(number, row + 1, 2);

        m_labels[row] = readOnlyField(this, base + 2, 150);
        m_values[row] = readOnlyField(this, base + 3, 110);
        m_values[row]->setAlignment(Qt::AlignRight);
        layout->addWidget(m_labels[row], row + 1, 3);
        layout->addWidget(m_values[row], row + 1, 4);

        connect(number, &QSpinBox::valueChanged, this,
                [this, row](int value) { m_poller->setNumber(row, value); });
        if (QCheckBox *box = m_boxes[row]) {
            connect(box, &QCheckBox::toggled, this, [this, row](bool on) {
                m_numbers[row]->setEnabled(on);
                m_poller->setActive(row, on);
            });
        }
    }
    layout->setColumnStretch(3, 1);

    connect(m_poller, &MonitorPoller::rowChanged, this, &MonitorWindow::showRow);
    connect(m_poller, &MonitorPoller::lampChanged, this, [this](bool lit) {
        setLampIdle(m_lamp);
        if (lit)
            toggleActivityLamp(m_lamp);
    });
    terminal.setMonitor(TerminalSession::ParameterMonitor, m_poller);
    DialogTexts::apply(this, 211);
}

MonitorWindow::~MonitorWindow() = default;

void MonitorWindow::showRow(int row)
{
    const MonitorPoller::Row &r = m_poller->row(row);
    m_labels[row]->setText(DriveText::decode(r.label));
    m_values[row]->setText(DriveText::decode(r.value));
}

void MonitorWindow::closeEvent(QCloseEvent *event)
{
    // The close box is "Hide(&D)" for this monitor.
    m_terminal.hideMonitor(TerminalSession::ParameterMonitor);
    event->accept();
}
