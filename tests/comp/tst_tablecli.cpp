#include "support/drivesimprocess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// torvane-cli's table and point verbs against torvane-drivesim: each kind
// goes up to a file, down to the drive, and up again into a file that must
// be byte for byte the first.
class TestTableCli : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriveSimProcess> m_sim;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }

    CliResult cli(const QStringList &args)
    {
        return runCli(QStringList{QStringLiteral("--port"), m_sim->path()} + args);
    }

    QByteArray fileBytes(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void writeBytes(const QString &name, const QByteArray &bytes)
    {
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_sim = std::make_unique<DriveSimProcess>();
        QVERIFY(m_sim->path().startsWith(QLatin1String("/dev/")));
    }

    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("up");
        QTest::addColumn<QStringList>("down");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("downMessage");
        const QString t = QStringLiteral("table");
        const QString u = QStringLiteral("upload");
        const QString d = QStringLiteral("download");
        QTest::newRow("idx A") << QStringList{t, u, QStringLiteral("idx"), QStringLiteral("A")}
                               << QStringList{t, d, QStringLiteral("idx"), QStringLiteral("B")}
                               << QStringLiteral("a.idx") << QByteArray("Download completed.\n");
        QTest::newRow("idp B") << QStringList{t, u, QStringLiteral("idp"), QStringLiteral("B")}
                               << QStringList{t, d, QStringLiteral("idp"), QStringLiteral("A")}
                               << QStringLiteral("b.idp") << QByteArray("Download completed.\n");
        QTest::newRow("whi") << QStringList{t, QStringLiteral("batch-upload")}
                             << QStringList{t, QStringLiteral("batch-download")}
                             << QStringLiteral("s.whi")
                             << QByteArray("Batch file download completed.\n");
        QTest::newRow("aac") << QStringList{t, u, QStringLiteral("aac")}
                             << QStringList{QStringLiteral("--yes"), t, d, QStringLiteral("aac")}
                             << QStringLiteral("c.aac") << QByteArray("Registered.\n");
        QTest::newRow("points") << QStringList{QStringLiteral("points"), u}
                                << QStringList{QStringLiteral("points"), d}
                                << QStringLiteral("p.csv") << QByteArray("Registered.\n");
    }

    void roundTrip()
    {
        QFETCH(QStringList, up);
        QFETCH(QStringList, down);
        QFETCH(QString, file);
        QFETCH(QByteArray, downMessage);
        CliResult result = cli(up + QStringList{path(file)});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        const QByteArray first = fileBytes(file);
        QVERIFY(!first.isEmpty());

        result = cli(down + QStringList{path(file)});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(result.out, downMessage);

        // The second upload names the other table where there are two, so
        // the download is what comes back.
        QStringList again = up;
        if (again.size() == 4)
            again[3] = down.at(3);
        const QString second = QStringLiteral("2") + file;
        result = cli(again + QStringList{path(second)});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        if (file.endsWith(QLatin1String(".whi"))) {
            QVERIFY(first.startsWith(" 0:s00.idx\r\n"));
            QCOMPARE(fileBytes(second), QByteArray(first).replace(":s", ":2s"));
            for (const char *member : {"s00.idx", "s01.idx"})
                QCOMPARE(fileBytes(QStringLiteral("2") + QLatin1String(member)),
                         fileBytes(QLatin1String(member)));
        } else {
            QCOMPARE(fileBytes(second), first);
        }
    }

    void pointsFile()
    {
        QVERIFY(
            cli({QStringLiteral("points"), QStringLiteral("upload"), path(QStringLiteral("p.csv"))})
                .exitCode == 0);
        const QByteArray bytes = fileBytes(QStringLiteral("p.csv"));
        QVERIFY(bytes.startsWith("point,value,attribute\r\n0,0,1\r\n1,10000,1\r\n"));
        QCOMPARE(bytes.count('\n'), 101);

        writeBytes(QStringLiteral("bad.csv"),
                   QByteArray(bytes).replace("\r\n1,10000,1\r\n", "\r\n1,1000000000,1\r\n"));
        const CliResult result = cli({QStringLiteral("points"), QStringLiteral("download"),
                                      path(QStringLiteral("bad.csv"))});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err, (path(QStringLiteral("bad.csv")) +
                              QStringLiteral(", line 3: 1,1000000000,1\nData invalid or out of "
                                             "range\n"))
                                 .toLocal8Bit());
    }

    // Without --yes the question is declined and nothing is written.
    void declined()
    {
        writeBytes(QStringLiteral("d.aac"), "  0:         1:\r\n  1:         2:\r\n");
        const CliResult result = cli({QStringLiteral("table"), QStringLiteral("download"),
                                      QStringLiteral("aac"), path(QStringLiteral("d.aac"))});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.err.startsWith("Do you wish to replace or overwrite driver data?\n"));
    }

    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("table C") << QStringList{QStringLiteral("table"), QStringLiteral("upload"),
                                                QStringLiteral("idx"), QStringLiteral("C"),
                                                QStringLiteral("x.idx")};
        QTest::newRow("batch .txt") << QStringList{
            QStringLiteral("table"), QStringLiteral("batch-upload"), QStringLiteral("x.txt")};
        QTest::newRow("points") << QStringList{QStringLiteral("points")};
    }

    void usage()
    {
        QFETCH(QStringList, args);
        const CliResult result = runCli(
            QStringList{QStringLiteral("--port"), QStringLiteral("/nonexistent/tty")} + args);
        QCOMPARE(result.exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestTableCli)
#include "tst_tablecli.moc"
