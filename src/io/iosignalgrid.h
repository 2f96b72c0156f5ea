#pragma once

#include <QGroupBox>

#include <array>

class QCheckBox;
class QLabel;

// One "DI" or "DO" group of the discrete configuration editor and the I/O
// monitor: the 32 signals of a range in 4 rows of 8. Row k (labelled 0, 8,
// 16, 24) holds positions 8k to 8k + 7; within a row the rightmost cell
// (column label 0) is the lowest position. A cell holds a check box, a lamp,
// or a lamp with a check box beneath it.
class IoSignalGrid : public QGroupBox
{
    Q_OBJECT
public:
    static constexpr int Positions = 32;
    enum class Cells { Boxes, Lamps, LampsAndBoxes };

    IoSignalGrid(Cells cells, int controlId, QWidget *parent = nullptr);

    QCheckBox *box(int position) const { return m_boxes.at(position); }
    QLabel *lamp(int position) const { return m_lamps.at(position); }

Q_SIGNALS:
    // The user ticked or cleared a box.
    void boxClicked(int position, bool checked);

private:
    std::array<QCheckBox *, Positions> m_boxes{};
    std::array<QLabel *, Positions> m_lamps{};
};
