#pragma once

#include "app/linkhold.h"
#include "indextabletransfer.h"
#include "tabledialog.h"

#include <functional>

class DriveLink;
class IndexTableEditor;

// "Index compensate menu" (dialog 233) and "Index TypeB Menu" (dialog 246):
// upload a table or both (a batch file) to files, download them, edit a
// table, reset the communication. The file chosen decides between one table
// (its table is asked for next) and the batch. While open, the exchange is
// the link's owner.
class IndexTableMenuDialog : public TableDialog
{
    Q_OBJECT
public:
    IndexTableMenuDialog(const IndexTableKind &kind, DriveLink &link, QWidget *parent = nullptr);

    // The table the next single transfer uses, instead of asking (tests).
    void setTableChooser(std::function<int()> chooser) { m_chooseTable = std::move(chooser); }

    IndexTableTransfer &transfer() { return m_transfer; }
    IndexTableEditor *editor() const { return m_editor; }

    void upload();
    void download();

protected:
    void promptChanged(UserPrompt *given) override;

private:
    // The file for a transfer: a table file or a batch file of this kind.
    QString chooseFile(bool save);
    int chooseTable();
    bool isBatch(const QString &path) const;

    const IndexTableKind &m_kind;
    IndexTableTransfer m_transfer;
    LinkHold m_linkHold;
    IndexTableEditor *m_editor;
    std::function<int()> m_chooseTable;
};
