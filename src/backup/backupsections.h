#pragma once

#include "backupsection.h"
#include "comp/accuracytabletransfer.h"
#include "comp/indextabletransfer.h"
#include "io/ioconfigtransfer.h"
#include "params/parametertransfer.h"
#include "programs/programtransfer.h"

#include <QList>

class DriveLink;

// The sections of the all-data backup over the features' own exchanges.

// Parameters: the parameter manager's upload and download (its file check,
// the guarded parameters' question, the refused keys); the download leaves
// the restart to the backup.
class ParameterSection : public BackupSection
{
    Q_OBJECT
public:
    ParameterSection(DriveLink &link, UserPrompt &user, QObject *parent = nullptr);
    ParameterTransfer &transfer() { return m_transfer; }

    void onLinkReply(const QByteArray &line) override { m_transfer.onLinkReply(line); }
    void onLinkTimeout() override { m_transfer.onLinkTimeout(); }

protected:
    void startBackup() override;
    void startRestore() override;

private:
    ParameterTransfer m_transfer;
};

// The I/O configuration ("ioc").
class IoConfigSection : public BackupSection
{
    Q_OBJECT
public:
    IoConfigSection(DriveLink &link, UserPrompt &user, QObject *parent = nullptr);

    void onLinkReply(const QByteArray &line) override { m_transfer.onLinkReply(line); }
    void onLinkTimeout() override { m_transfer.onLinkTimeout(); }

protected:
    void startBackup() override;
    void startRestore() override;

private:
    IoConfigTransfer m_transfer;
};

// The programs: the drive's listing, then one program file per listed
// program (base + number + ".prg"); a restore registers each listed file.
class ProgramSection : public BackupSection
{
    Q_OBJECT
public:
    ProgramSection(DriveLink &link, UserPrompt &user, QObject *parent = nullptr);

    void onLinkReply(const QByteArray &line) override { m_transfer.onLinkReply(line); }
    void onLinkTimeout() override { m_transfer.onLinkTimeout(); }

protected:
    void startBackup() override;
    void startRestore() override;

private:
    void onFinished(ProgramTransfer::Outcome outcome, const QString &message);
    void next();

    ProgramTransfer m_transfer;
    bool m_listing = false;
    QList<int> m_items;
    int m_next = 0;
};

// The index compensation (type A, "idx") or unequal division tables (type B,
// "idp"): the kind's batch upload into the folder, whose batch file names
// the stored tables; a restore sends each listed table file.
class IndexTableSection : public BackupSection
{
    Q_OBJECT
public:
    IndexTableSection(const IndexTableKind &kind, DriveLink &link, UserPrompt &user,
                      QObject *parent = nullptr);

    void onLinkReply(const QByteArray &line) override { m_transfer.onLinkReply(line); }
    void onLinkTimeout() override { m_transfer.onLinkTimeout(); }

protected:
    void startBackup() override;
    void startRestore() override;

private:
    void onFinished(IndexTableTransfer::Outcome outcome, const QString &message);
    void next();

    IndexTableTransfer m_transfer;
    QString m_batchPath;
    int m_next = 0;
};

// The absolute-accuracy table ("aac").
class AccuracySection : public BackupSection
{
    Q_OBJECT
public:
    AccuracySection(DriveLink &link, UserPrompt &user, QObject *parent = nullptr);

    void onLinkReply(const QByteArray &line) override { m_transfer.onLinkReply(line); }
    void onLinkTimeout() override { m_transfer.onLinkTimeout(); }

protected:
    void startBackup() override;
    void startRestore() override;

private:
    AccuracyTableTransfer m_transfer;
};
