#include "support/drivesimprocess.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A file's lines without those that carry the date and time of the upload.
QByteArrayList withoutDates(const QByteArray &bytes)
{
    QByteArrayList lines = bytes.split('\n');
    lines.removeIf([](const QByteArray &line) {
        return line.startsWith("Date : ") || line.startsWith("Time : ");
    });
    return lines;
}

} // namespace

// torvane-cli's backup verbs against torvane-drivesim: a set goes up, back
// down and up again into a set that must be the first byte for byte.
class TestBackupCli : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriveSimProcess> m_sim;
    QTemporaryDir m_dir;

    QString path(const QString &name) const { return m_dir.filePath(name); }

    CliResult cli(const QStringList &args)
    {
        return runCli(QStringList{QStringLiteral("--port"), m_sim->path()} + args, {}, 120000);
    }

    QByteArray fileBytes(const QString &name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_sim = std::make_unique<DriveSimProcess>(
            QStringList{QStringLiteral("--preset"), QStringLiteral("default+full")});
        QVERIFY(m_sim->path().startsWith(QLatin1String("/dev/")));
    }

    void verbs_data()
    {
        QTest::addColumn<QString>("up");
        QTest::addColumn<QString>("down");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<QByteArray>("progress");
        QTest::addColumn<QByteArray>("downMessage");
        QTest::newRow("user data")
            << "backup"
            << "restore"
            << "wha"
            << QByteArray("backup: 1/7 Parameters\nbackup: 2/7 I/O configuration\n"
                          "backup: 3/7 Programs\nbackup: 4/7 Index compensation tables\n"
                          "backup: 5/7 Unequal division tables\nbackup: 6/7 Cam profiles\n"
                          "backup: 7/7 Absolute-accuracy table\n")
            << QByteArray("Batch file download completed.\n\nReset driver.\n");
        QTest::newRow("motor data")
            << "motor-backup"
            << "motor-restore"
            << "whm"
            << QByteArray("motor-backup: 1/2 Motor data\nmotor-backup: 2/2 Adjustment data\n")
            << QByteArray("登録が完了しました。\n\nBatch file download completed.\n");
    }

    void verbs()
    {
        QFETCH(QString, up);
        QFETCH(QString, down);
        QFETCH(QString, ext);
        QFETCH(QByteArray, progress);
        QFETCH(QByteArray, downMessage);
        const QString first = path(up + QStringLiteral("1.") + ext);
        CliResult result = cli({up, first});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(result.err, progress);
        result = cli({QStringLiteral("--yes"), down, first});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        QCOMPARE(result.out, downMessage);
        // A restore ends with @96: the drive takes a moment to start again.
        QTest::qWait(2000);
        result = cli({up, path(up + QStringLiteral("2.") + ext)});
        QVERIFY2(result.exitCode == 0, result.err.constData());
        const QStringList parts =
            ext == QLatin1String("wha")
                ? QStringList{QStringLiteral(".prm"),   QStringLiteral(".ioc"),
                              QStringLiteral("40.prg"), QStringLiteral("01.idp"),
                              QStringLiteral("16.cdt"), QStringLiteral(".aac")}
                : QStringList{QStringLiteral(".dfb"), QStringLiteral(".dfa")};
        for (const QString &part : parts) {
            const QByteArray bytes = fileBytes(up + QStringLiteral("1") + part);
            QVERIFY2(!bytes.isEmpty(), qPrintable(part));
            // A cam profile file names itself.
            const QByteArray second = fileBytes(up + QStringLiteral("2") + part)
                                          .replace(up.toLatin1() + '2', up.toLatin1() + '1');
            QCOMPARE(withoutDates(second), withoutDates(bytes));
        }
    }
};

QTEST_GUILESS_MAIN(TestBackupCli)
#include "tst_backupcli.moc"
