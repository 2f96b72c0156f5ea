#include "tablenumberdialog.h"

#include "app/dialogtexts.h"
#include "app/userprompt.h"
#include "resources/catalogue.h"
#include "tabledialog.h"

#include <QSpinBox>

TableNumberDialog::TableNumberDialog(int dialogId, int lowest, int highest, int rangeText,
                                     UserPrompt &prompt, QWidget *parent)
    : QDialog(parent)
    , m_spin(new QSpinBox(this))
    , m_prompt(prompt)
    , m_lowest(lowest)
    , m_highest(highest)
    , m_rangeText(rangeText)
{
    // The box takes any number, so that one out of range gets its message.
    m_spin->setRange(-99999, 99999);
    m_spin->setValue(highest);
    m_spin->setMinimumWidth(80);
    layOutFormDialog(this, 1501, m_spin);
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
        m_prompt.message(Catalogue::instance().format(m_rangeText, {m_lowest, m_highest}));
        m_spin->setFocus();
        m_spin->selectAll();
        return;
    }
    QDialog::accept();
}
