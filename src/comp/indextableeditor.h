#pragma once

#include <QByteArrayList>
#include <QDialog>
#include <QHash>

#include <functional>
#include <memory>

class IndexTableTransfer;
class ParameterGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class UserPrompt;

// "Index Compensation Table" (dialog 237) and "Index TypeB Compensation
// Table" (dialog 247): a grid of the entries, one row each, numbered from 0.
// UpLoad and DownLoad run the menu's exchange with the grid as target or
// source; Save writes the grid to a table file; Divide Set changes the
// number of entries (1 to 100, kept entries stay); All Clear sets every
// entry to "0". A new editor holds one entry.
class IndexTableEditor : public QDialog
{
    Q_OBJECT
public:
    IndexTableEditor(IndexTableTransfer &transfer, QWidget *parent = nullptr);
    ~IndexTableEditor() override;

    void setPrompt(UserPrompt *prompt);
    void setTableChooser(std::function<int()> chooser) { m_chooseTable = std::move(chooser); }

    QByteArrayList entries() const;
    void setEntries(const QByteArrayList &entries);
    void setDivision(int count);
    ParameterGrid *grid() const { return m_grid; }
    QLineEdit *editBox() const { return m_edit; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }

    void upload();
    void download();
    void save();

    void reject() override;

private:
    QPushButton *addButton(int controlId);
    void setBusy(bool busy);
    int chooseTable();
    void divideSet();

    IndexTableTransfer &m_transfer;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    ParameterGrid *m_grid;
    QLineEdit *m_edit;
    QLabel *m_division;
    QHash<int, QPushButton *> m_buttons;
    std::function<int()> m_chooseTable;
    bool m_reading = false;
};
