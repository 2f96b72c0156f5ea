#pragma once

#include "accuracytabletransfer.h"

#include <QDialog>
#include <QHash>

#include <memory>

class AccuracyGraphDialog;
class DriveLink;
class ParameterGrid;
class QLabel;
class QLineEdit;
class QPushButton;
class UserPrompt;

// "AbsAccCompensate Table" (dialog 248): the absolute-accuracy table in a
// grid (point number, value), read from and written to the drive, kept in
// aac files and plotted in the "Abs Acc Comp Graph". Set changes the table
// size (2 to 360, dialog 255). While open, the exchange is the link's owner.
class AccuracyTableDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AccuracyTableDialog(DriveLink &link, QWidget *parent = nullptr);
    ~AccuracyTableDialog() override;

    void setPrompt(UserPrompt *prompt);

    AccuracyTableTransfer &transfer() { return m_transfer; }
    AccuracyGraphDialog *graphDialog() const { return m_graph; }
    ParameterGrid *grid() const { return m_grid; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }

    QByteArrayList entries() const;
    void setEntries(const QByteArrayList &entries);
    void setSize(int size);

    void openFile();
    void saveFile();

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void setBusy(bool busy);
    void chooseSize();

    DriveLink &m_link;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    UserPrompt *m_prompt;
    AccuracyTableTransfer m_transfer;
    ParameterGrid *m_grid;
    QLineEdit *m_edit;
    QLabel *m_lamp;
    AccuracyGraphDialog *m_graph;
    QHash<int, QPushButton *> m_buttons;
    bool m_ownsLink = false;
    bool m_uploading = false;
};
