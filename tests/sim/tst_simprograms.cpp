#include "simwire.h"

#include "sim/virtualdrive.h"

#include <QTest>

// The drive's programs: listing, registration with its questions, reading
// back, deletion, and a program run followed through the status word.
class TestSimPrograms : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<VirtualDrive> m_drive;
    std::unique_ptr<SimWire> m_wire;

    // Sends a request and pages it to its end; the lines, "R00" last.
    QByteArrayList paged(const QByteArray &request, const QByteArray &tags = {})
    {
        QByteArrayList lines{m_wire->ask(tags + request).chopped(1)};
        while (lines.last() != tags + "R00" && lines.size() < 2000)
            lines.append(m_wire->ask(tags + "R0P").chopped(1));
        return lines;
    }
    QByteArray ask(const QByteArray &line) { return m_wire->ask(line).chopped(1); }
    QByteArray status() { return ask("!@0:0"); }

private Q_SLOTS:
    void init()
    {
        m_drive = std::make_unique<VirtualDrive>();
        m_drive->applyPreset(QStringLiteral("default"));
        m_wire = std::make_unique<SimWire>(m_drive.get());
    }
    void cleanup()
    {
        m_wire.reset();
        m_drive.reset();
    }

    void listAndRead()
    {
        QCOMPARE(paged("@60"),
                 (QByteArrayList{"R2D :3:10", "R2D :12:8", "R2D :95:4", "R2D :100:1002", "R00"}));
        QCOMPARE(paged("@63:3"),
                 (QByteArrayList{"R1H :0001", "R2Z :1:'SIM demo program 3", "R2Z :2:SPD 100",
                                 "R2Z :3:ACC 50", "R2Z :4:MOV 10000$", "R2Z :5:'move out",
                                 "R2Z :6:TIM 500", "R2Z :7:MOV 0$", "R2Z :8:'back home",
                                 "R2Z :9:M10", "R2Z :10:END", "R00"}));
        // A monitor's "!" poll in the middle leaves the listing alone.
        QCOMPARE(ask("@60"), QByteArray("R2D :3:10"));
        QCOMPARE(status(), QByteArray("!R3H :01000013:00:0000"));
        QCOMPARE(ask("R0P"), QByteArray("R2D :12:8"));
        QCOMPARE(ask("@63:50"), QByteArray("ERR18"));
        QCOMPARE(ask("@63:100"), QByteArray("ERR2"));
        m_drive->applyPreset(QStringLiteral("empty"));
        QCOMPARE(paged("@60"), (QByteArrayList{"R2D :100:1024", "R00"}));
    }

    // The opening answers of a registration, and what a line or the close
    // does to it.
    void registration_data()
    {
        QTest::addColumn<QString>("knob");
        QTest::addColumn<QByteArrayList>("script");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QByteArray>("listed"); // the @60 line of the program, or none
        QTest::newRow("new program")
            << QString() << QByteArrayList{"@61:20:3:0001", "SPD 100", "MOV 100   'go", "@62"}
            << QByteArrayList{"R0P", "R0P", "R0P", "R00"} << QByteArray("R2D :20:3");
        QTest::newRow("empty line is a block")
            << QString() << QByteArrayList{"@61:21:2:0", "", "END", "@62"}
            << QByteArrayList{"R0P", "R0P", "R0P", "R00"} << QByteArray("R2D :21:2");
        QTest::newRow("overwrite asked")
            << QString() << QByteArrayList{"@61:3:1:0", "END", "@62"}
            << QByteArrayList{"R1Z :AB", "R0P", "R00"} << QByteArray("R2D :3:1");
        QTest::newRow("overwrite declined")
            << QString() << QByteArrayList{"@61:3:1:0", "@98", "R0P"}
            << QByteArrayList{"R1Z :AB", "R00", "R00"} << QByteArray("R2D :3:10");
        // 22 used of 40: 20 blocks fit only once program 3's 10 are gone.
        QTest::newRow("delete first") << QStringLiteral("40") << QByteArrayList{"@61:3:20:0"}
                                      << QByteArrayList{"R1Z :B"} << QByteArray("R2D :3:10");
        QTest::newRow("memory full") << QStringLiteral("40") << QByteArrayList{"@61:3:29:0", "END"}
                                     << QByteArrayList{"ERR5", "ERR1"} << QByteArray("R2D :3:10");
        QTest::newRow("too few blocks") << QString() << QByteArrayList{"@61:20:2:0", "END", "@62"}
                                        << QByteArrayList{"R0P", "R0P", "ERR3"} << QByteArray();
        QTest::newRow("too many blocks")
            << QString() << QByteArrayList{"@61:20:1:0", "MOV 1 'x", "@62"}
            << QByteArrayList{"R0P", "ERR3", "ERR3"} << QByteArray();
        QTest::newRow("81 characters")
            << QString() << QByteArrayList{"@61:20:1:0", QByteArray(81, 'A'), "@62"}
            << QByteArrayList{"R0P", "ERR4", "ERR3"} << QByteArray();
        QTest::newRow("41-character comment after code")
            << QString() << QByteArrayList{"@61:20:2:0", "A '" + QByteArray(40, 'c')}
            << QByteArrayList{"R0P", "ERR4"} << QByteArray();
        QTest::newRow("41-character comment alone")
            << QString() << QByteArrayList{"@61:20:1:0", "'" + QByteArray(40, 'c'), "@62"}
            << QByteArrayList{"R0P", "R0P", "R00"} << QByteArray("R2D :20:1");
        QTest::newRow("bad arguments")
            << QString() << QByteArrayList{"@61:1:1:12345", "@61:100:1:0"}
            << QByteArrayList{"ERR2", "ERR2"} << QByteArray();
    }
    void registration()
    {
        QFETCH(QString, knob);
        QFETCH(QByteArrayList, script);
        QFETCH(QByteArrayList, replies);
        QFETCH(QByteArray, listed);
        if (!knob.isEmpty())
            QVERIFY(m_drive->setKnob(QStringLiteral("program_capacity"), knob));
        QByteArrayList got;
        for (const QByteArray &line : script)
            got.append(ask(line));
        QCOMPARE(got, replies);
        ask("@98");
        const QByteArray number = script.first().mid(4).split(':').first();
        const QByteArrayList list = paged("@60");
        QByteArray found;
        for (const QByteArray &line : list) {
            if (line.startsWith("R2D :" + number + ':'))
                found = line;
        }
        QCOMPARE(found, listed);
    }

    void storedBlocksAndDelete()
    {
        for (const char *line : {"@61:7:3:2", "MOV 5  'c", "'lead", "@62"})
            ask(line);
        QCOMPARE(paged("@63:7"), (QByteArrayList{"R1H :0002", "R2Z :1:MOV 5$", "R2Z :2:'c",
                                                 "R2Z :3:'lead", "R00"}));
        QCOMPARE(ask("@64:7"), QByteArray("R00"));
        QCOMPARE(ask("@64:7"), QByteArray("ERR18"));
        QCOMPARE(m_drive->state().freeBlocks(), 1002);
    }

    // Program 3 run in step mode, then on normally to its M-code wait and
    // its end; the status word follows it block by block.
    void execution()
    {
        QCOMPARE(ask("!!#82=1"), QByteArray("!!R00 "));
        QCOMPARE(ask("@3:4:3:1"), QByteArray("R00"));
        QCOMPARE(status(), QByteArray("!R3H :00000017:03:0001"));
        QCOMPARE(ask("@3:4:3:1"), QByteArray("ERR49")); // running, not paused
        QCOMPARE(ask("@61:3:1:0"), QByteArray("ERR49"));
        QCOMPARE(ask("@64:3"), QByteArray("ERR49"));
        m_drive->advanceClock(1000);
        QCOMPARE(status(), QByteArray("!R3H :00000117:03:0002")); // step pause
        m_drive->advanceClock(5000);
        QCOMPARE(status(), QByteArray("!R3H :00000117:03:0002")); // still paused
        QCOMPARE(ask("@3:4:12:1"), QByteArray("R00"));            // runs block 2
        QCOMPARE(status(), QByteArray("!R3H :00000017:03:0002"));
        m_drive->advanceClock(1000);
        QCOMPARE(status(), QByteArray("!R3H :00000117:03:0003"));
        QCOMPARE(ask("!!#82=0"), QByteArray("!!R00 "));
        QCOMPARE(ask("@9"), QByteArray("R00"));
        m_drive->advanceClock(3000);
        QCOMPARE(status(), QByteArray("!R3H :00000017:03:0006"));
        m_drive->advanceClock(3000);
        QCOMPARE(status(), QByteArray("!R3H :00000117:03:0009")); // M10 waits
        m_drive->advanceClock(5000);
        QCOMPARE(status(), QByteArray("!R3H :00000117:03:0009"));
        QCOMPARE(ask("@9"), QByteArray("R00"));
        m_drive->advanceClock(1000);
        QCOMPARE(status(), QByteArray("!R3H :01000013:03:000A"));
        QCOMPARE(ask("@9"), QByteArray("R00")); // nothing waits
    }

    void stopsAndRefusals_data()
    {
        QTest::addColumn<QString>("knob");
        QTest::addColumn<QByteArrayList>("script");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::newRow("abort at once") << QString() << QByteArrayList{"@3:4:12:2", "!!@1", "!@0:0"}
                                       << QByteArrayList{"R00", "!!R00", "!R3H :01000013:0C:0002"};
        QTest::newRow("stop after the block")
            << QString() << QByteArrayList{"@3:4:12:2", "!!@2", "!@0:0", "+1000", "!@0:0"}
            << QByteArrayList{"R00", "!!R00", "!R3H :00000017:0C:0002", "",
                              "!R3H :01000013:0C:0002"};
        QTest::newRow("start block 0 is 1") << QString() << QByteArrayList{"@3:4:95:0", "!@0:0"}
                                            << QByteArrayList{"R00", "!R3H :00000017:5F:0001"};
        QTest::newRow("not registered") << QString() << QByteArrayList{"@3:4:50:1", "@3:4:12:9"}
                                        << QByteArrayList{"ERR18", "ERR18"};
        QTest::newRow("alarm present") << QStringLiteral("inject_alarm=A13")
                                       << QByteArrayList{"@3:4:12:1"} << QByteArrayList{"ERR49"};
        QTest::newRow("execution error")
            << QStringLiteral("program_error_at=12,3")
            << QByteArrayList{"@3:4:12:1", "+2000", "!@0:0", "!!@4", "!@0:0"}
            << QByteArrayList{"R00", "", "!R3H :00010013:0C:0003", "!!R00",
                              "!R3H :01000013:0C:0003"};
    }
    void stopsAndRefusals()
    {
        QFETCH(QString, knob);
        QFETCH(QByteArrayList, script);
        QFETCH(QByteArrayList, replies);
        if (!knob.isEmpty())
            QVERIFY(m_drive->setKnob(knob.section(u'=', 0, 0), knob.section(u'=', 1)));
        QByteArrayList got;
        for (const QByteArray &line : script) {
            if (line.startsWith('+')) {
                m_drive->advanceClock(line.mid(1).toInt());
                got.append(QByteArray());
            } else {
                got.append(ask(line));
            }
        }
        QCOMPARE(got, replies);
    }
};

QTEST_GUILESS_MAIN(TestSimPrograms)
#include "tst_simprograms.moc"
