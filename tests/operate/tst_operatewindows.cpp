#include "app/parametergrid.h"
#include "operate/drivemenuwindow.h"
#include "operate/homeoffsetwindow.h"
#include "operate/motionwindow.h"
#include "operate/servotuningwindow.h"
#include "operate/tuningdialogs.h"
#include "operateprompt.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"
#include "support/windowbench.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {

const QString caution = QStringLiteral("Caution！\nMotor will move.");

} // namespace

// The drive menu, the motion windows and servo tuning offscreen, against the
// virtual drive.
class TestOperateWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    BottomOwner m_bottom;
    OperatePrompt m_prompt;

    VirtualDrive &drive() { return *m_bench->drive; }

    // A motion window, shown, polling every 50 ms and through its opening.
    std::unique_ptr<MotionWindow> openMotion(MotionKind::Id kind)
    {
        auto window = std::make_unique<MotionWindow>(m_bench->link, kind);
        window->setPrompt(&m_prompt);
        window->exchange().setPollMs(50);
        window->show();
        if (!QTest::qWaitFor([&] { return window->exchange().state() == MotionExchange::Idle; },
                             5000))
            return nullptr;
        return window;
    }

    // The lines sent since `from` that write or start something.
    QByteArrayList commandsAfter(qsizetype from) const
    {
        QByteArrayList commands;
        for (const QByteArray &l : m_bench->received().mid(from)) {
            if (l.startsWith("@3:") || l.startsWith("@11:") || l.contains('='))
                commands.append(l);
        }
        return commands;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(loadLanguage("E")); }

    void init()
    {
        m_bench = std::make_unique<LinkBench>();
        m_bench->link.pushOwner(&m_bottom);
        QVERIFY(m_bench->link.open());
        m_prompt = OperatePrompt();
    }

    void cleanup() { m_bench.reset(); }

    // Jog + to the first polls, Stop: the buttons follow the status, and
    // Stop stays usable from the start until the drive reports rest.
    void jog()
    {
        auto window = openMotion(MotionKind::Id::Jog);
        QVERIFY(window);
        QPushButton *plus = window->button(1059);
        QPushButton *minus = window->button(1058);
        QPushButton *stop = window->button(1063);
        QVERIFY(plus->isEnabled() && minus->isEnabled());
        QVERIFY(!stop->isEnabled());
        QCOMPARE(window->grid()->rowCount(), 2);
        QCOMPARE(window->grid()->cellText(0, 0), QStringLiteral("20"));

        const qint32 start = *drive().item(300);
        plus->click();
        QVERIFY(stop->isEnabled()); // while @11:1 is on its way
        QVERIFY(!plus->isEnabled());
        QTRY_VERIFY(*drive().item(300) > start);
        QTRY_VERIFY(window->exchange().status().axisMoving());
        QVERIFY(minus->isEnabled());
        QVERIFY(!plus->isEnabled());

        stop->click();
        QVERIFY(stop->isEnabled());
        QTRY_VERIFY(!stop->isEnabled());
        QVERIFY(!drive().state().motion.running());
        QCOMPARE(m_bench->count("@11:0"), 1);
        QVERIFY(plus->isEnabled() && minus->isEnabled());
        QVERIFY(m_prompt.messages.isEmpty());
    }

    // Homing to the offset #15: the measured flag position, Start disabled
    // while the drive mode runs, Abort at hand throughout.
    void homing()
    {
        drive().setItem(15, 8000);
        auto window = openMotion(MotionKind::Id::Homing);
        QVERIFY(window);
        QTRY_COMPARE(window->measuredBox()->text(), QStringLiteral("1200"));
        QCOMPARE(window->grid()->cellText(3, 2), QStringLiteral("8000"));
        const qint32 start = *drive().item(300);
        QVERIFY(start != 8000);

        window->button(1301)->click();
        QTRY_VERIFY(window->exchange().status().driveModeRunning());
        QVERIFY(!window->button(1301)->isEnabled());
        QVERIFY(window->button(1302)->isEnabled());
        drive().advanceClock(1500);
        QTRY_VERIFY(*drive().item(300) != start);
        drive().advanceClock(2000);
        QTRY_VERIFY(window->button(1301)->isEnabled());
        QCOMPARE(*drive().item(300), 8000);
        QCOMPARE(m_bench->count("@3:3"), 1);
        QVERIFY(m_prompt.messages.isEmpty());

        // Offset opens the offset window: it shows #15 though its box has
        // the focus, and writes what is typed there.
        QString shown;
        int step = 0;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            auto *offset = window->findChild<HomeOffsetWindow *>();
            if (!offset || !offset->isVisible() ||
                offset->exchange().state() != HomeOffsetExchange::Idle)
                return;
            if (step == 0) {
                shown = offset->offsetBox()->text();
                offset->setPrompt(&m_prompt);
                retype(offset->offsetBox(), QStringLiteral("-300"));
                offset->button(1048)->click();
                step = 1;
            } else if (*drive().item(15) == -300) {
                shown += u' ' + offset->offsetBox()->text();
                offset->accept();
                step = 2;
            }
        });
        watch.start(20);
        window->button(1076)->click();
        QTRY_COMPARE(step, 2);
        QCOMPARE(shown, QStringLiteral("8000 -300"));
        QTRY_COMPARE(m_bench->link.owner(), &window->exchange());
        const int polled = m_bench->count("!!@0:0");
        QTRY_VERIFY(m_bench->count("!!@0:0") > polled);
    }

    // Exit while the axis moves: the stop goes out first, and the window
    // closes once the drive has answered it.
    void closeWhileRunning_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("start");
        QTest::addColumn<QByteArray>("stop");
        QTest::newRow("jog") << int(MotionKind::Id::Jog) << 1059 << QByteArray("@11:0");
        QTest::newRow("signal search")
            << int(MotionKind::Id::SignalSearch) << 1301 << QByteArray("@1");
    }
    void closeWhileRunning()
    {
        QFETCH(int, kind);
        QFETCH(int, start);
        QFETCH(QByteArray, stop);
        auto window = openMotion(MotionKind::Id(kind));
        QVERIFY(window);
        window->button(start)->click();
        QTRY_VERIFY(drive().state().motion.running());
        window->button(1)->click();
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(m_bench->received().last(), stop);
        QVERIFY(!drive().state().motion.running());
        QCOMPARE(m_bench->link.owner(), &m_bottom);
    }

    // What is typed into the start options: a ":" never gets in, and a
    // text that is not a number is refused before anything is sent.
    void startOptions_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("disable2");
        QTest::addColumn<QByteArray>("sent"); // empty: refused with 189
        QTest::newRow("colon kept out")
            << int(MotionKind::Id::IndexA) << "1:1" << false << QByteArray("@3:8:11:0:100");
        QTest::newRow("second Disable box")
            << int(MotionKind::Id::IndexB) << "4" << true << QByteArray("@3:9:4");
        QTest::newRow("emptied") << int(MotionKind::Id::IndexA) << "" << false << QByteArray();
        QTest::newRow("lone minus")
            << int(MotionKind::Id::Reference) << "-" << true << QByteArray();
    }
    void startOptions()
    {
        QFETCH(int, kind);
        QFETCH(QString, typed);
        QFETCH(bool, disable2);
        QFETCH(QByteArray, sent);
        auto window = openMotion(MotionKind::Id(kind));
        QVERIFY(window);
        window->disableBox(1074)->setChecked(disable2);
        QCOMPARE(window->disableBox(1075)->isChecked(),
                 disable2 || kind == int(MotionKind::Id::Reference));
        QCOMPARE(window->option(1)->isReadOnly(), disable2);
        retype(window->option(0)->findChild<QLineEdit *>(), typed);
        const qsizetype before = m_bench->received().size();
        window->button(1301)->click();
        if (sent.isEmpty()) {
            QCOMPARE(m_prompt.messages,
                     QStringList{QStringLiteral("Data invalid or out of range")});
            QTest::qWait(150);
            QVERIFY(commandsAfter(before).isEmpty());
        } else {
            QTRY_COMPARE(commandsAfter(before), QByteArrayList{sent});
            QTRY_VERIFY(window->exchange().state() == MotionExchange::Idle);
            QVERIFY2(m_prompt.messages.isEmpty(), qPrintable(m_prompt.messages.join(u'|')));
        }
    }

    // The test-mode button of the drive menu: refused with the message that
    // fits the status, or entered after the warning and left again. The
    // motion windows open only outside test mode.
    void driveMenuTestMode_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<quint32>("force");
        QTest::addColumn<QString>("refusal"); // empty: test mode is entered
        QTest::newRow("allowed") << "default" << 0u << QString();
        QTest::newRow("PLC drive mode")
            << "plc" << 0u
            << "Executing the PLC drive mode.\nSome operations can not be operated through "
               "serial communications.";
        QTest::newRow("drive mode") << "default" << 0x4u
                                    << "Drive mode already executing.  Close the drive mode "
                                       "before opeation.";
        QTest::newRow("axis move") << "default" << 0x8u
                                   << "Drive mode already executing.  Close the drive mode "
                                      "before opeation.";
        QTest::newRow("both") << "default" << 0xCu
                              << "Axis move already executing.\nClose move axis before "
                                 "operation.";
    }
    void driveMenuTestMode()
    {
        QFETCH(QString, preset);
        QFETCH(quint32, force);
        QFETCH(QString, refusal);
        drive().applyPreset(preset);
        drive().state().statusForce = force;
        DriveMenuWindow menu(m_bench->link);
        menu.setPrompt(&m_prompt);
        menu.exchange().setPollMs(50);
        menu.show();
        QTRY_VERIFY(menu.exchange().state() == DriveMenuExchange::Idle);
        QPushButton *testMode = menu.button(1461);
        QPushButton *jog = menu.button(1050);
        QVERIFY(testMode->isHidden()); // in the English set
        testMode->click();
        if (!refusal.isEmpty()) {
            QTRY_COMPARE(m_prompt.messages, QStringList{refusal});
            QVERIFY(m_prompt.questions.isEmpty());
            QCOMPARE(m_bench->count("@3:0"), 0);
            QCOMPARE(testMode->text(), QStringLiteral("Test Mode(&T)"));
            QTRY_VERIFY(jog->isEnabled());
            // The poll carries on.
            const int polled = m_bench->count("!!@0:0");
            QTRY_VERIFY(m_bench->count("!!@0:0") > polled);
            return;
        }
        QTRY_VERIFY(menu.exchange().testMode());
        QCOMPARE(m_prompt.questions, QStringList{caution});
        QCOMPARE(testMode->text(), QStringLiteral("Stop(&T)"));
        QVERIFY(!jog->isEnabled());
        QTRY_VERIFY(testMode->isEnabled());
        testMode->click();
        QTRY_VERIFY(!menu.exchange().testMode());
        QCOMPARE(m_bench->count("@2"), 1);
        QTRY_VERIFY(jog->isEnabled());

        // The jog window takes the link while it is open and gives it back.
        MotionWindow *window = menu.motionWindow(1050);
        window->exchange().setPollMs(50);
        bool wasOpen = false;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (window->isVisible() && window->exchange().state() == MotionExchange::Idle) {
                wasOpen = m_bench->link.owner() == &window->exchange();
                window->button(1)->click();
            }
        });
        watch.start(20);
        jog->click();
        QTRY_VERIFY(wasOpen);
        QTRY_VERIFY(!window->isVisible());
        QTRY_COMPARE(m_bench->link.owner(), &menu.exchange());
        const int polled = m_bench->count("!!@0:0");
        QTRY_VERIFY(m_bench->count("!!@0:0") > polled);

        // Closed in test mode with a poll on its way: test mode is left.
        testMode->click();
        QTRY_VERIFY(menu.exchange().testMode());
        drive().addFault(QStringLiteral("match=^@0:0$,drop"));
        QTRY_VERIFY(menu.exchange().state() == DriveMenuExchange::Poll);
        menu.button(1)->click();
        QTRY_COMPARE(m_bench->received().last(), QByteArray("@2"));
        QTRY_VERIFY(!drive().state().testMode);
    }

    // Enter with no field chosen or with an emptied one sends nothing; the
    // filter spins send only within 50 to 1500; Exit is refused while test
    // mode runs.
    void servoTuning()
    {
        drive().setItem(154, 50);
        ServoTuningWindow window(m_bench->link);
        window.setPrompt(&m_prompt);
        window.exchange().setPollMs(50);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QTRY_VERIFY(window.button(1048)->isEnabled());

        qsizetype before = m_bench->received().size();
        window.button(1048)->click();
        window.field(2)->setFocus();
        QTRY_COMPARE(window.exchange().currentField(), 2);
        retype(window.field(2), QString());
        window.button(1048)->click();
        QCOMPARE(m_prompt.messages, QStringList{QStringLiteral("Data invalid or out of range")});
        QVERIFY(commandsAfter(before).isEmpty());
        retype(window.field(2), QStringLiteral("120"));
        window.button(1048)->click();
        QTRY_COMPARE(*drive().item(51), 120);
        QCOMPARE(commandsAfter(before), QByteArrayList{"#51=120"});
        QTRY_VERIFY(window.field(3)->hasFocus());

        window.button(1460)->click();
        FilterWindow *filter = window.filterWindow();
        QTRY_COMPARE(filter->firstLagBox()->text(), QStringLiteral("50"));
        QVERIFY(!window.button(1460)->isEnabled());
        QTRY_VERIFY(!window.exchange().commandPending());
        before = m_bench->received().size();
        filter->firstLagSpin()->stepBy(-1);
        filter->firstLagSpin()->stepBy(-10);
        QCOMPARE(filter->firstLagBox()->text(), QStringLiteral("50"));
        filter->firstLagSpin()->stepBy(10);
        QTRY_COMPARE(*drive().item(154), 60);
        QCOMPARE(commandsAfter(before), QByteArrayList{"#154=60"});
        QCOMPARE(filter->firstLagBox()->text(), QStringLiteral("60"));
        filter->close();

        QTRY_VERIFY(window.button(1461)->isEnabled());
        window.button(1461)->click();
        QTRY_VERIFY(window.exchange().testMode());
        QCOMPARE(m_prompt.questions, QStringList{caution});
        QTRY_COMPARE(window.button(1461)->text(), QStringLiteral("Stop(&T)"));
        window.button(1)->click();
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Executing Test mode."));
        QVERIFY(window.isVisible());
        QTRY_VERIFY(window.button(1461)->isEnabled());
        window.button(1461)->click();
        QTRY_VERIFY(!window.exchange().testMode());
        QTRY_VERIFY(!window.exchange().commandPending());
        window.button(1)->click();
        QVERIFY(!window.isVisible());
        QCOMPARE(m_bench->link.owner(), &m_bottom);
    }

    // Writes every window of the operation menu and of servo tuning, in
    // English and Japanese, to TORVANE_SHOTS_DIR.
    void grabWindows()
    {
        const QString dir = qEnvironmentVariable("TORVANE_SHOTS_DIR");
        if (dir.isEmpty())
            QSKIP("set TORVANE_SHOTS_DIR to grab the windows");
        QDir().mkpath(dir);
        const std::pair<MotionKind::Id, const char *> motions[] = {
            {MotionKind::Id::Homing, "homing"},  {MotionKind::Id::SignalSearch, "search"},
            {MotionKind::Id::Jog, "jog"},        {MotionKind::Id::IndexA, "index-a"},
            {MotionKind::Id::IndexB, "index-b"}, {MotionKind::Id::Reference, "reference"},
        };
        for (const char *language : {"E", "J"}) {
            QVERIFY(loadLanguage(language));
            const QString prefix =
                dir + QLatin1Char('/') + QLatin1String(language) + QLatin1Char('-');
            const auto save = [&](QWidget &w, const char *name) {
                QVERIFY(w.grab().save(prefix + QLatin1String(name) + QStringLiteral(".png")));
            };
            {
                DriveMenuWindow menu(m_bench->link);
                menu.setPrompt(&m_prompt);
                menu.show();
                QTRY_VERIFY(menu.exchange().state() == DriveMenuExchange::Idle);
                save(menu, "drive-menu");
            }
            for (const auto &[kind, name] : motions) {
                auto window = openMotion(kind);
                QVERIFY(window);
                QTest::qWait(120);
                save(*window, name);
                window->button(1)->click();
                QTRY_VERIFY(!window->isVisible());
            }
            {
                HomeOffsetWindow offset(m_bench->link);
                offset.setPrompt(&m_prompt);
                offset.show();
                QTest::qWait(100);
                save(offset, "home-offset");
            }
            ServoTuningWindow tuning(m_bench->link);
            tuning.setPrompt(&m_prompt);
            tuning.show();
            QTRY_VERIFY(tuning.button(1048)->isEnabled());
            save(tuning, "servo-tuning");
            tuning.filterWindow()->show();
            QTRY_VERIFY(!tuning.filterWindow()->firstLagBox()->text().isEmpty());
            save(*tuning.filterWindow(), "filter");
            TriggerDialog trigger;
            trigger.show();
            save(trigger, "trigger");
            QList<double> response;
            for (int i = 0; i < 200; ++i)
                response.append(300 * std::sin(i / 15.0) * std::exp(-i / 80.0));
            tuning.graphWindow()->setResponse(response);
            tuning.graphWindow()->show();
            save(*tuning.graphWindow(), "response-graph");
        }
        QVERIFY(loadLanguage("E"));
        QVERIFY(m_prompt.messages.isEmpty());
    }
};

QTEST_MAIN(TestOperateWindows)
#include "tst_operatewindows.moc"
