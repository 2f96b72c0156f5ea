#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

#include <QStringList>

class QSaveFile;

// The one way the program writes a file. The bytes go to a temporary beside
// the target; commit() flushes, checks the device, syncs to disk and only then
// renames the temporary over the target. Anything that fails on the way
// (no temporary can be created, a short write, a full disk at the final flush,
// a failed sync or rename) leaves the earlier file as it was and no partial
// file behind. QSaveFile alone is not enough: on Qt 6.4 its commit() reports
// success after a final flush that failed for lack of space.
class SafeFileWriter
{
public:
    enum class Failure {
        None,
        CannotCreate, // no temporary file could be created in the target's folder
        WriteFailed,  // writing, flushing or syncing failed (a full disk, an I/O error)
        CommitFailed, // the temporary could not take the target's name
    };

    explicit SafeFileWriter(const QString &path);
    ~SafeFileWriter(); // an uncommitted writer discards its temporary
    SafeFileWriter(const SafeFileWriter &) = delete;
    SafeFileWriter &operator=(const SafeFileWriter &) = delete;

    QString path() const { return m_path; }

    // Creates the temporary. False (with CannotCreate) when it cannot.
    bool open();
    bool isOpen() const;
    // Appends bytes; a failure is remembered and reported by commit().
    bool write(const QByteArray &bytes);
    // Flush, check, sync, rename. True only when the target holds every byte.
    bool commit();
    // Drops the temporary; the earlier file stays as it was.
    void discard();

    Failure failure() const { return m_failure; }
    // The system's reason for the failure, for a message.
    QString errorString() const { return m_errorString; }

    // open + write + commit in one call.
    static bool writeWhole(const QString &path, const QByteArray &bytes, Failure *failure = nullptr,
                           QString *errorString = nullptr);

    // Files written together into one folder, which count only once all of
    // them are there (a staged backup set): while a deferral of the folder
    // lives, writers into it commit without their own sync, and sync()
    // brings every file they committed to disk at once, before the caller
    // lets them take their places. Writers into other folders sync as always.
    class DeferredSync
    {
    public:
        explicit DeferredSync(const QString &folder);
        ~DeferredSync();
        DeferredSync(const DeferredSync &) = delete;
        DeferredSync &operator=(const DeferredSync &) = delete;

        // Syncs every file committed into the folder since the deferral began.
        bool sync(QString *failedPath, QString *errorString);

    private:
        friend class SafeFileWriter;
        static DeferredSync *covering(const QString &path);

        QString m_folder;
        QStringList m_committed;
        DeferredSync *m_outer;
    };

private:
    void fail(Failure failure);

    QString m_path;
    std::unique_ptr<QSaveFile> m_file;
    Failure m_failure = Failure::None;
    QString m_errorString;
};
