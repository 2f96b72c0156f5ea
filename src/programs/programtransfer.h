#pragma once

#include "link/linkowner.h"
#include "programfile.h"
#include "programtext.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <vector>

class DriveLink;
class SafeFileWriter;
class UserPrompt;

// The exchanges on the drive's programs: register (@61 … @62), read (@63),
// delete (@64), list (@60), communication reset (@98), and on top of them
// the program manager's transfers between files and the drive, one program
// at a time or a whole batch through a batch program file (.whp).
//
// One operation at a time, advanced by the link's reply and time-out
// callbacks. Questions and messages go through UserPrompt; the files are
// asked for through it too. Every file is checked whole before the drive is
// touched, and every file written goes through SafeFileWriter: a failed
// upload leaves earlier files of the same names as they were, and a batch
// upload commits its program files only once all of them have been read,
// the batch file last.
class ProgramTransfer : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum Operation : quint16 {
        NoOperation = 0,
        SingleDownload = 1,
        SingleUpload = 2,
        CommunicationReset = 3,
        BatchList = 4, // the program list of a batch upload
        BatchDownload = 10,
        BatchUpload = 11,
        Delete = 20,
        Index = 21,
        Read = 22,     // a program into memory (editor, monitor)
        Register = 23, // lines given by the caller (editor)
    };
    enum class Outcome { Succeeded, Failed, Cancelled };
    Q_ENUM(Outcome)

    ProgramTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);
    ~ProgramTransfer() override;

    // Program manager: each asks for its file through the prompt.
    void download(int number);
    void upload(int number);
    void batchDownload();
    void batchUpload();
    void resetCommunication();
    // Program edit and the monitor.
    void remove(int number);
    void list();
    void read(int number);
    // Registers prepared lines (ProgramText::prepare) under `number`.
    void registerLines(int number, const ProgramText::Prepared &prepared, const QByteArray &option);

    bool isBusy() const { return m_busy; }
    Operation operation() const { return m_operation; }

    // The last listing: "%3s:%4s" lines and the free block count.
    const QByteArrayList &indexLines() const { return m_indexLines; }
    QByteArray freeBlocks() const { return m_freeBlocks; }
    // The registered numbers of the last listing, in the drive's order.
    const QList<int> &listedNumbers() const { return m_listed; }
    // The last program read: its option text and rebuilt lines.
    QByteArray readOption() const { return m_readOption; }
    QByteArrayList readLines() const { return m_rebuilder.lines(); }
    // The line being sent when a registration was refused (0-based), or -1.
    int failedLine() const { return m_failedLine; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

    static QString programFilter();
    static QString batchFilter();
    // A program file read and checked whole, or the message that refuses it.
    static std::optional<ProgramFile::Content> readFile(const QString &path, QString *message);

Q_SIGNALS:
    void busyChanged(bool busy);
    void lampToggled();
    void lampIdle();
    // Progress of a batch: entry `done` of `total`.
    void progress(int done, int total);
    void finished(ProgramTransfer::Outcome outcome, const QString &message);

private:
    struct BatchMember
    {
        int number = 0;
        QString name;
        ProgramFile::Content content;
    };

    void begin(Operation operation);
    void end(Outcome outcome, const QString &message);
    void fail(const QString &message) { end(Outcome::Failed, message); }
    void send(const QByteArray &command);
    // Asks for a program or a batch program file; empty when cancelled or
    // refused, the transfer then ended.
    QString chooseFile(bool save, bool batch);
    QString chooseProgramFile(bool save) { return chooseFile(save, false); }
    QString chooseBatchFile(bool save) { return chooseFile(save, true); }
    bool checkNumber(int number, int highest);
    static QString faultMessage(const ProgramFile::Fault &fault);

    void startRegister(int number, const QByteArrayList &lines, int blocks,
                       const QByteArray &option);
    // Handles a reply of the register exchange; false when it is none of it.
    bool registerReply(const QByteArray &line);
    void sendNextLine();
    void registerDone();
    bool isRegistering() const;
    // Ends a registration that failed; when the drive may still be taking
    // program lines, @98 closes that first so that no later command is
    // stored as program text.
    void failRegistration(const QString &message, bool timedOut);

    void startRead(int number);
    bool readReply(const QByteArray &line);

    void nextBatchEntry();
    void batchListReply(const QByteArray &line);
    void uploadNextMember();
    void commitBatchUpload();
    QString batchDeleting(const QString &current) const;

    DriveLink &m_link;
    UserPrompt *m_prompt;

    Operation m_operation = NoOperation;
    bool m_busy = false;

    // Register.
    enum class RegisterStep { Opening, Sending, Closing, Abandoning };
    RegisterStep m_registerStep = RegisterStep::Opening;
    int m_number = 0;
    QByteArrayList m_lines;
    qsizetype m_next = 0;
    bool m_refused = false;
    int m_failedLine = -1;
    bool m_closingAfterFailure = false;
    QString m_failure; // reported once the drive has answered the @98

    // Read.
    QByteArray m_readOption;
    bool m_haveOption = false;
    ProgramText::Rebuilder m_rebuilder;
    qsizetype m_blocksRead = 0;

    // Files.
    QString m_path;
    std::unique_ptr<SafeFileWriter> m_output;

    // Batches.
    QString m_batchPath;
    QString m_folder;
    QString m_baseName;
    std::vector<BatchMember> m_members;
    size_t m_member = 0;
    QString m_missing;
    QList<int> m_numbers;
    QList<QByteArray> m_staged;

    // Listing.
    QByteArrayList m_indexLines;
    QByteArray m_freeBlocks;
    QList<int> m_listed;
};
