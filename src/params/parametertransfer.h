#pragma once

#include "link/linkowner.h"
#include "parameterfile.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class DriveLink;
class SafeFileWriter;
class UserPrompt;

// The parameter manager's exchange with the drive: upload (drive to
// parameter file), download (file to drive, after a safety check of the
// guarded parameters), communication reset, and reading a file for the
// viewer. One operation at a time, driven by the link's reply and time-out
// callbacks; what it asks of the user goes through UserPrompt, and what a
// window shows (busy buttons, the activity lamp, the end) leaves by signals.
//
// Upload: @44, @94, "pr:30, @53, @40:1 … @40:5 (each listed entry
// acknowledged with R0P until R00), one #n read per listed entry in list
// order, @54; the file is written only then, whole (SafeFileWriter), so a failed
// upload leaves an earlier file of the same name as it was.
//
// Download: the guarded parameters are read first (#213, #202, #208, #209,
// #210, #212; only #213 and #202 with a sibling resource module) and compared
// with the file; differences are shown with string 276 for OK or Cancel.
// The file is refused, before anything is sent, when a line after the
// information block is neither empty after its label nor "#n=value" with a
// decimal value (ParameterFile::isDownloadable); the message names the line.
// Then @53, @55, one "#n=value" per file line after the information block
// (ALM62/ALM65 refusals are collected and reported, never for #199), @54, the
// completion message, and @96, which restarts the drive: its missing answer
// is the normal end and asks the window to close.
class ParameterTransfer : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum Operation : quint16 {
        NoOperation = 0,
        Download = 1,
        Upload = 2,
        CommunicationReset = 3,
        DownloadCheck = 8,
    };
    // Steps of uploads and downloads. Identifying (the three identification
    // questions of an upload) comes before the numbered steps.
    enum Step : quint16 {
        Identifying = 0,
        ListGroup1 = 1,
        ListGroup5 = 5, // also: reading the listed values
        TransferOpened = 6,
        WritingLines = 7,
        ClosingTransfer = 8,
        RestartSent = 9,
    };
    // Sub-steps of the download's safety check: 21 to 26 wait for the six
    // guarded parameters in order.
    enum CheckStep : quint16 { CheckIdle = 20, CheckFirst = 21 };
    enum class Outcome { Succeeded, Failed, Cancelled };
    Q_ENUM(Outcome)

    // The guarded parameters in the order they are read.
    static constexpr std::array<int, 6> GuardedParameters{213, 202, 208, 209, 210, 212};

    ParameterTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);
    ~ParameterTransfer() override;

    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }
    // Only the first two guarded parameters are checked (sibling module).
    void setSiblingVariant(bool on) { m_siblingVariant = on; }
    // The first line of the information block follows the English layout.
    void setEnglish(bool on) { m_english = on; }
    // The date and time written into an uploaded file (tests fix them).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    // Off: a download ends once @54 is answered and the caller restarts the
    // drive when its own chain of downloads is over (the all-data restore).
    void setRestartAfterDownload(bool on) { m_restartAfterDownload = on; }

    // Each asks for the file through the prompt first; nothing happens when
    // the user cancels.
    void upload();
    void download();
    void resetCommunication();
    // Asks for a parameter file and reads it into lines() for the viewer;
    // false (after saying why) when there is nothing to show.
    bool loadFileForView();

    bool isBusy() const { return m_busy; }
    Operation operation() const { return m_operation; }
    int step() const { return m_step; }
    int checkStep() const { return m_checkStep; }
    // The file of the last operation, and the lines read from it (download,
    // view) or the drive's readings (upload).
    QString filePath() const { return m_path; }
    const QByteArrayList &lines() const { return m_lines; }
    const QByteArrayList &names() const { return m_names; }
    const DriveIdentification &identification() const { return m_identification; }
    // The keys the drive refused in the last download ("#12, #40, ").
    QByteArray rejectedKeys() const { return m_rejectedKeys; }
    bool hasRejected() const { return m_rejected != 0; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

    // The file dialog requests of this feature.
    static QString fileFilter();
    // A parameter file read and checked whole, or the message that refuses it.
    static std::optional<QByteArrayList> readFile(const QString &path, QString *message);

Q_SIGNALS:
    // An operation started (true) or ended (false): the window disables or
    // enables its buttons.
    void busyChanged(bool busy);
    // A line of an upload or download arrived: the activity lamp blinks.
    void lampToggled();
    // The operation ended, well or not: the lamp goes idle.
    void lampIdle();
    // The operation ended; message is what the user was told (empty when
    // nothing was said).
    void finished(ParameterTransfer::Outcome outcome, const QString &message);
    // The drive restarted after a download and stays silent: the manager
    // closes as Exit does.
    void closeRequested();

private:
    void begin(Operation operation);
    void end(Outcome outcome, const QString &message = QString());
    void send(const QByteArray &command);
    void tell(const QString &text);
    std::optional<QByteArrayList> readChosenFile(QString *path);

    void uploadReply(const QByteArray &line);
    void uploadDone();
    void readNextValue();
    void failUpload(const QString &reason);
    QString discardedFileNote() const;
    void finishUpload();

    void checkReply(const QByteArray &line);
    // How many of GuardedParameters the check reads and compares.
    int guardedCount() const;
    void askNextGuarded();
    QByteArray guardedDifferences() const;
    void startWriting();
    void downloadReply(const QByteArray &line);
    void writeNextLine();
    QString completionMessage() const;

    DriveLink &m_link;
    UserPrompt *m_prompt;
    std::function<QDateTime()> m_clock;
    bool m_siblingVariant = false;
    bool m_english = false;
    bool m_restartAfterDownload = true;

    // One set of transfer state for the one operation that runs.
    Operation m_operation = NoOperation;
    int m_step = Identifying;
    bool m_busy = false;
    bool m_readingValues = false;
    int m_index = 0;
    int m_total = 0;
    int m_checkStep = CheckIdle;
    std::array<std::optional<qint64>, 6> m_driverValues{};
    QByteArray m_currentKey;
    QByteArray m_rejectedKeys;
    quint16 m_rejected = 0;

    // Both transfer lists grow without a cap: a long parameter set is moved whole.
    QByteArrayList m_names;
    QByteArrayList m_lines;
    DriveIdentification m_identification;
    QString m_path;
    std::unique_ptr<SafeFileWriter> m_output;
};
