#include "app/singleinstance.h"

#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTest>

class TestSingleInstance : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_runtime;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
    }

    void secondCopyRaisesFirst()
    {
        SingleInstance first(QStringLiteral("torvane-test"));
        QVERIFY(first.acquire());
        QSignalSpy raised(&first, &SingleInstance::raiseRequested);
        SingleInstance second(QStringLiteral("torvane-test"));
        QVERIFY(!second.acquire());
        QVERIFY(second.raiseRunning());
        QVERIFY(raised.wait(3000));
    }

    void staleLockIsTakenOver()
    {
        // A copy that crashed leaves its lock file behind with a dead pid.
        QFile stale(m_runtime.filePath(QStringLiteral("torvane-stale.lock")));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("999999\ntorvane\n" + QSysInfo::machineHostName().toUtf8() + '\n');
        stale.close();
        SingleInstance copy(QStringLiteral("torvane-stale"));
        QVERIFY(copy.acquire());
    }

    void secondProgramWritesNothing()
    {
        QTemporaryDir dir;
        const QString profile = dir.filePath(QStringLiteral("torvane.ini"));
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("TORVANE_PROFILE"), profile);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        const QString program = QStringLiteral(TORVANE_BIN_DIR "/torvane");
        const QStringList args{QStringLiteral("--no-splash"), QStringLiteral("--port"),
                               QStringLiteral("/dev/null-no-such-device")};

        QProcess first;
        first.setProcessEnvironment(env);
        first.start(program, args);
        QVERIFY(first.waitForStarted(5000));
        // The first copy writes "ComPort" at start.
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(profile), 10000);
        QFile file(profile);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray before = file.readAll();
        file.close();

        QProcess second;
        second.setProcessEnvironment(env);
        second.start(program, args);
        QVERIFY(second.waitForFinished(10000));
        QCOMPARE(second.exitCode(), 0);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), before);
        file.close();

        first.terminate();
        if (!first.waitForFinished(5000))
            first.kill();
    }
};

QTEST_GUILESS_MAIN(TestSingleInstance)
#include "tst_singleinstance.moc"
