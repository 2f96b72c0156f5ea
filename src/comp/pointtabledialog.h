#pragma once

#include "app/linkhold.h"
#include "pointtabletransfer.h"
#include "tabledialog.h"

class DriveLink;

// "TableData" (dialog 232): the 100 points with their values and attributes,
// read from the drive when the window opens and with UpLoad, written with
// DownLoad. A click on a value or an attribute puts it into the edit box;
// Return or Enter stores it.
class PointTableDialog : public TableDialog
{
    Q_OBJECT
public:
    explicit PointTableDialog(DriveLink &link, QWidget *parent = nullptr);

    PointTableTransfer &transfer() { return m_transfer; }

    // The 100 values, then the 100 attributes.
    QByteArrayList items() const;
    void setItems(const QByteArrayList &items);

protected:
    void promptChanged(UserPrompt *given) override;
    void opened() override;

private:
    void upload();

    PointTableTransfer m_transfer;
    LinkHold m_linkHold;
    bool m_uploading = false;
};
