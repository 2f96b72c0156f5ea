#include "app/safefilewriter.h"
#include "support/smalldisk.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

class TestSafeFileWriter : public QObject
{
    Q_OBJECT

private:
    static QByteArray contents(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    static void put(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(f.write(bytes), bytes.size());
    }

private Q_SLOTS:
    void writesWholeAndReplaces()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.prm"));
        put(path, "old\r\n");
        QVERIFY(SafeFileWriter::writeWhole(path, "new\r\n"));
        QCOMPARE(contents(path), QByteArray("new\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.prm")});
    }

    void discardKeepsEarlierFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.prm"));
        put(path, "old\r\n");
        {
            SafeFileWriter writer(path);
            QVERIFY(writer.open());
            QVERIFY(writer.write("half"));
            // Destroyed without commit: the transfer failed.
        }
        QCOMPARE(contents(path), QByteArray("old\r\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.prm")});
    }

    void folderWithoutTemporary()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/a.prm"));
        SafeFileWriter writer(path);
        QVERIFY(!writer.open());
        QCOMPARE(writer.failure(), SafeFileWriter::Failure::CannotCreate);
        QVERIFY(!writer.commit());
        QVERIFY(!QFileInfo::exists(path));
    }

    void fullDisk_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("leave");
        QTest::newRow("fails in a write") << qint64(256 * 1024) << qint64(0);
        // The last bytes stay in the buffer until commit flushes them.
        QTest::newRow("fails at the final flush") << qint64(4000) << qint64(2048);
    }
    void fullDisk()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, leave);
        SmallDisk disk(64 * 1024);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.skipReason()));
        const QString path = disk.filePath(QStringLiteral("a.prm"));
        put(path, "old\r\n");
        disk.fill(leave);
        SafeFileWriter::Failure failure = SafeFileWriter::Failure::None;
        QString reason;
        QVERIFY(!SafeFileWriter::writeWhole(path, QByteArray(size, 'p'), &failure, &reason));
        QCOMPARE(failure, SafeFileWriter::Failure::WriteFailed);
        QVERIFY(!reason.isEmpty());
        QCOMPARE(contents(path), QByteArray("old\r\n"));
        QCOMPARE(disk.files(), QStringList{QStringLiteral("a.prm")});
    }
};

QTEST_GUILESS_MAIN(TestSafeFileWriter)
#include "tst_safefilewriter.moc"
