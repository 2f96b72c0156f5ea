#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The program answers --help and --version without a display.
class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void answersWithoutDisplay_data()
    {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("help") << QStringLiteral("--help") << QByteArray("--simulate");
        QTest::newRow("short help") << QStringLiteral("-h") << QByteArray("--port <PATH>");
        QTest::newRow("version") << QStringLiteral("--version")
                                 << QByteArray("torvane " TORVANE_VERSION "\n");
    }
    void answersWithoutDisplay()
    {
        QFETCH(QString, option);
        QFETCH(QByteArray, expected);
        QTemporaryDir dir;
        const QString profile = dir.filePath(QStringLiteral("torvane.ini"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
        env.insert(QStringLiteral("TORVANE_PROFILE"), profile);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TORVANE_BIN_DIR "/torvane"), {option});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 0);
        const QByteArray out = process.readAllStandardOutput();
        QVERIFY2(out.contains(expected), out.constData());
        // Asking for help writes nothing.
        QVERIFY(!QFile::exists(profile));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
