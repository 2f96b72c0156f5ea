#include "params/scriptedprompt.h"
#include "programs/programmonitor.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"

#include <QSignalSpy>
#include <QTest>

namespace {

// The window below the monitor on the owner stack.
class BottomOwner : public LinkOwner
{
public:
    void onLinkTimeout() override {}
    void onLinkReply(const QByteArray &) override {}
};

} // namespace

class TestProgramMonitor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    BottomOwner m_bottom;
    ScriptedPrompt m_prompt;
    std::unique_ptr<ProgramMonitor> m_monitor;

    void makeBench(LinkBench::Far far)
    {
        m_monitor.reset();
        m_bench = std::make_unique<LinkBench>(far);
        m_bench->link.pushOwner(&m_bottom);
        m_bench->link.open();
        m_prompt = ScriptedPrompt();
        m_monitor = std::make_unique<ProgramMonitor>(m_bench->link, m_prompt);
        m_bench->link.pushOwner(m_monitor.get());
    }

    bool read(int number)
    {
        QSignalSpy finished(m_monitor.get(), &ProgramMonitor::readFinished);
        m_monitor->readPrograms(number);
        if (finished.isEmpty() && !finished.wait(10000))
            return false;
        return finished.first().at(0).toBool();
    }

    // A scripted drive holding program 7: code with a comment (two blocks),
    // a plain line, and a comment line.
    void scriptProgramSeven()
    {
        auto &answers = m_bench->scripted->answers;
        answers["@60"] = {"R2D :7:4", "R2D :100:1020"};
        answers["@63:7"] = {"R1H :0001", "R2Z :1:MOV 100$", "R2Z :2:'go", "R2Z :3:WAIT",
                            "R2Z :4:'end"};
        answers["@0:0"] = {"R3H :01000013:00:0000"};
    }

    // Waits until a poll answered `status` has been handled.
    bool statusIs(const QByteArray &status)
    {
        m_bench->scripted->answers["@0:0"] = {"R3H :" + status};
        QSignalSpy changed(m_monitor.get(), &ProgramMonitor::statusChanged);
        for (int i = 0; i < 10; ++i) {
            if (!changed.wait(3000))
                return false;
            if (QByteArray::number(m_monitor->status().word, 16).toUpper().rightJustified(8, '0') ==
                status.left(8))
                return true;
        }
        return false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Catalogue::instance().loadModule(
            QStringLiteral(TORVANE_BIN_DIR "/") +
            Catalogue::moduleFileName(QStringLiteral("Torvane_E_Resource"))));
    }

    void cleanup()
    {
        m_monitor.reset();
        m_bench.reset();
    }

    void parseStatus_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("program");
        QTest::addColumn<int>("block");
        QTest::newRow("idle") << QByteArray("R3H :01000013:00:0000") << true << 2 << 0 << 0;
        QTest::newRow("running") << QByteArray("R3H :01000017:0C:0003") << true << 4 << 12 << 3;
        QTest::newRow("waiting") << QByteArray("R3H :00000117:5F:0010") << true << 3 << 95 << 16;
        // The error bit wins over the running and waiting bits.
        QTest::newRow("error") << QByteArray("R3H :00010117:03:0002") << true << 5 << 3 << 2;
        QTest::newRow("error alone") << QByteArray("R3H :00010000:03:0002") << true << 5 << 3 << 2;
        QTest::newRow("two fields") << QByteArray("R3H :01000013:00") << false << 0 << 0 << 0;
        QTest::newRow("not hex") << QByteArray("R3H :0100001G:00:0000") << false << 0 << 0 << 0;
        QTest::newRow("other reply") << QByteArray("R1H :01000013:00:0000") << false << 0 << 0 << 0;
    }

    void parseStatus()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, valid);
        const std::optional<ProgramMonitor::Status> status = ProgramMonitor::parseStatus(reply);
        QCOMPARE(status.has_value(), valid);
        if (!valid)
            return;
        QFETCH(int, state);
        QFETCH(int, program);
        QFETCH(int, block);
        QCOMPARE(int(ProgramMonitor::displayState(status->word)), state);
        QCOMPARE(status->program, program);
        QCOMPARE(status->block, block);
    }

    void lineOfBlock_data()
    {
        QTest::addColumn<int>("block");
        QTest::addColumn<int>("line");
        // Lines: code + comment (blocks 1-2), code (3), comment set at column
        // 30 (4), empty (5).
        QTest::newRow("code of the first line") << 1 << 0;
        QTest::newRow("its comment") << 2 << 0;
        QTest::newRow("plain line") << 3 << 1;
        QTest::newRow("comment line") << 4 << 2;
        QTest::newRow("empty line") << 5 << 3;
        QTest::newRow("past the end") << 6 << -1;
        QTest::newRow("no block") << 0 << -1;
    }

    void lineOfBlock()
    {
        QFETCH(int, block);
        QFETCH(int, line);
        const QByteArrayList lines{"MOV 100                       'go", "WAIT",
                                   QByteArray(30, ' ') + "'end", ""};
        QCOMPARE(ProgramMonitor::lineOfBlock(lines, block), line);
        QCOMPARE(ProgramMonitor::blockCount(lines), 5);
    }

    // Reading: the list, then each program, rebuilt as the editor shows it.
    void readsPrograms_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QStringList>("messages");
        QTest::newRow("all") << -1 << true << QStringList();
        QTest::newRow("one") << 7 << true << QStringList();
        QTest::newRow("not registered")
            << 8 << false << QStringList{QStringLiteral("Program not registered.")};
    }

    void readsPrograms()
    {
        QFETCH(int, number);
        QFETCH(bool, ok);
        QFETCH(QStringList, messages);
        makeBench(LinkBench::Scripted);
        scriptProgramSeven();
        QCOMPARE(read(number), ok);
        QCOMPARE(m_prompt.messages, messages);
        if (!ok) {
            QVERIFY(m_monitor->programs().isEmpty());
            QVERIFY(!m_bench->received().contains("@63:8"));
            return;
        }
        QCOMPARE(m_monitor->programs().keys(), QList<int>{7});
        const ProgramMonitor::Program program = m_monitor->programs().value(7);
        QCOMPARE(program.lines, (QByteArrayList{"MOV 100                       'go", "WAIT",
                                                QByteArray(30, ' ') + "'end"}));
        QCOMPARE(program.blockCount, 4);
        QCOMPARE(m_monitor->firstProgram(), 7);
    }

    void listFails_data()
    {
        QTest::addColumn<QByteArrayList>("answer");
        QTest::addColumn<QString>("message");
        QTest::newRow("refused") << QByteArrayList{"ERR3"}
                                 << QStringLiteral("Failed to retrieve program numbers. ");
        QTest::newRow("silent") << QByteArrayList{} << QStringLiteral("Timeout error.");
    }

    void listFails()
    {
        QFETCH(QByteArrayList, answer);
        QFETCH(QString, message);
        makeBench(LinkBench::Scripted);
        m_bench->scripted->answers["@60"] = answer;
        QVERIFY(!read(-1));
        QCOMPARE(m_prompt.messages, QStringList{message});
        QVERIFY(!m_monitor->isReading());
    }

    // The status moves the mark; a program not read is named once and the
    // poll goes on; a block the program does not have closes the monitor.
    void followsStatus()
    {
        makeBench(LinkBench::Scripted);
        scriptProgramSeven();
        QVERIFY(read(-1));
        QSignalSpy shown(m_monitor.get(), &ProgramMonitor::programShown);
        QSignalSpy close(m_monitor.get(), &ProgramMonitor::closeRequested);
        m_monitor->start();
        QVERIFY(statusIs("01000013:00:0000"));
        QCOMPARE(m_monitor->state(), ProgramMonitor::Idle);
        // Idle and never run: program 0 is no program to complain about.
        QCOMPARE(m_monitor->shownProgram(), 7);
        QVERIFY(m_prompt.messages.isEmpty());

        QVERIFY(statusIs("01000017:07:0002"));
        QCOMPARE(m_monitor->state(), ProgramMonitor::Running);
        QCOMPARE(m_monitor->markedLine(), 0);
        QVERIFY(statusIs("01000117:07:0004"));
        QCOMPARE(m_monitor->state(), ProgramMonitor::Waiting);
        QCOMPARE(m_monitor->markedLine(), 2);

        QVERIFY(statusIs("01000017:09:0001"));
        QCOMPARE(m_monitor->shownProgram(), 9);
        QCOMPARE(m_monitor->markedLine(), -1);
        QVERIFY(statusIs("01000017:09:0002"));
        QCOMPARE(m_prompt.messages,
                 QStringList{QStringLiteral("Unable to display program9 due to program contents "
                                            "not yet retrieved.\r(program will start)")});
        QVERIFY(m_monitor->isPolling());

        QVERIFY(statusIs("01000017:07:0003"));
        QCOMPARE(m_monitor->markedLine(), 1);
        m_bench->scripted->answers["@0:0"] = {"R3H :01000017:07:0005"};
        QVERIFY(close.wait(3000));
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Failed to retrieve driver status."));
        QVERIFY(!m_monitor->isPolling());
        QCOMPARE(shown.count(), 3); // 7 at start, 9, 7
    }

    // Commands go out one at a time between the polls, with their exact
    // bytes and tags; the replies are told apart by their tags.
    void commands()
    {
        makeBench(LinkBench::Scripted);
        scriptProgramSeven();
        auto &answers = m_bench->scripted->answers;
        answers["@3:4:7:2"] = {"R00"};
        answers["@9"] = {"R00"};
        answers["@2"] = {"R00"};
        answers["@1"] = {"R00"};
        answers["@4"] = {"ERR49"};
        answers["#82=1"] = {"R00 "};
        answers["@45:0"] = {"R1H :0005"};
        QVERIFY(read(7));
        QSignalSpy terminal(m_monitor.get(), &ProgramMonitor::terminalReply);
        m_monitor->start();
        m_monitor->setRunOptions({7, 2, true});
        // All asked for at once, while the first poll is still out.
        m_monitor->sendStepMode();
        m_monitor->startProgram();
        m_monitor->answerM();
        m_monitor->stopProgram();
        m_monitor->abortProgram();
        m_monitor->resetError();
        m_monitor->sendTerminal("@45:0");
        QTRY_COMPARE_WITH_TIMEOUT(terminal.count(), 1, 5000);
        QCOMPARE(terminal.first().at(0).toByteArray(), QByteArray("R1H :0005"));
        QByteArrayList sent = m_bench->received();
        sent.removeAll("!@0:0");
        QCOMPARE(sent.mid(sent.indexOf("!!#82=1")),
                 (QByteArrayList{"!!#82=1", "@3:4:7:2", "@9", "!!@2", "!!@1", "!!@4", "!!@45:0"}));
        QCOMPARE(m_prompt.messages, QStringList{QStringLiteral("Failed to reset error.")});
        QVERIFY(m_bench->received().startsWith("@60"));
    }

    // The virtual drive runs program 3 in step mode from block 6: each
    // pause shows the next block, the M-code block waits for its answer,
    // and the mark walks the lines (blocks 7 and 8 share one line).
    void followsRunningProgram()
    {
        makeBench(LinkBench::Virtual);
        QVERIFY(read(3));
        m_monitor->start();
        m_monitor->setRunOptions({3, 6, true});
        m_monitor->sendStepMode();
        m_monitor->startProgram();
        QStringList seen;
        QSignalSpy changed(m_monitor.get(), &ProgramMonitor::statusChanged);
        while (changed.wait(3000)) {
            const ProgramMonitor::Status status = m_monitor->status();
            const ProgramMonitor::DisplayState state = m_monitor->state();
            if (status.program != 3 || status.block < 6)
                continue;
            const QString entry = QStringLiteral("%1 %2 line %3")
                                      .arg(status.block)
                                      .arg(int(state))
                                      .arg(m_monitor->markedLine());
            if (seen.isEmpty() || seen.last() != entry)
                seen.append(entry);
            if (state == ProgramMonitor::Running)
                m_bench->drive->advanceClock(1000);
            else if (state == ProgramMonitor::Waiting && status.block == 9)
                m_monitor->answerM();
            else if (state == ProgramMonitor::Waiting)
                m_monitor->startProgram();
            else if (state == ProgramMonitor::Idle)
                break;
        }
        QCOMPARE(seen,
                 (QStringList{"6 4 line 4", "7 3 line 5", "7 4 line 5", "8 3 line 5", "8 4 line 5",
                              "9 3 line 6", "10 3 line 7", "10 4 line 7", "10 2 line 7"}));
        QVERIFY(m_prompt.messages.isEmpty());
        QVERIFY(m_bench->received().contains("!!#82=1"));
        QVERIFY(m_bench->received().contains("@3:4:3:6"));
    }

    // A missing answer says so once and the poll goes on.
    void pollTimeout()
    {
        makeBench(LinkBench::Scripted);
        scriptProgramSeven();
        QVERIFY(read(7));
        m_bench->scripted->answers.remove("@0:0");
        m_monitor->start();
        QTRY_COMPARE_WITH_TIMEOUT(m_prompt.messages.size(), 1, 5000);
        QCOMPARE(m_prompt.messages.first(), QStringLiteral("Timeout error."));
        QVERIFY(statusIs("01000013:07:0000"));
        QVERIFY(m_monitor->isPolling());
    }
};

QTEST_MAIN(TestProgramMonitor)
#include "tst_programmonitor.moc"
