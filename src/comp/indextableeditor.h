#pragma once

#include "tabledialog.h"

#include <functional>

class IndexTableTransfer;

// "Index Compensation Table" (dialog 237) and "Index TypeB Compensation
// Table" (dialog 247): a grid of the entries, one row each, numbered from 0.
// UpLoad and DownLoad run the menu's exchange with the grid as target or
// source; Save writes the grid to a table file; Divide Set changes the
// number of entries (1 to 100, kept entries stay); All Clear sets every
// entry to "0". A new editor holds one entry.
class IndexTableEditor : public TableDialog
{
    Q_OBJECT
public:
    explicit IndexTableEditor(IndexTableTransfer &transfer, QWidget *parent = nullptr);

    // Asks for table A (0) or B (1), -1 when the user cancels.
    void setTableChooser(std::function<int()> chooser) { m_chooseTable = std::move(chooser); }

    QByteArrayList entries() const { return columnTexts(1); }
    void setEntries(const QByteArrayList &entries);
    void setDivision(int count) { setEntries(resized(entries(), count)); }
    QLabel *divisionLabel() const { return m_division; }

    void upload();
    void download();
    void save();

protected:
    void promptChanged(UserPrompt *) override {}

private:
    void divideSet();

    IndexTableTransfer &m_transfer;
    QLabel *m_division;
    std::function<int()> m_chooseTable;
    bool m_reading = false;
};
