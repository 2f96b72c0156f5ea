#pragma once

#include "backuptransfer.h"
#include "link/linkowner.h"
#include "motordatatransfer.h"

#include <QDialog>
#include <QHash>

#include <memory>

class DriveLink;
class QLabel;
class QProgressBar;
class QPushButton;
class UserPrompt;

// "Back Up" (dialog 182): the motor data to and from a "whm" set, the user
// data to and from a "wha" set. The dialog owns both exchanges and, while it
// is open, the link, whose callbacks it hands to the exchange that runs. A
// line under the buttons says which section and file run, and a bar shows
// the sections done.
class BackupDialog : public QDialog, public LinkOwner
{
    Q_OBJECT
public:
    explicit BackupDialog(DriveLink &link, QWidget *parent = nullptr);
    ~BackupDialog() override;

    // Questions go to this prompt (tests script it); nullptr gives the
    // message boxes and the file dialog back.
    void setPrompt(UserPrompt *prompt);

    BackupTransfer &userData() { return m_userData; }
    MotorDataTransfer &motorData() { return m_motorData; }
    QPushButton *button(int controlId) const { return m_buttons.value(controlId); }
    QString progressText() const;
    int progressValue() const;

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

    void done(int result) override;
    void reject() override;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QPushButton *addButton(int controlId);
    void setBusy(bool busy);
    void showProgress(int index, int count, const QString &section, const QString &item);

    DriveLink &m_link;
    std::unique_ptr<UserPrompt> m_dialogPrompt;
    BackupTransfer m_userData;
    MotorDataTransfer m_motorData;
    QHash<int, QPushButton *> m_buttons;
    QLabel *m_lamp;
    QLabel *m_progressLabel;
    QProgressBar *m_progressBar;
    bool m_ownsLink = false;
};
