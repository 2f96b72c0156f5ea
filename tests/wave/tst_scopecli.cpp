#include "support/drivesimprocess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// torvane-cli's scope verbs against torvane-drivesim on a pseudo-terminal.
class TestScopeCli : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void itemsAndCapture()
    {
        DriveSimProcess sim;
        QVERIFY(!sim.path().isEmpty());
        const CliResult items = runCli({QStringLiteral("--port"), sim.path(),
                                        QStringLiteral("scope"), QStringLiteral("items")});
        QCOMPARE(items.exitCode, 0);
        const QByteArrayList lines = items.out.trimmed().split('\n');
        QCOMPARE(lines.first(), QByteArray("#1:ScaleNumerator"));
        QVERIFY(lines.contains("#319:TestResponse"));
        QCOMPARE(lines.last(), QByteArray("#699"));
        const int ch1 = int(lines.indexOf("#319:TestResponse"));

        QTemporaryDir dir;
        const QString cnd = dir.filePath(QStringLiteral("test.cnd"));
        QFile conditions(cnd);
        QVERIFY(conditions.open(QIODevice::WriteOnly));
        conditions.write("VD:0:10:9:8\r\nVP:12:14:16:18\r\nCH:" + QByteArray::number(ch1) + ':' +
                         QByteArray::number(ch1) + ":0:1\r\nTR:1:1:0:1:1\r\nTM:3\r\n");
        conditions.close();
        const QString gdt = dir.filePath(QStringLiteral("rec.gdt"));
        const QString csv = dir.filePath(QStringLiteral("rec.csv"));
        const CliResult capture =
            runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("scope"),
                    QStringLiteral("capture"), QStringLiteral("--conditions"), cnd,
                    QStringLiteral("--out"), gdt, QStringLiteral("--csv"), csv});
        QCOMPARE(capture.exitCode, 0);
        QVERIFY(capture.err.contains("Record of 250 samples written."));
        QFile graph(gdt);
        QVERIFY(graph.open(QIODevice::ReadOnly));
        const QByteArrayList rows = graph.readAll().split('\n');
        QCOMPARE(rows.at(2),
                 "CH;" + QByteArray::number(ch1) + ';' + QByteArray::number(ch1) + ";0;1;\r");
        QCOMPARE(rows.at(5).left(16), QByteArray("Data;         0;"));
        QCOMPARE(rows.size(), 5 + 250 + 1);
        QFile table(csv);
        QVERIFY(table.open(QIODevice::ReadOnly));
        QCOMPARE(table.readLine(),
                 QByteArray("time_ms,#319:TestResponse,#319:TestResponse,#1:ScaleNumerator,"
                            "#2:ScaleDenominator\r\n"));

        const CliResult bad = runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("scope"),
                                      QStringLiteral("capture"), QStringLiteral("--conditions"),
                                      gdt, QStringLiteral("--out"), gdt});
        QCOMPARE(bad.exitCode, 1);
        QVERIFY(bad.err.contains("Not a condition file."));
    }

    // A single-mode log whose level is never reached: after the wait the log
    // is aborted on the drive, nothing is written and the run fails.
    void untriggeredCaptureGivesUp()
    {
        DriveSimProcess sim;
        QTemporaryDir dir;
        const QString cnd = dir.filePath(QStringLiteral("never.cnd"));
        QFile conditions(cnd);
        QVERIFY(conditions.open(QIODevice::WriteOnly));
        conditions.write("VD:0:0:0:0\r\nVP:12:14:16:18\r\nCH:0:1:2:3\r\n"
                         "TR:1:1:0:2000000000:1\r\nTM:3\r\n");
        conditions.close();
        const QString gdt = dir.filePath(QStringLiteral("never.gdt"));
        const CliResult r = runCli(
            {QStringLiteral("--port"), sim.path(), QStringLiteral("--trace"),
             QStringLiteral("scope"), QStringLiteral("capture"), QStringLiteral("--conditions"),
             cnd, QStringLiteral("--timeout"), QStringLiteral("1"), QStringLiteral("--out"), gdt});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("No record within 1 s: the log on the drive is aborted.\n"),
                 r.err.constData());
        QVERIFY(r.err.contains("-> \"LGTRS:1:0:1:2000000000\n"));
        QVERIFY(r.err.contains("-> \"LGABR\n <- R\n"));
        QVERIFY(!QFile::exists(gdt));
    }
};

QTEST_GUILESS_MAIN(TestScopeCli)
#include "tst_scopecli.moc"
