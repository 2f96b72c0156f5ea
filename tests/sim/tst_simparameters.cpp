#include "simwire.h"

#include "sim/simtext.h"
#include "sim/virtualdrive.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Lists one group the way the parameter manager does: the request, then R0P
// after every entry until R00.
QList<QByteArray> listGroup(SimWire &wire, int group, const QByteArray &tags = {})
{
    QList<QByteArray> entries;
    QByteArray reply = wire.ask(tags + "@40:" + QByteArray::number(group));
    while (reply.startsWith(tags + "R1Z")) {
        entries.append(reply.mid(tags.size() + 3).chopped(1));
        reply = wire.ask(tags + "R0P");
        if (entries.size() > 5000)
            break;
    }
    if (reply != tags + "R00\r")
        entries.append("unexpected " + reply);
    return entries;
}

// "#12N" -> "#12", as the tool cuts an entry at its type letter.
QByteArray key(const QByteArray &entry)
{
    return entry.endsWith('N') || entry.endsWith('H') ? entry.chopped(1) : entry;
}

} // namespace

class TestSimParameters : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void itemTableIsSound();
    void uploadConversation();
    void itemCommands_data();
    void itemCommands();
    void refusalsChangeNothing();
    void acknowledgementFollowsTheTransfer_data();
    void acknowledgementFollowsTheTransfer();
    void languageSwitch();
    void guardedParameters();
    void presets_data();
    void presets();
    void downloadRoundTrip();
};

void TestSimParameters::itemTableIsSound()
{
    VirtualDrive drive;
    const ItemStore &items = drive.state().items;
    QVERIFY(items.parameterCount() >= 250);
    QVERIFY(!items.contains(200));
    for (int group = 1; group <= 5; ++group) {
        const auto list = items.group(group);
        QVERIFY(!list.isEmpty());
        for (const SimItem *item : list)
            QCOMPARE(item->type, group == 5 ? 'H' : 'N');
    }
    for (const SimItem *item : items.all()) {
        for (const QByteArray &label : {item->english, item->japanese}) {
            QVERIFY2(!label.isEmpty() && label.size() <= 22, label.constData());
            for (char c : ":,;\r\n")
                QVERIFY2(c == '\0' || !label.contains(c), label.constData());
        }
        if (item->writable)
            QVERIFY2(item->value >= item->min && item->value <= item->max,
                     qPrintable(QString::number(item->number)));
    }
}

void TestSimParameters::uploadConversation()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    QCOMPARE(wire.ask("@44"), QByteArray("R5Z Kalderon_M2:SIM-0001:K1.20:A3.05:C2.01:E1.10\r"));
    QCOMPARE(wire.ask("@94"), QByteArray("R2Z DM1060B-SIM:SN00012345\r"));
    QCOMPARE(wire.ask("\"pr:30"), QByteArray("RD IFB-STD:0\r"));
    QCOMPARE(wire.ask("@53"), QByteArray("R00\r"));
    QList<QByteArray> entries;
    for (int group = 1; group <= 5; ++group) {
        const QList<QByteArray> list = listGroup(wire, group);
        QVERIFY(!list.isEmpty());
        for (const QByteArray &entry : list)
            QVERIFY2(entry.startsWith('#') && (entry.endsWith('N') || entry.endsWith('H')),
                     entry.constData());
        entries += list;
    }
    QCOMPARE(entries.size(), drive.state().items.parameterCount());
    QCOMPARE(entries.mid(0, 3), (QList<QByteArray>{"#1N", "#2N", "#3N"}));
    QVERIFY(entries.contains("#250H"));
    QVERIFY(entries.contains("#358N"));

    QMap<QByteArray, QByteArray> readings;
    for (const QByteArray &entry : entries) {
        const QByteArray reply = wire.ask(key(entry));
        QVERIFY2(reply.startsWith("R1D ") && reply.endsWith('\r') && reply.count(':') == 1,
                 reply.constData());
        readings.insert(key(entry), reply.chopped(1));
    }
    QCOMPARE(wire.ask("@54"), QByteArray("R00\r"));
    QCOMPARE(readings.value("#1"), QByteArray("R1D ScaleNumerator:1"));
    QCOMPARE(readings.value("#5"), QByteArray("R1D SoftLimitMinus:-999999999"));
    QCOMPARE(readings.value("#199"), QByteArray("R1D ParamFormatVer:3"));
    QCOMPARE(readings.value("#250"), QByteArray("R1D FactoryTrim0:0"));
    QCOMPARE(readings.value("#253"), QByteArray("R1D CurOffsetV:-8"));
}

void TestSimParameters::itemCommands_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");

    const auto row = [](const QByteArray &command, const QByteArray &reply) {
        QTest::newRow(command.constData()) << command << reply;
    };
    // Reads.
    row("#12", "R1D HomeDirection:0");
    row("#155", "R1D InertiaSet:1500");
    row("#306", "R1B InputBits:0000000000000101");
    row("#602", "R1D Point02:20000");
    row("#701", "R1D Attr01:1");
    row("#999", "ALM62");
    row("#200", "ALM62");
    row("#abc", "ERR2");
    row("#", "ERR2");
    row("# 12 ", "R1D HomeDirection:0");
    // Writes outside a transfer.
    row("#12=1", "R00 ");
    row("#12= 1 ", "R00 ");
    row("#12=+1", "R00 ");
    row("#12=2", "ALM65");
    row("#12=", "ALM65");
    row("#12=one", "ALM65");
    row("#12=1.5", "ALM65");
    row("#1=0", "ALM65");
    row("#3=-999999999", "R00 ");
    row("#3=-1000000000", "ALM65");
    row("#3=999999999999999999999999", "ALM65");
    row("#207=16", "R00 ");
    row("#207=3", "ALM65");
    row("#207=128", "ALM65");
    row("#199=3", "ALM62");
    row("#199=4", "ALM62");
    row("#300=1", "ALM62");
    row("#999=1", "ALM62");
    row("#x=1", "ALM62");
    row("#602=-5", "R00 ");
    row("#253=-32768", "ALM65");
    // Listings.
    row("@40", "ERR2");
    row("@40:0", "ERR2");
    row("@40:6", "ERR2");
    row("@40:x", "ERR2");
    row("@40:1", "R1Z#1N");
    row("@40:4", "R1Z#69N");
    row("@40:5", "R1Z#250H");
}

void TestSimParameters::itemCommands()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    VirtualDrive drive;
    SimWire wire(&drive);
    QCOMPARE(wire.ask(command), reply + '\r');
}

void TestSimParameters::refusalsChangeNothing()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    QCOMPARE(wire.ask("@55"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("#207=3"), QByteArray("ALM65\r"));
    QCOMPARE(wire.ask("#6=5"), QByteArray("ALM65\r"));
    QCOMPARE(wire.ask("#199=4"), QByteArray("ALM62\r"));
    QCOMPARE(drive.item(207), std::optional<qint32>(1));
    QCOMPARE(drive.item(6), std::optional<qint32>(0));
    QCOMPARE(drive.item(199), std::optional<qint32>(3));
    QCOMPARE(wire.ask("#207=64"), QByteArray("R00\r"));
    QCOMPARE(drive.item(207), std::optional<qint32>(64));
}

void TestSimParameters::acknowledgementFollowsTheTransfer_data()
{
    QTest::addColumn<QByteArray>("before"); // separated by |
    QTest::addColumn<QByteArray>("ack");
    QTest::newRow("no transfer") << QByteArray() << QByteArray("R00 ");
    QTest::newRow("read transfer") << QByteArray("@53") << QByteArray("R00 ");
    QTest::newRow("write transfer") << QByteArray("@53|@55") << QByteArray("R00");
    QTest::newRow("@55 alone opens it") << QByteArray("@55") << QByteArray("R00");
    QTest::newRow("closed by @54") << QByteArray("@55|@54") << QByteArray("R00 ");
    QTest::newRow("closed by @98") << QByteArray("@55|@98") << QByteArray("R00 ");
    QTest::newRow("tagged @55 counts too") << QByteArray("!@55") << QByteArray("R00");
}

void TestSimParameters::acknowledgementFollowsTheTransfer()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, ack);
    VirtualDrive drive;
    SimWire wire(&drive);
    for (const QByteArray &command : before.split('|')) {
        if (!command.isEmpty())
            QCOMPARE(wire.ask(command).right(4), QByteArray("R00\r"));
    }
    QCOMPARE(wire.ask("#69=2"), ack + '\r');
    QCOMPARE(wire.ask("!#70=1"), "!" + ack + '\r');
}

void TestSimParameters::languageSwitch()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    QCOMPARE(wire.ask("#201=0"), QByteArray("R00 \r"));
    // Labels switch with the very next reply; values and numbers stay.
    QCOMPARE(wire.ask("#201"),
             QByteArray("R1D \xB4\xB2\xBA\xDE\xCB\xAE\xB3\xBC\xDE\xBE\xDD\xC0\xB8:0\r"));
    QCOMPARE(wire.ask("#1"), QByteArray("R1D \xCA\xDF\xD7\xD2\xB0\xC0"
                                        "1:1\r"));
    QCOMPARE(wire.ask("#300"), QByteArray("R1D \xB2\xC1\xBC\xDA\xB2:0\r"));
    QCOMPARE(wire.ask("#602"), QByteArray("R1D \xCE\xDF\xB2\xDD\xC4"
                                          "02:20000\r"));
    QCOMPARE(wire.ask("@40:1"), QByteArray("R1Z#1N\r"));
    QCOMPARE(wire.ask("#201=1"), QByteArray("R00 \r"));
    QCOMPARE(wire.ask("#1"), QByteArray("R1D ScaleNumerator:1\r"));
}

void TestSimParameters::guardedParameters()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    const QList<QByteArray> expected = {"R1D MotorCode:1060",  "R1D CoordDirection:0",
                                        "R1D EncoderBits:20",  "R1D PolePairs:10",
                                        "R1D RatedCurrent:60", "R1D MaxSpeed:3000"};
    const QList<QByteArray> keys = {"#213", "#202", "#208", "#209", "#210", "#212"};
    for (qsizetype i = 0; i < keys.size(); ++i)
        QCOMPARE(wire.ask(keys[i]), expected[i] + '\r');
    // A test changes a guarded value behind the tool's back.
    QVERIFY(drive.setKnob(u"set_item"_s, u"213 1061"_s));
    QCOMPARE(wire.ask("#213"), QByteArray("R1D MotorCode:1061\r"));
    QString error;
    QVERIFY(!drive.setKnob(u"set_item"_s, u"213 70000"_s, &error));
    QVERIFY(drive.setKnob(u"force_item"_s, u"204 5"_s));
    QCOMPARE(wire.ask("#204"), QByteArray("R1D CmdPulseType:5\r"));
}

void TestSimParameters::presets_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QList<int>>("groupSizes");
    QTest::newRow("compact") << u"compact"_s << QList<int>{11, 15, 16, 18, 4};
    QTest::newRow("no_params") << u"no_params"_s << QList<int>{0, 0, 0, 0, 0};
    QTest::newRow("empty_group") << u"empty_group"_s << QList<int>{-1, -1, 0, -1, -1};
    QTest::newRow("big_params") << u"big_params"_s << QList<int>{-1, -1, -1, -1, 790};
}

void TestSimParameters::presets()
{
    QFETCH(QString, preset);
    QFETCH(QList<int>, groupSizes);
    VirtualDrive drive;
    QVERIFY(drive.applyPreset(preset));
    SimWire wire(&drive);
    int total = 0;
    for (int group = 1; group <= 5; ++group) {
        const QList<QByteArray> entries = listGroup(wire, group);
        total += int(entries.size());
        if (groupSizes[group - 1] >= 0)
            QCOMPARE(entries.size(), groupSizes[group - 1]);
        else
            QVERIFY(!entries.isEmpty());
        for (const QByteArray &entry : entries)
            QVERIFY2(!entry.startsWith("unexpected"), entry.constData());
    }
    QCOMPARE(total, drive.state().items.parameterCount());
    // Monitor items and point registers stay whatever the parameter set.
    QCOMPARE(wire.ask("#306"), QByteArray("R1B InputBits:0000000000000101\r"));
    QCOMPARE(wire.ask("#600"), QByteArray("R1D Point00:0\r"));
    if (preset == u"big_params") {
        QVERIFY(total > 700);
        QCOMPARE(wire.ask("#1739"), QByteArray("R1D Extra1739:1739\r"));
        QCOMPARE(wire.ask("#1740"), QByteArray("ALM62\r"));
    }
}

void TestSimParameters::downloadRoundTrip()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    QList<QByteArray> keys;
    for (int group = 1; group <= 5; ++group) {
        for (const QByteArray &entry : listGroup(wire, group))
            keys.append(key(entry));
    }
    QMap<QByteArray, QByteArray> values;
    for (const QByteArray &k : keys)
        values.insert(k, wire.ask(k).chopped(1).split(':').value(1));

    // Write everything back as a download does, one value changed.
    values["#38"] = "12";
    QCOMPARE(wire.ask("@53"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("@55"), QByteArray("R00\r"));
    for (const QByteArray &k : keys) {
        const QByteArray reply = wire.ask(k + '=' + values[k]);
        QCOMPARE(reply, k == "#199" ? QByteArray("ALM62\r") : QByteArray("R00\r"));
    }
    QCOMPARE(wire.ask("@54"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("@96"), QByteArray());
    drive.advanceClock(1500);
    QTRY_VERIFY(!drive.isRestarting());
    for (const QByteArray &k : keys)
        QCOMPARE(wire.ask(k).chopped(1).split(':').value(1), values[k]);
    QCOMPARE(wire.ask("#38"), QByteArray("R1D ServoRigidity:12\r"));
}

QTEST_GUILESS_MAIN(TestSimParameters)
#include "tst_simparameters.moc"
