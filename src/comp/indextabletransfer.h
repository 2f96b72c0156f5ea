#pragma once

#include "app/userprompt.h"
#include "indextablekind.h"
#include "link/linkowner.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

class DriveLink;

// The exchange of the index table menus and editors, for either kind of
// table (IndexTableKind): register a table (@66:t:n, one TC1: entry per R0P,
// @67), read one (@68:t, each R1H entry acknowledged with R0P until R00),
// list the stored tables (@65), and the communication reset (@98). Files and
// grids are the sources and targets; a batch file (whi) names the table
// files of both tables.
//
// A file is read and checked whole before anything is sent. What is read
// from the drive is written only when the whole reading ended well, each file
// whole (SafeFileWriter): a failed upload leaves earlier files as they were,
// and a batch upload that finds no stored table leaves no batch file.
class IndexTableTransfer : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum Operation : quint16 {
        NoOperation = 0,
        Download = 1,
        Upload = 2,
        CommunicationReset = 3,
        BatchUpload = 4,
        BatchDownload = 5,
    };
    enum Step : quint16 {
        Idle = 0,
        Registering = 1, // @66 sent, waiting for the first R0P
        SendingEntries = 2,
        Closing = 3, // @67 sent
        Reading = 4,
        Listing = 5,
    };
    enum class Outcome { Succeeded, Failed, Cancelled };
    Q_ENUM(Outcome)

    IndexTableTransfer(const IndexTableKind &kind, DriveLink &link, UserPrompt &prompt,
                       QObject *parent = nullptr);
    ~IndexTableTransfer() override;

    const IndexTableKind &kind() const { return m_kind; }
    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }

    // Table 0 is "A", table 1 "B".
    void upload(int table, const QString &path);
    void download(int table, const QString &path);
    // The editor's exchanges: the grid's entries instead of a file; a
    // reading ends in entries().
    void readTable(int table);
    void writeTable(int table, const QByteArrayList &entries);
    void batchUpload(const QString &path);
    void batchDownload(const QString &path);
    void resetCommunication();

    bool isBusy() const { return m_busy; }
    Operation operation() const { return m_operation; }
    int step() const { return m_step; }
    // The entries of the last reading.
    const QByteArrayList &entries() const { return m_received; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

    // The file dialog request for a table file or a batch file of this kind.
    UserPrompt::FileRequest fileRequest(bool save, bool batch) const;
    // The message for a table file that cannot be used (empty when it can).
    QString refusal(const QString &path, int readFault, int line) const;
    // A table file of this kind read and checked whole; false with the
    // message that refuses it.
    bool readFile(const QString &path, QByteArrayList *entries, QString *message) const;

Q_SIGNALS:
    void busyChanged(bool busy);
    void lampToggled();
    void lampIdle();
    void finished(IndexTableTransfer::Outcome outcome, const QString &message);

private:
    struct Job
    {
        int table = 0;
        QByteArrayList entries;
        QString path; // the table file (file transfers)
    };

    void begin(Operation operation);
    void end(Outcome outcome, const QString &message, bool tell = true);
    void refuse(const QString &message);
    void send(const QByteArray &command);
    bool hasExtension(const QString &path, const QString &extension) const;
    bool loadTableFile(const QString &path, QByteArrayList *entries, QString *message) const;

    void startJob();
    void registerReply(const QByteArray &line);
    void readReply(const QByteArray &line);
    void listReply(const QByteArray &line);
    void jobDone();
    void finishUpload();
    void finishBatchUpload();
    QString timeoutMessage() const;

    const IndexTableKind &m_kind;
    DriveLink &m_link;
    UserPrompt *m_prompt;

    Operation m_operation = NoOperation;
    int m_step = Idle;
    bool m_busy = false;
    QList<Job> m_jobs; // what the operation does, one table after the other
    int m_job = 0;
    int m_index = 0;
    QByteArrayList m_received;
    QList<bool> m_stored; // the tables @65 listed
    QString m_batchPath;
    QStringList m_missing; // batch download: member files not found
};
