#include "support/drivesimprocess.h"

#include <QElapsedTimer>
#include <QTest>

#include <csignal>

// torvane-cli terminal and monitor against torvane-drivesim on a pty.
class TestTerminalCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void terminalFromAPipe()
    {
        DriveSimProcess sim;
        QVERIFY(!sim.path().isEmpty());
        // A listing paged by hand, a tagged reply, a double-tagged one, and a
        // last line that gets no answer: the CLI waits for its time-out.
        const CliResult r =
            runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("terminal")},
                   "@44\n@40:1\nR0P\n!!@0:0\n!@57:0\n@96\n");
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.split('\n');
        QCOMPARE(lines.size(), 6);
        QVERIFY2(lines.at(0).startsWith("R5Z "), r.out.constData());
        QVERIFY(lines.at(1).startsWith("R1Z"));
        QVERIFY(lines.at(2).startsWith("R1Z"));
        QCOMPARE(lines.at(3), QByteArray("!!R3H :01000013:00:0000"));
        QCOMPARE(lines.at(4), QByteArray("!R1H :1113"));
        QVERIFY(lines.at(5).isEmpty());
        QCOMPARE(r.err, QByteArray("Timeout error.\n"));
    }

    void simpleTerminal()
    {
        DriveSimProcess sim;
        const CliResult r = runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("--trace"),
                                    QStringLiteral("terminal"), QStringLiteral("simple")},
                                   "#300\r\n");
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QByteArray("R1D PosCommand:0\n"));
        QVERIFY2(r.err.startsWith("-> !#300\n <- !R1D PosCommand:0"), r.err.constData());
    }

    // --trace shows control bytes as escapes; an overlong line is refused
    // with a message and the next line still goes out.
    void traceAndOverlongLine()
    {
        DriveSimProcess sim;
        QByteArray input = QByteArray("@4\x00"
                                      "4\\\n",
                                      6);
        input += QByteArray(5000, 'A') + "\n@44\n";
        const CliResult r = runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("--trace"),
                                    QStringLiteral("terminal")},
                                   input);
        QCOMPARE(r.exitCode, 0);
        QVERIFY2(r.err.startsWith("-> @4\\x004\\\\\n"), r.err.constData());
        QVERIFY2(r.err.contains("\nThe command line is longer than 4096 bytes and was not sent.\n"),
                 r.err.constData());
        QVERIFY(r.err.contains("\n-> @44\n <- R5Z "));
        QVERIFY(!r.err.contains("AAAA"));
        QVERIFY2(r.out.contains("R5Z "), r.out.constData());
    }

    void emptyInputEndsAtOnce()
    {
        DriveSimProcess sim;
        QElapsedTimer t;
        t.start();
        const CliResult r =
            runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("terminal")});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.isEmpty());
        QVERIFY(t.elapsed() < 10000);
    }

    void monitorUntilInterrupted()
    {
        DriveSimProcess sim;
        QProcess cli;
        cli.setProgram(QStringLiteral(TORVANE_BIN_DIR "/torvane-cli"));
        cli.setArguments({QStringLiteral("--port"), sim.path(), QStringLiteral("monitor"),
                          QStringLiteral("300"), QStringLiteral("#306")});
        cli.start();
        QVERIFY(cli.waitForStarted(5000));
        QTest::qWait(2600);
        ::kill(pid_t(cli.processId()), SIGINT);
        QVERIFY(cli.waitForFinished(5000));
        QCOMPARE(cli.exitStatus(), QProcess::NormalExit);
        QCOMPARE(cli.exitCode(), 0);
        const QList<QByteArray> lines = cli.readAllStandardOutput().trimmed().split('\n');
        // Both read once a second: two or three rounds in 2.6 s.
        QVERIFY2(lines.size() >= 4 && lines.size() <= 6, qPrintable(QString::number(lines.size())));
        QCOMPARE(lines.at(0), QByteArray("#300 PosCommand: 0"));
        QCOMPARE(lines.at(1), QByteArray("#306 InputBits: 0000000000000101"));
        QCOMPARE(lines.at(2), lines.at(0));
        QVERIFY(cli.readAllStandardError().isEmpty());
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("monitor without parameters") << QStringList{QStringLiteral("monitor")};
        QTest::newRow("parameter 0") << QStringList{QStringLiteral("monitor"), QStringLiteral("0")};
        QTest::newRow("parameter 700")
            << QStringList{QStringLiteral("monitor"), QStringLiteral("300"), QStringLiteral("700")};
        QTest::newRow("not a number")
            << QStringList{QStringLiteral("monitor"), QStringLiteral("speed")};
        QTest::newRow("terminal with a word")
            << QStringList{QStringLiteral("terminal"), QStringLiteral("fancy")};
    }
    void usage()
    {
        QFETCH(QStringList, args);
        // Checked before any port is opened.
        const CliResult r =
            runCli(QStringList{QStringLiteral("--port"), QStringLiteral("/nonexistent")} + args);
        QCOMPARE(r.exitCode, 2);
        QVERIFY(!r.err.contains("nonexistent"));
    }
};

QTEST_GUILESS_MAIN(TestTerminalCli)
#include "tst_terminalcli.moc"
