#pragma once

#include "indextabletransfer.h"

#include <QDialog>
#include <QHash>

#include <memory>

class DriveLink;
class IndexTableEditor;
class QLabel;
class QPushButton;
class UserPrompt;

// "Index compensate menu" (dialog 233) and "Index TypeB Menu" (dialog 246):
// upload a table or both (a batch file) to files, download them, edit a
// table, reset the communication. The file chosen decides between one table
// (its table is asked for next) and the batch. While open, the exchange is
// the link's owner.
class IndexTableMenuDialog : public QDialog
{
    Q_OBJECT
public:
    IndexTableMenuDialog(const IndexTableKind &kind, DriveLink &link, QWidget *parent = nullptr);
    ~IndexTableMenuDialog() override;

    void setPrompt(UserPrompt *prompt);
    // The table the next single transfer uses, instead of asking (tests).
    void setTableChooser(std::function<int()> chooser) { m_chooseTable = std::move(chooser); }

    IndexTableTransfer &transfer() { return m_transfer; }
    IndexTableEditor *editor() const { return m_editor; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }

    void upload();
    void download();

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void setBusy(bool busy);
    // The file for a transfer: a table file or a batch file of this kind.
    QString chooseFile(bool save);
    int chooseTable();

    const IndexTableKind &m_kind;
    DriveLink &m_link;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    IndexTableTransfer m_transfer;
    QHash<int, QPushButton *> m_buttons;
    QLabel *m_lamp;
    IndexTableEditor *m_editor;
    std::function<int()> m_chooseTable;
    bool m_ownsLink = false;
};
