#include "app/appsettings.h"
#include "app/profilestore.h"
#include "corvex32ctrl.h"
#include "params/scriptedprompt.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"
#include "wave/conditiondialog.h"
#include "wave/cursorwindow.h"
#include "wave/fileoperationdialog.h"
#include "wave/logconditions.h"
#include "wave/monitoritemtable.h"
#include "wave/samplestore.h"
#include "wave/viewerwindow.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using State = ViewerExchange::State;

// The viewer on the in-process virtual drive, offscreen.
class TestViewerWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ProfileStore> m_profile;
    std::unique_ptr<LinkBench> m_bench;
    std::unique_ptr<ViewerWindow> m_viewer;
    ScriptedPrompt m_prompt;

    QString text(int id) const { return Catalogue::instance().string(id); }
    QString base() const { return m_dir->path() + QLatin1Char('/'); }

    bool loadModule(const char *language)
    {
        return Catalogue::instance().loadModule(
            QStringLiteral(TORVANE_BIN_DIR "/") +
            Catalogue::moduleFileName(QStringLiteral("Torvane_%1_Resource").arg(language)));
    }

    void openViewer()
    {
        m_viewer = std::make_unique<ViewerWindow>(m_bench->link);
        m_viewer->setPrompt(&m_prompt);
        m_viewer->setBaseDir(base());
        m_viewer->setPollInterval(20);
        m_viewer->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_viewer.get()));
        // A drive keeps its last record ready until the next log: a viewer
        // opened again finds it so.
        QTRY_VERIFY_WITH_TIMEOUT(m_viewer->exchange().state() == State::Idle ||
                                     m_viewer->exchange().state() == State::RecordReady,
                                 10000);
    }

    // LogStart, the "Test Mode" preset (with the level given), Start.
    void startLog(int level = 1)
    {
        QTimer::singleShot(0, this, [this, level] {
            auto *dialog = m_viewer->findChild<ConditionDialog *>();
            QVERIFY(dialog);
            QTest::mouseClick(dialog->button(1103), Qt::LeftButton);
            dialog->level()->setValue(level);
            QTest::mouseClick(dialog->button(1), Qt::LeftButton);
        });
        QTest::mouseClick(m_viewer->button(1064), Qt::LeftButton);
    }

    void capture()
    {
        startLog();
        QTRY_COMPARE_WITH_TIMEOUT(m_viewer->exchange().state(), State::RecordReady, 10000);
        QTRY_VERIFY(m_viewer->button(1066)->isEnabled());
        SampleStore::instance().setCount(0);
        QTest::mouseClick(m_viewer->button(1066), Qt::LeftButton);
        // The drive keeps the record ready after it was read.
        QTRY_VERIFY_WITH_TIMEOUT(SampleStore::instance().count() == 250 &&
                                     m_viewer->exchange().state() != State::Transfer &&
                                     m_viewer->button(1066)->isEnabled(),
                                 10000);
    }

    void clickPlot(int x, int y)
    {
        const QRect plot = m_viewer->plotRect();
        QTest::mouseClick(m_viewer->graph(), Qt::LeftButton, {}, plot.topLeft() + QPoint(x, y));
    }

    void cursorsOn(int type)
    {
        CursorWindow *cursors = m_viewer->cursorWindow();
        cursors->radio(type == 0 ? 1129 : 1125)->click();
        cursors->button(1132)->click();
    }

    void selectCursor(int which) { m_viewer->cursorWindow()->radio(1125 + which)->click(); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(loadModule("E")); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QDir().mkpath(m_dir->filePath(QStringLiteral("data")));
        m_profile = std::make_unique<ProfileStore>(m_dir->filePath(QStringLiteral("torvane.ini")));
        AppSettings::instance().setProfile(m_profile.get());
        AppSettings::instance().setBaseDir(base());
        LogConditions::active() = LogConditions();
        CursorSettings::instance() = CursorSettings();
        QFile cnd(m_dir->filePath(QStringLiteral("data/oscscope.cnd")));
        QVERIFY(cnd.open(QIODevice::WriteOnly));
        cnd.write(WaveFile::conditionBytes(LogConditions()));
        cnd.close();
        m_prompt = ScriptedPrompt();
        m_bench = std::make_unique<LinkBench>();
    }

    void cleanup()
    {
        if (m_viewer)
            m_viewer->done(QDialog::Accepted);
        m_viewer.reset();
        m_bench.reset();
        AppSettings::instance().setProfile(nullptr);
    }

    // The whole way: item list, Test Mode preset, record, transfer, the
    // control's points; the settings are kept when the viewer closes.
    void captureEndToEnd()
    {
        openViewer();
        capture();
        const SampleStore &store = SampleStore::instance();
        QCOMPARE(store.count(), 250);
        QVERIFY(m_prompt.messages.isEmpty());
        COrvex32Ctrl *graph = m_viewer->graph();
        QCOMPARE(graph->dataCount(), 501);
        for (int k : {0, 1, 250, 499, 500})
            QCOMPARE(graph->data(0, k), double(store.sample(0, 249 * k / 500)));
        QCOMPARE(graph->longName(0), QStringLiteral("#319:TestResponse"));
        QCOMPARE(ViewerWindow::bitmapOf(m_viewer->lamp(1009)), 133);
        QCOMPARE(m_viewer->button(1066)->text(), text(253));
        QVERIFY(m_viewer->button(1064)->isEnabled());

        m_viewer->done(QDialog::Accepted);
        QCOMPARE(
            m_profile->readInt(QStringLiteral("OSCSCOPE"), QStringLiteral("uhCursorStatas"), 0), 1);
        QFile cnd(m_dir->filePath(QStringLiteral("data/oscscope.cnd")));
        QVERIFY(cnd.open(QIODevice::ReadOnly));
        const QByteArray bytes = cnd.readAll();
        QVERIFY(bytes.startsWith("VD:0:10:9:8\r\nVP:12:14:16:18\r\nCH:"));
        QVERIFY(bytes.endsWith("\r\nTR:1:1:0:1:1\r\nTM:3\r\n"));
    }

    // Auto, the position list, the cursor readouts, all through the window.
    void display_data()
    {
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("unitsIndex");
        QTest::newRow("-7 … 12 gives 2") << -7 << 12 << 1;
        QTest::newRow("-300 … 40 gives 100") << -300 << 40 << 6;
    }
    void display()
    {
        QFETCH(int, low);
        QFETCH(int, high);
        QFETCH(int, unitsIndex);
        openViewer();
        SampleStore &store = SampleStore::instance();
        store.clear();
        store.set(0, {low, 0, 0, 0});
        store.set(1, {high, 0, 0, 0});
        QTest::mouseClick(m_viewer->button(1087), Qt::LeftButton);
        QCOMPARE(m_viewer->unitsList(0)->currentIndex(), unitsIndex);
        QCOMPARE(m_viewer->positionList(0)->currentIndex(), 15);
        const double v = double(WaveScale::unitsPerDiv(unitsIndex));
        QCOMPARE(m_viewer->graph()->highValue(0), 5 * v);
        QCOMPARE(m_viewer->graph()->lowValue(0), -5 * v);

        // Position 15 at 100 units per division: -500 … 500; index 0: -2000 … -1000.
        QComboBox *units = m_viewer->unitsList(1);
        units->setCurrentIndex(6);
        Q_EMIT units->activated(6);
        QComboBox *position = m_viewer->positionList(1);
        position->setCurrentIndex(15);
        Q_EMIT position->activated(15);
        QCOMPARE(m_viewer->graph()->highValue(1), 500.0);
        QCOMPARE(m_viewer->graph()->lowValue(1), -500.0);
        position->setCurrentIndex(0);
        Q_EMIT position->activated(0);
        QCOMPARE(m_viewer->graph()->highValue(1), -1000.0);
        QCOMPARE(m_viewer->graph()->lowValue(1), -2000.0);
    }

    void cursorReadouts()
    {
        LogConditions c;
        c.timeIndex = 3; // 100 ms/div
        QFile cnd(m_dir->filePath(QStringLiteral("data/oscscope.cnd")));
        QVERIFY(cnd.open(QIODevice::WriteOnly));
        cnd.write(WaveFile::conditionBytes(c));
        cnd.close();
        openViewer();
        QCOMPARE(m_viewer->timeField()->text(), QStringLiteral("100"));
        m_viewer->graph()->setFixedSize(600, 380);
        QTRY_VERIFY(m_viewer->divWidth() >= 4);
        const int dw = m_viewer->divWidth() / 2 * 2;
        m_viewer->graph()->setFixedWidth(m_viewer->graph()->width() +
                                         (dw - m_viewer->divWidth()) * 10);
        QTRY_COMPARE(m_viewer->divWidth() % 2, 0);
        const int d = m_viewer->divWidth();
        cursorsOn(0);
        selectCursor(1);
        clickPlot(d, 10);
        selectCursor(2);
        clickPlot(d + d * 5 / 2, 10);
        QCOMPARE(m_viewer->readout(0), QStringLiteral("DT         250 ms"));
        QCOMPARE(m_viewer->readout(1), QStringLiteral("1/DT   4.000 Hz"));
        // Both move together and keep their distance.
        selectCursor(3);
        clickPlot(5 * d, 10);
        QCOMPARE(m_viewer->readout(0), QStringLiteral("DT         250 ms"));
        // Level cursors two divisions apart on CH1 at 1 unit per division.
        cursorsOn(1);
        selectCursor(1);
        clickPlot(10, m_viewer->divHeight());
        selectCursor(2);
        clickPlot(10, 3 * m_viewer->divHeight());
        QCOMPARE(m_viewer->readout(0), QStringLiteral("DH[1]      2 unit"));
        // Off: nothing is shown, clicks place nothing.
        m_viewer->cursorWindow()->button(1133)->click();
        QCOMPARE(m_viewer->readout(0), QString());
    }

    // A plot too small for a division and a store without samples.
    void tinyPlotAndNoSamples()
    {
        openViewer();
        SampleStore::instance().clear();
        cursorsOn(0);
        m_viewer->graph()->setMinimumSize(1, 1);
        m_viewer->graph()->setFixedSize(12, 8);
        QTRY_COMPARE(m_viewer->divWidth(), 0);
        m_viewer->redraw();
        clickPlot(0, 0);
        QCOMPARE(m_viewer->readout(1), QStringLiteral("1/DT    ----"));
        QTest::mouseClick(m_viewer->button(1087), Qt::LeftButton);
        QCOMPARE(m_viewer->graph()->data(0, 500), 0.0);
    }

    // A graph file that does not read changes neither the record nor the
    // conditions; a good one shows and names itself in the title.
    void filesThroughTheDialog()
    {
        openViewer();
        SampleStore &store = SampleStore::instance();
        store.clear();
        for (int i = 0; i < 10; ++i)
            store.set(i, {i, 2 * i, 3 * i, 4 * i});
        const QString good = m_dir->filePath(QStringLiteral("good.gdt"));
        const QString bad = m_dir->filePath(QStringLiteral("bad.gdt"));
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("VD;1;1;1;1;\r\nData;0;5;5;5;5\r\nTM;3;4;\r\n");
        file.close();
        const LogConditions before = LogConditions::active();
        m_prompt.files = {good, bad};
        QTimer::singleShot(0, this, [] {
            auto *dialog = qobject_cast<FileOperationDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->button(1024)->click(); // Wave Data Save: the dialog stays
            dialog->button(1118)->click(); // Wave Data Open: it closes
        });
        QTest::mouseClick(m_viewer->button(1085), Qt::LeftButton);
        QCOMPARE(m_prompt.messages, QStringList{bad + QStringLiteral("\n\n") + text(250)});
        QCOMPARE(store.count(), 10);
        QCOMPARE(store.sample(3, 9), 36);
        QVERIFY(LogConditions::active() == before);
        QVERIFY(QFile::exists(good));
        QCOMPARE(m_prompt.requests.at(0).filter, QStringLiteral("Graph file (*.gdt)"));
        QCOMPARE(m_prompt.requests.at(0).initialName, QStringLiteral("GraphData"));
    }

    // Single mode on a level the signal never reaches: LogStop ends it.
    void untriggeredLogStops()
    {
        openViewer();
        startLog(2000000000);
        QTRY_COMPARE_WITH_TIMEOUT(m_viewer->exchange().state(), State::Logging, 10000);
        QTRY_COMPARE(m_viewer->button(1064)->text(), text(252));
        QVERIFY(m_viewer->button(1064)->isEnabled());
        QCOMPARE(ViewerWindow::bitmapOf(m_viewer->lamp(1008)), 131);
        QTest::mouseClick(m_viewer->button(1064), Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(m_viewer->button(1064)->text(), text(251), 5000);
        QTRY_VERIFY(m_viewer->button(1064)->isEnabled());
        QCOMPARE(m_bench->count("\"LGABR"), 1);
        QVERIFY(m_viewer->button(1)->isEnabled());
    }

    // The viewer opened in English, closed, and opened again on a drive
    // that lists its items in Japanese: the cached English list is read
    // anew and the second capture runs like the first. With TORVANE_SHOTS_DIR
    // set, the viewer with a record, all channels and the cursors on, the
    // cursor window and the condition dialog are saved in both languages.
    void reopenInBothLanguages()
    {
        const QString dir = qEnvironmentVariable("TORVANE_SHOTS_DIR");
        if (!dir.isEmpty())
            QDir().mkpath(dir);
        const auto save = [&dir](QWidget *widget, const char *language, const char *name) {
            if (!dir.isEmpty())
                QVERIFY(widget->grab().save(dir + QLatin1Char('/') + QLatin1String(language) +
                                            QLatin1Char('-') + QLatin1String(name) +
                                            QStringLiteral(".png")));
        };
        for (const char *language : {"E", "J"}) {
            const bool english = language[0] == 'E';
            QVERIFY(loadModule(language));
            AppSettings::instance().setEnglish(english);
            m_bench->drive->forceItem(201, english ? 1 : 0);
            if (m_viewer)
                m_viewer->done(QDialog::Accepted);
            m_viewer.reset();
            openViewer();
            QCOMPARE(MonitorItemTable::instance().languageEntry(),
                     english ? QByteArray("#201:EnglishDisplay")
                             : MonitorItemTable::japaneseLanguageEntry());
            capture();
            QVERIFY(m_prompt.messages.isEmpty());
            cursorsOn(0);
            selectCursor(1);
            clickPlot(m_viewer->divWidth() * 2, 10);
            selectCursor(2);
            clickPlot(m_viewer->divWidth() * 6, 10);
            save(m_viewer.get(), language, "viewer");
            save(m_viewer->cursorWindow(), language, "cursor");
            ConditionDialog conditions(m_viewer.get());
            LogConditions::edited() = LogConditions::active();
            conditions.load();
            conditions.show();
            save(&conditions, language, "conditions");
            FileOperationDialog fileOperations(
                m_viewer->files(), [] { return QByteArray(); }, m_viewer.get());
            fileOperations.show();
            save(&fileOperations, language, "file-operation");
        }
        QCOMPARE(m_bench->count("\"LGDOPN"), 2);
        QVERIFY(loadModule("E"));
        AppSettings::instance().setEnglish(true);
    }
};

QTEST_MAIN(TestViewerWindow)
#include "tst_viewerwindow.moc"
