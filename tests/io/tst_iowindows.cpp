#include "app/appsettings.h"
#include "app/lampimages.h"
#include "io/discreteconfigdialog.h"
#include "io/iofeature.h"
#include "io/iomonitorwindow.h"
#include "io/iosignalgrid.h"
#include "link/terminalsession.h"
#include "link/terminalwindow.h"
#include "params/scriptedprompt.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

class Bottom : public LinkOwner
{
public:
    void onLinkTimeout() override {}
    void onLinkReply(const QByteArray &) override {}
};

bool loadModule(const char *language)
{
    const bool ok = Catalogue::instance().loadModule(
        QStringLiteral(TORVANE_BIN_DIR "/") +
        Catalogue::moduleFileName(
            QStringLiteral("Torvane_%1_Resource").arg(QLatin1String(language))));
    LampImages::instance().load();
    return ok;
}

QStringList items(const QComboBox *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts.append(list->itemText(i));
    return texts;
}

// How many of the 32 boxes are enabled, and that they are the lowest ones.
int enabledBoxes(const IoSignalGrid *grid)
{
    int n = 0;
    while (n < IoSignalGrid::Positions && grid->box(n)->isEnabled())
        ++n;
    for (int p = n; p < IoSignalGrid::Positions; ++p) {
        if (grid->box(p)->isEnabled())
            return -1;
    }
    return n;
}

} // namespace

// The discrete configuration editor and the I/O monitor, offscreen, against
// the virtual drive.
class TestIoWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    std::unique_ptr<DiscreteConfigDialog> m_editor;
    ScriptedPrompt m_prompt;
    Bottom m_bottom;

    VirtualDrive &drive() { return *m_bench->drive; }

    void openEditor(const QString &preset, const QString &counts = QString())
    {
        QVERIFY(drive().applyPreset(preset));
        if (!counts.isEmpty())
            QVERIFY(drive().setKnob(QStringLiteral("io_counts"), counts));
        m_editor = std::make_unique<DiscreteConfigDialog>(m_bench->link);
        m_editor->setPrompt(&m_prompt);
        m_editor->show();
        QTRY_VERIFY(!m_editor->edit().isBusy());
        QVERIFY(m_prompt.messages.isEmpty());
    }
    IoSignalGrid *grid(DiscreteConfigEdit::Side side) const { return m_editor->grid(side); }

    QByteArrayList sentFrom(const QByteArray &first) const
    {
        const QByteArrayList all = m_bench->received();
        return all.mid(all.lastIndexOf(first));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(loadModule("E"));
        AppSettings::instance().setEnglish(true);
    }

    void init()
    {
        m_bench = std::make_unique<LinkBench>();
        m_bench->link.pushOwner(&m_bottom);
        m_bench->link.open();
        m_prompt = ScriptedPrompt();
    }

    void cleanup()
    {
        m_editor.reset();
        m_bench.reset();
    }

    // --- Discrete configuration ------------------------------------------------

    // The range list and the boxes that a drive's counts leave usable;
    // counts above 256 are limited to the 16 words per side.
    void editorRanges_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<QStringList>("ranges");
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("inputBoxes");
        QTest::addColumn<int>("outputBoxes");
        const QStringList two{QStringLiteral("000-031"), QStringLiteral("032-063")};
        QTest::newRow("12 inputs, 8 outputs")
            << QStringLiteral("io12x8") << QStringList{QStringLiteral("000-031")} << 0 << 12 << 8;
        QTest::newRow("40 inputs, range 1") << QStringLiteral("io40") << two << 1 << 8 << 0;
        QTest::newRow("48 inputs, 24 outputs, range 1")
            << QStringLiteral("default") << two << 1 << 16 << 0;
        QStringList eight;
        for (int r = 0; r < 8; ++r)
            eight.append(QStringLiteral("%1-%2")
                             .arg(32 * r, 3, 10, QLatin1Char('0'))
                             .arg(32 * r + 31, 3, 10, QLatin1Char('0')));
        QTest::newRow("512 of each") << QStringLiteral("io256") << eight << 7 << 32 << 32;
    }
    void editorRanges()
    {
        QFETCH(QString, preset);
        QFETCH(QStringList, ranges);
        QFETCH(int, range);
        QFETCH(int, inputBoxes);
        QFETCH(int, outputBoxes);
        openEditor(preset, QTest::currentDataTag() == QByteArray("512 of each")
                               ? QStringLiteral("512:512")
                               : QString());
        QCOMPARE(items(m_editor->rangeList()), ranges);
        m_editor->rangeList()->setCurrentIndex(range);
        QCOMPARE(enabledBoxes(grid(DiscreteConfigEdit::Inputs)), inputBoxes);
        QCOMPARE(enabledBoxes(grid(DiscreteConfigEdit::Outputs)), outputBoxes);
        // The rightmost box of the first row is the lowest signal of the range.
        const int word = 2 * range;
        for (int p = 0; p < inputBoxes; ++p)
            QCOMPARE(grid(DiscreteConfigEdit::Inputs)->box(p)->isChecked(),
                     bool((drive().state().io.inputLogic[word + p / 16] >> (p % 16)) & 1));
    }

    // Set writes one word per 16 signals of each side, at most 16 per side.
    void editorSet_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<int>("inputWords");
        QTest::addColumn<int>("outputWords");
        QTest::newRow("12 inputs, 8 outputs") << QStringLiteral("io12x8") << 1 << 1;
        QTest::newRow("512 of each") << QStringLiteral("default") << 16 << 16;
    }
    void editorSet()
    {
        QFETCH(QString, preset);
        QFETCH(int, inputWords);
        QFETCH(int, outputWords);
        openEditor(preset, inputWords == 16 ? QStringLiteral("512:512") : QString());
        QSignalSpy finished(&m_editor->edit(), &DiscreteConfigEdit::finished);
        m_editor->button(1007)->click();
        QVERIFY(finished.wait(5000));
        const QByteArrayList sent = sentFrom("@55");
        QCOMPARE(sent.count("@55") + sent.count("@79:1"), 2);
        QCOMPARE(int(std::count_if(sent.cbegin(), sent.cend(),
                                   [](const QByteArray &c) { return c.startsWith("LIS:"); })),
                 inputWords);
        QCOMPARE(int(std::count_if(sent.cbegin(), sent.cend(),
                                   [](const QByteArray &c) { return c.startsWith("LOS:"); })),
                 outputWords);
        QCOMPARE(sent.mid(sent.size() - 2), (QByteArrayList{"@79:0", "@96"}));
        QCOMPARE(m_prompt.messages,
                 QStringList{QStringLiteral("Discrete configuration completed.\nReset driver.")});
        QVERIFY(!m_editor->isVisible());
    }

    // A tick survives a change of range and back, and Set writes it.
    void editorTickKept()
    {
        openEditor(QStringLiteral("default"));
        QCheckBox *box = grid(DiscreteConfigEdit::Inputs)->box(0);
        QVERIFY(box->isChecked());
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
        QVERIFY(!box->isChecked());
        m_editor->rangeList()->setCurrentIndex(1);
        QVERIFY(box->isChecked()); // range 1: signal 32
        m_editor->rangeList()->setCurrentIndex(0);
        QVERIFY(!box->isChecked());
        QSignalSpy finished(&m_editor->edit(), &DiscreteConfigEdit::finished);
        m_editor->button(1007)->click();
        QVERIFY(finished.wait(5000));
        QCOMPARE(sentFrom("@55"),
                 (QByteArrayList{"@55", "@79:1", "LIS:0000:FFFE", "LIS:0001:FF0F", "LIS:0002:FFFF",
                                 "LOS:0000:FFFF", "LOS:0001:FFFF", "@79:0", "@96"}));
        QTRY_VERIFY(!drive().isRestarting());
        QCOMPARE(drive().state().io.inputLogic[0], quint16(0xFFFE));
    }

    // A write refused inside the mode leaves it with @98 and closes.
    void editorWriteRefused()
    {
        openEditor(QStringLiteral("default"));
        QVERIFY(drive().addFault(QStringLiteral("match=^LOS,refuse=ERR2")));
        QSignalSpy finished(&m_editor->edit(), &DiscreteConfigEdit::finished);
        m_editor->button(1007)->click();
        QVERIFY(finished.wait(5000));
        QCOMPARE(m_prompt.messages, QStringList{QStringLiteral("ERR2\nReset driver.")});
        QCOMPARE(m_bench->received().last(), QByteArray("@98"));
        QCOMPARE(drive().state().io.inputLogic[1], quint16(0xFF0F));
        QVERIFY(!m_editor->isVisible());
    }

    // --- I/O monitor -----------------------------------------------------------

    // One cycle reads the counts and the four words of the range; lit lamps
    // are the inputs and outputs that are on, nothing beyond the counts.
    void monitorPoll_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<quint16>("inputs");
        QTest::addColumn<int>("litInputs");
        QTest::newRow("48 inputs") << QStringLiteral("default") << quint16(0x8105) << 4;
        QTest::newRow("12 inputs") << QStringLiteral("io12x8") << quint16(0xF105) << 3;
    }
    void monitorPoll()
    {
        QFETCH(QString, preset);
        QFETCH(quint16, inputs);
        QFETCH(int, litInputs);
        QVERIFY(drive().applyPreset(preset));
        drive().state().io.inputPhysical[0] = inputs;
        TerminalSession session(m_bench->link);
        session.open();
        IoMonitorWindow window(session);
        session.showMonitor(TerminalSession::IoMonitor);
        QTRY_COMPARE(window.poller().step(), int(IoMonitorPoller::Waiting));
        QCOMPARE(m_bench->received(),
                 (QByteArrayList{"!@47", "!@45:0", "!@45:1", "!@46:0", "!@46:1"}));
        const QPixmap lit = LampImages::instance().image(LampImages::RedLit);
        int count = 0;
        for (int p = 0; p < IoSignalGrid::Positions; ++p) {
            const bool on =
                window.grid(IoMonitorPoller::Inputs)->lamp(p)->pixmap().toImage() == lit.toImage();
            count += on ? 1 : 0;
        }
        QCOMPARE(count, litInputs);
        // Outputs 0-2: driver ready, servo ready, in position.
        QVERIFY(window.poller().isOn(IoMonitorPoller::Outputs, 2));
        QVERIFY(!window.poller().isOn(IoMonitorPoller::Outputs, 3));
        QCOMPARE(window.rangeList()->count(), preset == u"io12x8" ? 1 : 2);
        session.close();
    }

    // Dummy mode writes the complement of a row's ticks; the drive then
    // reports the ticked inputs as on.
    void monitorDummy_data()
    {
        QTest::addColumn<int>("range");
        QTest::addColumn<QList<int>>("ticked");
        QTest::addColumn<QByteArrayList>("writes");
        QTest::newRow("row 0 all ticked") << 0 << QList<int>{0, 1, 2, 3, 4, 5, 6, 7}
                                          << QByteArrayList{"!\"MB:320480:00", "!\"MB:320481:FF",
                                                            "!\"MB:320482:FF", "!\"MB:320483:FF"};
        QTest::newRow("range 1, boxes 0 and 15")
            << 1 << QList<int>{0, 15}
            << QByteArrayList{"!\"MB:320484:FE", "!\"MB:320485:7F", "!\"MB:320486:FF",
                              "!\"MB:320487:FF"};
    }
    void monitorDummy()
    {
        QFETCH(int, range);
        QFETCH(QList<int>, ticked);
        QFETCH(QByteArrayList, writes);
        TerminalSession session(m_bench->link);
        session.open();
        IoMonitorWindow window(session);
        session.showMonitor(TerminalSession::IoMonitor);
        QTRY_COMPARE(window.rangeList()->count(), 2);
        window.rangeList()->setCurrentIndex(range);
        window.dummyBox()->setChecked(true);
        for (int p : ticked) {
            QCheckBox *box = window.grid(IoMonitorPoller::Inputs)->box(p);
            QVERIFY(box->isEnabled());
            box->click();
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_bench->received().endsWith(writes.last()), 3000);
        const QByteArrayList sent = m_bench->received();
        QCOMPARE(sent.mid(sent.size() - 4), writes);
        quint32 expected = 0;
        for (int p : ticked)
            expected |= 1u << p;
        const qint64 now = qint64(drive().now());
        QCOMPARE(drive().state().io.inputWord(2 * range, now) & 0xFFFF, expected & 0xFFFF);
        session.close();
    }

    // The terminal's I/O monitor choice works once the feature is registered.
    void terminalHostsMonitor()
    {
        TerminalWindow::setIoMonitorFactory([](TerminalSession &s, QWidget *parent) -> QWidget * {
            return new IoMonitorWindow(s, parent);
        });
        TerminalWindow terminal(m_bench->link);
        terminal.show();
        QVERIFY(terminal.button(1324)->isEnabled());
        terminal.button(1324)->click();
        auto *window =
            qobject_cast<IoMonitorWindow *>(terminal.monitorWindow(TerminalSession::IoMonitor));
        QVERIFY(window);
        QTRY_VERIFY(window->isVisible());
        QTRY_COMPARE(window->rangeList()->count(), 2);
        TerminalWindow::setIoMonitorFactory({});
    }

    // Writes the editor and the monitor in English and Japanese to
    // TORVANE_SHOTS_DIR.
    void grabWindows()
    {
        const QString dir = qEnvironmentVariable("TORVANE_SHOTS_DIR");
        if (dir.isEmpty())
            QSKIP("set TORVANE_SHOTS_DIR to grab the windows");
        QDir().mkpath(dir);
        drive().state().io.inputPhysical[0] = 0x0305;
        drive().state().io.inputPhysical[1] = 0x8001;
        for (const char *language : {"E", "J"}) {
            QVERIFY(loadModule(language));
            const QString prefix =
                dir + QLatin1Char('/') + QLatin1String(language) + QLatin1Char('-');
            m_editor.reset();
            openEditor(QStringLiteral("test"));
            QVERIFY(m_editor->grab().save(prefix + QStringLiteral("discrete-configuration.png")));
            m_editor->close();

            TerminalSession session(m_bench->link);
            session.open();
            IoMonitorWindow window(session);
            session.showMonitor(TerminalSession::IoMonitor);
            window.show();
            QTRY_COMPARE(window.poller().step(), int(IoMonitorPoller::Waiting));
            QVERIFY(window.grab().save(prefix + QStringLiteral("io-monitor.png")));
            session.close();
        }
        QVERIFY(loadModule("E"));
    }
};

QTEST_MAIN(TestIoWindows)
#include "tst_iowindows.moc"
