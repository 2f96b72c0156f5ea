#include "tableselectdialog.h"

#include "app/dialogtexts.h"
#include "resources/catalogue.h"
#include "tabledialog.h"

#include <QComboBox>

TableSelectDialog::TableSelectDialog(int captionText, QWidget *parent)
    : QDialog(parent)
    , m_table(new QComboBox(this))
{
    constexpr int dialogId = 238;
    m_table->addItems(Catalogue::instance().listItems(dialogId, 1065));
    layOutFormDialog(this, 1501, m_table);
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
