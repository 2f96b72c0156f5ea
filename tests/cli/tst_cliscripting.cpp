#include "support/drivesimprocess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// What scripts read from torvane-cli: the JSON forms, the timed trace file
// and the port list.
class TestCliScripting : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    static QJsonObject onlyObject(const QByteArray &out)
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(out, &error);
        if (error.error != QJsonParseError::NoError || !document.isObject() || out.count('\n') != 1)
            return {};
        return document.object();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The port list reads the program's settings: a fresh file of our own.
        qputenv("TORVANE_PROFILE", m_dir.filePath(QStringLiteral("torvane.ini")).toLocal8Bit());
    }

    void infoJson()
    {
        DriveSimProcess sim;
        const CliResult r = runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("info"),
                                    QStringLiteral("--json")});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject info = onlyObject(r.out);
        QCOMPARE(info.keys(), (QStringList{"AbsAccComp", "Complete", "EnglishDisplay",
                                           "HomingOption", "LinearMotor", "RomVersion"}));
        for (const char *flag :
             {"AbsAccComp", "Complete", "EnglishDisplay", "HomingOption", "LinearMotor"})
            QVERIFY2(info.value(QLatin1String(flag)).isBool(), flag);
        QVERIFY(info.value(QLatin1String("Complete")).toBool());
        QVERIFY(!info.value(QLatin1String("RomVersion")).toString().isEmpty());
    }

    void programsListJson()
    {
        DriveSimProcess sim;
        const CliResult r = runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("--json"),
                                    QStringLiteral("programs"), QStringLiteral("list")});
        QCOMPARE(r.exitCode, 0);
        const QJsonObject list = onlyObject(r.out);
        QCOMPARE(list.keys(), (QStringList{"freeBlocks", "programs"}));
        QVERIFY(list.value(QLatin1String("freeBlocks")).isDouble());
        for (const QJsonValue &entry : list.value(QLatin1String("programs")).toArray()) {
            QCOMPARE(entry.toObject().keys(), (QStringList{"blocks", "number"}));
            QVERIFY(entry.toObject().value(QLatin1String("blocks")).isDouble());
        }
    }

    void traceFile()
    {
        DriveSimProcess sim;
        const QString file = m_dir.filePath(QStringLiteral("trace.log"));
        for (int run = 0; run < 2; ++run) {
            const CliResult r =
                runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("--trace-file"), file,
                        QStringLiteral("send"), QStringLiteral("@44")});
            QCOMPARE(r.exitCode, 0);
            QVERIFY(r.err.isEmpty());
        }
        QFile log(file);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = log.readAll().split('\n');
        // Two runs appended, each its command and the reply, then the final
        // line end.
        QCOMPARE(lines.size(), 5);
        const QRegularExpression stamp(
            QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} )"));
        for (int i = 0; i < 4; ++i) {
            const QString line = QString::fromUtf8(lines.at(i));
            QVERIFY2(stamp.match(line).hasMatch(), qPrintable(line));
            QVERIFY2(
                line.mid(24).startsWith(i % 2 ? QLatin1String(" <- R5Z") : QLatin1String("-> @44")),
                qPrintable(line));
        }
        QVERIFY(lines.at(4).isEmpty());
    }

    void traceFileThatCannotBeWritten()
    {
        DriveSimProcess sim;
        const CliResult r =
            runCli({QStringLiteral("--port"), sim.path(), QStringLiteral("--trace-file"),
                    m_dir.filePath(QStringLiteral("no/such/folder/trace.log")),
                    QStringLiteral("send"), QStringLiteral("@44")});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.startsWith("Cannot write the trace file "), r.err.constData());
        QVERIFY(r.out.isEmpty());
    }

    void ports()
    {
        const CliResult r = runCli({QStringLiteral("ports")});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.split('\n');
        QVERIFY(lines.size() > 10);
        const QList<QByteArray> map{"COM1 /dev/ttyUSB0", "COM2 /dev/ttyUSB1", "COM3 /dev/ttyUSB2",
                                    "COM4 /dev/ttyUSB3", "COM5 /dev/ttyS0",   "COM6 /dev/ttyS1",
                                    "COM7 /dev/ttyS2",   "COM8 /dev/ttyS3",   ""};
        QCOMPARE(lines.mid(0, 9), map);
        QVERIFY2(lines.at(9) == "No serial devices found." ||
                     lines.at(9) == "Serial devices on this system:",
                 lines.at(9).constData());
        QCOMPARE(runCli({QStringLiteral("ports"), QStringLiteral("x")}).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestCliScripting)
#include "tst_cliscripting.moc"
