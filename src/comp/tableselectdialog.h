#pragma once

#include <QDialog>

class QComboBox;

// "Compensate Table Select" (dialog 238): table A or B. The caption names
// the kind ("Index TypeA  file Select", string 234 or 235).
class TableSelectDialog : public QDialog
{
    Q_OBJECT
public:
    explicit TableSelectDialog(int captionText, QWidget *parent = nullptr);

    // 0 for A, 1 for B.
    int table() const;
    void setTable(int table);
    QComboBox *tableBox() const { return m_table; }

private:
    QComboBox *m_table;
};
