#pragma once

#include "app/safefilewriter.h"
#include "backupindex.h"
#include "backupsection.h"
#include "link/linkowner.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class CamSection;
class DriveLink;
class ParameterTransfer;
class ParameterSection;
class QTemporaryDir;
class UserPrompt;

// The all-data backup and restore: every user-data section of the drive
// into a set of files beside an index file ("wha"), and such a set back into
// the drive. The sections run one after the other in their order (prm, ioc,
// prg, idx, idp, cdt, aac), each with its feature's own exchange and file
// format (BackupSection); the index lists the files in the order written.
//
// A backup writes every file into a staging folder beside the index file
// and moves them into place, the index last, only once every section has
// ended well: a failure leaves an earlier set of the same name as it was and
// no partial set. The staged files reach the disk together just before they
// move, so that the line does not wait for the disk after every file. A restore checks the whole
// index (its lines, the names, that every file it lists is there) before the drive hears of it,
// keeps each section's list in memory, restores the sections present in their order, and restarts
// the drive with @96 at the end. A backup or restore that ends early says why and sends @96 so that
// the drive leaves any transfer state.
class BackupTransfer : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum class Outcome { Succeeded, Failed, Cancelled };
    Q_ENUM(Outcome)
    enum class Mode { Idle, BackingUp, Restoring, Restarting };

    BackupTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);
    ~BackupTransfer() override;

    void setPrompt(UserPrompt &prompt);
    // A further section (the backup takes it); it runs in its place of the
    // order whatever the order of the calls.
    void addSection(BackupSection *section);
    const QList<BackupSection *> &sections() const { return m_sections; }
    // The parameter section's exchange, for its options (display language,
    // sibling module, the date written into the file).
    ParameterTransfer &parameterTransfer();
    // The date and time the files of a backup carry (the parameter file's
    // and the cam profile files').
    void setClock(const std::function<QDateTime()> &clock);

    // Each asks for the index file through the prompt first.
    void backup();
    void restore();

    bool isBusy() const { return m_mode != Mode::Idle; }
    Mode mode() const { return m_mode; }
    QString indexPath() const { return m_indexPath; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

    static QString fileFilter();
    // The place of a section code in the order (lower runs first).
    static int orderOf(int code);

Q_SIGNALS:
    void busyChanged(bool busy);
    void lampToggled();
    void lampIdle();
    // Section `index` of `count` (code) runs; `item` is the file it is on
    // (empty when the section starts).
    void progress(int index, int count, int code, const QString &item);
    void finished(BackupTransfer::Outcome outcome, const QString &message);

private:
    void begin(Mode mode);
    void end(Outcome outcome, const QString &message);
    // Says why, then sends @96; its missing answer ends the operation.
    void stop(Outcome outcome, const QString &message);
    void nextSection();
    void onSectionFinished(BackupSection::Outcome outcome, const QString &message);
    void commitBackup();
    void finishRestore();
    bool checkIndex(const BackupIndex::Result &index);
    QString existingFiles() const;

    DriveLink &m_link;
    UserPrompt *m_prompt;
    QList<BackupSection *> m_sections;
    ParameterSection *m_parameters = nullptr;
    CamSection *m_cams = nullptr;

    Mode m_mode = Mode::Idle;
    QString m_indexPath;
    QString m_folder;
    QString m_baseName;
    std::unique_ptr<QTemporaryDir> m_staging;
    std::unique_ptr<SafeFileWriter::DeferredSync> m_stagingSync;
    QList<BackupSection *> m_run;
    int m_current = -1;
    QList<BackupIndex::Entry> m_written;
    QMap<int, QList<BackupIndex::Entry>> m_restoreEntries;
    Outcome m_pendingOutcome = Outcome::Succeeded;
    QString m_pendingMessage;
};
