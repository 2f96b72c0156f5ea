#include "support/drivesimprocess.h"

#include <QTest>

// torvane-cli against torvane-drivesim on a pseudo-terminal.
class TestCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void info()
    {
        DriveSimProcess sim;
        QVERIFY(!sim.path().isEmpty());
        const CliResult r = runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("info")});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 5);
        QVERIFY(lines.at(0) == "AbsAccComp: shown" || lines.at(0) == "AbsAccComp: hidden");
        QVERIFY(lines.at(1) == "HomingOption: 0" || lines.at(1) == "HomingOption: 1");
        QVERIFY(lines.at(2).startsWith("RomVersion: "));
        QVERIFY(lines.at(2).size() > int(qstrlen("RomVersion: ")));
        QVERIFY(lines.at(3) == "LinearMotor: 0" || lines.at(3) == "LinearMotor: 1");
        QVERIFY(lines.at(4) == "EnglishDisplay: 0" || lines.at(4) == "EnglishDisplay: 1");
    }

    void send_data()
    {
        QTest::addColumn<QString>("station");
        QTest::newRow("single") << QStringLiteral("0");
        QTest::newRow("station 3") << QStringLiteral("3");
    }
    void send()
    {
        QFETCH(QString, station);
        DriveSimProcess sim({QStringLiteral("--station"), station});
        const CliResult r =
            runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("--station"), station,
                    QStringLiteral("send"), QStringLiteral("@44")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.out.startsWith("R5Z"), r.out.constData());
        QVERIFY(r.out.endsWith('\n'));
        QCOMPARE(r.out.count('\n'), 1);
    }

    void trace()
    {
        DriveSimProcess sim;
        const CliResult r = runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("--trace"),
                                    QStringLiteral("send"), QStringLiteral("@44")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.startsWith("-> @44\n <- R5Z"), r.err.constData());
    }

    void timeout()
    {
        // A drive on another station never answers a single-drive line.
        DriveSimProcess sim({QStringLiteral("--station"), QStringLiteral("4")});
        const CliResult r = runCli(
            {QStringLiteral("--port"), sim.path(), QStringLiteral("send"), QStringLiteral("@44")});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QByteArray("Timeout error.\n"));
        QVERIFY(r.out.isEmpty());
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("no verb") << QStringList{};
        QTest::newRow("unknown verb") << QStringList{QStringLiteral("dance")};
        QTest::newRow("send without line") << QStringList{QStringLiteral("send")};
        QTest::newRow("info with extra")
            << QStringList{QStringLiteral("info"), QStringLiteral("x")};
        QTest::newRow("bad option")
            << QStringList{QStringLiteral("--bogus"), QStringLiteral("info")};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        QCOMPARE(runCli(args).exitCode, 2);
    }

    void missingPortNamesDevice()
    {
        const CliResult r = runCli({QStringLiteral("--port"), QStringLiteral("/dev/no-such-tty"),
                                    QStringLiteral("send"), QStringLiteral("@44")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("/dev/no-such-tty"), r.err.constData());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
