#include "sim/ptyendpoint.h"
#include "sim/virtualdrive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Identity = "R5Z Kalderon_M2:SIM-0001:K1.20:A3.05:C2.01:E1.10";

bool openPort(QSerialPort &port, const QString &path)
{
    port.setPortName(path);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.setBaudRate(QSerialPort::Baud9600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    port.setFlowControl(QSerialPort::NoFlowControl);
    return true;
}

// The next reply line, CR included, or what arrived before the time-out.
// The event loop keeps running: an in-process drive answers from it.
QByteArray readLine(QSerialPort &port, int timeoutMs = 3000)
{
    QByteArray line;
    QElapsedTimer t;
    t.start();
    while (!line.contains('\r') && t.elapsed() < timeoutMs) {
        QTest::qWait(2);
        line += port.readAll();
    }
    return line;
}

QByteArray ask(QSerialPort &port, const QByteArray &line, int timeoutMs = 3000)
{
    port.write(line + '\r');
    return readLine(port, timeoutMs);
}

} // namespace

class TestPtyEndpoint : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void portClosedAndOpenedAgain();
    void linkFollowsTheDevice();
    void linkNeverReplacesAFile();
    void hangUpFailsTheOpenPort();
    void executable();
    void executableSteeredOnStdin();
};

void TestPtyEndpoint::roundTrip_data()
{
    QTest::addColumn<int>("station");
    QTest::addColumn<bool>("pacing");
    QTest::newRow("single") << 0 << false;
    QTest::newRow("station 3") << 3 << false;
    QTest::newRow("single, paced") << 0 << true;
}

void TestPtyEndpoint::roundTrip()
{
    QFETCH(int, station);
    QFETCH(bool, pacing);

    VirtualDrive drive;
    drive.setStation(station);
    drive.setPacing(pacing);
    PtyEndpoint pty;
    QString error;
    QVERIFY2(pty.open(&error), qPrintable(error));
    QVERIFY(pty.slavePath().startsWith(u"/dev/pts/"_s));
    pty.attach(&drive);

    QSerialPort port;
    QVERIFY2(openPort(port, pty.slavePath()), qPrintable(port.errorString()));
    const QByteArray digit = station ? QByteArray::number(station) : QByteArray();
    const QByteArray prefix = station ? "0" + digit : QByteArray();
    QCOMPARE(ask(port, digit + "@44"), prefix + Identity + '\r');
    QCOMPARE(ask(port, digit + "!#201"), prefix + "!R1D EnglishDisplay:1\r");
    // Bytes above 0x7F cross the line untouched.
    drive.forceItem(201, 0);
    QCOMPARE(ask(port, digit + "#201"),
             prefix + "R1D \xB4\xB2\xBA\xDE\xCB\xAE\xB3\xBC\xDE\xBE\xDD\xC0\xB8:0\r");
}

void TestPtyEndpoint::portClosedAndOpenedAgain()
{
    VirtualDrive drive;
    PtyEndpoint pty;
    QVERIFY(pty.open());
    pty.attach(&drive);
    for (int round = 0; round < 3; ++round) {
        QSerialPort port;
        QVERIFY(openPort(port, pty.slavePath()));
        QCOMPARE(ask(port, "@44"), Identity + '\r');
        port.close();
        QTest::qWait(20);
    }
}

void TestPtyEndpoint::linkFollowsTheDevice()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(u"drive"_s);
    VirtualDrive drive;
    {
        PtyEndpoint pty;
        QVERIFY(pty.open());
        QString error;
        QVERIFY2(pty.setLinkPath(link, &error), qPrintable(error));
        QCOMPARE(QFileInfo(link).symLinkTarget(), pty.slavePath());
        pty.attach(&drive);
        QSerialPort port;
        QVERIFY(openPort(port, link));
        QCOMPARE(ask(port, "#201"), QByteArray("R1D EnglishDisplay:1\r"));
    }
    // Gone with the endpoint.
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(!QFileInfo::exists(link));
}

void TestPtyEndpoint::linkNeverReplacesAFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"precious"_s);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep me");
    file.close();

    PtyEndpoint pty;
    QVERIFY(pty.open());
    QString error;
    QVERIFY(!pty.setLinkPath(path, &error));
    QVERIFY(error.contains(path));
    pty.close();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep me"));
}

void TestPtyEndpoint::hangUpFailsTheOpenPort()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(u"drive"_s);
    VirtualDrive drive;
    PtyEndpoint pty;
    QVERIFY(pty.open());
    QVERIFY(pty.setLinkPath(link));
    pty.attach(&drive);
    QSignalSpy reopened(&pty, &PtyEndpoint::reopened);
    QVERIFY(drive.addFault(u"nth=2,disconnect,for_ms=300"_s));

    QSerialPort port;
    QVERIFY(openPort(port, link));
    QSignalSpy failed(&port, &QSerialPort::errorOccurred);
    QCOMPARE(ask(port, "@44"), Identity + '\r');
    port.write("@44\r");
    // The tool sees its device fail.
    QTRY_VERIFY_WITH_TIMEOUT(
        std::any_of(failed.cbegin(), failed.cend(),
                    [](const QList<QVariant> &args) {
                        return args.first().value<QSerialPort::SerialPortError>() ==
                               QSerialPort::ResourceError;
                    }),
        5000);
    port.close();

    // The line comes back on a new device; the link follows it.
    QTRY_COMPARE_WITH_TIMEOUT(reopened.size(), 1, 5000);
    QCOMPARE(reopened.first().first().toString(), pty.slavePath());
    QCOMPARE(QFileInfo(link).symLinkTarget(), pty.slavePath());
    QSerialPort again;
    QVERIFY(openPort(again, link));
    QCOMPARE(ask(again, "@44"), Identity + '\r');
}

void TestPtyEndpoint::executable()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(u"drive"_s);
    const QString trace = dir.filePath(u"trace.txt"_s);
    QProcess sim;
    sim.start(QStringLiteral(TORVANE_BIN_DIR "/torvane-drivesim"),
              {u"--profile"_s, u"test"_s, u"--station"_s, u"3"_s, u"--link"_s, link, u"--trace"_s,
               trace, u"--preset"_s, u"japanese"_s, u"--fault"_s, u"match=^@94,replace=ERR1"_s,
               u"--knob"_s, u"availability=1557"_s});
    QVERIFY(sim.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 5000);
    const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QVERIFY(path.startsWith(u"/dev/pts/"_s));
    QCOMPARE(QFileInfo(link).symLinkTarget(), path);

    {
        QSerialPort port;
        QVERIFY(openPort(port, path));
        QCOMPARE(ask(port, "3@44"), "03" + Identity + '\r');
        QCOMPARE(ask(port, "3@94"), QByteArray("03ERR1\r"));
        QCOMPARE(ask(port, "3#201").left(7), QByteArray("03R1D \xB4"));
    }

    sim.terminate(); // SIGTERM: a clean exit that removes the link
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitStatus(), QProcess::NormalExit);
    QCOMPARE(sim.exitCode(), 0);
    QVERIFY(!QFileInfo(link).isSymLink());

    QFile file(trace);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY(text.contains("RX  3 - \"3@44\""));
    QVERIFY(text.contains("TX  3 - \"03R5Z Kalderon_M2"));
    QVERIFY(text.contains("FLT rule#1"));

    // Bad options are usage errors.
    QProcess bad;
    bad.start(QStringLiteral(TORVANE_BIN_DIR "/torvane-drivesim"), {u"--preset"_s, u"nonsense"_s});
    QVERIFY(bad.waitForFinished(5000));
    QCOMPARE(bad.exitCode(), 2);
    QVERIFY(bad.readAllStandardError().contains("nonsense"));
}

void TestPtyEndpoint::executableSteeredOnStdin()
{
    QProcess sim;
    sim.start(QStringLiteral(TORVANE_BIN_DIR "/torvane-drivesim"),
              {u"--profile"_s, u"test"_s, u"--control"_s});
    QVERIFY(sim.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(sim.canReadLine(), 5000);
    const QString path = QString::fromLocal8Bit(sim.readLine()).trimmed();
    QSerialPort port;
    QVERIFY(openPort(port, path));
    QCOMPARE(ask(port, "@44"), Identity + '\r');

    sim.write("fault match=^@44,replace=ERR9\nknob station=2\nknob bogus=1\n");
    QByteArray replies;
    QTRY_VERIFY_WITH_TIMEOUT((replies += sim.readAllStandardError()).contains("bogus"), 5000);
    QVERIFY2(replies.startsWith("ok\nok\nbogus: unknown knob"), replies.constData());
    QCOMPARE(ask(port, "@44", 300), QByteArray());
    QCOMPARE(ask(port, "2@44"), QByteArray("02ERR9\r"));
    QCOMPARE(ask(port, "2@44"), "02" + Identity + '\r');
    port.close();

    sim.terminate();
    QVERIFY(sim.waitForFinished(5000));
    QCOMPARE(sim.exitCode(), 0);
}

QTEST_GUILESS_MAIN(TestPtyEndpoint)
#include "tst_ptyendpoint.moc"
