#include "app/appsettings.h"
#include "params/scriptedprompt.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"
#include "wave/analogmonitorwindow.h"
#include "wave/oscillomenu.h"

#include <QComboBox>
#include <QDir>
#include <QPushButton>
#include <QTest>

class TestAnalogMonitor : public QObject
{
    Q_OBJECT

    ScriptedPrompt m_prompt;

    QString text(int id) const { return Catalogue::instance().string(id); }

    bool loadModule(const char *language)
    {
        return Catalogue::instance().loadModule(
            QStringLiteral(TORVANE_BIN_DIR "/") +
            Catalogue::moduleFileName(QStringLiteral("Torvane_%1_Resource").arg(language)));
    }

    std::unique_ptr<AnalogMonitorWindow> open(LinkBench &bench)
    {
        auto window = std::make_unique<AnalogMonitorWindow>(bench.link);
        window->setPrompt(&m_prompt);
        window->show();
        return window;
    }

    void choose(AnalogMonitorWindow &window, int list, int index)
    {
        QComboBox *box = window.list(list);
        box->setCurrentIndex(index);
        Q_EMIT box->activated(index);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(loadModule("E"));
        AppSettings::instance().setLinearMotor(false);
    }
    void init() { m_prompt = ScriptedPrompt(); }

    // Read, edit, Set (the four writes in order), read again; Undo.
    void readAndSet()
    {
        LinkBench bench;
        auto window = open(bench);
        QTRY_VERIFY_WITH_TIMEOUT(window->button(1)->isEnabled() && !window->exchange().isBusy(),
                                 5000);
        QCOMPARE(bench.received().mid(0, 8),
                 (QByteArrayList{"#69", "#356", "#75", "#70", "#71", "#72", "#73", "#74"}));
        QCOMPARE(window->list(1095)->currentIndex(), 3);
        QCOMPARE(window->field(1014), QStringLiteral("               8192 [digit/rps]"));
        QCOMPARE(window->field(1119), QStringLiteral("6.55[v]/    0.5000 [rps]"));
        QCOMPARE(window->field(1122), QStringLiteral("              0.0763 [rps/v]"));
        QCOMPARE(window->field(1017), text(263));
        QCOMPARE(window->field(1123), QStringLiteral("                313 [pulse/v]"));
        QVERIFY(!window->button(1120)->isEnabled());

        choose(*window, 1065, 2); // position command: the 15-entry list
        QCOMPARE(window->field(1017), text(265));
        QCOMPARE(window->list(1066)->count(), 15);
        QCOMPARE(window->list(1066)->itemText(10), QStringLiteral("6.55 [v] /     4,096 [pulse]"));
        QCOMPARE(window->list(1066)->itemText(11), QStringLiteral("6.55 [v] /     1,024 [pulse]"));
        choose(*window, 1066, 0);
        choose(*window, 1095, 8);
        QVERIFY(window->button(1120)->isEnabled());
        QTest::mouseClick(window->button(1120), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window->exchange().isBusy(), 5000);
        const QByteArrayList sent = bench.received();
        QCOMPARE(sent.mid(8, 4), (QByteArrayList{"#69=8", "#75=0", "#70=2", "#73=0"}));
        QCOMPARE(sent.size(), 20);
        QCOMPARE(bench.drive->item(73), std::optional<qint32>(0));
        QCOMPARE(window->field(1123), QStringLiteral("             640352 [pulse/v]"));

        choose(*window, 1065, 4);
        QCOMPARE(window->list(1066)->itemText(7), QStringLiteral("6.55[v]/   64,000 [pps]"));
        QTest::mouseClick(window->button(1121), Qt::LeftButton);
        QCOMPARE(window->list(1065)->currentIndex(), 2);
        QVERIFY(!window->button(1120)->isEnabled());
        QVERIFY(m_prompt.messages.isEmpty());
    }

    // A write is acknowledged by anything that begins "R00"; a refusal is
    // told and the buttons come back; a missing answer times out.
    void writeReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("message");
        QTest::newRow("R00 ") << QByteArray("R00 ") << QString();
        QTest::newRow("R00") << QByteArray("R00") << QString();
        QTest::newRow("ALM65") << QByteArray("ALM65") << QStringLiteral("204:ALM65");
        QTest::newRow("ERR2") << QByteArray("ERR2") << QStringLiteral("204:ERR2");
        QTest::newRow("stray line, then nothing") << QByteArray("R1D X") << QStringLiteral("159");
    }
    void writeReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QString, message);
        LinkBench bench(LinkBench::Scripted);
        for (int n : AnalogMonitorExchange::ReadOrder)
            bench.scripted->answers["#" + QByteArray::number(n)] = {"R1D P:1"};
        for (const char *w : {"#69=2", "#75=1", "#70=1", "#72=1"})
            bench.scripted->answers[w] = {reply};
        auto window = open(bench);
        QTRY_VERIFY_WITH_TIMEOUT(!window->exchange().isBusy(), 5000);
        choose(*window, 1095, 2);
        QTest::mouseClick(window->button(1120), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!window->exchange().isBusy(), 5000);
        QVERIFY(window->button(1)->isEnabled());
        if (message.isEmpty()) {
            QVERIFY(m_prompt.messages.isEmpty());
            QCOMPARE(bench.count("#72=1"), 1);
            return;
        }
        QString expected = text(message.left(3).toInt());
        if (message.contains(QLatin1Char(':')))
            expected += QStringLiteral("\n\n") + message.mid(4);
        QCOMPARE(m_prompt.messages, QStringList{expected});
        QCOMPARE(bench.count("#75=1"), 0);
        QVERIFY(window->button(1120)->isEnabled()); // the edit is still there to Set again
    }

    // Writes the analog monitor and the menu in English and Japanese to
    // TORVANE_SHOTS_DIR.
    void grabWindows()
    {
        const QString dir = qEnvironmentVariable("TORVANE_SHOTS_DIR");
        if (dir.isEmpty())
            QSKIP("set TORVANE_SHOTS_DIR to grab the windows");
        QDir().mkpath(dir);
        for (const char *language : {"E", "J"}) {
            QVERIFY(loadModule(language));
            LinkBench bench;
            OscilloMenu menu(bench.link);
            menu.show();
            QVERIFY(menu.grab().save(dir + QLatin1Char('/') + QLatin1String(language) +
                                     QStringLiteral("-oscillo-menu.png")));
            auto window = open(bench);
            QTRY_VERIFY_WITH_TIMEOUT(!window->exchange().isBusy(), 5000);
            QVERIFY(window->grab().save(dir + QLatin1Char('/') + QLatin1String(language) +
                                        QStringLiteral("-analog-monitor.png")));
            window->done(QDialog::Accepted);
        }
        QVERIFY(loadModule("E"));
    }
};

QTEST_MAIN(TestAnalogMonitor)
#include "tst_analogmonitor.moc"
