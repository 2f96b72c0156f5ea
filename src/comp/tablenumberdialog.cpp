#include "tablenumberdialog.h"

#include "app/dialogtexts.h"
#include "resources/catalogue.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

TableNumberDialog::TableNumberDialog(int dialogId, int lowest, int highest, int rangeText,
                                     QWidget *parent)
    : QDialog(parent)
    , m_spin(new QSpinBox(this))
    , m_lowest(lowest)
    , m_highest(highest)
    , m_rangeText(rangeText)
{
    // The box takes any number, so that one out of range gets its message.
    m_spin->setRange(-99999, 99999);
    m_spin->setValue(highest);
    m_spin->setMinimumWidth(80);
    auto *label = new QLabel(this);
    DialogTexts::tag(label, 1501);
    label->setBuddy(m_spin);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    DialogTexts::tag(ok, 1);
    DialogTexts::tag(cancel, 2);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(label, m_spin);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    DialogTexts::apply(this, dialogId);
}

int TableNumberDialog::value() const
{
    return m_spin->value();
}

void TableNumberDialog::setValue(int value)
{
    m_spin->setValue(value);
}

void TableNumberDialog::accept()
{
    const int v = m_spin->value();
    if (v < m_lowest || v > m_highest) {
        QMessageBox::warning(this, windowTitle(),
                             Catalogue::instance().format(m_rangeText, {m_lowest, m_highest}));
        m_spin->setFocus();
        m_spin->selectAll();
        return;
    }
    QDialog::accept();
}
