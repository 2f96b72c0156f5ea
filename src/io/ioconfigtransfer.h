#pragma once

#include "ioconfigfile.h"
#include "link/linkowner.h"

#include <QByteArrayList>
#include <QObject>
#include <QString>

#include <memory>

class DriveLink;
class SafeFileWriter;
class UserPrompt;

// The I/O configuration menu's exchange with the drive: upload (the @78
// listing into an "ioc" file) and download (the file back into the drive).
//
// Upload: @78; a line beginning "R2D" means the drive is busy and @78 is sent
// again; each "R3H" line is kept as received and answered with R0P; "R00"
// ends the listing and only then is the file written, whole (SafeFileWriter):
// a failed upload leaves an earlier file of the same name as it was.
//
// Download: the whole file is checked before anything is sent; a bad line
// refuses it with a message naming the line. Then @55, @79:1 (the drive's
// logic-setting mode), one "LIS:"/"LOS:" line per file line, each answered
// R0P, @79:0 (the drive stores the new logic only now), the completion
// message and @96, which restarts the drive: its missing answer is the normal
// end and asks the menu to close. A download that fails inside the mode
// leaves it with @98, so that the drive keeps its previous logic, and tells
// the user to reset the drive.
class IoConfigTransfer : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum TransferMode { Download = 0, Upload = 1 };
    // Steps of a download.
    enum DownloadStep {
        OpeningTransfer = 0, // @55 sent
        SettingLogic = 1,    // @79:1 and the file's lines
        StoringLogic = 2,    // @79:0 sent
        RestartSent = 3,     // @96 sent
        LeavingMode = 4,     // @98 sent after a failure inside the mode
    };
    enum class Outcome { Succeeded, Failed, Cancelled };
    Q_ENUM(Outcome)

    IoConfigTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);
    ~IoConfigTransfer() override;

    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }
    // Off: a download ends once @79:0 is answered and the caller restarts
    // the drive when its own chain of downloads is over (the all-data restore).
    void setRestartAfterDownload(bool on) { m_restartAfterDownload = on; }

    // Each asks for the file through the prompt first; nothing happens when
    // the user cancels.
    void upload();
    void download();

    bool isBusy() const { return m_busy; }
    int transferMode() const { return m_mode; }
    int downloadStep() const { return m_step; }
    bool resetSent() const { return m_resetSent; }
    QString filePath() const { return m_path; }
    // The drive's lines of the last upload.
    const QByteArrayList &uploadedLines() const { return m_lines; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

    static QString fileFilter();
    // An "ioc" file read and checked whole, or the message that refuses it.
    static std::optional<QList<IoConfigFile::Word>> readFile(const QString &path, QString *message);

Q_SIGNALS:
    void busyChanged(bool busy);
    // A line of the transfer arrived: the activity lamp blinks.
    void lampToggled();
    void lampIdle();
    // Lines done of a download's total, or lines received of an upload
    // (total 0: not known).
    void progress(int done, int total);
    void finished(IoConfigTransfer::Outcome outcome, const QString &message);
    // The drive restarted after a download and stays silent.
    void closeRequested();

private:
    void begin(TransferMode mode);
    void end(Outcome outcome, const QString &message);
    void fail(const QString &message);
    void send(const QByteArray &command);
    void uploadReply(const QByteArray &line);
    void downloadReply(const QByteArray &line);
    void sendNextWord();
    // A failure once the drive is in the logic-setting mode: leave it first.
    void abandonMode(const QString &reason);

    DriveLink &m_link;
    UserPrompt *m_prompt;
    bool m_busy = false;
    int m_mode = Upload;
    int m_step = OpeningTransfer;
    bool m_resetSent = false;
    bool m_restartAfterDownload = true;
    QString m_path;
    QByteArrayList m_lines;
    QList<IoConfigFile::Word> m_words;
    int m_next = 0;
    QString m_pendingMessage;
    std::unique_ptr<SafeFileWriter> m_output;
};
