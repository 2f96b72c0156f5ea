#include "support/drivesimprocess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// torvane-cli's cam verbs against torvane-drivesim, and the universal
// profile computed without a drive.
class TestCamCli : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriveSimProcess> m_sim;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    CliResult cli(const QStringList &args)
    {
        return runCli(QStringList{QStringLiteral("--port"), m_sim->path()} + args);
    }

    QByteArray fileBytes(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase() { m_sim = std::make_unique<DriveSimProcess>(); }

    // Up from the seed, down under another number, up again: the same
    // profile, and the batch of 9-16 with its two seeded profiles.
    void transfers()
    {
        const QString cam = QStringLiteral("cam");
        QDir(m_dir.path()).mkdir(QStringLiteral("again"));
        CliResult result = cli({cam, QStringLiteral("upload"), QStringLiteral("1"), path("c.cdt")});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(result.out, QByteArray("Upload completed.\n"));
        result = cli({cam, QStringLiteral("download"), QStringLiteral("7"), path("c.cdt")});
        QCOMPARE(result.out, QByteArray("Download completed.\n"));
        result = cli({cam, QStringLiteral("upload"), QStringLiteral("7"), path("again/c.cdt")});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        const QByteArray first = fileBytes("c.cdt");
        const QByteArray second = fileBytes("again/c.cdt");
        QCOMPARE(second.mid(second.indexOf("Title")), first.mid(first.indexOf("Title")));

        result = cli({cam, QStringLiteral("batch-upload"), path("b.whc")});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(fileBytes("b.whc"), QByteArray(" 9:b09.cdt\r\n10:b10.cdt\r\n"));
        result = cli({cam, QStringLiteral("batch-download"), path("b.whc")});
        QCOMPARE(result.out, QByteArray("Batch file download completed.\n"));

        result = cli({cam, QStringLiteral("upload"), QStringLiteral("17"), path("x.cdt")});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err.trimmed(), QByteArray("Cam profile numbers are from 1 to 16."));
    }

    void universal()
    {
        QFile unv(path("u.unv"));
        QVERIFY(unv.open(QIODevice::WriteOnly));
        unv.write("First Prio    |US1: 0:0\r\n");
        const char *values[] = {"0", "0.25", "0.25", "0.5", "0.5", "0.75", "0.75", "1"};
        for (int i = 0; i < 8; ++i)
            unv.write("T|UI1:" + QByteArray::number(i) + ':' + values[i] + "\r\n");
        unv.write("Tcs|UI1:11:0\r\nTce|UI1:12:1\r\n\r\nEND\r\n");
        unv.close();
        const CliResult result = runCli({QStringLiteral("cam"), QStringLiteral("universal"),
                                         path("u.unv"), QStringLiteral("--out"), path("u.cdt")});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        // The cycloid, as the drive's seed holds it.
        const QByteArray bytes = fileBytes("u.cdt");
        QVERIFY(bytes.contains("|TD1:000:004:0x00000000:0x00000001:0x00000007:0x00000018:"
                               "0x00000039\r\n"));
        QVERIFY(bytes.contains("AccMin        |TI1:0x0012:0xffe6de05\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCamCli)
#include "tst_camcli.moc"
