#include "programoptiondialog.h"

#include "app/dialogtexts.h"
#include "programtext.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// The drive holds at most 1024 blocks; block 0 starts at the first.
constexpr int highestBlock = 1024;
} // namespace

ProgramOptionDialog::ProgramOptionDialog(QWidget *parent)
    : QDialog(parent)
    , m_program(new QSpinBox(this))
    , m_block(new QSpinBox(this))
    , m_normal(new QRadioButton(this))
    , m_step(new QRadioButton(this))
{
    m_program->setRange(ProgramText::LowestProgram, ProgramText::HighestReadable);
    m_block->setRange(0, highestBlock);
    auto *programCaption = new QLabel(this);
    DialogTexts::tag(programCaption, 1501);
    programCaption->setBuddy(m_program);
    auto *blockCaption = new QLabel(this);
    DialogTexts::tag(blockCaption, 1502);
    blockCaption->setBuddy(m_block);
    DialogTexts::tag(m_normal, 1001);
    DialogTexts::tag(m_step, 1002);
    m_normal->setChecked(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    DialogTexts::tag(buttons->button(QDialogButtonBox::Ok), 1);
    DialogTexts::tag(buttons->button(QDialogButtonBox::Cancel), 2);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        m_program->interpretText();
        m_block->interpretText();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(programCaption, m_program);
    form->addRow(blockCaption, m_block);
    auto *mode = new QHBoxLayout;
    mode->addWidget(m_normal);
    mode->addWidget(m_step);
    mode->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(mode);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogTexts::apply(this, 219);
}

void ProgramOptionDialog::setOptions(const ProgramMonitor::RunOptions &options)
{
    m_program->setValue(options.program);
    m_block->setValue(options.block);
    (options.step ? m_step : m_normal)->setChecked(true);
    m_program->setFocus();
    m_program->selectAll();
}

ProgramMonitor::RunOptions ProgramOptionDialog::options() const
{
    return {m_program->value(), m_block->value(), m_step->isChecked()};
}
