#include "simwire.h"

#include "sim/virtualdrive.h"

#include <QRegularExpression>
#include <QSet>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Requests one help page and pages through it with R0P; the lines without
// their CR, up to (not including) the closing R00.
QList<QByteArray> readPage(SimWire &wire, const QByteArray &request, const QByteArray &tags = {})
{
    QList<QByteArray> lines;
    QByteArray reply = wire.ask(tags + request);
    while (reply.startsWith(tags + "R1Z") || reply.startsWith(tags + "R2Z")) {
        lines.append(reply.chopped(1));
        reply = wire.ask(tags + "R0P");
        if (lines.size() > 1000)
            break;
    }
    if (reply != tags + "R00\r")
        lines.append("end: " + reply);
    return lines;
}

} // namespace

class TestSimMonitors : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void commandHelpPages_data();
    void commandHelpPages();
    void commandHelpText();
    void helpRefusals_data();
    void helpRefusals();
    void itemHelp();
    void itemHelpInJapanese();
    void taggedHelpThroughTheSimpleTerminal();
    void axisSignals_data();
    void axisSignals();
    void axisSignalsChangeOverTime();
    void statusWord_data();
    void statusWord();
    void errorList();
    void resetKeepsPersistentAlarms();
    void conditionsComeAndGo();
    void pulseSettings();
};

void TestSimMonitors::commandHelpPages_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("lines");
    QTest::addColumn<QByteArray>("first");
    QTest::newRow("page 1") << 1 << 10 << QByteArray("R1Z :@0:0 Read status word");
    QTest::newRow("page 2") << 2 << 10 << QByteArray("R1Z :@43:m Select drive mode m");
    QTest::newRow("page 3, longer than a window")
        << 3 << 25 << QByteArray("R1Z :@57:0 Axis signal state");
    QTest::newRow("page 4, short") << 4 << 5 << QByteArray("R1Z :@96 Restart driver");
    QTest::newRow("beyond the end") << 5 << 0 << QByteArray();
    QTest::newRow("far beyond") << 99 << 0 << QByteArray();
}

void TestSimMonitors::commandHelpPages()
{
    QFETCH(int, page);
    QFETCH(int, lines);
    QFETCH(QByteArray, first);
    VirtualDrive drive;
    SimWire wire(&drive);
    const QList<QByteArray> got = readPage(wire, "@41:" + QByteArray::number(page));
    QCOMPARE(got.size(), lines);
    if (lines > 0)
        QCOMPARE(got.first(), first);
}

void TestSimMonitors::commandHelpText()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    QList<QByteArray> all;
    for (int page = 1; page <= 4; ++page)
        all += readPage(wire, "@41:" + QByteArray::number(page));
    QCOMPARE(all.size(), 50);
    QCOMPARE(all.last(), QByteArray("R1Z :R0P Next line"));
    // The help window splits at the first blank after the code's six
    // characters: the syntax holds no blank.
    static const QRegularExpression shape(uR"(^R1Z :\S+ \S.*$)"_s);
    for (const QByteArray &line : all)
        QVERIFY2(shape.match(QString::fromLatin1(line)).hasMatch(), line.constData());

    // With uniform pages of 10 the same text takes five full pages.
    QVERIFY(drive.setKnob(u"help_long_page"_s, u"0"_s));
    QList<QByteArray> uniform;
    for (int page = 1; page <= 6; ++page)
        uniform += readPage(wire, "@41:" + QByteArray::number(page));
    QCOMPARE(uniform, all);
    QCOMPARE(readPage(wire, "@41:5").size(), 10);
}

void TestSimMonitors::helpRefusals_data()
{
    QTest::addColumn<QByteArray>("command");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("page 0") << QByteArray("@41:0") << QByteArray("ALM62");
    QTest::newRow("negative") << QByteArray("@42:-1") << QByteArray("ALM62");
    QTest::newRow("not a number") << QByteArray("@41:x") << QByteArray("ALM62");
    QTest::newRow("no page") << QByteArray("@42") << QByteArray("ALM62");
    QTest::newRow("refused page") << QByteArray("@41:2") << QByteArray("ALM62");
    QTest::newRow("other pages fine")
        << QByteArray("@42:1") << QByteArray("R2Z :#1:ScaleNumerator");
}

void TestSimMonitors::helpRefusals()
{
    QFETCH(QByteArray, command);
    QFETCH(QByteArray, reply);
    VirtualDrive drive;
    QVERIFY(drive.setKnob(u"help_alm_page"_s, u"2"_s));
    SimWire wire(&drive);
    QCOMPARE(wire.ask(command), reply + '\r');
}

void TestSimMonitors::itemHelp()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    const QList<QByteArray> first = readPage(wire, "@42:1");
    QCOMPARE(first, (QList<QByteArray>{"R2Z :#1:ScaleNumerator", "R2Z :#2:ScaleDenominator",
                                       "R2Z :#3:ZeroOffset", "R2Z :#4:SoftLimitPlus",
                                       "R2Z :#5:SoftLimitMinus", "R2Z :#6:RolloverMode",
                                       "R2Z :#7:PulsesPerRev", "R2Z :#8:InPositionWidth",
                                       "R2Z :#9:FollowErrLimit", "R2Z :#10:OvertravelMode"}));

    // The whole list: every parameter and monitor item once, ascending, no
    // point registers; it ends with a page answered R00 at once.
    QList<QByteArray> all;
    int page = 1;
    for (;; ++page) {
        const QList<QByteArray> lines = readPage(wire, "@42:" + QByteArray::number(page));
        if (lines.isEmpty())
            break;
        QVERIFY(lines.size() <= 10);
        all += lines;
    }
    QCOMPARE(all.size(), drive.state().items.helpItems().size());
    QVERIFY(all.size() < 500); // leaves room in the tool's item cache
    static const QRegularExpression shape(uR"(^R2Z :#(\d+):([^:,;]{1,22})$)"_s);
    int previous = 0;
    int at201 = -1;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const auto m = shape.match(QString::fromLatin1(all[i]));
        QVERIFY2(m.hasMatch(), all[i].constData());
        const int n = m.captured(1).toInt();
        QVERIFY(n > previous && n < 600);
        previous = n;
        if (n == 201)
            at201 = int(i);
    }
    QVERIFY(at201 >= 0);
    QCOMPARE(all[at201 + 1], QByteArray("R2Z :#202:CoordDirection"));
    QVERIFY(all.contains("R2Z :#300:PosCommand"));
    QVERIFY(all.contains("R2Z :#369:FollowError"));
}

void TestSimMonitors::itemHelpInJapanese()
{
    VirtualDrive drive;
    QVERIFY(drive.applyPreset(u"japanese"_s));
    SimWire wire(&drive);
    QList<QByteArray> all;
    for (int page = 1; page < 40; ++page)
        all += readPage(wire, "@42:" + QByteArray::number(page));
    QVERIFY(all.contains("R2Z :#201:\xB4\xB2\xBA\xDE\xCB\xAE\xB3\xBC\xDE\xBE\xDD\xC0\xB8"));
    QVERIFY(all.contains("R2Z :#300:\xB2\xC1\xBC\xDA\xB2"));
    QVERIFY(all.contains("R2Z :#1:\xCA\xDF\xD7\xD2\xB0\xC0"
                         "1"));
    // The command help stays English.
    QCOMPARE(readPage(wire, "@41:1").first(), QByteArray("R1Z :@0:0 Read status word"));
}

void TestSimMonitors::taggedHelpThroughTheSimpleTerminal()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    const QList<QByteArray> lines = readPage(wire, "@41:3", "!");
    QCOMPARE(lines.size(), 25);
    for (const QByteArray &line : lines)
        QVERIFY2(line.startsWith("!R1Z :"), line.constData());
    // A monitor's poll in between leaves an untagged page alone.
    QCOMPARE(wire.ask("@42:1"), QByteArray("R2Z :#1:ScaleNumerator\r"));
    QCOMPARE(wire.ask("!@57:0"), QByteArray("!R1H :1113\r"));
    QCOMPARE(wire.ask("R0P"), QByteArray("R2Z :#2:ScaleDenominator\r"));
}

void TestSimMonitors::axisSignals_data()
{
    QTest::addColumn<QStringList>("knobs"); // name=value
    QTest::addColumn<QByteArray>("availability");
    QTest::addColumn<QByteArray>("state");
    QTest::newRow("seed") << QStringList() << QByteArray("1577") << QByteArray("1113");
    QTest::newRow("availability without bit 5")
        << QStringList{u"availability=1557"_s} << QByteArray("1557") << QByteArray("1113");
    QTest::newRow("spare bit forced")
        << QStringList{u"axis_state_force=0008"_s} << QByteArray("1577") << QByteArray("111B");
    QTest::newRow("encoder disconnected")
        << QStringList{u"encoder_disconnect=on"_s} << QByteArray("1577") << QByteArray("1513");
    QTest::newRow("overload alarm")
        << QStringList{u"inject_alarm=A13"_s} << QByteArray("1577") << QByteArray("1115");
    QTest::newRow("off the marks")
        << QStringList{u"position=5000"_s} << QByteArray("1577") << QByteArray("0003");
    QTest::newRow("past the plus limit") << QStringList{u"set_item=4 1000"_s, u"position=4096"_s}
                                         << QByteArray("1577") << QByteArray("1123");
    QTest::newRow("past the minus limit") << QStringList{u"set_item=5 -1000"_s, u"position=-8192"_s}
                                          << QByteArray("1577") << QByteArray("1143");
}

void TestSimMonitors::axisSignals()
{
    QFETCH(QStringList, knobs);
    QFETCH(QByteArray, availability);
    QFETCH(QByteArray, state);
    VirtualDrive drive;
    for (const QString &knob : knobs) {
        QString error;
        QVERIFY2(drive.setKnob(knob.section(u'=', 0, 0), knob.section(u'=', 1), &error),
                 qPrintable(error));
    }
    SimWire wire(&drive);
    QCOMPARE(wire.ask("!@56:0"), "!R1H :" + availability + '\r');
    QCOMPARE(wire.ask("!@57:0"), "!R1H :" + state + '\r');
    QCOMPARE(wire.ask("@57:0"), "R1H :" + state + '\r');
    QCOMPARE(wire.ask("@57:1"), QByteArray("ERR2\r"));
}

void TestSimMonitors::axisSignalsChangeOverTime()
{
    VirtualDrive drive;
    QVERIFY(drive.setKnob(u"axis_wander"_s, u"on"_s));
    SimWire wire(&drive);
    QSet<QByteArray> words;
    QSet<QByteArray> positions;
    for (int step = 0; step < 40; ++step) {
        words.insert(wire.ask("!@57:0"));
        positions.insert(wire.ask("!#300"));
        drive.advanceClock(530);
    }
    QVERIFY2(words.size() >= 2, qPrintable(QString::number(words.size())));
    QVERIFY(positions.size() >= 20);
    // The moving axis is neither in position nor at rest.
    QVERIFY(words.contains("!R1H :0003\r"));
}

void TestSimMonitors::statusWord_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QStringList>("knobs");
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("idle") << u"default"_s << QStringList() << QByteArray("R3H :01000013:00:0000");
    QTest::newRow("error") << u"default"_s << QStringList{u"inject_error=E31"_s}
                           << QByteArray("R3H :00010013:00:0000");
    QTest::newRow("alarm") << u"default"_s << QStringList{u"inject_alarm=A13"_s}
                           << QByteArray("R3H :00020011:00:0000");
    QTest::newRow("both") << u"alarm"_s << QStringList() << QByteArray("R3H :00030011:00:0000");
    QTest::newRow("plc") << u"plc"_s << QStringList() << QByteArray("R3H :01000012:00:0000");
    QTest::newRow("override") << u"default"_s
                              << QStringList{u"status_override=bits:4,program:12,block:300"_s}
                              << QByteArray("R3H :01000017:0C:012C");
}

void TestSimMonitors::statusWord()
{
    QFETCH(QString, preset);
    QFETCH(QStringList, knobs);
    QFETCH(QByteArray, reply);
    VirtualDrive drive;
    QVERIFY(drive.applyPreset(preset));
    for (const QString &knob : knobs)
        QVERIFY(drive.setKnob(knob.section(u'=', 0, 0), knob.section(u'=', 1)));
    SimWire wire(&drive);
    QCOMPARE(wire.ask("@0:0"), reply + '\r');
    QCOMPARE(wire.ask("!@0:0"), "!" + reply + '\r');
    QCOMPARE(wire.ask("!!!@0:0"), "!!!" + reply + '\r');
    QCOMPARE(wire.ask("@0"), QByteArray("ERR2\r"));
}

void TestSimMonitors::errorList()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    QCOMPARE(wire.ask("!@50"), QByteArray("!R00\r"));
    QVERIFY(drive.setKnob(u"inject_error"_s, u"E31"_s));
    QVERIFY(drive.setKnob(u"inject_error"_s, u"E40"_s));
    QVERIFY(drive.setKnob(u"inject_alarm"_s, u"A13"_s));
    // Three conditions: three lines, three R0P, the last answered R00.
    QCOMPARE(wire.ask("!@50"), QByteArray("!R1Z :E31 Soft limit over\r"));
    QCOMPARE(wire.ask("!R0P"), QByteArray("!R1Z :E40 Program execution error\r"));
    QCOMPARE(wire.ask("!R0P"), QByteArray("!R1Z :A13 Overload\r"));
    QCOMPARE(wire.ask("!R0P"), QByteArray("!R00\r"));
    // The list persists: asked again, listed again.
    QCOMPARE(wire.ask("!!!@50"), QByteArray("!!!R1Z :E31 Soft limit over\r"));
    QCOMPARE(wire.ask("!!!R0P"), QByteArray("!!!R1Z :E40 Program execution error\r"));
    QCOMPARE(wire.ask("@4"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("@50"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("@0:0"), QByteArray("R3H :01000013:00:0000\r"));
}

void TestSimMonitors::resetKeepsPersistentAlarms()
{
    VirtualDrive drive;
    QVERIFY(drive.applyPreset(u"alarm"_s)); // E31, and A13 that cannot be reset
    SimWire wire(&drive);
    QCOMPARE(wire.ask("@4"), QByteArray("ALM13\r"));
    QCOMPARE(wire.ask("@50"), QByteArray("R1Z :A13 Overload\r"));
    QCOMPARE(wire.ask("R0P"), QByteArray("R00\r"));
    QVERIFY(drive.setKnob(u"clear_conditions"_s, {}));
    QCOMPARE(wire.ask("@4"), QByteArray("R00\r"));
}

void TestSimMonitors::conditionsComeAndGo()
{
    VirtualDrive drive;
    QVERIFY(drive.setKnob(u"condition_cycle_ms"_s, u"3600000"_s));
    SimWire wire(&drive);
    // Skip ahead a hundredth of the cycle at a time: quiet, error, quiet,
    // alarm, quiet.
    QList<QByteArray> seen;
    for (int step = 0; step < 100; ++step) {
        const QByteArray reply = wire.ask("!@50");
        if (seen.isEmpty() || seen.last() != reply)
            seen.append(reply);
        wire.ask("!R0P");
        drive.advanceClock(36000);
    }
    QCOMPARE(seen.size(), 5);
    QVERIFY(seen.contains("!R00\r"));
    QVERIFY(seen.contains("!R1Z :E31 Soft limit over\r"));
    QVERIFY(seen.contains("!R1Z :A13 Overload\r"));
}

void TestSimMonitors::pulseSettings()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    QCOMPARE(wire.ask("#202"), QByteArray("R1D CoordDirection:0\r"));
    QCOMPARE(wire.ask("#204"), QByteArray("R1D CmdPulseType:1\r"));
    QCOMPARE(wire.ask("#205"), QByteArray("R1D MonPulseType:1\r"));
    QCOMPARE(wire.ask("#207"), QByteArray("R1D ScalingWeight:1\r"));
    QCOMPARE(wire.ask("@55"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("#202=1"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("#204=2"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("#205=0"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("#207=16"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("@96"), QByteArray());
    drive.advanceClock(1500);
    QTRY_VERIFY(!drive.isRestarting());
    QCOMPARE(wire.ask("#202"), QByteArray("R1D CoordDirection:1\r"));
    QCOMPARE(wire.ask("#204"), QByteArray("R1D CmdPulseType:2\r"));
    QCOMPARE(wire.ask("#205"), QByteArray("R1D MonPulseType:0\r"));
    QCOMPARE(wire.ask("#207"), QByteArray("R1D ScalingWeight:16\r"));
    // Values outside the dialog's lists can only be forced.
    QCOMPARE(wire.ask("#204=5"), QByteArray("ALM65\r"));
    drive.forceItem(204, 5);
    QCOMPARE(wire.ask("#204"), QByteArray("R1D CmdPulseType:5\r"));
}

QTEST_GUILESS_MAIN(TestSimMonitors)
#include "tst_simmonitors.moc"
