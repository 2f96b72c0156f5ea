#include "terminalbench.h"

#include "io/axisstatuspoller.h"
#include "io/erroralarmmonitor.h"
#include "link/terminalsession.h"
#include "params/helppager.h"
#include "params/monitorpoller.h"
#include "params/pulsesettings.h"

#include <QSignalSpy>
#include <QTest>

// The monitors and help pages of Terminal mode, through a session on a
// virtual drive (or a scripted one where the answer must be odd).
class TestTerminalMonitors : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TerminalBench> m_bench;
    std::unique_ptr<TerminalSession> m_session;
    RecordingPrompt m_prompt;

    void openSession(TerminalBench::Far far = TerminalBench::Virtual)
    {
        m_bench = std::make_unique<TerminalBench>(far);
        m_session = std::make_unique<TerminalSession>(m_bench->link);
        m_prompt = RecordingPrompt();
        m_session->setPrompt(&m_prompt);
        m_session->open();
    }

    bool knob(const QString &name, const QString &value)
    {
        QString error;
        const bool ok = m_bench->drive->setKnob(name, value, &error);
        if (!ok)
            qWarning("%s", qPrintable(error));
        return ok;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(loadEnglish()); }

    void cleanup()
    {
        m_session.reset();
        m_bench.reset();
    }

    // --- Parameter monitor ---------------------------------------------------

    void monitorReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("label");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("R1D") << QByteArray("R1D PosCommand:0") << QByteArray("PosCommand")
                             << QByteArray("0");
        QTest::newRow("R1B like R1D") << QByteArray("R1B InputBits:0000000000000101")
                                      << QByteArray("InputBits") << QByteArray("0000000000000101");
        QTest::newRow("second colon stays in the value")
            << QByteArray("R1D Clock:12:30") << QByteArray("Clock") << QByteArray("12:30");
        QTest::newRow("alarm shown whole")
            << QByteArray("ALM62") << QByteArray("ALM62") << QByteArray();
        QTest::newRow("no colon") << QByteArray("R1D Label") << QByteArray("Label") << QByteArray();
    }
    void monitorReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, label);
        QFETCH(QByteArray, value);
        openSession(TerminalBench::Scripted);
        MonitorPoller poller(*m_session);
        m_session->setMonitor(TerminalSession::ParameterMonitor, &poller);
        m_session->showMonitor(TerminalSession::ParameterMonitor);
        QCOMPARE(m_bench->received(), QByteArrayList{"!#300"});
        QVERIFY(poller.replyTimerActive());
        m_bench->feed('!' + reply);
        QTRY_COMPARE(poller.row(0).label, label);
        QCOMPARE(poller.row(0).value, value);
        // Reply over: the pause runs, the reply timer does not.
        QVERIFY(poller.pauseTimerActive());
        QVERIFY(!poller.replyTimerActive());
    }

    void monitorCadence_data()
    {
        QTest::addColumn<QList<int>>("activeRows");
        QTest::addColumn<QByteArrayList>("order");
        QTest::newRow("row 1 only") << QList<int>{} << QByteArrayList{"!#300", "!#300", "!#300"};
        QTest::newRow("rows 1, 3, 5")
            << QList<int>{2, 4} << QByteArrayList{"!#300", "!#302", "!#304", "!#300"};
    }
    void monitorCadence()
    {
        QFETCH(QList<int>, activeRows);
        QFETCH(QByteArrayList, order);
        openSession();
        MonitorPoller poller(*m_session);
        for (int row : activeRows)
            poller.setActive(row, true);
        m_session->setMonitor(TerminalSession::ParameterMonitor, &poller);
        m_session->showMonitor(TerminalSession::ParameterMonitor);
        runFor(3000);
        m_session->hideMonitor(TerminalSession::ParameterMonitor);
        const QByteArrayList polls = m_bench->received();
        qInfo("parameter monitor: %d polls in 3 s", int(polls.size()));
        // One request at a time, 250 ms after each reply: about 12 in 3 s.
        QVERIFY2(polls.size() >= 6 && polls.size() <= 13,
                 qPrintable(QString::number(polls.size())));
        QCOMPARE(polls.mid(0, order.size()), order);
        QCOMPARE(poller.row(0).label, QByteArray("PosCommand"));
        if (!activeRows.isEmpty()) {
            QCOMPARE(poller.row(2).label, QByteArray("PosDeviation"));
            QVERIFY(poller.row(1).label.isEmpty());
        }
        // Hidden: polling stops.
        runFor(400);
        QCOMPARE(m_bench->received().size(), polls.size());
    }

    void monitorMissingReplyMovesOn()
    {
        openSession(TerminalBench::Scripted);
        m_bench->scripted->answers.insert("#301", {"R1D PosFeedback:7"});
        MonitorPoller poller(*m_session);
        poller.setActive(1, true);
        m_session->setMonitor(TerminalSession::ParameterMonitor, &poller);
        QSignalSpy timedOut(&poller, &MonitorPoller::rowTimedOut);
        QElapsedTimer clock;
        qint64 waited = -1;
        connect(&poller, &MonitorPoller::rowTimedOut, this, [&] { waited = clock.elapsed(); });
        clock.start();
        m_session->showMonitor(TerminalSession::ParameterMonitor);
        // #300 stays unanswered: after the full reply time (never less), row 2 is read.
        QTRY_COMPARE_WITH_TIMEOUT(poller.row(1).label, QByteArray("PosFeedback"), 3000);
        QVERIFY2(waited >= MonitorPoller::ReplyTimeoutMs - 5, qPrintable(QString::number(waited)));
        QCOMPARE(timedOut.count(), 1);
        QCOMPARE(timedOut.first().first().toInt(), 0);
        QCOMPARE(m_bench->received().mid(0, 2), (QByteArrayList{"!#300", "!#301"}));
        QVERIFY(poller.row(0).label.isEmpty());
    }

    void monitorRowsAndNumbers()
    {
        openSession(TerminalBench::Scripted);
        MonitorPoller poller(*m_session);
        QCOMPARE(poller.rowCount(), 5);
        for (int i = 0; i < 5; ++i) {
            QCOMPARE(poller.row(i).number, 300 + i);
            QCOMPARE(poller.row(i).active, i == 0);
        }
        poller.setNumber(0, 700);
        QCOMPARE(poller.row(0).number, 699);
        poller.setNumber(0, 0);
        QCOMPARE(poller.row(0).number, 1);
        // The first row cannot be switched off; unticking empties a row.
        poller.setActive(0, false);
        QVERIFY(poller.row(0).active);
        m_session->setMonitor(TerminalSession::ParameterMonitor, &poller);
        m_session->showMonitor(TerminalSession::ParameterMonitor);
        poller.setActive(3, true);
        m_bench->feed("!R1D Foo:1");
        QTRY_COMPARE(poller.row(0).label, QByteArray("Foo"));
        QTRY_COMPARE(poller.currentRow(), 3);
        m_bench->feed("!R1D Bar:2");
        QTRY_COMPARE(poller.row(3).label, QByteArray("Bar"));
        poller.setActive(3, false);
        QVERIFY(poller.row(3).label.isEmpty());
        QVERIFY(poller.row(3).value.isEmpty());
    }

    void monitorKeepsItsRowsWhileAListingRuns()
    {
        openSession();
        MonitorPoller poller(*m_session);
        m_session->setMonitor(TerminalSession::ParameterMonitor, &poller);
        QSignalSpy timedOut(&poller, &MonitorPoller::rowTimedOut);
        m_session->showMonitor(TerminalSession::ParameterMonitor);
        QTRY_COMPARE(poller.row(0).label, QByteArray("PosCommand"));
        m_session->setBusy(true);
        const int before = int(m_bench->received().size());
        runFor(1600);
        QCOMPARE(int(m_bench->received().size()), before);
        QCOMPARE(poller.row(0).label, QByteArray("PosCommand"));
        QCOMPARE(timedOut.count(), 0);
        m_session->setBusy(false);
        QTRY_COMPARE_WITH_TIMEOUT(int(m_bench->received().size()) > before, true, 3000);
    }

    // --- Help pages ------------------------------------------------------------

    void helpLineLayout_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("command padded to 7")
            << QByteArray("R1Z :@0:0 Read status word") << QByteArray("@0:0   Read status word");
        QTest::newRow("long command kept whole") << QByteArray("R1Z :@61:p:b:o Register program")
                                                 << QByteArray("@61:p:b:o Register program");
        QTest::newRow("seven, still apart") << QByteArray("R1Z :@66:t:n Register index table")
                                            << QByteArray("@66:t:n Register index table");
        QTest::newRow("no blank") << QByteArray("R1Z :R0P") << QByteArray("R0P    ");
        QTest::newRow("item line")
            << QByteArray("R2Z :#1:ScaleNumerator") << QByteArray(" #1:ScaleNumerator");
        QTest::newRow("key of one digit")
            << QByteArray("R2Z#5:LOOP GAIN") << QByteArray("#  5LOOP GAIN");
        QTest::newRow("key of two digits") << QByteArray("R2Z#12:Speed") << QByteArray("# 12Speed");
        QTest::newRow("key of three digits")
            << QByteArray("R2Z#123:Torque") << QByteArray("#123Torque");
    }
    void helpLineLayout()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, shown);
        QCOMPARE(HelpPager::formatLine(line), shown);
    }

    void helpPaging()
    {
        openSession();
        HelpPager pager(*m_session, HelpPager::CommandHelp);
        m_session->setHelp(TerminalSession::CommandHelp, &pager);
        QSignalSpy buttons(&pager, &HelpPager::buttonsChanged);
        m_session->showHelp(TerminalSession::CommandHelp);
        QVERIFY(m_session->isBusy());
        QVERIFY(!pager.prevEnabled() && !pager.nextEnabled());
        QTRY_VERIFY(!pager.isReceiving());
        QVERIFY(!m_session->isBusy());
        // Page 1: ten lines, Prev disabled, Next enabled.
        QCOMPARE(pager.page(), 1);
        QCOMPARE(pager.lines().size(), 10);
        QVERIFY(pager.text().startsWith(QStringLiteral("@0:0   Read status word\r\n@1     Abort")));
        QVERIFY(!pager.prevEnabled());
        QVERIFY(pager.nextEnabled());
        QCOMPARE(m_bench->count("R0P"), 10);
        QCOMPARE(m_bench->received().first(), QByteArray("@41:1"));

        // Page 3 of the seed is 25 lines long: the window keeps the last 21.
        pager.next();
        QTRY_VERIFY(!pager.isReceiving());
        pager.next();
        QTRY_VERIFY(!pager.isReceiving());
        QCOMPARE(pager.page(), 3);
        QCOMPARE(pager.lines().size(), 21);
        QVERIFY(pager.text().startsWith(QStringLiteral("@63:p  Read program\r\n@64:p  Delete")));
        QVERIFY(pager.text().endsWith(QStringLiteral("@94    Read motor type")));
        QVERIFY(pager.prevEnabled());
        QVERIFY(pager.nextEnabled());

        // Page 4 is short: Next stays disabled.
        pager.next();
        QTRY_VERIFY(!pager.isReceiving());
        QCOMPARE(pager.lines().size(), 5);
        QVERIFY(!pager.nextEnabled());
        QVERIFY(pager.prevEnabled());
        // Another listing holds the terminal: paging waits.
        m_session->setBusy(true);
        pager.prev();
        QCOMPARE(pager.page(), 4);
        QVERIFY(!pager.isReceiving());
        m_session->setBusy(false);
        pager.prev();
        QTRY_VERIFY(!pager.isReceiving());
        QCOMPARE(pager.page(), 3);
        QByteArrayList pages;
        for (const QByteArray &line : m_bench->received()) {
            if (line.startsWith("@41:"))
                pages.append(line);
        }
        QCOMPARE(pages, (QByteArrayList{"@41:1", "@41:2", "@41:3", "@41:4", "@41:3"}));
        QVERIFY(m_prompt.messages.isEmpty());
        QVERIFY(m_session->visibleText().isEmpty());
    }

    void helpItemPageAndLanguage()
    {
        openSession();
        HelpPager pager(*m_session, HelpPager::ParameterHelp);
        m_session->setHelp(TerminalSession::ParameterHelp, &pager);
        m_session->showHelp(TerminalSession::ParameterHelp);
        QTRY_VERIFY(!pager.isReceiving());
        QCOMPARE(m_bench->received().first(), QByteArray("@42:1"));
        QCOMPARE(pager.lines().at(0), QStringLiteral(" #1:ScaleNumerator"));
        QCOMPARE(pager.lines().size(), 10);
    }

    void helpAlarmResetsTheDrive()
    {
        openSession();
        QVERIFY(knob(QStringLiteral("help_alm_page"), QStringLiteral("2")));
        HelpPager pager(*m_session, HelpPager::CommandHelp);
        m_session->setHelp(TerminalSession::CommandHelp, &pager);
        m_session->showHelp(TerminalSession::CommandHelp);
        QTRY_VERIFY(!pager.isReceiving());
        pager.next();
        QTRY_COMPARE(m_prompt.messages, QStringList{QStringLiteral("ALM62")});
        QTRY_VERIFY(!m_session->isBusy());
        QCOMPARE(m_bench->received().mid(m_bench->received().size() - 2),
                 (QByteArrayList{"@41:2", "@98"}));
        QVERIFY(pager.prevEnabled());
        QVERIFY(!pager.nextEnabled());
        QVERIFY(m_session->isHelpShown(TerminalSession::CommandHelp));
    }

    void helpTimeoutHidesTheWindow()
    {
        openSession();
        // The fifth acknowledgement of the page gets no answer.
        QVERIFY(m_bench->drive->addFault(QStringLiteral("match=^R0P$,occurrence=5,drop")) > 0);
        HelpPager pager(*m_session, HelpPager::ParameterHelp);
        m_session->setHelp(TerminalSession::ParameterHelp, &pager);
        QSignalSpy ended(m_session.get(), &TerminalSession::helpEnded);
        m_session->showHelp(TerminalSession::ParameterHelp);
        QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 3000);
        QCOMPARE(m_prompt.messages, QStringList{QStringLiteral("Timeout error.")});
        QVERIFY(!m_session->isHelpShown(TerminalSession::ParameterHelp));
        QVERIFY(!m_session->isBusy());
        QCOMPARE(pager.lines().size(), 5);
    }

    // --- Axis signal status --------------------------------------------------

    void axisLamps_data()
    {
        QTest::addColumn<QStringList>("knobs");
        QTest::addColumn<QList<int>>("lamps"); // per bit, AxisStatusPoller::Lamp
        using P = AxisStatusPoller;
        // Seed: availability 1577 (9, 11, 13 missing), state 1113.
        const QList<int> seed = {P::GreenLit, P::GreenLit,    P::RedDark, P::Blank,
                                 P::GreenLit, P::RedDark,     P::RedDark, P::Blank,
                                 P::GreenLit, P::GreenHollow, P::RedDark, P::RedHollow,
                                 P::GreenLit, P::GreenHollow, P::Blank,   P::Blank};
        QTest::newRow("seed") << QStringList() << seed;
        QList<int> spare = seed;
        QTest::newRow("a spare bit never lights")
            << QStringList{QStringLiteral("axis_state_force=8008")} << spare;
        QList<int> hollow = seed;
        hollow[5] = P::RedHollow;
        hollow[4] = P::GreenDark;
        hollow[8] = P::GreenLit;
        hollow[12] = P::GreenLit;
        QTest::newRow("over travel (+) unavailable stays hollow")
            << QStringList{QStringLiteral("availability=1557"), QStringLiteral("set_item=4 1000"),
                           QStringLiteral("position=4096")}
            << hollow;
        QList<int> over = hollow;
        over[5] = P::RedLit;
        QTest::newRow("over travel (+) available lights")
            << QStringList{QStringLiteral("set_item=4 1000"), QStringLiteral("position=4096")}
            << over;
    }
    void axisLamps()
    {
        QFETCH(QStringList, knobs);
        QFETCH(QList<int>, lamps);
        openSession();
        for (const QString &k : knobs)
            QVERIFY(knob(k.section(u'=', 0, 0), k.section(u'=', 1)));
        AxisStatusPoller poller(*m_session);
        m_session->setMonitor(TerminalSession::AxisSignal, &poller);
        QSignalSpy changed(&poller, &AxisStatusPoller::lampsChanged);
        m_session->showMonitor(TerminalSession::AxisSignal);
        // The availability word first, then the state word about a second later.
        QTRY_COMPARE_WITH_TIMEOUT(changed.count(), 2, 3000);
        QCOMPARE(m_bench->received(), (QByteArrayList{"!@56:0", "!@57:0"}));
        QList<int> got;
        for (int bit = 0; bit < AxisStatusPoller::SignalCount; ++bit)
            got.append(poller.lamp(bit));
        QCOMPARE(got, lamps);
        for (int bit = 0; bit < AxisStatusPoller::SignalCount; ++bit) {
            const bool hollow = lamps[bit] == AxisStatusPoller::GreenHollow ||
                                lamps[bit] == AxisStatusPoller::RedHollow;
            if (AxisStatusPoller::kind(bit) != AxisStatusPoller::Kind::Spare)
                QCOMPARE(poller.labelEnabled(bit), !hollow);
        }
    }

    void axisAvailabilityAlone()
    {
        openSession(TerminalBench::Scripted);
        AxisStatusPoller poller(*m_session);
        m_session->setMonitor(TerminalSession::AxisSignal, &poller);
        m_session->showMonitor(TerminalSession::AxisSignal);
        m_bench->feed("!R1H :FFFF");
        QTRY_COMPARE(poller.pollState(), int(AxisStatusPoller::ReadingState));
        // Known but not yet read: every lamp dark, the spares blank.
        for (int bit = 0; bit < AxisStatusPoller::SignalCount; ++bit)
            QCOMPARE(poller.lamp(bit), AxisStatusPoller::idleLamp(bit));
        // A reply of another kind changes no lamp.
        m_bench->feed("!ALM62");
        QTest::qWait(50);
        QCOMPARE(poller.lamp(0), AxisStatusPoller::GreenDark);
    }

    void axisWord_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("word");
        QTest::newRow("seed") << QByteArray("R1H :1113") << 0x1113;
        QTest::newRow("lower case") << QByteArray("R1H :1a2b") << 0x1a2b;
        QTest::newRow("one blank skipped") << QByteArray("R1H : 0F") << 0x0f;
        QTest::newRow("stops at other") << QByteArray("R1H :12:34") << 0x12;
        QTest::newRow("no digits") << QByteArray("R1H :") << 0;
    }
    void axisWord()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, word);
        QCOMPARE(int(AxisStatusPoller::parseWord(line)), word);
    }

    void axisCadence()
    {
        openSession();
        AxisStatusPoller poller(*m_session);
        m_session->setMonitor(TerminalSession::AxisSignal, &poller);
        m_session->showMonitor(TerminalSession::AxisSignal);
        runFor(3500);
        m_session->hideMonitors();
        // One state poll a second after each reply.
        const int polls = m_bench->count("!@57:0");
        qInfo("axis signals: %d state polls in 3.5 s", polls);
        QVERIFY2(polls >= 2 && polls <= 4, qPrintable(QString::number(polls)));
        QCOMPARE(m_bench->count("!@56:0"), 1);
        // Shown again: the availability is read again.
        m_session->showMonitor(TerminalSession::AxisSignal);
        QTRY_COMPARE(m_bench->count("!@56:0"), 2);
    }

    void axisPollsWaitWhileBusy()
    {
        openSession();
        AxisStatusPoller poller(*m_session);
        m_session->setMonitor(TerminalSession::AxisSignal, &poller);
        QSignalSpy activity(&poller, &AxisStatusPoller::activityChanged);
        m_session->setBusy(true);
        m_session->showMonitor(TerminalSession::AxisSignal);
        QVERIFY(m_bench->received().isEmpty());
        QVERIFY(poller.isPolling());
        QVERIFY(!activity.contains(QVariantList{true}));
        m_session->setBusy(false);
        QTRY_COMPARE_WITH_TIMEOUT(m_bench->count("!@56:0"), 1, 3000);
    }

    // --- Error and alarm monitor ---------------------------------------------

    void errorIndicators_data()
    {
        QTest::addColumn<QByteArray>("status");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("alarm");
        QTest::newRow("none") << QByteArray("R3H :01000013:00:0000") << QString() << QString();
        QTest::newRow("error") << QByteArray("R3H :00010013:00:0000")
                               << QStringLiteral("Error occured.") << QString();
        QTest::newRow("alarm only")
            << QByteArray("R3H :00020011:00:0000") << QString() << QStringLiteral("Alarm occured.");
        QTest::newRow("both") << QByteArray("R3H :00030011:00:0000")
                              << QStringLiteral("Error occured.")
                              << QStringLiteral("Alarm occured.");
    }
    void errorIndicators()
    {
        QFETCH(QByteArray, status);
        QFETCH(QString, error);
        QFETCH(QString, alarm);
        openSession(TerminalBench::Scripted);
        ErrorAlarmMonitor monitor(*m_session);
        m_session->setMonitor(TerminalSession::ErrorAlarm, &monitor);
        QSignalSpy changed(&monitor, &ErrorAlarmMonitor::indicatorsChanged);
        m_session->showMonitor(TerminalSession::ErrorAlarm);
        QCOMPARE(m_bench->received(), QByteArrayList{"!@0:0"});
        m_bench->feed('!' + status);
        QTRY_COMPARE(changed.count(), 2);
        QCOMPARE(monitor.errorText(), error);
        QCOMPARE(monitor.alarmText(), alarm);
        QCOMPARE(monitor.presentFlag(), !error.isEmpty() || !alarm.isEmpty());
        QVERIFY(monitor.isPolling());
    }

    void errorListOfThree()
    {
        openSession();
        QVERIFY(knob(QStringLiteral("inject_error"), QStringLiteral("E31")));
        QVERIFY(knob(QStringLiteral("inject_error"), QStringLiteral("E40")));
        QVERIFY(knob(QStringLiteral("inject_alarm"), QStringLiteral("A13")));
        ErrorAlarmMonitor monitor(*m_session);
        m_session->setMonitor(TerminalSession::ErrorAlarm, &monitor);
        m_session->setHelp(TerminalSession::ErrorList, &monitor);
        m_session->showMonitor(TerminalSession::ErrorAlarm);
        QTRY_VERIFY(monitor.presentFlag());
        QCOMPARE(monitor.errorText(), QStringLiteral("Error occured."));
        QCOMPARE(monitor.alarmText(), QStringLiteral("Alarm occured."));
        // The next tick lists the messages.
        QTRY_COMPARE_WITH_TIMEOUT(monitor.messages().size(), 3, 5000);
        QTRY_VERIFY(!monitor.isListing());
        QCOMPARE(monitor.messages(), (QStringList{QStringLiteral("E31 Soft limit over"),
                                                  QStringLiteral("E40 Program execution error"),
                                                  QStringLiteral("A13 Overload")}));
        QCOMPARE(m_bench->count("!@50"), 1);
        QCOMPARE(m_bench->count("!R0P"), 3);
        QVERIFY(!monitor.presentFlag());
        QVERIFY(!m_session->isBusy());
        QVERIFY(monitor.isPolling());
        QVERIFY(m_prompt.messages.isEmpty());
        QVERIFY(m_session->visibleText().isEmpty());
    }

    void errorListWindowAndRefusal()
    {
        openSession();
        QVERIFY(knob(QStringLiteral("inject_alarm"), QStringLiteral("A13")));
        ErrorAlarmMonitor monitor(*m_session);
        m_session->setMonitor(TerminalSession::ErrorAlarm, &monitor);
        m_session->setHelp(TerminalSession::ErrorList, &monitor);
        m_session->showMonitor(TerminalSession::ErrorAlarm);
        QTRY_VERIFY(monitor.presentFlag());
        // The list window asks at once, between the monitor's polls.
        monitor.refreshWindowList();
        QTRY_COMPARE(monitor.windowMessages(), QStringList{QStringLiteral("A13 Overload")});
        QTRY_VERIFY(!monitor.isListing());
        QVERIFY(monitor.messages().isEmpty());
        QVERIFY(monitor.presentFlag());
        // The monitor's own listing is refused by the drive: shown unchanged.
        QVERIFY(m_bench->drive->addFault(QStringLiteral("match=^@50$,replace=ERR1")) > 0);
        QTRY_COMPARE_WITH_TIMEOUT(m_prompt.messages, QStringList{QStringLiteral("ERR1")}, 5000);
        QTRY_VERIFY(!m_session->isBusy());
        QVERIFY(monitor.isPolling());
    }

    void errorListTimeout()
    {
        openSession(TerminalBench::Scripted);
        ErrorAlarmMonitor monitor(*m_session);
        m_session->setMonitor(TerminalSession::ErrorAlarm, &monitor);
        m_session->setHelp(TerminalSession::ErrorList, &monitor);
        m_session->showMonitor(TerminalSession::ErrorAlarm);
        m_bench->feed("!R3H :00010013:00:0000");
        QTRY_VERIFY(monitor.presentFlag());
        monitor.refreshWindowList();
        QVERIFY(monitor.isListing());
        QVERIFY(m_session->isBusy());
        // @50 is not in the script: the listing times out.
        QTRY_COMPARE_WITH_TIMEOUT(m_prompt.messages, QStringList{QStringLiteral("Timeout error.")},
                                  3000);
        QVERIFY(!monitor.isListing());
        QVERIFY(!m_session->isBusy());
        QVERIFY(monitor.isPolling());
    }

    // --- Pulse settings --------------------------------------------------------

    void pulsePositions_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<qint64>("value");
        QTest::addColumn<int>("position");
        QTest::newRow("direction 0 is the default") << 0 << qint64(0) << 0;
        QTest::newRow("direction 1 reversed") << 0 << qint64(1) << 1;
        QTest::newRow("direction 2 outside") << 0 << qint64(2) << -1;
        QTest::newRow("PLS, SIGN") << 1 << qint64(2) << 2;
        QTest::newRow("command type 5 outside") << 1 << qint64(5) << -1;
        QTest::newRow("monitor type 2 outside") << 2 << qint64(2) << -1;
        QTest::newRow("negative outside") << 2 << qint64(-1) << -1;
        QTest::newRow("weight 1") << 3 << qint64(1) << 0;
        QTest::newRow("weight 3 selects 2") << 3 << qint64(3) << 1;
        QTest::newRow("weight 16") << 3 << qint64(16) << 4;
        QTest::newRow("weight 64") << 3 << qint64(64) << 6;
        QTest::newRow("weight 128 outside") << 3 << qint64(128) << -1;
        QTest::newRow("weight 0 outside") << 3 << qint64(0) << -1;
    }
    void pulsePositions()
    {
        QFETCH(int, list);
        QFETCH(qint64, value);
        QFETCH(int, position);
        QCOMPARE(PulseSettings::positionFor(list, value), position);
        QCOMPARE(PulseSettings::entries(0),
                 (QStringList{QStringLiteral("Default"), QStringLiteral("Reverse")}));
    }

    void pulseRefusedWriteStopsBeforeTheRestart()
    {
        m_bench = std::make_unique<TerminalBench>();
        QVERIFY(m_bench->drive->addFault(QStringLiteral("refuse_item=205,on=write,code=ALM65")) >
                0);
        RecordingPrompt prompt;
        PulseSettings pulse(m_bench->link, &prompt);
        QSignalSpy filled(&pulse, &PulseSettings::listsFilled);
        QSignalSpy finished(&pulse, &PulseSettings::finished);
        pulse.open();
        QTRY_COMPARE(filled.count(), 1);
        QCOMPARE(pulse.selection(0), 0);
        QCOMPARE(pulse.selection(3), 0);
        pulse.set();
        QTRY_COMPARE(prompt.messages,
                     QStringList{QStringLiteral("Illegal return message received.\nALM65")});
        QVERIFY(!pulse.isBusy());
        QCOMPARE(finished.count(), 0);
        QCOMPARE(m_bench->received().mid(4), (QByteArrayList{"@55", "#202=0", "#204=1", "#205=1"}));
        pulse.close();
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&m_bench->bottom));
    }

    void pulseReadTimeout()
    {
        m_bench = std::make_unique<TerminalBench>();
        QVERIFY(m_bench->drive->addFault(QStringLiteral("match=^#205$,drop")) > 0);
        RecordingPrompt prompt;
        PulseSettings pulse(m_bench->link, &prompt);
        QSignalSpy filled(&pulse, &PulseSettings::listsFilled);
        pulse.open();
        QTRY_COMPARE_WITH_TIMEOUT(filled.count(), 1, 3000);
        QCOMPARE(prompt.messages, QStringList{QStringLiteral("Timeout error.")});
        // What arrived is shown; the rest shows no entry and is not written.
        QCOMPARE(pulse.selection(0), 0);
        QCOMPARE(pulse.selection(1), 1);
        QCOMPARE(pulse.selection(2), -1);
        QCOMPARE(pulse.selection(3), -1);
        QVERIFY(pulse.canSet());
        QVERIFY(!pulse.isBusy());
    }
};

QTEST_GUILESS_MAIN(TestTerminalMonitors)
#include "tst_terminalmonitors.moc"
