#include "programpropertydialog.h"

#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "programtext.h"
#include "resources/catalogue.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int windowLabel = 1501;
constexpr int numberLabel = 1502;
constexpr int windowList = 1065;
constexpr int okButton = 1;
constexpr int cancelButton = 2;
} // namespace

ProgramPropertyDialog::ProgramPropertyDialog(QWidget *parent)
    : QDialog(parent)
    , m_window(new QComboBox(this))
    , m_number(new QSpinBox(this))
    , m_options(new QListWidget(this))
{
    auto *windowCaption = new QLabel(this);
    DialogTexts::tag(windowCaption, windowLabel);
    windowCaption->setBuddy(m_window);
    auto *numberCaption = new QLabel(this);
    DialogTexts::tag(numberCaption, numberLabel);
    numberCaption->setBuddy(m_number);

    // Wider than any range, so that OK can say what the range is.
    m_number->setRange(0, 999);
    m_options->setSelectionMode(QAbstractItemView::NoSelection);
    for (int id : {165, 166}) {
        auto *item = new QListWidgetItem(Catalogue::instance().string(id), m_options);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
    m_options->setFixedHeight(m_options->sizeHintForRow(0) * 2 + 2 * m_options->frameWidth() + 4);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    DialogTexts::tag(buttons->button(QDialogButtonBox::Ok), okButton);
    DialogTexts::tag(buttons->button(QDialogButtonBox::Cancel), cancelButton);
    connect(buttons, &QDialogButtonBox::accepted, this, &ProgramPropertyDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ProgramPropertyDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(windowCaption, m_window);
    form->addRow(numberCaption, m_number);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_options);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    m_window->addItems(Catalogue::instance().listItems(220, windowList));
    if (m_window->count() < 2)
        m_window->addItems({QStringLiteral("Top"), QStringLiteral("Bottom")});
    DialogTexts::apply(this, 220);
    setMode(WindowOnly);
}

void ProgramPropertyDialog::setMode(Mode mode, int highest)
{
    m_mode = mode;
    switch (mode) {
    case Download:
        m_highest = ProgramText::HighestRegistered;
        break;
    case Upload:
        m_highest = ProgramText::HighestReadable;
        break;
    case NumberOnly:
        m_highest = highest >= 0 ? highest : ProgramText::HighestRegistered;
        break;
    case WindowOnly:
    case Save:
        m_highest = ProgramText::HighestReadable;
        break;
    }
    const bool number = mode == Download || mode == NumberOnly || mode == Upload;
    m_window->setEnabled(mode != NumberOnly);
    m_number->setEnabled(number);
    m_options->setVisible(mode == Download || mode == Save);
    // The first field that can be used takes the keyboard.
    if (number && mode == NumberOnly)
        m_number->setFocus();
    else
        m_window->setFocus();
    m_number->selectAll();
}

int ProgramPropertyDialog::window() const
{
    return qMax(0, m_window->currentIndex());
}

void ProgramPropertyDialog::setWindow(int window)
{
    m_window->setCurrentIndex(qBound(0, window, m_window->count() - 1));
}

int ProgramPropertyDialog::number() const
{
    return m_number->value();
}

void ProgramPropertyDialog::setNumber(int number)
{
    m_number->setValue(number);
}

quint32 ProgramPropertyDialog::options() const
{
    quint32 options = 0;
    for (int row = 0; row < m_options->count(); ++row) {
        if (m_options->item(row)->checkState() == Qt::Checked)
            options |= 1u << row;
    }
    return options;
}

void ProgramPropertyDialog::setOptions(quint32 options)
{
    for (int row = 0; row < m_options->count(); ++row)
        m_options->item(row)->setCheckState(options & (1u << row) ? Qt::Checked : Qt::Unchecked);
}

void ProgramPropertyDialog::accept()
{
    // A number still being typed counts as typed.
    m_number->interpretText();
    if (m_number->isEnabled() && (number() < ProgramText::LowestProgram || number() > m_highest)) {
        const QString text =
            Catalogue::instance().format(122, {ProgramText::LowestProgram, m_highest});
        if (m_prompt) {
            m_prompt->message(text);
        } else {
            DialogPrompt prompt(this);
            prompt.message(text);
        }
        m_number->setFocus();
        m_number->selectAll();
        return;
    }
    QDialog::accept();
}
