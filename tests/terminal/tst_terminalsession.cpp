#include "terminalbench.h"

#include "link/terminalclient.h"
#include "link/terminalsession.h"

#include <QSignalSpy>
#include <QTest>

namespace {

class RecordingClient : public TerminalClient
{
public:
    int starts = 0;
    int stops = 0;
    int timeouts = 0;
    QByteArrayList replies;
    void start() override { ++starts; }
    void stop() override { ++stops; }
    void onTerminalReply(const QByteArray &line) override { replies.append(line); }
    void onTerminalTimeout() override { ++timeouts; }
};

QByteArray command(int i)
{
    return "#" + QByteArray::number(100 + i);
}

} // namespace

class TestTerminalSession : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TerminalBench> m_bench;
    std::unique_ptr<TerminalSession> m_session;
    RecordingPrompt m_prompt;
    RecordingClient m_monitors[TerminalSession::MonitorCount];
    RecordingClient m_paramHelp;
    RecordingClient m_commandHelp;
    RecordingClient m_errorList;

    void openSession(TerminalSession::Variant variant = TerminalSession::Variant::Full)
    {
        m_bench = std::make_unique<TerminalBench>(TerminalBench::Scripted);
        m_session = std::make_unique<TerminalSession>(m_bench->link, variant);
        m_session->setPrompt(&m_prompt);
        for (int m = 0; m < TerminalSession::MonitorCount; ++m) {
            m_monitors[m] = RecordingClient();
            m_session->setMonitor(TerminalSession::Monitor(m), &m_monitors[m]);
        }
        m_paramHelp = m_commandHelp = m_errorList = RecordingClient();
        m_session->setHelp(TerminalSession::ParameterHelp, &m_paramHelp);
        m_session->setHelp(TerminalSession::CommandHelp, &m_commandHelp);
        m_session->setHelp(TerminalSession::ErrorList, &m_errorList);
        m_prompt = RecordingPrompt();
        m_session->open();
    }

    // Types n commands that the drive leaves unanswered.
    void typeCommands(int n)
    {
        for (int i = 0; i < n; ++i)
            QVERIFY(m_session->enter(command(i)));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(loadEnglish()); }

    void cleanup()
    {
        m_session.reset();
        m_bench.reset();
    }

    void historyKeepsTheLastTen_data()
    {
        QTest::addColumn<int>("typed");
        QTest::newRow("three") << 3;
        QTest::newRow("ten") << 10;
        QTest::newRow("twelve") << 12;
    }
    void historyKeepsTheLastTen()
    {
        QFETCH(int, typed);
        openSession();
        typeCommands(typed);
        const int held = qMin(typed, 10);
        QCOMPARE(m_session->historyCount(), held);
        for (int i = 0; i < held; ++i)
            QCOMPARE(m_session->historyAt(i), command(typed - held + i));
        // Up from a fresh input shows the newest; repeated Up stops at the oldest.
        QCOMPARE(m_session->browseUp(), std::optional<QByteArray>(command(typed - 1)));
        for (int i = 0; i < 15; ++i)
            m_session->browseUp();
        QCOMPARE(m_session->browseUp(), std::optional<QByteArray>(command(typed - held)));
        QCOMPARE(m_session->browseIndex(), 0);
    }

    void historyDownNeverReadsPastTheEntries_data()
    {
        QTest::addColumn<int>("typed");
        QTest::addColumn<int>("ups");
        QTest::newRow("empty history") << 0 << 0;
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("nine, at the newest") << 9 << 1;
        QTest::newRow("nine, at the oldest") << 9 << 9;
        QTest::newRow("ten") << 10 << 3;
        QTest::newRow("twelve") << 12 << 10;
    }
    void historyDownNeverReadsPastTheEntries()
    {
        QFETCH(int, typed);
        QFETCH(int, ups);
        openSession();
        typeCommands(typed);
        for (int i = 0; i < ups; ++i)
            m_session->browseUp();
        const int held = qMin(typed, 10);
        for (int i = 0; i < 20; ++i) {
            const std::optional<QByteArray> shown = m_session->browseDown();
            QVERIFY(shown.has_value());
            QVERIFY(m_session->browseIndex() <= held);
            if (m_session->browseIndex() == held)
                QCOMPARE(*shown, QByteArray());
            else
                QCOMPARE(*shown, m_session->historyAt(m_session->browseIndex()));
        }
        QCOMPARE(m_session->browseIndex(), held);
    }

    void emptyHistoryLeavesTheInputAlone()
    {
        openSession();
        QCOMPARE(m_session->browseUp(), std::nullopt);
        QCOMPARE(m_session->browseDown(), std::optional<QByteArray>(QByteArray()));
    }

    void enterEndsBrowsing()
    {
        openSession();
        typeCommands(4);
        m_session->browseUp();
        m_session->browseUp();
        QVERIFY(m_session->enter("@44"));
        QCOMPARE(m_session->browseUp(), std::optional<QByteArray>("@44"));
    }

    void resendAndReEdit()
    {
        openSession();
        QVERIFY(!m_session->resend());
        QVERIFY(m_session->enter("@44"));
        QVERIFY(m_session->resend());
        QCOMPARE(m_bench->received(), (QByteArrayList{"@44", "@44"}));
        QCOMPARE(m_session->current(), QByteArray("@44"));
        QCOMPARE(m_session->historyCount(), 2);
        QCOMPARE(m_session->visibleText(), QStringLiteral("@44\r\n@44\r\n"));
    }

    void routing_data()
    {
        QTest::addColumn<int>("shown"); // a monitor, or -1 for none
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("toMonitor");
        QTest::addColumn<QString>("output");
        QTest::newRow("tagged to the axis monitor")
            << int(TerminalSession::AxisSignal) << QByteArray("!R1H :1113")
            << QByteArray("R1H :1113") << QString();
        QTest::newRow("tagged to the parameter monitor")
            << int(TerminalSession::ParameterMonitor) << QByteArray("!R1D PosCommand:0")
            << QByteArray("R1D PosCommand:0") << QString();
        QTest::newRow("tagged, no monitor shown")
            << -1 << QByteArray("!R1H :1113") << QByteArray() << QString();
        QTest::newRow("double tag shown in the terminal")
            << int(TerminalSession::AxisSignal) << QByteArray("!!R3H :01000013:00:0000")
            << QByteArray() << QStringLiteral("!!R3H :01000013:00:0000\r\n");
        QTest::newRow("untagged shown in the terminal")
            << int(TerminalSession::ErrorAlarm) << QByteArray("R00") << QByteArray()
            << QStringLiteral("R00\r\n");
    }
    void routing()
    {
        QFETCH(int, shown);
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, toMonitor);
        QFETCH(QString, output);
        openSession();
        if (shown >= 0)
            m_session->showMonitor(TerminalSession::Monitor(shown));
        QSignalSpy dropped(m_session.get(), &TerminalSession::replyDropped);
        m_bench->feed(reply);
        const auto arrived = [&] {
            bool any = !m_session->visibleText().isEmpty() || !dropped.isEmpty();
            for (const RecordingClient &c : m_monitors)
                any = any || !c.replies.isEmpty();
            return any;
        };
        QTRY_VERIFY(arrived());
        QCOMPARE(m_session->visibleText(), output);
        for (int m = 0; m < TerminalSession::MonitorCount; ++m) {
            const QByteArrayList expected =
                m == shown && !toMonitor.isEmpty() ? QByteArrayList{toMonitor} : QByteArrayList{};
            QCOMPARE(m_monitors[m].replies, expected);
        }
        QCOMPARE(dropped.count(), shown < 0 ? 1 : 0);
    }

    void choosingAMonitorStopsTheOthers()
    {
        openSession();
        m_session->showMonitor(TerminalSession::ParameterMonitor);
        m_session->showMonitor(TerminalSession::AxisSignal);
        QVERIFY(!m_session->isMonitorShown(TerminalSession::ParameterMonitor));
        QVERIFY(m_session->isMonitorShown(TerminalSession::AxisSignal));
        QCOMPARE(m_monitors[TerminalSession::ParameterMonitor].stops, 1);
        QCOMPARE(m_monitors[TerminalSession::AxisSignal].starts, 1);
        // Chosen again: it keeps running, nothing restarts.
        m_session->showMonitor(TerminalSession::AxisSignal);
        QCOMPARE(m_monitors[TerminalSession::AxisSignal].starts, 1);
        m_session->hideMonitors();
        QCOMPARE(m_monitors[TerminalSession::AxisSignal].stops, 1);

        m_session->showHelp(TerminalSession::ParameterHelp);
        m_session->showHelp(TerminalSession::CommandHelp);
        QVERIFY(!m_session->isHelpShown(TerminalSession::ParameterHelp));
        QCOMPARE(m_paramHelp.stops, 1);
        QCOMPARE(m_commandHelp.starts, 1);
    }

    void outputKeepsFortyFourLines()
    {
        openSession();
        m_bench->scripted->answers.insert("@44", {"R5Z Kalderon_M2:SIM-0001"});
        for (int i = 0; i < 40; ++i)
            QVERIFY(m_session->enter("@44"));
        QTRY_COMPARE(m_bench->received().size(), 40);
        QTRY_COMPARE(m_session->lines().size(), 54);
        const QString text = m_session->visibleText();
        QCOMPARE(text.count(QStringLiteral("\r\n")), 44);
        QVERIFY(text.endsWith(QStringLiteral("R5Z Kalderon_M2:SIM-0001\r\n")));
    }

    void simpleTerminalTagsAndShowsTaggedOnly()
    {
        openSession(TerminalSession::Variant::Simple);
        m_bench->scripted->answers.insert("@44", {"R5Z Kalderon_M2:SIM-0001"});
        QVERIFY(m_session->enter("@44"));
        QCOMPARE(m_bench->received(), QByteArrayList{"!@44"});
        QTRY_COMPARE(m_session->visibleText(),
                     QStringLiteral("@44\r\nR5Z Kalderon_M2:SIM-0001\r\n"));
        // The feature window's untagged traffic and deeper tags are not ours.
        m_bench->feed("R00");
        m_bench->feed("!!R00");
        QTest::qWait(50);
        QCOMPARE(m_session->lines().size(), 2);
        for (int i = 0; i < 20; ++i)
            m_session->enter("@44");
        QTRY_COMPARE(m_session->lines().size(), 22);
        QCOMPARE(m_session->visibleText().count(QStringLiteral("\r\n")), 12);
    }

    void busyRefusesTypingAndPolls()
    {
        openSession();
        QCOMPARE(m_session->sendForHelp("@42:1", TerminalSession::ParameterHelp), 0);
        m_session->setBusy(true);
        QVERIFY(!m_session->enter("@44"));
        QCOMPARE(m_session->sendForMonitor("!@57:0"), -1);
        QCOMPARE(m_session->sendForHelp("@41:1", TerminalSession::CommandHelp), -1);
        QCOMPARE(m_session->sendForHelp("R0P", TerminalSession::ParameterHelp, false), 0);
        QCOMPARE(m_bench->received(), (QByteArrayList{"@42:1", "R0P"}));
        // A listing's lines go to its help window, not to the output.
        m_bench->feed("R2Z :#1:ScaleNumerator");
        // (The drive had no listing open: its R0P answer is R00.)
        QTRY_COMPARE(m_paramHelp.replies, (QByteArrayList{"R00", "R2Z :#1:ScaleNumerator"}));
        QVERIFY(m_session->visibleText().isEmpty());
        m_session->setBusy(false);
        QVERIFY(m_session->enter("@44"));
    }

    void timeouts_data()
    {
        QTest::addColumn<int>("mode"); // 0: not busy
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<bool>("helpHidden");
        QTest::addColumn<int>("errorListTimeouts");
        QTest::newRow("a typed command: silent") << 0 << QStringList() << false << 0;
        QTest::newRow("parameter help")
            << int(TerminalSession::ParameterHelp) << QStringList{QStringLiteral("Timeout error.")}
            << true << 0;
        QTest::newRow("command help") << int(TerminalSession::CommandHelp)
                                      << QStringList{QStringLiteral("Timeout error.")} << true << 0;
        QTest::newRow("error list") << int(TerminalSession::ErrorList)
                                    << QStringList{QStringLiteral("Timeout error.")} << false << 1;
    }
    void timeouts()
    {
        QFETCH(int, mode);
        QFETCH(QStringList, messages);
        QFETCH(bool, helpHidden);
        QFETCH(int, errorListTimeouts);
        openSession();
        QSignalSpy ended(m_session.get(), &TerminalSession::helpEnded);
        if (mode == 0) {
            m_session->enter("@96");
        } else {
            if (mode != TerminalSession::ErrorList)
                m_session->showHelp(TerminalSession::HelpMode(mode));
            QCOMPARE(m_session->sendForHelp("@41:1", TerminalSession::HelpMode(mode)), 0);
            m_session->setBusy(true);
        }
        QTRY_COMPARE_WITH_TIMEOUT(m_prompt.messages, messages, 3000);
        QTest::qWait(mode == 0 ? 1200 : 0);
        QCOMPARE(m_prompt.messages, messages);
        QCOMPARE(ended.count(), helpHidden ? 1 : 0);
        QCOMPARE(m_session->isHelpShown(TerminalSession::HelpMode(mode)), false);
        QCOMPARE(m_errorList.timeouts, errorListTimeouts);
        if (mode != 0 && mode != TerminalSession::ErrorList)
            QVERIFY(!m_session->isBusy());
        // The time-out never reaches the window below.
        QCOMPARE(m_bench->bottom.timeouts, 0);
    }

    void errorListTimeoutNeverStacksBoxes()
    {
        openSession();
        int nested = 0;
        // While the first box is open, the listing times out again.
        m_prompt.whileOpen = [&] {
            if (++nested > 1)
                return;
            m_session->sendForHelp("!@96", TerminalSession::ErrorList, false);
            QTRY_COMPARE_WITH_TIMEOUT(m_errorList.timeouts, 1, 3000);
        };
        m_session->setBusy(true);
        m_session->sendForHelp("!@50", TerminalSession::ErrorList, false);
        QTRY_COMPARE_WITH_TIMEOUT(m_errorList.timeouts, 2, 3000);
        QCOMPARE(m_prompt.messages, QStringList{QStringLiteral("Timeout error.")});
    }

    void closeGivesTheLinkBack()
    {
        openSession();
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(m_session.get()));
        m_session->showMonitor(TerminalSession::ErrorAlarm);
        m_session->showHelp(TerminalSession::CommandHelp);
        // A command still unanswered when the terminal closes.
        m_session->enter("@96");
        m_session->close();
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&m_bench->bottom));
        QCOMPARE(m_monitors[TerminalSession::ErrorAlarm].stops, 1);
        QCOMPARE(m_commandHelp.stops, 1);
        QVERIFY(m_bench->link.isOpen());
        QTest::qWait(1300);
        QCOMPARE(m_bench->bottom.timeouts, 0);
        // Opened again: a fresh conversation.
        m_session->open();
        QCOMPARE(m_session->historyCount(), 0);
        QVERIFY(m_session->lines().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTerminalSession)
#include "tst_terminalsession.moc"
