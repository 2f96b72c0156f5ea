#pragma once

#include "app/featuremenudialog.h"
#include "app/linkhold.h"
#include "backuptransfer.h"
#include "link/linkowner.h"
#include "motordatatransfer.h"

class DriveLink;
class QProgressBar;

// "Back Up" (dialog 182): the motor data to and from a "whm" set, the user
// data to and from a "wha" set. The dialog owns both exchanges and, while it
// is open, the link, whose callbacks it hands to the exchange that runs. A
// line under the buttons says which section and file run, and a bar shows
// the sections done.
class BackupDialog : public FeatureMenuDialog, public LinkOwner
{
    Q_OBJECT
public:
    explicit BackupDialog(DriveLink &link, QWidget *parent = nullptr);
    ~BackupDialog() override;

    BackupTransfer &userData() { return m_userData; }
    MotorDataTransfer &motorData() { return m_motorData; }
    QString progressText() const;
    int progressValue() const;

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

protected:
    void promptChanged(UserPrompt *given) override;
    bool isExchangeBusy() const override { return m_userData.isBusy() || m_motorData.isBusy(); }
    // An opening leaves the buttons and the progress as they are.
    void opened() override {}
    void setBusy(bool busy) override;

private:
    void showProgress(int index, int count, const QString &section, const QString &item);

    BackupTransfer m_userData;
    MotorDataTransfer m_motorData;
    // The dialog itself owns the link and hands the callbacks on.
    LinkHold m_linkHold;
    QLabel *m_progressLabel;
    QProgressBar *m_progressBar;
};
