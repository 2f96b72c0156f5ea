#include "params/parameterfile.h"
#include "support/smalldisk.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// torvane-cli's parameter verbs against torvane-drivesim on a pseudo-terminal.
class TestParamsCli : public QObject
{
    Q_OBJECT

private:
    QProcess m_sim;
    QString m_device;
    std::unique_ptr<QTemporaryDir> m_dir;

    struct Result
    {
        int exitCode = -1;
        QByteArray out;
        QByteArray err;
    };

    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }

    Result cli(const QStringList &args, bool withPort = true)
    {
        QProcess process;
        process.setWorkingDirectory(m_dir->path());
        const QStringList portArgs{QStringLiteral("--port"), m_device};
        process.start(QStringLiteral(TORVANE_BIN_DIR "/torvane-cli"),
                      (withPort ? portArgs : QStringList()) + args);
        Result result;
        if (!process.waitForFinished(60000)) {
            process.kill();
            process.waitForFinished();
            return result;
        }
        result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
        result.out = process.readAllStandardOutput();
        result.err = process.readAllStandardError();
        return result;
    }

    // A steering line for the drive, answered "ok" on its stderr.
    bool steer(const QByteArray &line)
    {
        m_sim.readAllStandardError();
        m_sim.write(line + '\n');
        QByteArray answer;
        while (!answer.contains('\n')) {
            if (!m_sim.waitForReadyRead(5000))
                return false;
            answer += m_sim.readAllStandardError();
        }
        return answer.startsWith("ok");
    }

    QByteArray fileBytes(const char *name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void setValue(const char *name, const QByteArray &key, const QByteArray &value)
    {
        QByteArrayList lines = fileBytes(name).split('\n');
        for (QByteArray &line : lines) {
            if (ParameterFile::normalise(line).startsWith(key + '='))
                line = line.left(line.indexOf('=') + 1) + value.rightJustified(12, ' ') + '\r';
        }
        QFile file(path(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(lines.join('\n'));
    }

    QByteArray valueIn(const char *name, const QByteArray &key) const
    {
        const auto lines = ParameterFile::read(path(name));
        for (const QByteArray &line : lines.value_or(QByteArrayList())) {
            const QByteArray normalised = ParameterFile::normalise(line);
            if (normalised.startsWith(key + '='))
                return normalised.mid(key.size() + 1);
        }
        return {};
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_sim.setProgram(QStringLiteral(TORVANE_BIN_DIR "/torvane-drivesim"));
        m_sim.setArguments({QStringLiteral("--profile"), QStringLiteral("test"),
                            QStringLiteral("--knob"), QStringLiteral("restart_ms=100"),
                            QStringLiteral("--control")});
        m_sim.setReadChannel(QProcess::StandardOutput);
        m_sim.start();
        QVERIFY(m_sim.waitForStarted());
        QByteArray out;
        while (!out.contains('\n') && m_sim.waitForReadyRead(5000))
            out += m_sim.readAllStandardOutput();
        m_device = QString::fromLocal8Bit(out.trimmed());
        // From here on the drive speaks on stderr: the answers to steering.
        m_sim.setReadChannel(QProcess::StandardError);
        QVERIFY2(m_device.startsWith(QLatin1String("/dev/")), out.constData());
    }

    void cleanup()
    {
        m_sim.terminate();
        if (!m_sim.waitForFinished(5000))
            m_sim.kill();
        m_sim.waitForFinished();
    }

    // Wrong arguments are a usage error (exit 2) before any port is opened.
    void usage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("params alone") << QStringList{QStringLiteral("params")};
        QTest::newRow("no file") << QStringList{QStringLiteral("params"), QStringLiteral("upload")};
        QTest::newRow("unknown") << QStringList{QStringLiteral("params"), QStringLiteral("sync"),
                                                QStringLiteral("a.prm")};
        QTest::newRow("two files")
            << QStringList{QStringLiteral("params"), QStringLiteral("download"),
                           QStringLiteral("a.prm"), QStringLiteral("b.prm")};
        QTest::newRow("reset-com argument")
            << QStringList{QStringLiteral("reset-com"), QStringLiteral("now")};
    }

    void usage()
    {
        QFETCH(QStringList, args);
        const Result result =
            cli(QStringList{QStringLiteral("--port"), QStringLiteral("/nonexistent/tty")} + args,
                false);
        QCOMPARE(result.exitCode, 2);
        QVERIFY(result.out.isEmpty());
    }

    // Upload, change one value, download, upload again: the change is there.
    void roundTrip()
    {
        Result result = cli({QStringLiteral("params"), QStringLiteral("upload"), path("a.prm")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QByteArray("Upload completed.\n"));
        QCOMPARE(valueIn("a.prm", "#8"), QByteArray("100"));

        setValue("a.prm", "#8", "275");
        result = cli({QStringLiteral("params"), QStringLiteral("download"), path("a.prm")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.out, QByteArray("Download completed.\n\nReset driver.\n"));
        QVERIFY(result.err.isEmpty());

        QTest::qWait(300); // the drive's restart
        result = cli({QStringLiteral("params"), QStringLiteral("upload"), path("b.prm")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(valueIn("b.prm", "#8"), QByteArray("275"));
    }

    // A refused value is reported (exit 1) and the others are written.
    void refusedValue()
    {
        QCOMPARE(cli({QStringLiteral("params"), QStringLiteral("upload"), path("a.prm")}).exitCode,
                 0);
        setValue("a.prm", "#12", "7");
        setValue("a.prm", "#9", "60000");
        const Result result =
            cli({QStringLiteral("params"), QStringLiteral("download"), path("a.prm")});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err, QByteArray("Download completed.\nAs the data or parameter no. is out "
                                        "of range, parameters could not be downloaded.\n#12, "
                                        "\n\nReset driver.\n"));
        QTest::qWait(300);
        QCOMPARE(cli({QStringLiteral("params"), QStringLiteral("upload"), path("b.prm")}).exitCode,
                 0);
        QCOMPARE(valueIn("b.prm", "#9"), QByteArray("60000"));
        QCOMPARE(valueIn("b.prm", "#12"), QByteArray("0"));
    }

    // Without --yes a difference in a guarded parameter is printed and
    // nothing is written; with --yes the file is downloaded.
    void guardedDifference()
    {
        QCOMPARE(cli({QStringLiteral("params"), QStringLiteral("upload"), path("a.prm")}).exitCode,
                 0);
        setValue("a.prm", "#213", "1061");
        setValue("a.prm", "#8", "5");
        Result result = cli({QStringLiteral("params"), QStringLiteral("download"), path("a.prm")});
        QCOMPARE(result.exitCode, 1);
        QVERIFY(result.err.startsWith(
            "This parameter value is not same as the current set.\nWhen this parameter is "
            "changed,wrong opration may occur.\nParameter change OK?\n\n#213 : 1061\n"));
        QVERIFY(result.out.isEmpty());
        QCOMPARE(cli({QStringLiteral("params"), QStringLiteral("upload"), path("b.prm")}).exitCode,
                 0);
        QCOMPARE(valueIn("b.prm", "#8"), QByteArray("100"));

        result = cli({QStringLiteral("params"), QStringLiteral("download"), path("a.prm"),
                      QStringLiteral("--yes")});
        QCOMPARE(result.exitCode, 0);
        QTest::qWait(300);
        QCOMPARE(cli({QStringLiteral("params"), QStringLiteral("upload"), path("c.prm")}).exitCode,
                 0);
        QCOMPARE(valueIn("c.prm", "#213"), QByteArray("1061"));
        QCOMPARE(valueIn("c.prm", "#8"), QByteArray("5"));
    }

    void uploadTimeoutKeepsFile()
    {
        QFile earlier(path("a.prm"));
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier\r\n");
        earlier.close();
        QVERIFY(steer("fault match=^#5$,drop"));
        const Result result =
            cli({QStringLiteral("params"), QStringLiteral("upload"), path("a.prm")});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err, "Timeout error.\n\nThe upload failed; the earlier file " +
                                 path("a.prm").toLocal8Bit() + " is unchanged.\n");
        QCOMPARE(fileBytes("a.prm"), QByteArray("earlier\r\n"));
    }

    // A full disk is a failed upload: exit 1, the earlier file as it was and
    // no temporary left beside it.
    void uploadOntoFullDisk()
    {
        SmallDisk disk(64 * 1024);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.skipReason()));
        const QString file = disk.filePath(QStringLiteral("a.prm"));
        QFile earlier(file);
        QVERIFY(earlier.open(QIODevice::WriteOnly));
        earlier.write("earlier\r\n");
        earlier.close();
        disk.fill();
        const Result result = cli({QStringLiteral("params"), QStringLiteral("upload"), file});
        QCOMPARE(result.exitCode, 1);
        QVERIFY2(result.err.startsWith(file.toLocal8Bit() + "\nThe file could not be written: "),
                 result.err.constData());
        QVERIFY2(result.err.endsWith("\n\nThe upload failed; the earlier file " +
                                     file.toLocal8Bit() + " is unchanged.\n"),
                 result.err.constData());
        QVERIFY(result.out.isEmpty());
        QFile kept(file);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("earlier\r\n"));
        QCOMPARE(disk.files(), QStringList{QStringLiteral("a.prm")});
    }

    // A name without a suffix gets ".prm", as the file dialog gives it.
    void uploadDefaultSuffix()
    {
        QCOMPARE(cli({QStringLiteral("params"), QStringLiteral("upload"), path("plain")}).exitCode,
                 0);
        QVERIFY(QFile::exists(path("plain.prm")));
        const Result result =
            cli({QStringLiteral("params"), QStringLiteral("download"), path("plain")});
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err,
                 path("plain").toLocal8Bit() + "\n\nCan not open file.  Not a parameter file.\n");
    }

    void resetCom_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("ok") << QByteArray() << 0 << QByteArray("Communications reset OK.\n")
                            << QByteArray();
        QTest::newRow("time-out") << QByteArray("fault match=^@98$,drop") << 1 << QByteArray()
                                  << QByteArray("Timeout error.\n");
    }

    void resetCom()
    {
        QFETCH(QByteArray, fault);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        if (!fault.isEmpty())
            QVERIFY(steer(fault));
        const Result result = cli({QStringLiteral("reset-com")});
        QCOMPARE(result.exitCode, exitCode);
        QCOMPARE(result.out, out);
        QCOMPARE(result.err, err);
    }
};

QTEST_GUILESS_MAIN(TestParamsCli)
#include "tst_paramscli.moc"
