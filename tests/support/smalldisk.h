#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

// A tiny tmpfs mounted for one test, to make a disk run full. Mounting needs
// root (as in CI); elsewhere isMounted() is false and the test skips.
//
//     SmallDisk disk(64 * 1024);
//     if (!disk.isMounted())
//         QSKIP(qPrintable(disk.skipReason()));
class SmallDisk
{
public:
    explicit SmallDisk(qint64 bytes)
    {
        if (!m_dir.isValid()) {
            m_reason = QStringLiteral("no temporary folder for the small disk");
            return;
        }
        QProcess mount;
        mount.start(QStringLiteral("mount"),
                    {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                     QStringLiteral("size=%1").arg(bytes), QStringLiteral("tmpfs"), m_dir.path()});
        if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit ||
            mount.exitCode() != 0) {
            m_reason = QStringLiteral("mounting a small tmpfs is not allowed here (%1): the "
                                      "full-disk case is not tested")
                           .arg(QString::fromLocal8Bit(mount.readAllStandardError().trimmed()));
            return;
        }
        m_mounted = true;
    }
    ~SmallDisk()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m_dir.path()});
    }
    SmallDisk(const SmallDisk &) = delete;
    SmallDisk &operator=(const SmallDisk &) = delete;

    bool isMounted() const { return m_mounted; }
    QString skipReason() const { return m_reason; }
    QString path() const { return m_dir.path(); }
    QString filePath(const QString &name) const { return m_dir.filePath(name); }

    // Remounts the disk read-only: no file can be created or changed on it.
    bool makeReadOnly() const
    {
        return m_mounted && QProcess::execute(QStringLiteral("mount"),
                                              {QStringLiteral("-o"), QStringLiteral("remount,ro"),
                                               m_dir.path()}) == 0;
    }
    // Fills the disk, leaving about `leave` bytes free.
    void fill(qint64 leave = 0) const
    {
        QFile ballast(filePath(QStringLiteral(".ballast")));
        if (!ballast.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
            return;
        const QByteArray block(4096, 'x');
        while (ballast.write(block) == block.size()) {
        }
        ballast.close();
        if (leave > 0)
            ballast.resize(qMax<qint64>(0, ballast.size() - leave));
    }
    // The files in the folder other than the ballast.
    QStringList files() const
    {
        QStringList names = QDir(path()).entryList(QDir::Files | QDir::Hidden);
        names.removeAll(QStringLiteral(".ballast"));
        return names;
    }

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_reason;
};
