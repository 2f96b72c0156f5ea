#include "link/drivecommands.h"

#include <QTest>

using namespace DriveCommand;

class TestDriveCommands : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandBytes_data()
    {
        QTest::addColumn<QByteArray>("built");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("pr22") << readShortParam(22) << QByteArray("\"pr:22");
        QTest::newRow("ifb") << interfaceBoard() << QByteArray("\"pr:30");
        QTest::newRow("id") << identification() << QByteArray("@44");
        QTest::newRow("item") << readItem(201) << QByteArray("#201");
        QTest::newRow("write") << writeItem(12, -5) << QByteArray("#12=-5");
        QTest::newRow("write text") << writeItem(7, QByteArray("100")) << QByteArray("#7=100");
        QTest::newRow("key") << writeKey("#213", 3) << QByteArray("#213=3");
        QTest::newRow("group") << listGroup(5) << QByteArray("@40:5");
        QTest::newRow("tag1") << tagged(axisAvailability()) << QByteArray("!@56:0");
        QTest::newRow("tag3") << tagged(function(50), 3) << QByteArray("!!!@50");
        QTest::newRow("tag4") << tagged(readItem(318), 4) << QByteArray("!!!!#318");
        QTest::newRow("ack") << pageAck() << QByteArray("R0P");
        QTest::newRow("prog begin") << beginProgram(5, 12, 3) << QByteArray("@61:5:12:0003");
        QTest::newRow("prog begin hex") << beginProgram(89, 1, 0xAB) << QByteArray("@61:89:1:00AB");
        QTest::newRow("status poll") << programStatusPoll() << QByteArray("!@0:0");
        QTest::newRow("start prog") << startProgram(3, 0) << QByteArray("@3:4:3:0");
        QTest::newRow("cam item") << camItem(10, 255) << QByteArray("TI1:A:FF");
        QTest::newRow("cam data") << camData(0x1F, 0xABC, ":1:2") << QByteArray("TD1:1F:ABC:1:2");
        QTest::newRow("cam end") << endCam() << QByteArray("@72:0");
        QTest::newRow("index neg") << indexEntry(-1) << QByteArray("TC1:FFFFFFFF");
        QTest::newRow("index pad") << indexEntry(0x1A) << QByteArray("TC1:0000001A");
        QTest::newRow("division") << divisionEntry(-2) << QByteArray("TB1:FFFFFFFE");
        QTest::newRow("index begin") << beginIndexTable(1, 100) << QByteArray("@66:1:100");
        QTest::newRow("acc entry") << accuracyEntry(0, -12) << QByteArray("TE1:0:-12");
        QTest::newRow("acc end") << endAccuracyTable() << QByteArray("@85:0");
        QTest::newRow("lis") << inputLogic(2, 0xBEEF) << QByteArray("LIS:0002:BEEF");
        QTest::newRow("los") << outputLogic(0x1F, 0xA) << QByteArray("LOS:001F:000A");
        QTest::newRow("lis prefix") << inputLogicPrefix("0003") << QByteArray("LIS:0003:");
        QTest::newRow("mb") << dummyInput("320480", 0xF) << QByteArray("\"MB:320480:0F");
        QTest::newRow("chsu") << logChannels(1, -2, 30, 400) << QByteArray("\"LGCHSU:1:-2:30:400");
        QTest::newRow("trs") << logTrigger(1, 3, 0, -150) << QByteArray("\"LGTRS:1:3:0:-150");
        QTest::newRow("str") << logStart(250, 2, 100) << QByteArray("\"LGSTR:250:2:100");
        QTest::newRow("drn") << logNext() << QByteArray("\"LGDRN");
        QTest::newRow("fdw") << characteristicPoint(-3, 7) << QByteArray("\"FDW:-3:7");
        QTest::newRow("psaw") << motorStringWrite('A', "MAIN") << QByteArray("\"PSAW:MAIN");
        QTest::newRow("psdr") << motorStringRead('D') << QByteArray("\"PSDR");
        QTest::newRow("PR") << machineParamRead(113) << QByteArray("\"PR:113");
        QTest::newRow("PW") << machineParamWrite(200, -70000) << QByteArray("\"PW:200:-70000");
        QTest::newRow("regbd") << registerPartB() << QByteArray("\"REGBD");
        QTest::newRow("help") << itemHelp(3) << QByteArray("@42:3");
        QTest::newRow("io word") << readOutputWord(2) << QByteArray("@46:2");
        QTest::newRow("zero pad") << zeroPadded("1A", 8) << QByteArray("0000001A");
        QTest::newRow("zero pad long") << zeroPadded("123456789", 8) << QByteArray("123456789");
    }
    void commandBytes()
    {
        QFETCH(QByteArray, built);
        QFETCH(QByteArray, expected);
        QCOMPARE(built, expected);
    }

    void classify_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("tags");
        using K = ReplyLine::Kind;
        QTest::newRow("done") << QByteArray("R00") << int(K::Done) << 0;
        QTest::newRow("done blank") << QByteArray("!!R00 ") << int(K::Done) << 2;
        QTest::newRow("page") << QByteArray("R0P") << int(K::NextLine) << 0;
        QTest::newRow("data") << QByteArray("R1D LOOP GAIN:100") << int(K::Data) << 0;
        QTest::newRow("id") << QByteArray("R5Z Kalderon_M2:SIM") << int(K::Data) << 0;
        QTest::newRow("tagged data") << QByteArray("!R3H :01000013:00:0000") << int(K::Data) << 1;
        QTest::newRow("short") << QByteArray("R1:250") << int(K::Short) << 0;
        QTest::newRow("short empty") << QByteArray("R") << int(K::Short) << 0;
        QTest::newRow("short blank") << QByteArray("R ") << int(K::Short) << 0;
        QTest::newRow("typed") << QByteArray("RD2 Speed:10:20") << int(K::Typed) << 0;
        QTest::newRow("alarm") << QByteArray("ALM62") << int(K::Alarm) << 0;
        QTest::newRow("error") << QByteArray("ERR17.1") << int(K::Error) << 0;
        QTest::newRow("other") << QByteArray("garbage") << int(K::Other) << 0;
        QTest::newRow("empty") << QByteArray("") << int(K::Empty) << 0;
    }
    void classify()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, kind);
        QFETCH(int, tags);
        const ReplyLine reply(line);
        QCOMPARE(int(reply.kind()), kind);
        QCOMPARE(reply.tagDepth(), tags);
    }

    void values_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("has");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << QByteArray("R:2") << true << qint64(2);
        QTest::newRow("label") << QByteArray("R1D LOOP GAIN:100") << true << qint64(100);
        QTest::newRow("negative") << QByteArray("R1D X:-5") << true << qint64(-5);
        QTest::newRow("blanks") << QByteArray("R1D X:   12  ") << true << qint64(12);
        QTest::newRow("third field ignored") << QByteArray("R:4:9") << true << qint64(4);
        QTest::newRow("missing") << QByteArray("R00") << false << qint64(0);
        QTest::newRow("not a number") << QByteArray("R1D X:abc") << false << qint64(0);
        QTest::newRow("empty field") << QByteArray("R1D X:") << false << qint64(0);
    }
    void values()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, has);
        QFETCH(qint64, value);
        const auto v = ReplyLine(line).value();
        QCOMPARE(v.has_value(), has);
        if (has)
            QCOMPARE(*v, value);
    }

    void refusalNumbers()
    {
        QCOMPARE(ReplyLine("ALM65").refusalNumber(), QByteArray("65"));
        QCOMPARE(ReplyLine("ERR17.1").refusalNumber(), QByteArray("17.1"));
        QCOMPARE(ReplyLine("R00").refusalNumber(), QByteArray());
        QCOMPARE(ReplyLine("!R1H :1113").afterFirstColon(), QByteArray("1113"));
        QCOMPARE(ReplyLine("R1H a:b:FF").hexValue().value_or(-1), qint64(0xB));
        QCOMPARE(ReplyLine("R1H a:b:FF").afterLastColon(), QByteArray("FF"));
    }
};

QTEST_GUILESS_MAIN(TestDriveCommands)
#include "tst_drivecommands.moc"
