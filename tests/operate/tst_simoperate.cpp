#include "sim/simwire.h"

#include "sim/virtualdrive.h"

#include <QTest>

// The virtual drive's test operation: what the motion windows and servo
// tuning rely on.
class TestSimOperate : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<VirtualDrive> m_drive;
    std::unique_ptr<SimWire> m_wire;

    QByteArray ask(const QByteArray &line) { return m_wire->ask(line).chopped(1); }
    QByteArray status() { return ask("@0:0").mid(5, 8); }
    qint64 position() { return ask("#300").split(':').last().toLongLong(); }
    // The drive's clock runs on in real time as well; a few milliseconds of
    // jog are a few thousand pulses.
    static bool near(qint64 actual, qint64 expected)
    {
        return std::llabs(actual - expected) < 5000;
    }

private Q_SLOTS:
    void init()
    {
        m_drive = std::make_unique<VirtualDrive>();
        m_drive->applyPreset(QStringLiteral("default"));
        m_wire = std::make_unique<SimWire>(m_drive.get());
    }

    void refusals_data()
    {
        QTest::addColumn<QByteArrayList>("before");
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("start in the wrong mode")
            << QByteArrayList{"@43:5"} << QByteArray("@3:3") << QByteArray("ERR49");
        QTest::newRow("homing flag out of range")
            << QByteArrayList{"#358=1000", "@43:3"} << QByteArray("@3:3") << QByteArray("ALM49");
        QTest::newRow("index station")
            << QByteArrayList{"@43:8"} << QByteArray("@3:8:20") << QByteArray("ERR17.1");
        QTest::newRow("index direction")
            << QByteArrayList{"@43:8"} << QByteArray("@3:8:3:7") << QByteArray("ERR17.2");
        QTest::newRow("reference option")
            << QByteArrayList{"@43:10"} << QByteArray("@3:10:2000") << QByteArray("ALM62");
        QTest::newRow("test mode while jogging")
            << QByteArrayList{"@43:16", "@11:1"} << QByteArray("@3:0") << QByteArray("ALM50");
        QTest::newRow("mode while moving")
            << QByteArrayList{"@43:16", "@11:1"} << QByteArray("@43:3") << QByteArray("ERR49");
        QTest::newRow("unknown mode")
            << QByteArrayList{} << QByteArray("@43:7") << QByteArray("ERR2");
        QTest::newRow("jog without its mode")
            << QByteArrayList{} << QByteArray("@11:1") << QByteArray("ERR49");
    }
    void refusals()
    {
        QFETCH(QByteArrayList, before);
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        for (const QByteArray &b : before)
            QVERIFY(ask(b).startsWith("R00"));
        QCOMPARE(ask(command), reply);
    }

    void homingEndsAtOffset()
    {
        QVERIFY(ask("#15=5000").startsWith("R00"));
        QCOMPARE(ask("@43:3"), "R00");
        QCOMPARE(status(), "01000013");
        QCOMPARE(ask("@3:3"), "R00");
        m_drive->advanceClock(1500);
        QCOMPARE(status(), "0000000F"); // bits 2 and 3, no auto tuning
        const qint64 midway = position();
        QVERIFY(midway > 0 && midway < 5000);
        m_drive->advanceClock(2000);
        QCOMPARE(status(), "01000013");
        QCOMPARE(ask("#300"), "R1D PosCommand:5000");
    }

    void jogRunsUntilStopped()
    {
        QCOMPARE(ask("@43:16"), "R00");
        QCOMPARE(ask("@11:1"), "R00");
        m_drive->advanceClock(500);
        QCOMPARE(status(), "0100000B");
        const qint64 turned = position();
        QVERIFY2(near(turned, 131072), QByteArray::number(turned)); // half a second at #20
        QCOMPARE(ask("@11:-1"), "R00");
        m_drive->advanceClock(250);
        QVERIFY(near(position(), turned - 65536));
        QCOMPARE(ask("@11:0"), "R00");
        const qint64 stopped = position();
        m_drive->advanceClock(1000);
        QCOMPARE(position(), stopped);
        QCOMPARE(status(), "01000013");
    }

    void jogPastSoftLimitRaisesE31()
    {
        QVERIFY(ask("#4=1000").startsWith("R00"));
        QCOMPARE(ask("@43:16"), "R00");
        QCOMPARE(ask("@11:1"), "R00");
        m_drive->advanceClock(100);
        QCOMPARE(status(), "00010013");
        QCOMPARE(ask("!!!@50"), "!!!R1Z :E31 Soft limit over");
        QCOMPARE(ask("!!!R0P"), "!!!R00");
        QCOMPARE(ask("@4"), "R00");
        QCOMPARE(status(), "01000013");
    }

    void autoTuningEnds()
    {
        QCOMPARE(ask("@3:1"), "R00");
        QCOMPARE(status(), "0000000F");
        m_drive->advanceClock(5100);
        QCOMPARE(status(), "01000013");
        QCOMPARE(ask("#51"), "R1D VelGain1:800"); // 2 000 000 / (1500 + 1000)
        QCOMPARE(ask("#62"), "R1D PosGain2:200");
    }

    void testModeAndRecord()
    {
        QCOMPARE(ask("@3:0"), "R00");
        QCOMPARE(status(), "01000033");
        QCOMPARE(ask("@87:0"), "ERR3");
        QCOMPARE(ask("@86:0:50:5"), "R00");
        const QByteArray block = ask("@87:4");
        QVERIFY2(block.startsWith("RDDDDDDDDDDDD TRS:40:49:"), block);
        QCOMPARE(block.count(':'), 12);
        QCOMPARE(ask("@87:5"), "R00");
        QVERIFY(m_drive->setKnob(QStringLiteral("trs_value_count"), QStringLiteral("short")));
        QCOMPARE(ask("@87:4").count(':'), 11);
        QCOMPARE(ask("@2"), "R00");
        QCOMPARE(status(), "01000013");
    }
};

QTEST_GUILESS_MAIN(TestSimOperate)
#include "tst_simoperate.moc"
