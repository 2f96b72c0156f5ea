#pragma once

#include "accuracytabletransfer.h"
#include "app/linkhold.h"
#include "tabledialog.h"

class AccuracyGraphDialog;
class DriveLink;

// "AbsAccCompensate Table" (dialog 248): the absolute-accuracy table in a
// grid (point number, value), read from and written to the drive, kept in
// aac files and plotted in the "Abs Acc Comp Graph". Set changes the table
// size (2 to 360, dialog 255). While open, the exchange is the link's owner.
class AccuracyTableDialog : public TableDialog
{
    Q_OBJECT
public:
    explicit AccuracyTableDialog(DriveLink &link, QWidget *parent = nullptr);

    AccuracyTableTransfer &transfer() { return m_transfer; }
    AccuracyGraphDialog *graphDialog() const { return m_graph; }

    QByteArrayList entries() const { return columnTexts(1); }
    void setEntries(const QByteArrayList &entries) { setNumberedRows({entries}); }
    void setSize(int size) { setEntries(resized(entries(), size)); }

    void openFile();
    void saveFile();

protected:
    void promptChanged(UserPrompt *given) override;

private:
    void chooseSize();
    UserPrompt::FileRequest fileRequest(bool save) const;

    AccuracyTableTransfer m_transfer;
    LinkHold m_linkHold;
    AccuracyGraphDialog *m_graph;
    bool m_uploading = false;
};
