#pragma once

#include "pointtabletransfer.h"

#include <QDialog>
#include <QHash>

#include <memory>

class DriveLink;
class ParameterGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class UserPrompt;

// "TableData" (dialog 232): the 100 points with their values and attributes,
// read from the drive when the window opens and with UpLoad, written with
// DownLoad. A click on a value or an attribute puts it into the edit box;
// Return or Enter stores it.
class PointTableDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PointTableDialog(DriveLink &link, QWidget *parent = nullptr);
    ~PointTableDialog() override;

    void setPrompt(UserPrompt *prompt);

    PointTableTransfer &transfer() { return m_transfer; }
    ParameterGrid *grid() const { return m_grid; }
    QLineEdit *editBox() const { return m_edit; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }

    // The 100 values, then the 100 attributes.
    QByteArrayList items() const;
    void setItems(const QByteArrayList &items);

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void setBusy(bool busy);
    void upload();

    DriveLink &m_link;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    PointTableTransfer m_transfer;
    ParameterGrid *m_grid;
    QLineEdit *m_edit;
    QLabel *m_lamp;
    QHash<int, QPushButton *> m_buttons;
    bool m_ownsLink = false;
    bool m_uploading = false;
};
