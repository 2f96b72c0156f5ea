#include "app/lampimages.h"
#include "cam/camgraphdialog.h"
#include "cam/cammenudialog.h"
#include "cam/camviewdialog.h"
#include "cam/universalcamdialog.h"
#include "cam/universalcameditor.h"
#include "comp/tablenumberdialog.h"
#include "params/scriptedprompt.h"
#include "resources/catalogue.h"
#include "sim/drivestate.h"
#include "support/linkbench.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool loadModule(const char *language)
{
    const bool ok = Catalogue::instance().loadModule(
        QStringLiteral(TORVANE_BIN_DIR "/") +
        Catalogue::moduleFileName(
            QStringLiteral("Torvane_%1_Resource").arg(QLatin1String(language))));
    LampImages::instance().load();
    return ok;
}

} // namespace

// The cam profile windows offscreen against the in-process virtual drive.
class TestCamWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    ScriptedPrompt m_prompt;
    QTemporaryDir m_dir;

    bool wait(CamTransfer &transfer)
    {
        if (transfer.isBusy())
            QSignalSpy(&transfer, &CamTransfer::finished).wait(10000);
        return !transfer.isBusy();
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(loadModule("E")); }

    void init()
    {
        m_bench = std::make_unique<LinkBench>();
        m_prompt = ScriptedPrompt();
    }

    // Upload from the menu into a file, view it from the drive and the file.
    void menuAndView()
    {
        CamMenuDialog menu(m_bench->link);
        menu.setPrompt(&m_prompt);
        menu.setTypeChooser([] { return 0; });
        menu.setNumberChooser([] { return 10; });
        menu.show();
        const QString file = m_dir.filePath(QStringLiteral("linear.cdt"));
        m_prompt.files = {file};
        menu.upload();
        QVERIFY(!menu.button(1005)->isEnabled());
        QVERIFY(wait(menu.transfer()));
        QVERIFY(menu.button(1005)->isEnabled());
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Upload completed."));
        QCOMPARE(m_prompt.requests.last().filter, QStringLiteral("Cam profile file. (*.cdt)"));

        CamViewDialog view(menu.transfer(), m_prompt);
        QStringList shown;
        view.setGraphOpener([&](const CamProfile &profile) {
            CamGraphDialog graph;
            graph.setProfile(profile);
            shown = {graph.readout(0), graph.readout(3), graph.readout(6)};
        });
        view.numberBox()->setValue(9);
        view.showGraph();
        QVERIFY(wait(menu.transfer()));
        QCOMPARE(shown, (QStringList{"SIM-HARMONIC", "  1.570796", " -4.934803"}));
        view.fileButton()->setChecked(true);
        view.pathEdit()->setText(file);
        view.showGraph();
        QCOMPARE(shown, (QStringList{"linear", "  1.000000", "  0.000000"}));
        menu.accept();
    }

    void editor()
    {
        UniversalCamEditor editor(m_prompt);
        QVERIFY(editor.field(CamLaw::T0)->isReadOnly());
        QCOMPARE(editor.field(CamLaw::T7)->text(), QStringLiteral(" 1.0000000"));
        editor.field(CamLaw::T2)->setText(QStringLiteral("abc"));
        QVERIFY(!editor.save());
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("abc is not a number."));
        editor.field(CamLaw::T2)->setText(QStringLiteral(".3"));
        QVERIFY(editor.enter());
        QCOMPARE(editor.field(CamLaw::T2)->text(), QStringLiteral(" 0.3000000"));
        const QString file = m_dir.filePath(QStringLiteral("edit.unv"));
        m_prompt.files = {file};
        QVERIFY(editor.save());
        QVERIFY(QFile::exists(m_dir.filePath(QStringLiteral("edit.cdt"))));

        // Read back through the first dialog.
        UniversalCamDialog start(m_prompt);
        start.editButton()->setChecked(true);
        start.pathEdit()->setText(file);
        QString t2;
        start.setEditorRunner([&](UniversalCamEditor &e) { t2 = e.field(CamLaw::T2)->text(); });
        QVERIFY(start.next());
        QCOMPARE(t2, QStringLiteral(" 0.3000000"));
    }

    // Writes the windows in English and Japanese to TORVANE_SHOTS_DIR.
    void grabWindows()
    {
        const QString dir = qEnvironmentVariable("TORVANE_SHOTS_DIR");
        if (dir.isEmpty())
            QSKIP("set TORVANE_SHOTS_DIR to grab the windows");
        QDir().mkpath(dir);
        for (const char *language : {"E", "J"}) {
            QVERIFY(loadModule(language));
            const QString prefix =
                dir + QLatin1Char('/') + QLatin1String(language) + QLatin1Char('-');
            CamMenuDialog menu(m_bench->link);
            menu.setPrompt(&m_prompt);
            menu.show();
            QVERIFY(menu.grab().save(prefix + QStringLiteral("cam-menu.png")));
            TableNumberDialog number(224, 1, 16, 136);
            QVERIFY(number.grab().save(prefix + QStringLiteral("cam-number.png")));
            CamViewDialog view(menu.transfer(), m_prompt);
            view.setGraphOpener([&](const CamProfile &profile) {
                CamGraphDialog graph;
                graph.setProfile(profile);
                graph.show();
                QVERIFY(graph.grab().save(prefix + QStringLiteral("cam-graph.png")));
            });
            view.show();
            QVERIFY(view.grab().save(prefix + QStringLiteral("cam-view.png")));
            view.showGraph();
            QVERIFY(wait(menu.transfer()));
            UniversalCamDialog start(m_prompt);
            QVERIFY(start.grab().save(prefix + QStringLiteral("universal-start.png")));
            UniversalCamEditor editor(m_prompt);
            editor.show();
            QVERIFY(editor.grab().save(prefix + QStringLiteral("universal-editor.png")));
            editor.setGraphRunner([&](CamGraphDialog &graph) {
                graph.show();
                QVERIFY(graph.grab().save(prefix + QStringLiteral("universal-graph.png")));
            });
            QVERIFY(editor.showGraph());
            menu.accept();
        }
        QVERIFY(loadModule("E"));
    }
};

QTEST_MAIN(TestCamWindows)
#include "tst_camwindows.moc"
