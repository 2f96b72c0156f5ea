#include "programmonitorinitdialog.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "programmonitor.h"
#include "programtext.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

ProgramMonitorInitDialog::ProgramMonitorInitDialog(ProgramMonitor &monitor, QWidget *parent)
    : QDialog(parent)
    , m_monitor(monitor)
    , m_number(new QSpinBox(this))
    , m_all(new QCheckBox(this))
    , m_lamp(new QLabel(this))
{
    auto *caption = new QLabel(this);
    DialogTexts::tag(caption, 1501);
    caption->setBuddy(m_number);
    DialogTexts::tag(m_all, 1502);
    m_number->setRange(ProgramText::LowestProgram, ProgramText::HighestReadable);
    m_all->setChecked(true);
    m_number->setEnabled(false);
    connect(m_all, &QCheckBox::toggled, m_number, [this](bool all) {
        m_number->setEnabled(!all);
        if (!all)
            m_number->setFocus();
    });
    m_lamp->setFixedSize(15, 15);
    setLampIdle(m_lamp);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_cancel = buttons->button(QDialogButtonBox::Cancel);
    DialogTexts::tag(m_ok, 1);
    DialogTexts::tag(m_cancel, 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &ProgramMonitorInitDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ProgramMonitorInitDialog::reject);

    auto *row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(m_number);
    row->addWidget(m_all);
    row->addStretch(1);
    row->addWidget(m_lamp, 0, Qt::AlignTop);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(&m_monitor, &ProgramMonitor::lampToggled, this, [this] {
        if (isVisible())
            toggleActivityLamp(m_lamp);
    });
    connect(&m_monitor, &ProgramMonitor::readFinished, this, [this](bool ok) {
        if (!isVisible())
            return;
        setReading(false);
        QDialog::done(ok ? Accepted : Rejected);
    });
    DialogTexts::apply(this, 218);
}

void ProgramMonitorInitDialog::setReading(bool reading)
{
    m_ok->setEnabled(!reading);
    m_cancel->setEnabled(!reading);
    m_all->setEnabled(!reading);
    m_number->setEnabled(!reading && !m_all->isChecked());
    if (!reading)
        setLampIdle(m_lamp);
}

void ProgramMonitorInitDialog::accept()
{
    if (m_monitor.isReading())
        return;
    m_number->interpretText();
    setReading(true);
    m_monitor.readPrograms(m_all->isChecked() ? -1 : m_number->value());
}

void ProgramMonitorInitDialog::reject()
{
    if (m_monitor.isReading())
        return;
    QDialog::reject();
}
