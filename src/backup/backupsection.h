#pragma once

#include "app/userprompt.h"
#include "backupindex.h"
#include "link/linkowner.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

// What a section's own exchange asks of the user while it runs inside a
// backup or restore: the file is the one the backup chose, questions go to
// the user, and the section's messages are kept for the backup, which says
// once at the end what the user needs to hear.
class SectionPrompt : public UserPrompt
{
public:
    explicit SectionPrompt(UserPrompt &user)
        : m_user(&user)
    {}

    void setUser(UserPrompt &user) { m_user = &user; }
    void setFile(const QString &path) { m_file = path; }

    void message(const QString &text) override { m_messages.append(text); }
    bool askOkCancel(const QString &text) override { return m_user->askOkCancel(text); }
    bool askYesNo(const QString &text) override { return m_user->askYesNo(text); }
    QString chooseFile(const FileRequest &) override { return m_file; }

private:
    UserPrompt *m_user;
    QString m_file;
    QStringList m_messages;
};

// One section of a backup set (parameters, I/O configuration, programs, …):
// a small adapter that runs its feature's own exchange and file format. A
// backup writes the section's files into a folder under a base name and
// reports them as index entries; a restore sends the files its index entries
// name. The section is the link's owner while it runs (through the backup,
// which forwards the link's callbacks) and ends with finished().
class BackupSection : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum class Outcome { Succeeded, Failed, Cancelled };
    Q_ENUM(Outcome)

    // `numbered`: one file per item, base + two-digit item + extension;
    // otherwise one file, base + extension.
    BackupSection(int code, const QString &extension, bool numbered, int highestItem,
                  UserPrompt &user, QObject *parent = nullptr);

    int code() const { return m_code; }
    QString extension() const { return m_extension; }
    bool isNumbered() const { return m_numbered; }
    // The item numbers an index line of this section may carry.
    bool acceptsItem(int item) const { return item >= m_lowestItem && item <= m_highestItem; }
    // The file name of an item under a base name.
    QString fileName(const QString &baseName, int item) const;
    // Whether files of this section under the base name are in the folder.
    bool hasFilesIn(const QString &folder, const QString &baseName) const;

    void setUser(UserPrompt &user) { m_prompt.setUser(user); }

    void backup(const QString &folder, const QString &baseName);
    void restore(const QList<BackupIndex::Entry> &entries, const QString &folder);

    // The message that refuses a file of this section, or empty: a restore
    // checks every file of the set before the drive hears of any.
    virtual QString checkFile(const QString &path) const = 0;
    // The files the last backup wrote, as index entries, in the order written.
    const QList<BackupIndex::Entry> &written() const { return m_written; }

Q_SIGNALS:
    // The file of an item is being transferred.
    void itemStarted(const QString &name);
    void lampToggled();
    void finished(BackupSection::Outcome outcome, const QString &message);

protected:
    virtual void startBackup() = 0;
    virtual void startRestore() = 0;

    // For the sections: where the files are, what to restore, what was written.
    QString path(const QString &name) const;
    void addWritten(int item, const QString &name);
    void end(Outcome outcome, const QString &message = QString());
    // The next entry of a restore, announced as started; null after the last.
    const BackupIndex::Entry *nextEntry();
    // For a numbered section whose items do not start at 0.
    void setLowestItem(int item) { m_lowestItem = item; }
    template <typename TransferOutcome> static Outcome outcomeOf(TransferOutcome outcome)
    {
        if (outcome == TransferOutcome::Succeeded)
            return Outcome::Succeeded;
        return outcome == TransferOutcome::Cancelled ? Outcome::Cancelled : Outcome::Failed;
    }

    SectionPrompt m_prompt;
    QString m_folder;
    QString m_baseName;
    QList<BackupIndex::Entry> m_entries;
    bool m_restoring = false;

private:
    int m_code;
    QString m_extension;
    bool m_numbered;
    int m_lowestItem = 0;
    int m_highestItem;
    int m_nextEntry = 0;
    QList<BackupIndex::Entry> m_written;
};
