#include "terminalbench.h"

#include "app/dialogtexts.h"
#include "app/lampimages.h"
#include "app/mainmenuwindow.h"
#include "io/axisstatuswindow.h"
#include "io/erroralarmlistwindow.h"
#include "io/erroralarmmonitor.h"
#include "io/erroralarmwindow.h"
#include "link/portmap.h"
#include "link/simpleterminalwindow.h"
#include "link/terminalfeature.h"
#include "link/terminalwindow.h"
#include "params/helpwindow.h"
#include "params/monitorpoller.h"
#include "params/monitorwindow.h"
#include "params/pulsedialog.h"
#include "params/pulsesettings.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {

// Answers every message box that opens, as a user pressing OK would.
class BoxCloser : public QObject
{
public:
    QStringList texts;

    BoxCloser()
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            texts.append(box->text());
            box->accept();
        });
        m_timer.start(30);
    }

private:
    QTimer m_timer;
};

QString plain(const QPlainTextEdit *edit)
{
    return edit->toPlainText();
}

// A feature window that polls the drive as the status windows do: the next
// poll follows each reply or time-out.
class PollingFeature : public QDialog, public LinkOwner
{
public:
    QByteArrayList replies;
    int timeouts = 0;

    explicit PollingFeature(DriveLink &link)
        : m_link(link)
    {
        m_next.setSingleShot(true);
        m_next.setInterval(10);
        connect(&m_next, &QTimer::timeout, this, [this] { m_link.send("@44", true, 200); });
    }
    void start()
    {
        m_link.pushOwner(this);
        m_next.start();
    }
    void stop()
    {
        m_next.stop();
        m_link.disarmTimer();
        m_link.popOwner();
    }
    void onLinkReply(const QByteArray &line) override
    {
        replies.append(line);
        m_next.start();
    }
    void onLinkTimeout() override
    {
        ++timeouts;
        m_next.start();
    }

private:
    DriveLink &m_link;
    QTimer m_next;
};

} // namespace

class TestTerminalWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TerminalBench> m_bench;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(loadEnglish());
        LampImages::instance().load();
    }

    void init() { m_bench = std::make_unique<TerminalBench>(); }
    void cleanup() { m_bench.reset(); }

    void typeAndReadTheReply()
    {
        TerminalWindow w(m_bench->link);
        w.show();
        QCOMPARE(w.windowTitle(), QStringLiteral("Terminal mode"));
        QCOMPARE(w.button(1048)->text(), QStringLiteral("Enter"));
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&w.session()));
        QTest::keyClicks(w.input(), QStringLiteral("@44"));
        QTest::keyClick(w.input(), Qt::Key_Return);
        QTRY_VERIFY(plain(w.output()).contains(QStringLiteral("\nR5Z ")));
        QVERIFY(plain(w.output()).startsWith(QStringLiteral("@44\nR5Z ")));
        QVERIFY(w.input()->text().isEmpty());
        QCOMPARE(m_bench->received(), QByteArrayList{"@44"});

        // The history keys bring it back; Re-edit and Resend use the last one.
        QTest::keyClick(w.input(), Qt::Key_Up);
        QCOMPARE(w.input()->text(), QStringLiteral("@44"));
        QTest::keyClick(w.input(), Qt::Key_Down);
        QVERIFY(w.input()->text().isEmpty());
        // ... wherever the focus is in the window, ahead of the arrows' own use.
        for (QWidget *focus :
             {static_cast<QWidget *>(w.button(1052)), static_cast<QWidget *>(w.button(1325)),
              static_cast<QWidget *>(w.output())}) {
            QTest::keyClick(focus, Qt::Key_Up);
            QCOMPARE(w.input()->text(), QStringLiteral("@44"));
            QTest::keyClick(focus, Qt::Key_Down);
            QVERIFY(w.input()->text().isEmpty());
        }
        QVERIFY(w.button(1322)->isChecked());
        w.button(1051)->click();
        QCOMPARE(w.input()->text(), QStringLiteral("@44"));
        w.input()->clear();
        w.button(1052)->click();
        QTRY_COMPARE(m_bench->count("@44"), 2);

        // Exit gives the link back to the window below.
        w.button(1)->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&m_bench->bottom));
        // Opened again, it starts afresh.
        w.show();
        QVERIFY(plain(w.output()).isEmpty());
        QCOMPARE(w.session().historyCount(), 0);
        w.button(1)->click();
    }

    void eachMonitorInTurn()
    {
        TerminalWindow w(m_bench->link);
        w.show();
        QVERIFY(!w.button(1324)->isEnabled()); // the I/O monitor comes later
        QVERIFY(!w.monitorWindow(TerminalSession::IoMonitor));

        w.button(1323)->click();
        auto *params =
            qobject_cast<MonitorWindow *>(w.monitorWindow(TerminalSession::ParameterMonitor));
        QVERIFY(params && params->isVisible());
        QCOMPARE(params->windowTitle(), QStringLiteral("Parameter Monitor"));
        QTRY_COMPARE(params->labelField(0)->text(), QStringLiteral("PosCommand"));
        QCOMPARE(params->valueField(0)->text(), QStringLiteral("0"));
        QVERIFY(w.input()->hasFocus());
        // Tagged replies never reach the conversation.
        QVERIFY(plain(w.output()).isEmpty());

        w.button(1325)->click();
        auto *axis = qobject_cast<AxisStatusWindow *>(w.monitorWindow(TerminalSession::AxisSignal));
        QVERIFY(axis && axis->isVisible());
        QVERIFY(!params->isVisible());
        QVERIFY(!params->poller().isRunning());
        QTRY_COMPARE_WITH_TIMEOUT(m_bench->count("!@57:0"), 1, 3000);
        QTRY_COMPARE(axis->poller().lamp(0), AxisStatusPoller::GreenLit);
        QCOMPARE(axis->signalLabel(5)->text(), QStringLiteral(":Over travel (+) dir"));
        QVERIFY(!axis->signalLabel(9)->isEnabled()); // no reference encoder
        QVERIFY(axis->signalLabel(0)->isEnabled());

        w.button(1326)->click();
        auto *errors =
            qobject_cast<ErrorAlarmWindow *>(w.monitorWindow(TerminalSession::ErrorAlarm));
        QVERIFY(errors && errors->isVisible());
        QVERIFY(!axis->isVisible());
        QTRY_COMPARE(m_bench->count("!@0:0"), 1);
        QVERIFY(errors->errorField()->text().isEmpty());
        QVERIFY(errors->alarmField()->text().isEmpty());

        // Closing a monitor's window is "Hide(&D)".
        errors->close();
        QVERIFY(w.button(1322)->isChecked());
        QVERIFY(!w.session().isMonitorShown(TerminalSession::ErrorAlarm));

        w.button(1323)->click();
        QVERIFY(params->isVisible());
        w.button(1322)->click();
        QVERIFY(!params->isVisible());
        w.button(1)->click();
    }

    void errorMonitorShowsTheDrivesMessages()
    {
        QString error;
        QVERIFY2(
            m_bench->drive->setKnob(QStringLiteral("inject_alarm"), QStringLiteral("A13"), &error),
            qPrintable(error));
        TerminalWindow w(m_bench->link);
        w.show();
        w.button(1326)->click();
        auto *errors =
            qobject_cast<ErrorAlarmWindow *>(w.monitorWindow(TerminalSession::ErrorAlarm));
        QTRY_COMPARE(errors->alarmField()->text(), QStringLiteral("Alarm occured."));
        QVERIFY(errors->errorField()->text().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(plain(errors->messageList()), QStringLiteral("A13 Overload"),
                                  5000);

        // "D": the list window reads the list on opening.
        QTimer::singleShot(0, errors, [errors] {
            QTRY_COMPARE(errors->listWindow()->list()->count(), 1);
            QCOMPARE(errors->listWindow()->list()->item(0)->text(), QStringLiteral("A13 Overload"));
            QCOMPARE(errors->listWindow()->updateButton()->text(), QStringLiteral("Update(&F)"));
            errors->listWindow()->accept();
        });
        errors->openList();
        QCOMPARE(errors->listWindow()->windowTitle(), QStringLiteral("Error or Alarm"));
        w.button(1)->click();
    }

    void helpWindows()
    {
        TerminalWindow w(m_bench->link);
        w.show();
        w.button(1329)->click();
        auto *help = qobject_cast<HelpWindow *>(w.helpWindow(TerminalSession::CommandHelp));
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->windowTitle(), QStringLiteral("Command Help"));
        // While the page comes, the terminal's buttons rest.
        QVERIFY(w.session().isBusy());
        QVERIFY(!w.button(1)->isEnabled());
        QVERIFY(!w.button(1323)->isEnabled());
        QTRY_VERIFY(!w.session().isBusy());
        QVERIFY(w.button(1)->isEnabled());
        QVERIFY(plain(help->textBox()).startsWith(QStringLiteral("@0:0   Read status word\n")));
        QVERIFY(!help->prevButton()->isEnabled());
        QVERIFY(help->nextButton()->isEnabled());
        help->nextButton()->click();
        QTRY_VERIFY(help->prevButton()->isEnabled());
        QVERIFY(plain(help->textBox()).startsWith(QStringLiteral("@43:m  Select drive mode m")));

        w.button(1328)->click();
        auto *params = qobject_cast<HelpWindow *>(w.helpWindow(TerminalSession::ParameterHelp));
        QVERIFY(params->isVisible());
        QVERIFY(!help->isVisible());
        QCOMPARE(params->windowTitle(), QStringLiteral("Parameter/Monitor help"));
        QTRY_VERIFY(plain(params->textBox()).startsWith(QStringLiteral(" #1:ScaleNumerator")));
        QTRY_VERIFY(!w.session().isBusy());
        w.button(1327)->click();
        QVERIFY(!params->isVisible());
        QVERIFY(plain(w.output()).isEmpty());
        w.button(1)->click();
    }

    void monitorRowsInTheWindow()
    {
        TerminalWindow w(m_bench->link);
        w.show();
        auto *params =
            qobject_cast<MonitorWindow *>(w.monitorWindow(TerminalSession::ParameterMonitor));
        QSpinBox *number = params->numberField(0);
        QCOMPARE(number->minimum(), 1);
        QCOMPARE(number->maximum(), 699);
        number->setValue(699);
        number->stepUp();
        QCOMPARE(number->value(), 699);
        QCOMPARE(params->poller().row(0).number, 699);
        number->setValue(300);
        QVERIFY(!params->rowBox(0));
        QVERIFY(!params->numberField(1)->isEnabled());
        params->rowBox(1)->setChecked(true);
        QVERIFY(params->numberField(1)->isEnabled());
        QVERIFY(params->labelField(1)->focusPolicy() == Qt::NoFocus);

        w.button(1323)->click();
        QTRY_COMPARE_WITH_TIMEOUT(params->labelField(1)->text(), QStringLiteral("PosFeedback"),
                                  3000);
        params->rowBox(1)->setChecked(false);
        QVERIFY(params->labelField(1)->text().isEmpty());
        QVERIFY(!params->numberField(1)->isEnabled());
        w.button(1)->click();
    }

    void simpleTerminalBesideAFeature()
    {
        QDialog feature;
        feature.show();
        SimpleTerminalWindow simple(m_bench->link, &feature);
        QCOMPARE(simple.windowTitle(), QStringLiteral("Terminal (Simple)"));
        simple.openBeside();
        QVERIFY(simple.isVisible());
        QVERIFY(!simple.findChild<QGroupBox *>()->isVisible());
        QTest::keyClicks(simple.input(), QStringLiteral("#300"));
        QTest::keyClick(simple.input(), Qt::Key_Return);
        QTRY_COMPARE(plain(simple.output()), QStringLiteral("#300\nR1D PosCommand:0"));
        QCOMPARE(m_bench->received(), QByteArrayList{"!#300"});
        simple.button(1)->click();
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&m_bench->bottom));

        SimpleTerminalWindow other(m_bench->link, &feature, 262);
        QCOMPARE(other.windowTitle(), QStringLiteral("Terminal (Simple)"));
    }

    void simpleTerminalLeavesTheFeatureItsLink()
    {
        PollingFeature feature(m_bench->link);
        feature.show();
        feature.start();
        SimpleTerminalWindow simple(m_bench->link, &feature);
        simple.openBeside();
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&feature));
        for (int i = 0; i < 3; ++i) {
            QTest::keyClicks(simple.input(), QStringLiteral("#300"));
            QTest::keyClick(simple.input(), Qt::Key_Return);
            QTRY_COMPARE(plain(simple.output()).count(QStringLiteral("R1D PosCommand:0")), i + 1);
        }
        QTRY_VERIFY(feature.replies.size() >= 5);
        for (const QByteArray &reply : std::as_const(feature.replies))
            QVERIFY(!reply.startsWith('!'));
        QVERIFY(!plain(simple.output()).contains(QStringLiteral("R5Z")));

        // The feature's missing replies are its own time-outs, terminal open or not.
        QVERIFY(m_bench->drive->addFault(QStringLiteral("match=^@44$,count=2,drop")) > 0);
        const int before = int(feature.replies.size());
        QTRY_COMPARE_WITH_TIMEOUT(feature.timeouts, 2, 3000);
        QTRY_VERIFY(feature.replies.size() > before);
        simple.close();
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&feature));
        QVERIFY(!m_bench->link.tap());
        feature.stop();
    }

    void pulseDialogReadsAndSets()
    {
        BoxCloser boxes;
        PulseDialog d(m_bench->link);
        d.show();
        QCOMPARE(d.windowTitle(), QStringLiteral("ﾊﾟﾙｽ設定"));
        QTRY_COMPARE(d.list(3)->count(), 7);
        QCOMPARE(d.list(0)->currentText(), QStringLiteral("Default"));
        QCOMPARE(d.list(1)->currentText(), QStringLiteral("A, B"));
        QCOMPARE(d.list(2)->currentText(), QStringLiteral("A, B"));
        QCOMPARE(d.list(3)->currentText(), QStringLiteral("1"));
        QVERIFY(d.setButton()->isEnabled());
        // The exchange is over: the lamp rests.
        for (QLabel *label : d.findChildren<QLabel *>()) {
            if (DialogTexts::controlId(label) == 1047)
                QCOMPARE(label->property("torvaneLampLit").toBool(), false);
        }
        d.list(0)->setCurrentIndex(1);
        d.list(1)->setCurrentIndex(2);
        d.list(2)->setCurrentIndex(0);
        d.list(3)->setCurrentText(QStringLiteral("16"));
        d.setButton()->click();
        QTRY_VERIFY(!d.isVisible());
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(boxes.texts, QStringList{QStringLiteral("Download completed.\n\nReset driver.")});
        QTRY_COMPARE(m_bench->received(),
                     (QByteArrayList{"#202", "#204", "#205", "#207", "@55", "#202=1", "#204=2",
                                     "#205=0", "#207=16", "@96"}));
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&m_bench->bottom));
        // The restart's silence never reaches the window below.
        QTest::qWait(1300);
        QCOMPARE(m_bench->bottom.timeouts, 0);
        QCOMPARE(m_bench->drive->item(207), std::optional<qint32>(16));
    }

    void pulseValueOutsideItsList()
    {
        BoxCloser boxes;
        m_bench->drive->forceItem(204, 5);
        PulseDialog d(m_bench->link);
        d.show();
        QTRY_COMPARE(d.list(3)->count(), 7);
        QCOMPARE(d.list(1)->currentIndex(), -1);
        d.list(3)->setCurrentText(QStringLiteral("4"));
        d.setButton()->click();
        QTRY_VERIFY(!d.isVisible());
        QTRY_COMPARE(m_bench->received().mid(4),
                     (QByteArrayList{"@55", "#202=0", "#205=1", "#207=4", "@96"}));
        QCOMPARE(m_bench->drive->item(204), std::optional<qint32>(5));
    }

    void mainMenuOpensTheFeatures()
    {
        PortMap ports;
        MainMenuWindow menu(m_bench->link, ports, nullptr);
        QVERIFY(!menu.button(1002)->isEnabled());
        registerTerminalFeatures(menu);
        QVERIFY(menu.button(1002)->isEnabled());
        QVERIFY(menu.button(1010)->isEnabled());

        // "Terminal(&T)" runs Terminal mode modally on the process-wide link.
        DriveLink::setInstance(&m_bench->link);
        bool replied = false;
        QTimer::singleShot(0, &menu, [&] {
            auto *terminal = qobject_cast<TerminalWindow *>(QApplication::activeModalWidget());
            QVERIFY(terminal);
            QTest::keyClicks(terminal->input(), QStringLiteral("@44"));
            QTest::keyClick(terminal->input(), Qt::Key_Return);
            QTRY_VERIFY(plain(terminal->output()).contains(QStringLiteral("R5Z")));
            replied = true;
            terminal->button(1)->click();
        });
        menu.openFeature(1002);
        QVERIFY(replied);
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&m_bench->bottom));

        // "Pulse" opens the pulse settings, which read their four values.
        QTimer::singleShot(0, &menu, [&] {
            auto *pulse = qobject_cast<PulseDialog *>(QApplication::activeModalWidget());
            QVERIFY(pulse);
            QTRY_COMPARE(pulse->list(3)->count(), 7);
            pulse->closeButton()->click();
        });
        menu.openFeature(1010);
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&m_bench->bottom));
        QTRY_VERIFY(m_bench->received().endsWith("#207"));
        DriveLink::setInstance(nullptr);
    }

    // Writes each window in English and Japanese to TORVANE_SHOTS_DIR.
    void grabWindows()
    {
        const QString dir = qEnvironmentVariable("TORVANE_SHOTS_DIR");
        if (dir.isEmpty())
            QSKIP("set TORVANE_SHOTS_DIR to grab the windows");
        QDir().mkpath(dir);
        QVERIFY(m_bench->drive->setKnob(QStringLiteral("inject_error"), QStringLiteral("E31")));
        QVERIFY(m_bench->drive->setKnob(QStringLiteral("inject_alarm"), QStringLiteral("A13")));
        for (const char *language : {"E", "J"}) {
            QVERIFY(Catalogue::instance().loadModule(
                QStringLiteral(TORVANE_BIN_DIR "/") +
                Catalogue::moduleFileName(
                    QStringLiteral("Torvane_%1_Resource").arg(QLatin1String(language)))));
            LampImages::instance().load();
            const QString prefix =
                dir + QLatin1Char('/') + QLatin1String(language) + QLatin1Char('-');
            const auto save = [&](QWidget *widget, const QString &name) {
                QVERIFY(widget->grab().save(prefix + name + QStringLiteral(".png")));
            };
            TerminalWindow w(m_bench->link);
            w.show();
            QTest::keyClicks(w.input(), QStringLiteral("@44"));
            QTest::keyClick(w.input(), Qt::Key_Return);
            QTRY_VERIFY(plain(w.output()).contains(QStringLiteral("R5Z")));
            QTest::keyClicks(w.input(), QStringLiteral("!!@0:0"));
            QTest::keyClick(w.input(), Qt::Key_Return);
            QTRY_VERIFY(plain(w.output()).contains(QStringLiteral("!!R3H")));
            save(&w, QStringLiteral("terminal"));

            w.button(1323)->click();
            auto *params =
                qobject_cast<MonitorWindow *>(w.monitorWindow(TerminalSession::ParameterMonitor));
            params->rowBox(1)->setChecked(true);
            params->rowBox(2)->setChecked(true);
            QTRY_VERIFY_WITH_TIMEOUT(!params->labelField(2)->text().isEmpty(), 3000);
            save(params, QStringLiteral("parameter-monitor"));

            w.button(1325)->click();
            auto *axis =
                qobject_cast<AxisStatusWindow *>(w.monitorWindow(TerminalSession::AxisSignal));
            QTRY_COMPARE_WITH_TIMEOUT(m_bench->count("!@57:0") > 0, true, 3000);
            QTest::qWait(100);
            save(axis, QStringLiteral("axis-signals"));

            w.button(1326)->click();
            auto *errors =
                qobject_cast<ErrorAlarmWindow *>(w.monitorWindow(TerminalSession::ErrorAlarm));
            QTRY_VERIFY_WITH_TIMEOUT(!plain(errors->messageList()).isEmpty(), 6000);
            QTRY_VERIFY(!w.session().isBusy());
            save(errors, QStringLiteral("error-alarm"));
            QTimer::singleShot(0, errors, [&] {
                QTRY_COMPARE(errors->listWindow()->list()->count(), 2);
                save(errors->listWindow(), QStringLiteral("error-alarm-list"));
                errors->listWindow()->accept();
            });
            errors->openList();
            w.button(1322)->click();

            for (int mode : {1, 2}) {
                w.button(1327 + mode)->click();
                QWidget *help = w.helpWindow(TerminalSession::HelpMode(mode));
                QTRY_VERIFY(!w.session().isBusy());
                save(help, mode == 1 ? QStringLiteral("help-parameters")
                                     : QStringLiteral("help-commands"));
            }
            w.button(1)->click();

            QDialog feature;
            feature.show();
            SimpleTerminalWindow simple(m_bench->link, &feature);
            simple.openBeside();
            QTest::keyClicks(simple.input(), QStringLiteral("#300"));
            QTest::keyClick(simple.input(), Qt::Key_Return);
            QTRY_VERIFY(plain(simple.output()).contains(QStringLiteral("R1D")));
            save(&simple, QStringLiteral("simple-terminal"));
            simple.button(1)->click();

            PulseDialog pulse(m_bench->link);
            pulse.show();
            QTRY_COMPARE(pulse.list(3)->count(), 7);
            save(&pulse, QStringLiteral("pulse"));
            pulse.closeButton()->click();
        }
        QVERIFY(loadEnglish());
        LampImages::instance().load();
    }
};

QTEST_MAIN(TestTerminalWindows)
#include "tst_terminalwindows.moc"
