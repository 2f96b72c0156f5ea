#include "selecttypedialog.h"

#include "app/dialogtexts.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

SelectTypeDialog::SelectTypeDialog(QWidget *parent)
    : QDialog(parent)
    , m_normal(new QRadioButton(this))
    , m_all(new QRadioButton(this))
{
    DialogTexts::tag(m_normal, 1001);
    DialogTexts::tag(m_all, 1002);
    m_normal->setChecked(true);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    DialogTexts::tag(buttons->button(QDialogButtonBox::Ok), 1);
    DialogTexts::tag(buttons->button(QDialogButtonBox::Cancel), 2);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_normal);
    layout->addWidget(m_all);
    layout->addSpacing(6);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogTexts::apply(this, 222);
}

bool SelectTypeDialog::batch() const
{
    return m_all->isChecked();
}

void SelectTypeDialog::setBatch(bool batch)
{
    (batch ? m_all : m_normal)->setChecked(true);
    (batch ? m_all : m_normal)->setFocus();
}
