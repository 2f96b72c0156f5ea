#include "operate/drivemenuexchange.h"
#include "operate/motionexchange.h"
#include "operateprompt.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"

#include <QTest>

namespace {

class BottomOwner : public LinkOwner
{
public:
    void onLinkTimeout() override {}
    void onLinkReply(const QByteArray &) override {}
};

const QString timeoutText = QStringLiteral("Timeout error.\nCheck the power supply or the cable.");

} // namespace

// The drive menu's and the motion windows' exchanges against the virtual
// drive.
class TestMotionExchange : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    BottomOwner m_bottom;
    OperatePrompt m_prompt;
    std::unique_ptr<MotionExchange> m_motion;

    VirtualDrive &drive() { return *m_bench->drive; }

    // Opens a motion exchange and waits for its first idle moment.
    bool openMotion(MotionKind::Id kind)
    {
        m_motion = std::make_unique<MotionExchange>(m_bench->link, MotionKind::of(kind));
        m_motion->setPrompt(&m_prompt);
        m_motion->setPollMs(50);
        m_motion->open();
        return QTest::qWaitFor([this] { return m_motion->state() == MotionExchange::Idle; }, 5000);
    }
    // Waits until `count` further polls have been answered.
    bool polls(int count)
    {
        const int target = m_bench->count("!!@0:0") + count;
        return QTest::qWaitFor(
            [&] {
                return m_bench->count("!!@0:0") >= target &&
                       m_motion->state() == MotionExchange::Idle;
            },
            5000);
    }
    // The starts (@3:…) sent since `from` lines.
    QByteArrayList startsAfter(qsizetype from) const
    {
        QByteArrayList starts;
        for (const QByteArray &l : m_bench->received().mid(from)) {
            if (l.startsWith("@3:"))
                starts.append(l);
        }
        return starts;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Catalogue::instance().loadModule(
            QStringLiteral(TORVANE_BIN_DIR "/") +
            Catalogue::moduleFileName(QStringLiteral("Torvane_E_Resource"))));
    }

    void init()
    {
        m_bench = std::make_unique<LinkBench>();
        m_bench->link.pushOwner(&m_bottom);
        QVERIFY(m_bench->link.open());
        m_prompt = OperatePrompt();
    }

    void cleanup()
    {
        m_motion.reset();
        m_bench.reset();
    }

    void testModeOnAndOff()
    {
        DriveMenuExchange menu(m_bench->link);
        menu.setPrompt(&m_prompt);
        menu.open();
        QTRY_VERIFY(menu.state() == DriveMenuExchange::Idle);
        QVERIFY(menu.motionButtonsEnabled());
        menu.toggleTestMode();
        QTRY_VERIFY(menu.testMode());
        QCOMPARE(m_prompt.questions, QStringList{QStringLiteral("Caution！\nMotor will move.")});
        QVERIFY(!menu.motionButtonsEnabled());
        QTRY_VERIFY(menu.state() == DriveMenuExchange::Idle);
        menu.toggleTestMode();
        QTRY_VERIFY(!menu.testMode());
        QCOMPARE(m_bench->count("@3:0") + m_bench->count("@2"), 2);
        // A refusal is an alarm, not a test mode that is on.
        drive().addFault(QStringLiteral("match=^@3:0$,refuse=ALM50"));
        QTRY_VERIFY(menu.state() == DriveMenuExchange::Idle);
        menu.toggleTestMode();
        QTRY_COMPARE(m_prompt.messages, QStringList{QStringLiteral("Alarm occured.\nALM50")});
        QVERIFY(!menu.testMode());
    }

    void openingSequence_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QByteArrayList>("sent");
        QTest::newRow("jog") << int(MotionKind::Id::Jog) << "default"
                             << QByteArrayList{"\"pr:30", "#217", "@0:0", "@43:16", "#20", "#21"};
        QTest::newRow("jog, board 100")
            << int(MotionKind::Id::Jog) << "ifb100"
            << QByteArrayList{"\"pr:30", "@0:0", "@43:16", "#20", "#21"};
        QTest::newRow("homing") << int(MotionKind::Id::Homing) << "default"
                                << QByteArrayList{"\"pr:30", "#217",  "@0:0", "\"pr:12",
                                                  "#358",    "@43:3", "#12",  "#13",
                                                  "#14",     "#15",   "#358"};
        QTest::newRow("index B") << int(MotionKind::Id::IndexB) << "default"
                                 << QByteArrayList{"\"pr:30", "#217", "@0:0", "@43:9", "#32"};
        QTest::newRow("reference table")
            << int(MotionKind::Id::Reference) << "default" << QByteArrayList{"@0:0", "@43:10"};
    }
    void openingSequence()
    {
        QFETCH(int, kind);
        QFETCH(QString, preset);
        QFETCH(QByteArrayList, sent);
        drive().applyPreset(preset);
        QVERIFY(openMotion(MotionKind::Id(kind)));
        QCOMPARE(m_bench->received().mid(0, sent.size()), sent);
        QVERIFY(m_motion->serialAllowed());
        QVERIFY(m_prompt.messages.isEmpty());
        QCOMPARE(m_motion->board100(), preset == u"ifb100");
        if (!m_motion->rows().isEmpty())
            QVERIFY(!m_motion->rows().first().value.isEmpty());
    }

    void jogEndToEnd()
    {
        QVERIFY(openMotion(MotionKind::Id::Jog));
        QVERIFY(m_motion->enables().start && m_motion->enables().startMinus);
        QVERIFY(!m_motion->enables().stop);
        m_motion->startPlus();
        QVERIFY(polls(2));
        QCOMPARE(m_bench->count("@11:1"), 1);
        MotionExchange::Enables e = m_motion->enables();
        QVERIFY(!e.start);
        QVERIFY(e.startMinus);
        QVERIFY(e.stop);
        QVERIFY(m_motion->status().axisMoving());
        const qint32 first = *drive().item(300);
        QTRY_VERIFY(*drive().item(300) > first);
        m_motion->stop();
        QTRY_COMPARE(m_bench->count("@11:0"), 1);
        // Stop stays at hand until the status shows the axis at rest.
        QTRY_VERIFY(m_motion->state() == MotionExchange::Idle);
        QVERIFY(m_motion->enables().stop || !m_motion->status().axisMoving());
        QVERIFY(polls(1));
        QVERIFY(!m_motion->status().axisMoving());
        QVERIFY(!m_motion->enables().stop);
        QVERIFY(m_motion->enables().start);
    }

    void homingEndToEnd()
    {
        drive().setItem(15, 8000);
        QVERIFY(openMotion(MotionKind::Id::Homing));
        QCOMPARE(m_motion->homeLimit(), "5000");
        QVERIFY(polls(1));
        QCOMPARE(m_motion->measuredValue(), "1200");
        QVERIFY(m_bench->count("!!!!#318") >= 1);
        m_motion->startPlus();
        QVERIFY(polls(1));
        QCOMPARE(m_bench->count("@3:3"), 1);
        QVERIFY(m_motion->status().driveModeRunning());
        QVERIFY(!m_motion->enables().start);
        drive().advanceClock(3500);
        QVERIFY(polls(2));
        QVERIFY(!m_motion->moving());
        QVERIFY(m_motion->enables().start);
        QCOMPARE(*drive().item(300), 8000);
    }

    void homingFlagOutOfRange()
    {
        drive().setItem(358, 1000);
        QVERIFY(openMotion(MotionKind::Id::Homing));
        m_motion->startPlus();
        QTRY_COMPARE(m_prompt.messages.size(), 1);
        QCOMPARE(m_prompt.messages.first(),
                 "Alarm occured.\nALM49\nThe hominng position is out of renge.\nChange the "
                 "hominng flag position.");
        QVERIFY(!m_motion->moving());
    }

    void startOptions_data()
    {
        QTest::addColumn<QByteArrayList>("options");
        QTest::addColumn<bool>("disabled2");
        QTest::addColumn<bool>("disabled3");
        QTest::addColumn<QByteArray>("sent"); // empty: refused with 189
        QTest::newRow("station only")
            << QByteArrayList{"3", "1", "50"} << true << false << QByteArray("@3:8:3");
        QTest::newRow("all three")
            << QByteArrayList{"3", "1", "50"} << false << false << QByteArray("@3:8:3:1:50");
        QTest::newRow("two") << QByteArrayList{"3", "0", "x"} << false << true
                             << QByteArray("@3:8:3:0");
        QTest::newRow("a colon adds a field")
            << QByteArrayList{"3:1", "1", "50"} << true << true << QByteArray();
        QTest::newRow("not a number")
            << QByteArrayList{"3", "one", "50"} << false << true << QByteArray();
        QTest::newRow("out of range")
            << QByteArrayList{"3", "1", "101"} << false << false << QByteArray();
        QTest::newRow("empty") << QByteArrayList{"", "1", "50"} << true << true << QByteArray();
    }
    void startOptions()
    {
        QFETCH(QByteArrayList, options);
        QFETCH(bool, disabled2);
        QFETCH(bool, disabled3);
        QFETCH(QByteArray, sent);
        QVERIFY(openMotion(MotionKind::Id::IndexA));
        const qsizetype before = m_bench->received().size();
        const bool started = m_motion->startWithOptions(options, disabled2, disabled3);
        QCOMPARE(started, !sent.isEmpty());
        if (sent.isEmpty()) {
            QCOMPARE(m_prompt.messages,
                     QStringList{QStringLiteral("Data invalid or out of range")});
            QVERIFY(polls(1));
            QVERIFY(startsAfter(before).isEmpty());
        } else {
            QTRY_COMPARE(startsAfter(before), QByteArrayList{sent});
            QTRY_VERIFY(m_motion->state() == MotionExchange::Idle);
            QVERIFY(m_prompt.messages.isEmpty());
        }
    }

    void closeStopsMotion_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("stop");
        QTest::newRow("jog") << int(MotionKind::Id::Jog) << QByteArray("@11:0");
        QTest::newRow("signal search") << int(MotionKind::Id::SignalSearch) << QByteArray("@1");
    }
    void closeStopsMotion()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, stop);
        QVERIFY(openMotion(MotionKind::Id(kind)));
        m_motion->startPlus();
        QVERIFY(polls(1));
        QVERIFY(drive().state().motion.running());
        bool finished = false;
        connect(m_motion.get(), &MotionExchange::finished, this, [&] { finished = true; });
        m_motion->close();
        QTRY_VERIFY(finished);
        QCOMPARE(m_bench->received().last(), stop);
        QVERIFY(!drive().state().motion.running());
        QCOMPARE(m_bench->link.owner(), &m_bottom);
    }

    void timeoutDuringJog()
    {
        QVERIFY(openMotion(MotionKind::Id::Jog));
        m_motion->startPlus();
        QVERIFY(polls(1));
        drive().addFault(QStringLiteral("match=^@0:0$,drop"));
        QTRY_COMPARE_WITH_TIMEOUT(m_prompt.messages, QStringList{timeoutText}, 5000);
        QCOMPARE(m_prompt.captions, QStringList{QStringLiteral("Confirm.")});
        QTRY_COMPARE(m_bench->count("@11:0"), 1);
        QVERIFY(!drive().state().motion.running());
        QTRY_VERIFY(m_motion->state() == MotionExchange::Idle);
        QVERIFY(m_motion->enables().stop);
    }

    void setRefusedAndDone()
    {
        QVERIFY(openMotion(MotionKind::Id::Jog));
        QVERIFY(m_motion->setParameters({{20, "131072"}, {21, "50"}}));
        QTRY_COMPARE(m_prompt.messages, QStringList{QStringLiteral("Download completed.")});
        QCOMPARE(*drive().item(20), 131072);
        QCOMPARE(m_motion->rows().first().value, "131072");
        QTRY_VERIFY(m_motion->state() == MotionExchange::Idle);
        drive().addFault(QStringLiteral("refuse_item=21,on=write,code=ALM62"));
        QVERIFY(m_motion->setParameters({{21, "60"}}));
        QTRY_COMPARE(m_prompt.messages.size(), 2);
        QCOMPARE(m_prompt.messages.last(),
                 "As the data or parameter no. is out of range, parameters could not be "
                 "downloaded.\nSet Data again.");
        QTRY_VERIFY(m_motion->state() == MotionExchange::Idle);
        QVERIFY(!m_motion->setParameters({{21, "6:0"}}));
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Data invalid or out of range"));
    }

    void errorReadDuringJog()
    {
        drive().setItem(4, 1000);
        QVERIFY(openMotion(MotionKind::Id::Jog));
        m_motion->startPlus();
        QTRY_COMPARE(m_prompt.messages,
                     QStringList{QStringLiteral("Error occured.\nE31 Soft limit over")});
        QCOMPARE(m_bench->count("!!!@50"), 1);
        QVERIFY(polls(1));
        QVERIFY(!m_motion->enables().start);
        QCOMPARE(m_motion->direction(), MotionExchange::Direction::None);
        m_motion->errorReset();
        QVERIFY(polls(2));
        QVERIFY(m_motion->enables().start);
    }
};

QTEST_GUILESS_MAIN(TestMotionExchange)
#include "tst_motionexchange.moc"
