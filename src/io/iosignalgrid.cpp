#include "iosignalgrid.h"

#include "app/dialogtexts.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

IoSignalGrid::IoSignalGrid(Cells cells, int controlId, QWidget *parent)
    : QGroupBox(parent)
{
    DialogTexts::tag(this, controlId);
    auto *grid = new QGridLayout(this);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(cells == Cells::Boxes ? 2 : 4);
    for (int column = 0; column < 8; ++column) {
        auto *label = new QLabel(QString::number(7 - column), this);
        label->setAlignment(Qt::AlignCenter);
        grid->addWidget(label, 0, column + 1);
    }
    for (int row = 0; row < 4; ++row) {
        auto *label = new QLabel(QString::number(8 * row), this);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("24")));
        grid->addWidget(label, row + 1, 0);
        for (int column = 0; column < 8; ++column) {
            const int position = 8 * row + 7 - column;
            auto *cell = new QWidget(this);
            auto *stack = new QVBoxLayout(cell);
            stack->setContentsMargins(0, 0, 0, 0);
            stack->setSpacing(1);
            if (cells != Cells::Boxes) {
                auto *lamp = new QLabel(cell);
                lamp->setFixedSize(15, 15);
                stack->addWidget(lamp, 0, Qt::AlignHCenter);
                m_lamps[position] = lamp;
            }
            if (cells != Cells::Lamps) {
                auto *box = new QCheckBox(cell);
                stack->addWidget(box, 0, Qt::AlignHCenter);
                m_boxes[position] = box;
                connect(box, &QCheckBox::clicked, this,
                        [this, position](bool checked) { Q_EMIT boxClicked(position, checked); });
            }
            grid->addWidget(cell, row + 1, column + 1, Qt::AlignCenter);
        }
    }
}
