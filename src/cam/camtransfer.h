#pragma once

#include "app/userprompt.h"
#include "camprofile.h"
#include "link/linkowner.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <bitset>

class DriveLink;

// The exchanges of the cam profile menu: register a profile (@72:n, the
// title, the twelve items and the 101 data lines, one per R0P, @72:0), read
// one in stages (@73:n; when the tag in its R1H differs from the one the
// profile carries, @70:tag and then @71:n), and the communication reset
// (@98). Files are the sources and targets, one profile at a time or a batch
// (whc) of the profiles 9 to 16.
//
// A file is read and checked whole before anything is sent, and every file
// of a batch before the first. What is read from the drive is written only
// once the whole reading ended well, each file whole (SafeFileWriter): a
// failed upload leaves the earlier files as they were, and a batch upload
// writes its profile files only when every profile has been read, the batch
// file last.
class CamTransfer : public QObject, public LinkOwner
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
        Read = 6, // a profile into memory (the view)
    };
    enum Stage : quint16 {
        Idle = 0,
        Asking = 1,    // @73 sent (stage 1 of a reading)
        Preparing = 2, // @70 sent
        Reading = 3,   // @71 sent
        Opening = 4,   // @72:n sent
        Sending = 5,
        Closing = 6, // @72:0 sent
    };
    // NotRegistered: the drive holds no profile of that number.
    enum class Outcome { Succeeded, Failed, Cancelled, NotRegistered };
    Q_ENUM(Outcome)

    // The profile numbers a batch upload reads.
    static constexpr int FirstBatchNumber = 9;
    static constexpr int LastBatchNumber = 16;

    CamTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);
    ~CamTransfer() override;

    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }
    // The comment lines at the top of the files uploads write (the all-data
    // backup's header); empty for the program's own (CamFile::header).
    void setComments(const QByteArrayList &comments) { m_comments = comments; }

    void upload(int number, const QString &path);
    void download(int number, const QString &path);
    // Reads a profile into profile() only.
    void read(int number);
    void batchUpload(const QString &path);
    void batchDownload(const QString &path);
    void resetCommunication();

    bool isBusy() const { return m_busy; }
    Operation operation() const { return m_operation; }
    int stage() const { return m_stage; }
    // The profile of the last reading.
    const CamProfile &profile() const { return m_profile; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

    enum class FileKind { Profile, Batch, Universal };
    static UserPrompt::FileRequest fileRequest(FileKind kind, bool save);
    // The message for a cam profile file that cannot be used, or empty.
    static QString loadProfile(const QString &path, CamProfile *profile);
    // The register lines of a profile: title, twelve items, 101 data lines.
    static QByteArrayList registerLines(const CamProfile &profile);

Q_SIGNALS:
    void busyChanged(bool busy);
    void lampToggled();
    void lampIdle();
    // A batch: profile `done` of `total`.
    void progress(int done, int total);
    void finished(CamTransfer::Outcome outcome, const QString &message);

private:
    struct Job
    {
        int number = 0;
        CamProfile profile;
        QString path;
        bool delivered = false;
    };

    void begin(Operation operation);
    void end(Outcome outcome, const QString &message);
    void refuse(const QString &message);
    void send(const QByteArray &command);
    bool checkNumber(int number);

    void startJob();
    void registerReply(const QByteArray &line);
    void readReply(const QByteArray &line);
    // Takes a data line of a reading; false when its fields cannot be read.
    bool takeData(const QByteArray &line);
    bool complete() const;
    void clearReading();
    void jobDone();
    void finishUpload();
    void finishBatchUpload();
    QString deleting() const;
    QByteArrayList commentsFor(const Job &job) const;
    QString abortText() const;

    DriveLink &m_link;
    UserPrompt *m_prompt;

    Operation m_operation = NoOperation;
    int m_stage = Idle;
    bool m_busy = false;
    QList<Job> m_jobs;
    int m_job = 0;
    QByteArrayList m_lines; // registration
    int m_next = 0;
    CamProfile m_profile; // reading
    std::array<bool, CamProfile::ItemCount> m_itemsRead{};
    std::bitset<CamProfile::PointCount> m_pointsRead;
    QString m_batchPath;
    QStringList m_missing;
    QByteArrayList m_comments;
};
