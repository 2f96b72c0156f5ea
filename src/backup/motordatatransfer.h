#pragma once

#include "link/linkowner.h"
#include "motordata.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class DriveLink;
class QTemporaryDir;
class UserPrompt;

// The motor-data backup and restore: the drive's motor strings,
// characteristic tables and machine parameters into the two scripts
// ("dfb", "dfa") beside their index ("whm"), and such a set back into the
// drive. Every motor-data command goes with its leading double quote, one
// command per reply.
//
// Upload: PSAR, PSBR, each table (FROPN:t, then one FDRN per point the
// drive counts), PR for the COM entries, then for the ROT or LNR entries by
// the motor kind just read, PSCR, PSDR, PR:400 … PR:403. The three files are
// staged beside the index and take their names together, the index last,
// once everything has been read.
//
// Download: the index names the scripts; both are read and checked whole
// before the first command. Then the main script's strings, tables (FWOPN,
// FDW per point, FCLS) and parameters (PW), registered with REGBD, then the
// adjustment script's, registered with REGAD; each registration waits up to
// 5000 ms for "R1Z :AllReset". A failure stops the transfer with its message
// and @96.
class MotorDataTransfer : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum class Outcome { Succeeded, Failed, Cancelled };
    Q_ENUM(Outcome)

    MotorDataTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);
    ~MotorDataTransfer() override;

    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }
    void upload();
    void download();

    bool isBusy() const { return m_busy; }
    // What the last upload read or the last download sent.
    const MotorData &data() const { return m_data; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

    static QString uploadFilter();
    static QString downloadFilter();

Q_SIGNALS:
    void busyChanged(bool busy);
    void lampToggled();
    void lampIdle();
    // Script `index` of 2 (0 main, 1 adjustment) is being read or written.
    void progress(int index, int count, const QString &item);
    void finished(MotorDataTransfer::Outcome outcome, const QString &message);

private:
    enum class Ask {
        String,     // PSxR: "RS PSx:text"
        TableOpen,  // FROPN: "RD FRO:count"
        TablePoint, // FDRN: "RDD FDR:a:b", or "R" at the end
        Parameter,  // PR: "RD PRn:value"
        Done,       // a write: R00
        Register,   // REGBD/REGAD: "R1Z :AllReset"
    };
    struct Step
    {
        QByteArray command;
        Ask ask = Ask::Done;
        int index = 0; // string, table or entry index
    };

    void begin();
    void end(Outcome outcome, const QString &message);
    void stop(Outcome outcome, const QString &message);
    void sendNext();
    void queueParameters(MotorData::Group group);
    bool takeReply(const QByteArray &line);
    void commitUpload();
    bool readScripts(const QString &indexPath);
    void queueWrites(MotorScript::Kind kind);

    DriveLink &m_link;
    UserPrompt *m_prompt;
    bool m_busy = false;
    bool m_restarting = false;
    bool m_uploading = false;
    QList<Step> m_steps;
    Step m_step;
    MotorData m_data;
    QString m_indexPath;
    std::unique_ptr<QTemporaryDir> m_staging;
    Outcome m_pendingOutcome = Outcome::Succeeded;
    QString m_pendingMessage;
};
