#include "tableselectdialog.h"

#include "app/dialogtexts.h"
#include "resources/catalogue.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TableSelectDialog::TableSelectDialog(int captionText, QWidget *parent)
    : QDialog(parent)
    , m_table(new QComboBox(this))
{
    constexpr int dialogId = 238;
    m_table->addItems(Catalogue::instance().listItems(dialogId, 1065));
    auto *label = new QLabel(this);
    DialogTexts::tag(label, 1501);
    label->setBuddy(m_table);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok = buttons->addButton(QString(), QDialogButtonBox::AcceptRole);
    QPushButton *cancel = buttons->addButton(QString(), QDialogButtonBox::RejectRole);
    DialogTexts::tag(ok, 1);
    DialogTexts::tag(cancel, 2);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(label, m_table);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    DialogTexts::apply(this, dialogId);
    setWindowTitle(Catalogue::instance().string(captionText));
}

int TableSelectDialog::table() const
{
    return qMax(0, m_table->currentIndex());
}

void TableSelectDialog::setTable(int table)
{
    m_table->setCurrentIndex(table);
}
