#include "support/drivesimprocess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// torvane-cli's io verbs against torvane-drivesim on a pseudo-terminal.
class TestIoCli : public QObject
{
    Q_OBJECT

private:
    static QByteArray fileBytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    // Upload, change one word, download, upload again: the second file is
    // the first with the change, byte for byte; downloading it back and
    // uploading once more gives the same bytes.
    void roundTrip()
    {
        QTemporaryDir dir;
        DriveSimProcess sim({QStringLiteral("--knob"), QStringLiteral("restart_ms=100")});
        QVERIFY(!sim.path().isEmpty());
        const QStringList port{QStringLiteral("--port"), sim.path()};
        const QString first = dir.filePath(QStringLiteral("first.ioc"));
        const QString second = dir.filePath(QStringLiteral("second.ioc"));
        const QString third = dir.filePath(QStringLiteral("third.ioc"));

        CliResult r =
            runCli(port + QStringList{QStringLiteral("io"), QStringLiteral("upload"), first});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Upload completed.\n"));
        QByteArray bytes = fileBytes(first);
        QVERIFY(bytes.contains("R3H :0000:0001:FF0F:\r\n"));
        bytes.replace("R3H :0000:0001:FF0F:", "R3H :0000:0001:0F0F:");
        QFile edited(first);
        QVERIFY(edited.open(QIODevice::WriteOnly));
        edited.write(bytes);
        edited.close();

        r = runCli(port + QStringList{QStringLiteral("io"), QStringLiteral("download"), first});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Download completed.\nReset driver.\n"));
        QVERIFY(r.err.contains("Line 5 of 5"));

        QVERIFY(runCli(port + QStringList{QStringLiteral("io"), QStringLiteral("upload"), second})
                    .exitCode == 0);
        QCOMPARE(fileBytes(second), bytes);
        QVERIFY(runCli(port + QStringList{QStringLiteral("io"), QStringLiteral("download"), second})
                    .exitCode == 0);
        QVERIFY(runCli(port + QStringList{QStringLiteral("io"), QStringLiteral("upload"), third})
                    .exitCode == 0);
        QCOMPARE(fileBytes(third), bytes);
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no file") << QStringList{QStringLiteral("io"), QStringLiteral("upload")};
        QTest::newRow("unknown") << QStringList{QStringLiteral("io"), QStringLiteral("copy"),
                                                QStringLiteral("a.ioc")};
    }
    void usage()
    {
        QFETCH(QStringList, args);
        QCOMPARE(
            runCli(QStringList{QStringLiteral("--port"), QStringLiteral("/nonexistent")} + args)
                .exitCode,
            2);
    }
};

QTEST_GUILESS_MAIN(TestIoCli)
#include "tst_iocli.moc"
