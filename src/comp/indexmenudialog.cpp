#include "indexmenudialog.h"

#include "app/dialogtexts.h"
#include "indextablemenudialog.h"

#include <QPushButton>
#include <QVBoxLayout>

IndexMenuDialog::IndexMenuDialog(DriveLink &link, QWidget *parent)
    : QDialog(parent)
    , m_typeA(new IndexTableMenuDialog(IndexTableKind::typeA(), link, this))
    , m_typeB(new IndexTableMenuDialog(IndexTableKind::typeB(), link, this))
{
    auto *layout = new QVBoxLayout(this);
    for (int id : {1001, 1002, 1}) {
        auto *button = new QPushButton(this);
        DialogTexts::tag(button, id);
        button->setAutoDefault(false);
        button->setMinimumWidth(140);
        m_buttons.insert(id, button);
        if (id == 1)
            layout->addSpacing(8);
        layout->addWidget(button);
    }
    m_buttons.value(1)->setDefault(true);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    const auto open = [this](IndexTableMenuDialog *menu) {
        menu->exec();
        m_buttons.value(1)->setFocus();
    };
    connect(m_buttons.value(1001), &QPushButton::clicked, this, [this, open] { open(m_typeA); });
    connect(m_buttons.value(1002), &QPushButton::clicked, this, [this, open] { open(m_typeB); });
    connect(m_buttons.value(1), &QPushButton::clicked, this, &QDialog::accept);
    DialogTexts::apply(this, 145);
}
