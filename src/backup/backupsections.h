#pragma once

#include "backupsection.h"
#include "cam/camtransfer.h"
#include "comp/accuracytabletransfer.h"
#include "comp/indextabletransfer.h"
#include "io/ioconfigtransfer.h"
#include "params/parametertransfer.h"
#include "programs/programtransfer.h"

#include <QDateTime>
#include <QList>

#include <functional>
#include <utility>

class DriveLink;

// The sections of the all-data backup over the features' own exchanges. A
// section owns its feature's exchange, which talks through the section's
// prompt and hears the link's callbacks through it.
template <typename Transfer> class TransferSection : public BackupSection
{
public:
    template <typename... Args>
    TransferSection(int code, const QString &extension, bool numbered, int highestItem,
                    UserPrompt &user, Args &&...transferArgs)
        : BackupSection(code, extension, numbered, highestItem, user)
        , m_transfer(std::forward<Args>(transferArgs)..., m_prompt)
    {}

    Transfer &transfer() { return m_transfer; }
    void onLinkReply(const QByteArray &line) override { m_transfer.onLinkReply(line); }
    void onLinkTimeout() override { m_transfer.onLinkTimeout(); }

protected:
    Transfer m_transfer;
};

// Parameters: the parameter manager's upload and download (its file check,
// the guarded parameters' question, the refused keys); the download leaves
// the restart to the backup.
class ParameterSection : public TransferSection<ParameterTransfer>
{
public:
    ParameterSection(DriveLink &link, UserPrompt &user);

    QString checkFile(const QString &path) const override;

protected:
    void startBackup() override;
    void startRestore() override;
};

// The I/O configuration ("ioc").
class IoConfigSection : public TransferSection<IoConfigTransfer>
{
public:
    IoConfigSection(DriveLink &link, UserPrompt &user);

    QString checkFile(const QString &path) const override;

protected:
    void startBackup() override;
    void startRestore() override;
};

// The programs: the drive's listing, then one program file per listed
// program (base + number + ".prg"); a restore registers each listed file.
class ProgramSection : public TransferSection<ProgramTransfer>
{
public:
    ProgramSection(DriveLink &link, UserPrompt &user);

    QString checkFile(const QString &path) const override;

protected:
    void startBackup() override;
    void startRestore() override;

private:
    void onFinished(ProgramTransfer::Outcome outcome, const QString &message);
    void next();

    bool m_listing = false;
    QList<int> m_items;
    int m_next = 0;
};

// The index compensation (type A, "idx") or unequal division tables (type B,
// "idp"): the kind's batch upload into the folder, whose batch file names
// the stored tables; a restore sends each listed table file.
class IndexTableSection : public TransferSection<IndexTableTransfer>
{
public:
    IndexTableSection(const IndexTableKind &kind, DriveLink &link, UserPrompt &user);

    QString checkFile(const QString &path) const override;

protected:
    void startBackup() override;
    void startRestore() override;

private:
    void onFinished(IndexTableTransfer::Outcome outcome, const QString &message);
    void next();

    QString m_batchPath;
};

// The cam profiles: every profile number in turn through the cam menu's
// single upload, one file per profile the drive holds (base + number +
// ".cdt"); a number the drive has no profile for is passed over. The files
// carry the backup's date. A restore registers each listed file under its
// number.
class CamSection : public TransferSection<CamTransfer>
{
public:
    CamSection(DriveLink &link, UserPrompt &user);

    // The date the files of a backup carry: the backup's start.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    QString checkFile(const QString &path) const override;

protected:
    void startBackup() override;
    void startRestore() override;

private:
    void onFinished(CamTransfer::Outcome outcome, const QString &message);
    void next();

    std::function<QDateTime()> m_clock;
    QDateTime m_date;
    int m_next = 0;
};

// The absolute-accuracy table ("aac").
class AccuracySection : public TransferSection<AccuracyTableTransfer>
{
public:
    AccuracySection(DriveLink &link, UserPrompt &user);

    QString checkFile(const QString &path) const override;

protected:
    void startBackup() override;
    void startRestore() override;
};
