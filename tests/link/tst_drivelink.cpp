#include "link/drivelink.h"
#include "link/linkowner.h"
#include "link/memoryport.h"
#include "link/serialportio.h"
#include "resources/catalogue.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {

// Records what the link hands its owner; a hook may act inside a callback.
class RecordingOwner : public LinkOwner
{
public:
    QList<QByteArray> replies;
    int timeouts = 0;
    std::function<void(const QByteArray &)> onReply;

    void onLinkReply(const QByteArray &line) override
    {
        replies.append(line);
        if (onReply)
            onReply(line);
    }
    void onLinkTimeout() override { ++timeouts; }
};

class RecordingTap : public LinkTap
{
public:
    QList<QByteArray> lines;
    void onTappedLine(const QByteArray &line) override { lines.append(line); }
};

} // namespace

class TestDriveLink : public QObject
{
    Q_OBJECT

private:
    DriveLink *m_link = nullptr;
    MemoryPort *m_port = nullptr;
    RecordingOwner m_owner;

    void feedAndSettle(const QByteArray &bytes)
    {
        m_port->feed(bytes);
        QCoreApplication::processEvents();
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The traffic log takes its arrows from the English module.
        QVERIFY(Catalogue::instance().loadModule(
            QStringLiteral(TORVANE_BIN_DIR) + QStringLiteral("/") +
            Catalogue::moduleFileName(QStringLiteral("Torvane_E_Resource"))));
    }

    void init()
    {
        m_link = new DriveLink;
        auto port = std::make_unique<MemoryPort>();
        m_port = port.get();
        m_link->setPort(std::move(port));
        m_owner = RecordingOwner();
        QVERIFY(m_link->pushOwner(&m_owner));
        QVERIFY(m_link->open());
    }
    void cleanup()
    {
        delete m_link;
        m_link = nullptr;
    }

    void sendFraming_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("single") << 0 << QByteArray("@44") << QByteArray("@44\r");
        QTest::newRow("station 3") << 3 << QByteArray("@44") << QByteArray("3@44\r");
        QTest::newRow("station 9 quote") << 9 << QByteArray("\"pr:22") << QByteArray("9\"pr:22\r");
        QTest::newRow("tagged") << 0 << QByteArray("!@56:0") << QByteArray("!@56:0\r");
    }
    void sendFraming()
    {
        QFETCH(int, unit);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, wire);
        m_link->setUnit(unit);
        m_link->send(command);
        QCOMPARE(m_port->takeWritten(), wire);
        QCOMPARE(currentUnit(), unit);
        QVERIFY(m_link->timerActive());
    }

    void stationPrefix_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("delivered");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("own station") << QByteArray("03R00\r") << true << QByteArray("R00");
        QTest::newRow("other station") << QByteArray("04R00\r") << false << QByteArray();
        QTest::newRow("no prefix") << QByteArray("R00\r") << false << QByteArray();
        QTest::newRow("tag after prefix")
            << QByteArray("03!R1H :1113\r") << true << QByteArray("!R1H :1113");
    }
    void stationPrefix()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, delivered);
        QFETCH(QByteArray, line);
        m_link->setUnit(3);
        m_link->send("@44", true, 200);
        feedAndSettle(reply);
        if (delivered) {
            QCOMPARE(m_owner.replies, QList<QByteArray>{line});
            QVERIFY(!m_link->timerActive());
        } else {
            QVERIFY(m_owner.replies.isEmpty());
            // A dropped reply leaves the timer running: the owner sees a time-out.
            QVERIFY(m_link->timerActive());
            QTRY_COMPARE_WITH_TIMEOUT(m_owner.timeouts, 1, 5000);
        }
    }

    void chunks_data()
    {
        QTest::addColumn<QByteArrayList>("chunks");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::newRow("split") << QByteArrayList{"R5Z Kal", "deron:SIM", "-0001\r"}
                               << QByteArrayList{"R5Z Kalderon:SIM-0001"};
        QTest::newRow("two in one")
            << QByteArrayList{"R1Z#1N\rR1Z#2H\r"} << QByteArrayList{"R1Z#1N", "R1Z#2H"};
        QTest::newRow("line feed kept") << QByteArrayList{"R00\n\r"} << QByteArrayList{"R00\n"};
        QTest::newRow("cr alone") << QByteArrayList{"\r"} << QByteArrayList{""};
        QTest::newRow("binary bytes") << QByteArrayList{QByteArray("R1D \0\xff\xb1:1\r", 10)}
                                      << QByteArrayList{QByteArray("R1D \0\xff\xb1:1", 9)};
    }
    void chunks()
    {
        QFETCH(QByteArrayList, chunks);
        QFETCH(QByteArrayList, lines);
        m_link->send("@44");
        for (const QByteArray &c : chunks)
            feedAndSettle(c);
        QCOMPARE(QByteArrayList(m_owner.replies), lines);
        QCOMPARE(m_link->lastReply(), lines.last());
    }

    void resetInCallbackDropsRestOfChunk()
    {
        m_owner.onReply = [this](const QByteArray &) {
            m_link->reset();
        };
        feedAndSettle("R00\rR0P\r");
        QCOMPARE(m_owner.replies, QList<QByteArray>{"R00"});
        m_owner.onReply = nullptr;
        feedAndSettle("R1D A:1\r");
        QCOMPARE(m_owner.replies.last(), QByteArray("R1D A:1"));
    }

    void timeoutResetsAndCallsOwner()
    {
        m_link->send("@44", true, 50);
        feedAndSettle("R5Z partial");
        QTRY_COMPARE_WITH_TIMEOUT(m_owner.timeouts, 1, 5000);
        // The half line was discarded by the reset.
        feedAndSettle("R00\r");
        QCOMPARE(m_owner.replies, QList<QByteArray>{"R00"});
    }

    // The reply timer is given its full time, never cut short.
    void replyTimerNeverEarly()
    {
        QElapsedTimer clock;
        m_owner.onReply = nullptr;
        clock.start();
        m_link->send("@44", true, 1000);
        QTRY_COMPARE_WITH_TIMEOUT(m_owner.timeouts, 1, 5000);
        QVERIFY2(clock.elapsed() >= 995, qPrintable(QString::number(clock.elapsed())));
    }

    // A tap hears only single-"!" lines, and hearing them leaves the owner's
    // reply timer running for the owner's own reply.
    void tapBesideOwner_data()
    {
        QTest::addColumn<int>("unit");
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("tapped");
        QTest::addColumn<QByteArray>("delivered");
        QTest::newRow("tagged") << 0 << QByteArray("!R1D A:1") << true << QByteArray("!R1D A:1");
        QTest::newRow("untagged") << 0 << QByteArray("R00") << false << QByteArray("R00");
        QTest::newRow("deeper tag") << 0 << QByteArray("!!R00") << false << QByteArray("!!R00");
        QTest::newRow("station, tagged") << 3 << QByteArray("03!R00") << true << QByteArray("!R00");
        QTest::newRow("station, untagged")
            << 3 << QByteArray("03R00") << false << QByteArray("R00");
    }
    void tapBesideOwner()
    {
        QFETCH(int, unit);
        QFETCH(QByteArray, line);
        QFETCH(bool, tapped);
        QFETCH(QByteArray, delivered);
        RecordingTap tap;
        m_link->setUnit(unit);
        m_link->addTap(&tap);
        m_link->send("@44");
        feedAndSettle(line + '\r');
        QCOMPARE(tap.lines, tapped ? QList<QByteArray>{delivered} : QList<QByteArray>{});
        QCOMPARE(m_owner.replies, tapped ? QList<QByteArray>{} : QList<QByteArray>{delivered});
        QCOMPARE(m_link->timerActive(), tapped);
        // Without the tap, the owner hears everything again.
        m_link->removeTap(&tap);
        QVERIFY(!m_link->tap());
        feedAndSettle(line + '\r');
        QCOMPARE(m_owner.replies.last(), delivered);
    }

    void noOwnerDropsLine()
    {
        m_link->popOwner();
        QCOMPARE(m_link->ownerCount(), 0);
        feedAndSettle("R00\r");
        QVERIFY(m_owner.replies.isEmpty());
        QCOMPARE(m_link->lastReply(), QByteArray("R00"));
    }

    void ownerStack()
    {
        RecordingOwner others[DriveLink::MaxOwners];
        // One owner is in place already; fill the stack to 16.
        for (int i = 1; i < DriveLink::MaxOwners; ++i)
            QVERIFY(m_link->pushOwner(&others[i]));
        QCOMPARE(m_link->ownerCount(), 16);
        RecordingOwner seventeenth;
        QVERIFY(!m_link->pushOwner(&seventeenth));
        QCOMPARE(m_link->owner(), &others[15]);
        m_link->popOwner();
        QCOMPARE(m_link->owner(), &others[14]);
        // Popping the last two empties the stack at once.
        for (int i = 14; i >= 1; --i)
            m_link->popOwner();
        QCOMPARE(m_link->owner(), &m_owner);
        m_link->popOwner();
        QCOMPARE(m_link->owner(), nullptr);
    }

    void openCloseOnlyForBottomOwners()
    {
        RecordingOwner feature;
        m_link->pushOwner(&feature);
        m_link->close();
        QVERIFY(m_link->isOpen());
        m_link->popOwner();
        m_link->close();
        QVERIFY(!m_link->isOpen());
        QVERIFY(m_link->open());
    }

    void trafficLog()
    {
        QSignalSpy spy(m_link, &DriveLink::logged);
        m_link->send("@44");
        feedAndSettle("R00\r");
        QCOMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toString(), QStringLiteral("-> @44\r\r\n"));
        QCOMPARE(spy.at(1).at(0).toString(), QStringLiteral(" <- R00\r\n"));
        for (int i = 0; i < 50; ++i)
            feedAndSettle("R0P\r");
        QCOMPARE(m_link->trafficLog().size(), 38);
        QCOMPARE(m_link->trafficLog().visibleLines().size(), 28);
    }

    void overlongLineIsDroppedNotGrown()
    {
        m_link->send("@44");
        const QByteArray noise(10 * 1024 * 1024, 'x');
        feedAndSettle(noise);
        QVERIFY(m_owner.replies.isEmpty());
        feedAndSettle("yy\rR00\r");
        // The tail of the noise ends at its CR without a delivery; the next
        // line arrives whole.
        QCOMPARE(m_owner.replies, QList<QByteArray>{"R00"});
        bool noted = false;
        for (const QString &l : m_link->trafficLog().lines())
            noted |= l.contains(QStringLiteral("dropped"));
        QVERIFY(noted);
    }

    void portFailureIsReportedAndRecovered()
    {
        QSignalSpy errors(m_link, &DriveLink::portError);
        m_port->fail(QStringLiteral("The port memory stopped working."));
        QCOMPARE(errors.count(), 1);
        QVERIFY(!m_link->isOpen());
        // The next command opens the device again.
        m_link->send("@44");
        QVERIFY(m_link->isOpen());
        QCOMPARE(m_port->takeWritten(), QByteArray("@44\r"));
    }

    void portErrorSentences_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("mustSay");
        QTest::newRow("permission")
            << int(QSerialPort::PermissionError) << QStringLiteral("dialout");
        QTest::newRow("missing") << int(QSerialPort::DeviceNotFoundError)
                                 << QStringLiteral("does not exist");
        QTest::newRow("unplugged")
            << int(QSerialPort::ResourceError) << QStringLiteral("as soon as the device is back");
    }
    void portErrorSentences()
    {
        QFETCH(int, error);
        QFETCH(QString, mustSay);
        const QString text = SerialPortIo::describeError(QStringLiteral("/dev/ttyUSB3"),
                                                         QSerialPort::SerialPortError(error),
                                                         QStringLiteral("Input/output error"));
        QVERIFY2(text.contains(QStringLiteral("/dev/ttyUSB3")), qPrintable(text));
        QVERIFY2(text.contains(mustSay), qPrintable(text));
    }

    // With the Japanese module loaded, the port speaks Japanese too.
    void portErrorInJapanese()
    {
        const QString dir = QStringLiteral(TORVANE_BIN_DIR "/");
        QVERIFY(Catalogue::instance().loadModule(
            dir + Catalogue::moduleFileName(QStringLiteral("Torvane_J_Resource"))));
        const QString text = SerialPortIo::describeError(
            QStringLiteral("/dev/ttyUSB3"), QSerialPort::ResourceError, QStringLiteral("EIO"));
        QVERIFY(Catalogue::instance().loadModule(
            dir + Catalogue::moduleFileName(QStringLiteral("Torvane_E_Resource"))));
        QCOMPARE(text,
                 QStringLiteral("ﾎﾟｰﾄ /dev/ttyUSB3 が動作しなくなりました (EIO)。ｹｰﾌﾞﾙまたは"
                                "USBｱﾀﾞﾌﾟﾀを確認してください。ﾃﾞﾊﾞｲｽが戻ると通信を再開します。"));
    }

    void openErrorNamesDevice()
    {
        delete m_link;
        m_link = new DriveLink;
        auto port = std::make_unique<MemoryPort>(QStringLiteral("/dev/ttyUSB0"));
        port->setOpenError(QStringLiteral("Cannot open /dev/ttyUSB0: permission denied."));
        m_link->setPort(std::move(port));
        m_link->pushOwner(&m_owner);
        QSignalSpy errors(m_link, &DriveLink::portError);
        QVERIFY(!m_link->open());
        QCOMPARE(errors.count(), 1);
        QVERIFY(errors.at(0).at(0).toString().contains(QStringLiteral("/dev/ttyUSB0")));
        // A poll loop on a dead port does not repeat the message.
        m_link->send("@44", true, 10);
        m_link->send("@44", true, 10);
        QCOMPARE(errors.count(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(m_owner.timeouts, 1, 5000);
    }
};

QTEST_GUILESS_MAIN(TestDriveLink)
#include "tst_drivelink.moc"
