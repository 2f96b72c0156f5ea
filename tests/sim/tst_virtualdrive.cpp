#include "simwire.h"

#include "sim/simtext.h"
#include "sim/virtualdrive.h"

#include <QBuffer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QByteArray Identity = "R5Z Kalderon_M2:SIM-0001:K1.20:A3.05:C2.01:E1.10";

QList<QByteArray> lines(const QByteArray &joined)
{
    return joined.split('|');
}

} // namespace

class TestVirtualDrive : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exchange_data();
    void exchange();
    void conversation_data();
    void conversation();
    void neverRepliesInsideReceive();
    void linesQueueInOrder();
    void overlongLines();
    void floodWithoutCarriageReturn();
    void restartIsSilentAndDeaf();
    void restartResetsVolatileState();
    void restartInRealTime();
    void replyToRestartKnob();
    void faults_data();
    void faults();
    void badFaultRules_data();
    void badFaultRules();
    void garbage();
    void chunking_data();
    void chunking();
    void disconnectAndReconnect();
    void powerGlitch();
    void pacingSlowsTheLine();
    void traceRecordsEveryLine();
    void presetsAndKnobs();
};

// --- One command, one answer ----------------------------------------------------

void TestVirtualDrive::exchange_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");

    const auto row = [](const char *name, const QString &preset, const QByteArray &in,
                        const QByteArray &out) {
        QTest::newRow(name) << preset << in << out;
    };
    // The start-up questions, in the order the main window asks them.
    row("pr:22", u"default"_s, "\"pr:22\r", "RD AbsAccCompType:2\r");
    row("pr:50", u"default"_s, "\"pr:50\r", "RD EncoderType:5\r");
    row("@44", u"default"_s, "@44\r", Identity + '\r');
    row("pr:0", u"default"_s, "\"pr:0\r", "RD MotorKind:0\r");
    row("#201", u"default"_s, "#201\r", "R1D EnglishDisplay:1\r");
    row("pr:30", u"default"_s, "\"pr:30\r", "RD IFB-STD:0\r");
    row("pr:12", u"default"_s, "\"pr:12\r", "RD SoftZero:0\r");
    row("@94", u"default"_s, "@94\r", "R2Z DM1060B-SIM:SN00012345\r");
    row("linear pr:0", u"linear"_s, "\"pr:0\r", "RD MotorKind:1\r");
    row("linear @94", u"linear"_s, "@94\r", "R2Z LM0300-SIM:SN00067890\r");
    row("no_abs pr:22", u"no_abs"_s, "\"pr:22\r", "RD AbsAccCompType:0\r");
    row("ifb100 pr:30", u"ifb100"_s, "\"pr:30\r", "RD IFB-CCL:100\r");
    row("japanese #201", u"japanese"_s, "#201\r",
        "R1D \xB4\xB2\xBA\xDE\xCB\xAE\xB3\xBC\xDE\xBE\xDD\xC0\xB8:0\r");
    row("pr: not a slot", u"default"_s, "\"pr:99\r", "ERR2\r");
    row("@98", u"default"_s, "@98\r", "R00\r");
    row("R0P without listing", u"default"_s, "R0P\r", "R00\r");
    row("unknown", u"default"_s, "@99\r", "ERR1\r");
    row("lower-case r0p", u"default"_s, "r0p\r", "ERR1\r");
    row("NH", u"default"_s, "NH\r", "ERR1\r");
    row("blanks around", u"default"_s, "  @44  \r", Identity + '\r');

    // Line assembly.
    row("line feeds dropped", u"default"_s, "\n@4\n4\n\r\n", Identity + '\r');
    row("NUL dropped", u"default"_s,
        QByteArray("@\0"
                   "44\r",
                   5),
        Identity + '\r');
    row("empty line", u"default"_s, "\r", "");
    row("blank line", u"default"_s, "   \r", "");
    row("no CR yet", u"default"_s, "@44", "");

    // Station addressing.
    row("station 3", u"station3"_s, "3@44\r", "03" + Identity + '\r');
    row("station 3, other digit", u"station3"_s, "4@44\r", "");
    row("station 3, no digit", u"station3"_s, "@44\r", "");
    row("station 3, digit only", u"station3"_s, "3\r", "");
    row("single drive keeps a digit", u"default"_s, "3@44\r", "ERR1\r");

    // Tags at every depth, with and without a station.
    row("tag 1", u"default"_s, "!@44\r", "!" + Identity + '\r');
    row("tag 2", u"default"_s, "!!#155\r", "!!R1D InertiaSet:1500\r");
    row("tag 3", u"default"_s, "!!!#201\r", "!!!R1D EnglishDisplay:1\r");
    row("tag 4", u"default"_s, "!!!!#318\r", "!!!!R1D HomeFlagPos:1200\r");
    row("tag 1 refusal", u"default"_s, "!#999\r", "!ALM62\r");
    row("tag 2 R0P", u"default"_s, "!!R0P\r", "!!R00\r");
    row("station 3 tag 1", u"station3"_s, "3!#201\r", "03!R1D EnglishDisplay:1\r");
    row("station 3 tag 4", u"station3"_s, "3!!!!@44\r", "03!!!!" + Identity + '\r');
}

void TestVirtualDrive::exchange()
{
    QFETCH(QString, preset);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);

    VirtualDrive drive;
    QVERIFY(drive.applyPreset(preset));
    SimWire wire(&drive);
    wire.send(input);
    if (input.endsWith('\r') || input.endsWith('\n'))
        QVERIFY(wire.settle());
    else
        QTest::qWait(50);
    QCOMPARE(wire.take(), expected);
}

// --- Conversations: paging and its contexts ------------------------------------

void TestVirtualDrive::conversation_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QByteArray>("commands"); // separated by |
    QTest::addColumn<QByteArray>("replies");  // one per command, without CR

    QTest::newRow("listing by R0P")
        << u"default"_s << QByteArray("@40:5|R0P|R0P") << QByteArray("R1Z#250H|R1Z#251H|R1Z#252H");
    QTest::newRow("listing ends with R00, then stays ended")
        << u"compact"_s << QByteArray("@40:5|R0P|R0P|R0P|R0P|R0P")
        << QByteArray("R1Z#250H|R1Z#251H|R1Z#252H|R1Z#253H|R00|R00");
    QTest::newRow("tagged listing keeps its tag on every line")
        << u"compact"_s << QByteArray("!!@40:5|!!R0P|!!R0P|!!R0P|!!R0P")
        << QByteArray("!!R1Z#250H|!!R1Z#251H|!!R1Z#252H|!!R1Z#253H|!!R00");
    QTest::newRow("depth 3 and 4 listings")
        << u"compact"_s << QByteArray("!!!@40:5|!!!R0P|!!!!@40:1|!!!!R0P")
        << QByteArray("!!!R1Z#250H|!!!R1Z#251H|!!!!R1Z#1N|!!!!R1Z#2N");
    QTest::newRow("station 3, tagged listing")
        << u"station3"_s << QByteArray("3!@40:5|3!R0P") << QByteArray("03!R1Z#250H|03!R1Z#251H");
    QTest::newRow("another depth leaves the listing alone")
        << u"default"_s << QByteArray("@40:5|!#201|R0P|!R0P")
        << QByteArray("R1Z#250H|!R1D EnglishDisplay:1|R1Z#251H|!R00");
    QTest::newRow("the same depth ends the listing")
        << u"default"_s << QByteArray("@40:5|#201|R0P")
        << QByteArray("R1Z#250H|R1D EnglishDisplay:1|R00");
    QTest::newRow("empty group answers R00 at once")
        << u"empty_group"_s << QByteArray("@40:3|R0P|@40:4") << QByteArray("R00|R00|R1Z#69N");
    QTest::newRow("@98 ends every listing")
        << u"default"_s << QByteArray("@40:5|!@40:1|@98|R0P|!R0P")
        << QByteArray("R1Z#250H|!R1Z#1N|R00|R00|!R00");
}

void TestVirtualDrive::conversation()
{
    QFETCH(QString, preset);
    QFETCH(QByteArray, commands);
    QFETCH(QByteArray, replies);

    VirtualDrive drive;
    QVERIFY(drive.applyPreset(preset));
    SimWire wire(&drive);
    const QList<QByteArray> sent = lines(commands);
    const QList<QByteArray> expected = lines(replies);
    QCOMPARE(sent.size(), expected.size());
    for (qsizetype i = 0; i < sent.size(); ++i)
        QCOMPARE(wire.ask(sent[i]), expected[i] + '\r');
}

void TestVirtualDrive::neverRepliesInsideReceive()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    wire.send("@44\r#201\r!@40:1\r");
    QVERIFY(wire.chunks.isEmpty());
    QVERIFY(wire.settle());
    QVERIFY(!wire.repliedInsideReceive);
    QVERIFY(!wire.chunks.isEmpty());
}

void TestVirtualDrive::linesQueueInOrder()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    // Three lines in one chunk, the last split over two more.
    wire.send("@44\r#201\r\"pr:");
    wire.send("0\r");
    QVERIFY(wire.settle());
    QCOMPARE(wire.take(), Identity + "\rR1D EnglishDisplay:1\rRD MotorKind:0\r");
}

void TestVirtualDrive::overlongLines()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    // 255 bytes is still a command (an unknown one); 256 is too long.
    QCOMPARE(wire.ask(QByteArray(255, 'A')), QByteArray("ERR1\r"));
    QCOMPARE(wire.ask(QByteArray(256, 'A')), QByteArray("ERR4\r"));
    QCOMPARE(wire.ask("!" + QByteArray(300, 'A')), QByteArray("!ERR4\r"));
    // The next line is whole again.
    QCOMPARE(wire.ask("@44"), Identity + '\r');

    drive.setStation(3);
    QCOMPARE(wire.ask("4" + QByteArray(300, 'A')), QByteArray());
    QCOMPARE(wire.ask("3" + QByteArray(300, 'A')), QByteArray("03ERR4\r"));
}

void TestVirtualDrive::floodWithoutCarriageReturn()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    QByteArray junk(10 * 1024 * 1024, '\xFF');
    junk[5] = '\0';
    wire.send(junk);
    wire.send("\r");
    QVERIFY(wire.settle());
    QCOMPARE(wire.take(), QByteArray("ERR4\r"));
    QCOMPARE(wire.ask("@44"), Identity + '\r');
    // The trace keeps the line bounded too.
    QVERIFY(drive.trace().received().first().size() < 300);
}

// --- Restart -------------------------------------------------------------------

void TestVirtualDrive::restartIsSilentAndDeaf()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    QSignalSpy restarted(&drive, &VirtualDrive::restarted);
    QCOMPARE(wire.ask("@96"), QByteArray());
    QVERIFY(drive.isRestarting());
    // Whatever arrives during the dead time is lost, half lines included.
    wire.send("@44\r#2");
    QTest::qWait(50);
    QCOMPARE(wire.take(), QByteArray());
    drive.advanceClock(1500);
    QTRY_COMPARE(restarted.size(), 1);
    QVERIFY(!drive.isRestarting());
    QCOMPARE(wire.ask("01"), QByteArray("ERR1\r"));
    QCOMPARE(wire.ask("@44"), Identity + '\r');
}

void TestVirtualDrive::restartResetsVolatileState()
{
    VirtualDrive drive;
    SimWire wire(&drive);
    QCOMPARE(wire.ask("@55"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("#69=2"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("!@40:5"), QByteArray("!R1Z#250H\r"));
    drive.state().raise({"E31", "E31 Soft limit over", false});
    drive.state().raise({"A13", "A13 Overload", true});
    QCOMPARE(wire.ask("@96"), QByteArray());
    drive.advanceClock(2000);
    QTRY_VERIFY(!drive.isRestarting());
    // Transfer closed, listing gone, non-persistent conditions cleared;
    // parameter values kept.
    QCOMPARE(wire.ask("#70=1"), QByteArray("R00 \r"));
    QCOMPARE(wire.ask("!R0P"), QByteArray("!R00\r"));
    QCOMPARE(drive.state().errors.size(), 0);
    QCOMPARE(drive.state().alarms.size(), 1);
    QCOMPARE(drive.item(69), std::optional<qint32>(2));
}

void TestVirtualDrive::restartInRealTime()
{
    VirtualDrive drive;
    drive.setRestartMs(150);
    SimWire wire(&drive);
    QSignalSpy restarted(&drive, &VirtualDrive::restarted);
    QCOMPARE(wire.ask("@96"), QByteArray());
    QVERIFY(restarted.wait(5000));
    QCOMPARE(wire.ask("@44"), Identity + '\r');
}

void TestVirtualDrive::replyToRestartKnob()
{
    VirtualDrive drive;
    QVERIFY(drive.setKnob(u"reply_to_restart"_s, u"on"_s));
    QVERIFY(drive.setKnob(u"boot_banner"_s, u"R00 BOOT"_s));
    SimWire wire(&drive);
    wire.send("@96\r");
    QTRY_COMPARE(wire.chunks.join(), QByteArray("R00\r"));
    QTRY_VERIFY(drive.isRestarting());
    drive.advanceClock(1500);
    QTRY_COMPARE(wire.chunks.join(), QByteArray("R00\rR00 BOOT\r"));
}

// --- Faults -----------------------------------------------------------------------

void TestVirtualDrive::faults_data()
{
    QTest::addColumn<QString>("preset");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("commands");
    QTest::addColumn<QByteArray>("replies"); // one per command, CRs included

    const auto row = [](const char *name, const QString &preset, const QString &fault,
                        const QByteArray &commands, const QByteArray &replies) {
        QTest::newRow(name) << preset << fault << commands << replies;
    };
    row("no reply to the 2nd command", u"default"_s, u"nth=2,drop"_s, "@44|#201|@94",
        Identity + "\r||R2Z DM1060B-SIM:SN00012345\r");
    row("dropped reply still takes effect", u"default"_s, u"nth=1,drop"_s, "@55|#69=2", "|R00\r");
    row("lost line has no effect", u"default"_s, u"nth=1,lose"_s, "@55|#69=2", "|R00 \r");
    row("replace by match", u"default"_s, u"match=^@44$,replace=ERR1"_s, "@94|@44|@44",
        "R2Z DM1060B-SIM:SN00012345\r|ERR1\r|" + Identity + '\r');
    row("replace keeps the tag", u"default"_s, u"match=#201,replace=\"R1D Odd\""_s, "!#201",
        "!R1D Odd\r");
    row("refuse has no effect", u"default"_s, u"nth=1,refuse=ALM62"_s, "@55|#69=2",
        "ALM62\r|R00 \r");
    row("refused item, persistent", u"default"_s, u"refuse_item=207,on=write,code=ALM65"_s,
        "#207=2|#207|#207=4", "ALM65\r|R1D ScalingWeight:1\r|ALM65\r");
    row("wrong station prefix", u"station3"_s, u"nth=1,station_prefix=4"_s, "3@44|3@44",
        "04" + Identity + "\r|03" + Identity + '\r');
    row("no station prefix", u"station3"_s, u"nth=1,station_prefix=none"_s, "3@44",
        Identity + '\r');
    row("wrong tag", u"default"_s, u"nth=1,tag=2"_s, "!#201", "!!R1D EnglishDisplay:1\r");
    row("truncated", u"default"_s, u"nth=1,truncate=3"_s, "@44", "R5Z\r");
    row("noise before the reply", u"default"_s, u"nth=1,noise_prefix=\"\\x01#\""_s, "@44",
        "\x01#" + Identity + '\r');
    row("unsolicited line after", u"default"_s,
        u"nth=1,unsolicited=\"!R3H :01000013:00:0000\",after"_s, "#201",
        "R1D EnglishDisplay:1\r!R3H :01000013:00:0000\r");
    row("unsolicited line before", u"station3"_s, u"nth=1,unsolicited=R00,before"_s, "3#201",
        "03R00\r03R1D EnglishDisplay:1\r");
    row("duplicate", u"default"_s, u"nth=1,duplicate"_s, "#201",
        "R1D EnglishDisplay:1\rR1D EnglishDisplay:1\r");
    row("echo", u"default"_s, u"nth=1,echo"_s, "#201", "#201\rR1D EnglishDisplay:1\r");
    row("K-th line of a listing", u"default"_s, u"match=^@40:5$,in_answer=2,drop"_s,
        "@40:5|R0P|R0P|R0P", "R1Z#250H\r|R1Z#251H\r||R1Z#253H\r");
    row("second match only", u"default"_s, u"match=^#,occurrence=2,replace=ERR2"_s,
        "#201|#201|#201", "R1D EnglishDisplay:1\r|ERR2\r|R1D EnglishDisplay:1\r");
    row("every match", u"default"_s, u"match=^@44,every,replace=ERR3"_s, "@44|@94|@44",
        "ERR3\r|R2Z DM1060B-SIM:SN00012345\r|ERR3\r");
    row("count", u"default"_s, u"match=^@44,count=2,drop"_s, "@44|@44|@44", "||" + Identity + '\r');
    row("no selector: next command", u"default"_s, u"replace=X"_s, "@44|@44",
        "X\r|" + Identity + '\r');
    row("delay still answers", u"default"_s, u"nth=1,delay=30"_s, "@44", Identity + '\r');
}

void TestVirtualDrive::faults()
{
    QFETCH(QString, preset);
    QFETCH(QString, fault);
    QFETCH(QByteArray, commands);
    QFETCH(QByteArray, replies);

    VirtualDrive drive;
    QVERIFY(drive.applyPreset(preset));
    QString error;
    QVERIFY2(drive.addFault(fault, &error) > 0, qPrintable(error));
    SimWire wire(&drive);
    const QList<QByteArray> sent = lines(commands);
    const QList<QByteArray> expected = lines(replies);
    QCOMPARE(sent.size(), expected.size());
    for (qsizetype i = 0; i < sent.size(); ++i)
        QCOMPARE(wire.ask(sent[i]), expected[i]);
    QVERIFY(drive.trace().text().contains(" FLT "));
}

void TestVirtualDrive::badFaultRules_data()
{
    QTest::addColumn<QString>("definition");
    QTest::newRow("no effect") << u"nth=3"_s;
    QTest::newRow("two effects") << u"drop,duplicate"_s;
    QTest::newRow("unknown key") << u"nth=1,explode"_s;
    QTest::newRow("bad number") << u"nth=x,drop"_s;
    QTest::newRow("bad regex") << u"match=(,drop"_s;
    QTest::newRow("open quote") << u"replace=\"abc"_s;
    QTest::newRow("in_answer without match") << u"in_answer=3,drop"_s;
    QTest::newRow("chunk without sizes") << u"chunk="_s;
}

void TestVirtualDrive::badFaultRules()
{
    QFETCH(QString, definition);
    VirtualDrive drive;
    QString error;
    QCOMPARE(drive.addFault(definition, &error), 0);
    QVERIFY(!error.isEmpty());
    QCOMPARE(drive.faultCount(), 0);
}

void TestVirtualDrive::garbage()
{
    VirtualDrive drive;
    QVERIFY(drive.addFault(u"nth=1,garbage=40,charset=high"_s));
    QVERIFY(drive.addFault(u"nth=2,garbage=500,charset=binary,seed=7"_s));
    SimWire wire(&drive);
    const QByteArray high = wire.ask("@44");
    QCOMPARE(high.size(), 41);
    QVERIFY(high.endsWith('\r'));
    for (qsizetype i = 0; i < 40; ++i)
        QVERIFY(static_cast<unsigned char>(high[i]) >= 0x80);
    const QByteArray binary = wire.ask("@44");
    QCOMPARE(binary.size(), 501);
    QCOMPARE(binary.count('\r'), 1); // one line, whatever the bytes
}

void TestVirtualDrive::chunking_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QByteArray>("chunks"); // separated by |
    QTest::newRow("one byte each") << u"nth=1,chunk=1"_s << QByteArray("R|1|D| |E|n|\r");
    QTest::newRow("sizes repeat the last") << u"nth=1,chunk=2/3"_s << QByteArray("R1|D E|n\r");
    QTest::newRow("CR alone") << u"nth=1,chunk=[4],cr_separate"_s << QByteArray("R1D |En|\r");
    QTest::newRow("with gaps") << u"nth=1,chunk=3,gap_ms=20"_s << QByteArray("R1D| En|\r");
}

void TestVirtualDrive::chunking()
{
    QFETCH(QString, fault);
    QFETCH(QByteArray, chunks);
    VirtualDrive drive;
    QVERIFY(drive.addFault(fault));
    // A short reply keeps the rows readable.
    QVERIFY(drive.addFault(u"nth=1,replace=\"R1D En\""_s));
    SimWire wire(&drive);
    wire.send("#201\r");
    QVERIFY(wire.settle());
    QCOMPARE(wire.chunks, lines(chunks));
}

void TestVirtualDrive::disconnectAndReconnect()
{
    VirtualDrive drive;
    QVERIFY(drive.addFault(u"match=^@40:1,in_answer=2,disconnect,for_ms=400"_s));
    QSignalSpy down(&drive, &VirtualDrive::disconnected);
    QSignalSpy up(&drive, &VirtualDrive::reconnected);
    SimWire wire(&drive);
    QCOMPARE(wire.ask("@40:1"), QByteArray("R1Z#1N\r"));
    QCOMPARE(wire.ask("R0P"), QByteArray("R1Z#2N\r"));
    QCOMPARE(wire.ask("R0P"), QByteArray());
    QCOMPARE(down.size(), 1);
    QCOMPARE(down.first().first().toInt(), 400);
    QVERIFY(drive.isDisconnected());
    QCOMPARE(wire.ask("@44"), QByteArray());
    QVERIFY(up.wait(5000));
    QCOMPARE(wire.ask("@44"), Identity + '\r');

    // Without a time it stays down until told.
    QVERIFY(drive.addFault(u"nth=1,hangup"_s));
    QCOMPARE(wire.ask("@44"), QByteArray());
    QTest::qWait(50);
    QVERIFY(drive.isDisconnected());
    drive.reconnect();
    QCOMPARE(wire.ask("@44"), Identity + '\r');
}

void TestVirtualDrive::powerGlitch()
{
    VirtualDrive drive;
    QVERIFY(drive.addFault(u"nth=2,restart"_s));
    SimWire wire(&drive);
    QCOMPARE(wire.ask("@55"), QByteArray("R00\r"));
    QCOMPARE(wire.ask("#69=2"), QByteArray());
    QVERIFY(drive.isRestarting());
    drive.advanceClock(1500);
    QTRY_VERIFY(!drive.isRestarting());
    // The glitch came before the write took effect; the transfer is closed.
    QCOMPARE(wire.ask("#69"), QByteArray("R1D VelMonGain:3\r"));
    QCOMPARE(wire.ask("#69=2"), QByteArray("R00 \r"));
}

void TestVirtualDrive::pacingSlowsTheLine()
{
    VirtualDrive drive;
    drive.setPacing(true);
    drive.setBaud(1200); // 8.33 ms a character, so that pacing is plain to see
    SimWire wire(&drive);
    QElapsedTimer clock;
    clock.start();
    wire.send("@44\r");
    QVERIFY(wire.settle());
    const qint64 elapsed = clock.elapsed();
    QCOMPARE(wire.chunks.join(), Identity + '\r');
    // 4 characters in, 50 out: the drive cannot have been quicker than the
    // wire allows, and it sent the reply in several pieces.
    QVERIFY2(elapsed >= qint64(54 * 8.33 * 0.95), qPrintable(QString::number(elapsed)));
    QVERIFY(wire.chunks.size() > 5);

    drive.setPacing(false);
    wire.take();
    wire.send("@44\r");
    QVERIFY(wire.settle());
    QCOMPARE(wire.chunks.size(), 1);
}

void TestVirtualDrive::traceRecordsEveryLine()
{
    VirtualDrive drive;
    drive.setStation(3);
    QBuffer sink;
    sink.open(QIODevice::WriteOnly);
    drive.trace().setSink(&sink);
    QVERIFY(drive.addFault(u"match=^#201,drop"_s));
    SimWire wire(&drive);
    wire.ask("3!@44");
    wire.ask("3#201");
    wire.ask("4@44");
    wire.ask("3@96");

    QCOMPARE(drive.trace().received(), (QList<QByteArray>{"3!@44", "3#201", "4@44", "3@96"}));
    QCOMPARE(drive.trace().sent(), (QList<QByteArray>{"03!" + Identity}));
    const QList<QByteArray> text = drive.trace().text().split('\n');
    static const QRegularExpression rx(uR"(^\d{6}\.\d{3} RX  3 ! "3!@44"$)"_s);
    QVERIFY2(rx.match(QString::fromLatin1(text[0])).hasMatch(), text[0].constData());
    QVERIFY(text[1].contains(" TX  3 ! \"03!R5Z Kalderon_M2"));
    QVERIFY(drive.trace().text().contains("FLT rule#1"));
    QVERIFY(drive.trace().text().contains("not for station 3"));
    QVERIFY(drive.trace().text().contains("restart"));
    QCOMPARE(sink.data(), drive.trace().text());
}

void TestVirtualDrive::presetsAndKnobs()
{
    VirtualDrive drive;
    QString error;
    QVERIFY(!drive.applyPreset(u"default+nonsense"_s, &error));
    QVERIFY(error.contains(u"nonsense"_s));
    QVERIFY(!drive.setKnob(u"nonsense"_s, u"1"_s, &error));
    QVERIFY(!drive.setKnob(u"station"_s, u"12"_s, &error));
    QVERIFY(!drive.setKnob(u"availability"_s, u"12345"_s, &error));

    QVERIFY(drive.applyPreset(u"default+linear+station3"_s));
    QCOMPARE(drive.station(), 3);
    QVERIFY(drive.setKnob(u"station"_s, u"0"_s));
    QVERIFY(drive.setKnob(u"firmware_version"_s, u"K9.99:A3.05:C2.01:E1.10"_s));
    QVERIFY(drive.setKnob(u"motor_type_fields"_s, u"3"_s));
    SimWire wire(&drive);
    QCOMPARE(wire.ask("@44"), QByteArray("R5Z Kalderon_M2:SIM-0001:K9.99:A3.05:C2.01:E1.10\r"));
    QCOMPARE(wire.ask("@94"), QByteArray("R2Z LM0300-SIM:SN00067890:REV-B\r"));
    QVERIFY(drive.setKnob(u"long_identity"_s, u"on"_s));
    QVERIFY(wire.ask("@44").size() > 76);

    QVERIFY(drive.setKnob(u"profile"_s, u"demo"_s));
    QVERIFY(drive.pacing());
    QCOMPARE(drive.restartMs(), 2000);
    QVERIFY(drive.setKnob(u"profile"_s, u"test"_s));
    QVERIFY(!drive.pacing());
    QCOMPARE(drive.restartMs(), 1500);
}

QTEST_GUILESS_MAIN(TestVirtualDrive)
#include "tst_virtualdrive.moc"
