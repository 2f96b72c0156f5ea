#include "support/drivesimprocess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// torvane-cli's programs verbs against torvane-drivesim on a pseudo-terminal.
class TestProgramsCli : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriveSimProcess> m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    CliResult cli(const QStringList &args)
    {
        return runCli(
            QStringList{QStringLiteral("--port"), m_sim->path(), QStringLiteral("programs")} +
            args);
    }
    static QByteArray bytes(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("a")));
        QVERIFY(QDir(m_dir->path()).mkpath(QStringLiteral("b")));
        m_sim = std::make_unique<DriveSimProcess>();
        QVERIFY(m_sim->path().startsWith(QLatin1String("/dev/")));
    }
    void cleanup() { m_sim.reset(); }

    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList{};
        QTest::newRow("unknown") << QStringList{QStringLiteral("sync")};
        QTest::newRow("no number")
            << QStringList{QStringLiteral("upload"), QStringLiteral("a.prg")};
        QTest::newRow("bad number") << QStringList{QStringLiteral("download"), QStringLiteral("x3"),
                                                   QStringLiteral("a.prg")};
        QTest::newRow("list argument") << QStringList{QStringLiteral("list"), QStringLiteral("3")};
    }
    void usage()
    {
        QFETCH(QStringList, args);
        QCOMPARE(cli(args).exitCode, 2);
    }

    // A batch through the drive and back: the files are the same bytes.
    void batchRoundTrip()
    {
        CliResult r = cli({QStringLiteral("list")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("  3:  10\n 12:   8\n 95:   4\nRemain Block: 1002\n"));

        r = cli({QStringLiteral("batch-upload"), path("a/progs.whp")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Batch file upload completed.\n"));
        QCOMPARE(bytes(path("a/progs.whp")), QByteArray(" 3:progs03.prg\r\n12:progs12.prg\r\n"));

        // Without --yes the overwrite is declined and the CLI says so.
        r = cli({QStringLiteral("batch-download"), path("a/progs.whp")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("Program no. 3 already exist.\n\n overwrite?\n"
                                   "Abort batch file download.\nProgram 3 (progs03.prg) was not "
                                   "registered.\nThe question above was answered No; --yes "
                                   "answers it Yes.\n"));

        QCOMPARE(cli({QStringLiteral("delete"), QStringLiteral("12")}).exitCode, 0);
        r = cli({QStringLiteral("batch-download"), path("a/progs.whp"), QStringLiteral("--yes")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("Batch file download completed.\n"));

        r = cli({QStringLiteral("batch-upload"), path("b/progs.whp")});
        QCOMPARE(r.exitCode, 0);
        for (const char *name : {"progs.whp", "progs03.prg", "progs12.prg"}) {
            const QString file = QLatin1String(name);
            QCOMPARE(bytes(path("b/" + file)), bytes(path("a/" + file)));
        }
        // The single transfers agree with the batch.
        r = cli({QStringLiteral("upload"), QStringLiteral("12"), path("b/one")});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(bytes(path("b/one.prg")), bytes(path("a/progs12.prg")));
        r = cli({QStringLiteral("download"), QStringLiteral("90"), path("b/one.prg")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("Program numbers are from 0 to 89.\n"));
    }
};

QTEST_GUILESS_MAIN(TestProgramsCli)
#include "tst_programscli.moc"
