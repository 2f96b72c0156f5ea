#include "app/appsettings.h"
#include "app/mainmenuwindow.h"
#include "link/portmap.h"
#include "modalscript.h"
#include "params/scriptedprompt.h"
#include "programs/programeditdialog.h"
#include "programs/programfeature.h"
#include "programs/programindexdialog.h"
#include "programs/programmanagerdialog.h"
#include "programs/programmonitorinitdialog.h"
#include "programs/programmonitorwindow.h"
#include "programs/programoptiondialog.h"
#include "programs/programpropertydialog.h"
#include "programs/selecttypedialog.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

using Outcome = ProgramTransfer::Outcome;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class BottomOwner : public LinkOwner
{
public:
    void onLinkTimeout() override {}
    void onLinkReply(const QByteArray &) override {}
};

bool loadModule(const char *name)
{
    return Catalogue::instance().loadModule(QStringLiteral(TORVANE_BIN_DIR "/") +
                                            Catalogue::moduleFileName(QLatin1String(name)));
}

// Screenshots for a person to look at, when TORVANE_SHOTS_DIR names a folder.
void shoot(QWidget *widget, const QString &name)
{
    const QString dir = qEnvironmentVariable("TORVANE_SHOTS_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget->grab().save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class TestProgramManagerDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    BottomOwner m_bottom;
    ScriptedPrompt m_prompt;
    std::unique_ptr<ProgramManagerDialog> m_dialog;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    ProgramTransfer &transfer() { return m_dialog->transfer(); }

    // A button of the manager through "Select type" (and "Property" for one
    // program), then the transfer to its end.
    Outcome transferVia(int controlId, bool batch, int number, const QString &file)
    {
        ModalScript script;
        script.then<SelectTypeDialog>([batch](SelectTypeDialog *dialog) {
            dialog->setBatch(batch);
            dialog->accept();
        });
        if (!batch) {
            script.then<ProgramPropertyDialog>([number](ProgramPropertyDialog *dialog) {
                dialog->setNumber(number);
                dialog->accept();
            });
        }
        m_prompt.files.append(file);
        QSignalSpy finished(&transfer(), &ProgramTransfer::finished);
        QTest::mouseClick(m_dialog->button(controlId), Qt::LeftButton);
        if (finished.isEmpty() && !finished.wait(15000))
            return Outcome::Cancelled;
        return finished.last().at(0).value<Outcome>();
    }

    QList<bool> buttonStates() const
    {
        QList<bool> states;
        for (int id : {1004, 1005, 1006, 1007, 1061, 1})
            states.append(m_dialog->button(id)->isEnabled());
        return states;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(loadModule("Torvane_E_Resource"));
        AppSettings::instance().setEnglish(true);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_bench = std::make_unique<LinkBench>(LinkBench::Virtual);
        m_bench->link.pushOwner(&m_bottom);
        m_bench->link.open();
        m_prompt = ScriptedPrompt();
        m_dialog = std::make_unique<ProgramManagerDialog>(m_bench->link);
        m_dialog->setPrompt(&m_prompt);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    }

    void cleanup()
    {
        m_dialog.reset();
        m_bench.reset();
    }

    void texts()
    {
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Program Manager"));
        const QList<std::pair<int, QString>> captions{
            {1004, QStringLiteral("DownLoad(&D)")},  {1005, QStringLiteral("UpLoad(&U)")},
            {1006, QStringLiteral("Edit(&E)")},      {1007, QStringLiteral("Monitor(&M)")},
            {1061, QStringLiteral("Com Reset(&R)")}, {1, QStringLiteral("Exit(&X)")}};
        for (const auto &[id, caption] : captions)
            QCOMPARE(m_dialog->button(id)->text(), caption);
        QCOMPARE(m_dialog->selectType()->windowTitle(), QStringLiteral("Select type"));
        QCOMPARE(m_dialog->selectType()->normalButton()->text(), QStringLiteral("Normal(&N)"));
        QCOMPARE(m_dialog->selectType()->allButton()->text(), QStringLiteral("All(&W)"));
        QCOMPARE(m_bench->link.owner(), &transfer());
    }

    // Upload every program into a batch, download the batch back, upload it
    // again: the same program files, byte for byte, and the same programs
    // on the drive. Program 95 lies above the registrable numbers.
    void batchRoundTrip()
    {
        QCOMPARE(transferVia(1005, true, 0, path(QStringLiteral("a.whp"))), Outcome::Succeeded);
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Batch file upload completed."));
        QCOMPARE(fileBytes(path(QStringLiteral("a.whp"))),
                 QByteArray(" 3:a03.prg\r\n12:a12.prg\r\n"));
        QVERIFY(
            fileBytes(path(QStringLiteral("a03.prg")))
                .startsWith("Option=0001\r\n" + QByteArray(30, ' ') + "'SIM demo program 3\r\n"));
        QVERIFY(!QFile::exists(path(QStringLiteral("a95.prg"))));
        QCOMPARE(buttonStates(), (QList<bool>{true, true, true, true, true, true}));

        QCOMPARE(transferVia(1004, true, 0, path(QStringLiteral("a.whp"))), Outcome::Succeeded);
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Batch file download completed."));
        QCOMPARE(m_prompt.questions,
                 (QStringList{QStringLiteral("Program no. 3 already exist.\n\n overwrite?"),
                              QStringLiteral("Program no. 12 already exist.\n\n overwrite?")}));

        QCOMPARE(transferVia(1005, true, 0, path(QStringLiteral("b.whp"))), Outcome::Succeeded);
        for (const char *number : {"03", "12"}) {
            const QByteArray a =
                fileBytes(path(QStringLiteral("a%1.prg").arg(QLatin1String(number))));
            QVERIFY(!a.isEmpty());
            QCOMPARE(fileBytes(path(QStringLiteral("b%1.prg").arg(QLatin1String(number)))), a);
        }
    }

    // One program down and up through "Property": 90 is refused for a
    // download with the range message and the dialog stays open.
    void singleTransfers()
    {
        QCOMPARE(transferVia(1005, false, 12, path(QStringLiteral("p.prg"))), Outcome::Succeeded);
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Upload completed."));

        ModalScript script;
        script.then<SelectTypeDialog>([](SelectTypeDialog *dialog) { dialog->accept(); });
        QStringList seen;
        script.then<ProgramPropertyDialog>([&](ProgramPropertyDialog *dialog) {
            dialog->setNumber(90);
            dialog->accept();
            seen = m_prompt.messages;
            dialog->setNumber(20);
            dialog->accept();
        });
        m_prompt.files.append(path(QStringLiteral("p.prg")));
        QSignalSpy finished(&transfer(), &ProgramTransfer::finished);
        QTest::mouseClick(m_dialog->button(1004), Qt::LeftButton);
        QVERIFY(finished.wait(10000));
        QCOMPARE(seen.last(), QStringLiteral("Program numbers are from 0 to 89."));
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Download completed."));
        QCOMPARE(transferVia(1005, false, 20, path(QStringLiteral("q.prg"))), Outcome::Succeeded);
        QCOMPARE(fileBytes(path(QStringLiteral("q.prg"))),
                 fileBytes(path(QStringLiteral("p.prg"))));
    }

    // Cancelling "Select type" sends nothing.
    void cancelled()
    {
        const qsizetype before = m_bench->received().size();
        ModalScript script;
        script.then<SelectTypeDialog>([](SelectTypeDialog *dialog) { dialog->reject(); });
        QTest::mouseClick(m_dialog->button(1004), Qt::LeftButton);
        QCOMPARE(m_bench->received().size(), before);
        QVERIFY(m_prompt.requests.isEmpty());
    }

    // The ranges of "Property" mode by mode.
    void propertyRanges_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("highest");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("message");
        const QString to89 = QStringLiteral("Program numbers are from 0 to 89.");
        const QString to99 = QStringLiteral("Program numbers are from 0 to 99.");
        QTest::newRow("download 89") << 1 << -1 << 89 << QString();
        QTest::newRow("download 90") << 1 << -1 << 90 << to89;
        QTest::newRow("delete 90") << 2 << -1 << 90 << to89;
        QTest::newRow("reading 99") << 2 << 99 << 99 << QString();
        QTest::newRow("reading 100") << 2 << 99 << 100 << to99;
        QTest::newRow("upload 90") << 4 << -1 << 90 << QString();
        QTest::newRow("upload 100") << 4 << -1 << 100 << to99;
        QTest::newRow("open: no number") << 3 << -1 << 500 << QString();
    }

    void propertyRanges()
    {
        QFETCH(int, mode);
        QFETCH(int, highest);
        QFETCH(int, number);
        QFETCH(QString, message);
        ProgramPropertyDialog dialog;
        dialog.setPrompt(&m_prompt);
        dialog.setMode(ProgramPropertyDialog::Mode(mode), highest);
        dialog.setNumber(number);
        dialog.show();
        dialog.accept();
        QCOMPARE(m_prompt.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(dialog.isVisible(), !message.isEmpty());
        QCOMPARE(dialog.optionList()->isHidden(), mode != 1 && mode != 5);
        QCOMPARE(dialog.windowBox()->isEnabled(), mode != 2);
    }

    // "Program(&G)" opens the manager, which gives the link back on Exit.
    void mainMenuFeature()
    {
        m_dialog.reset();
        DriveLink::setInstance(&m_bench->link);
        PortMap map;
        MainMenuWindow window(m_bench->link, map, nullptr);
        m_bench->link.popOwner();
        m_bench->link.pushOwner(&window);
        registerProgramFeatures(window);
        QVERIFY(window.button(1003)->isEnabled());
        bool owned = false;
        ModalScript script;
        script.then<ProgramManagerDialog>([&](ProgramManagerDialog *manager) {
            owned = m_bench->link.owner() == &manager->transfer();
            QTest::mouseClick(manager->button(1), Qt::LeftButton);
        });
        window.openFeature(1003);
        QVERIFY(owned);
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&window));
        DriveLink::setInstance(nullptr);
    }

    // Every window of the programs, in both languages, for a look.
    void shots_data()
    {
        QTest::addColumn<QString>("module");
        QTest::newRow("english") << QStringLiteral("Torvane_E_Resource");
        QTest::newRow("japanese") << QStringLiteral("Torvane_J_Resource");
    }

    void shots()
    {
        QFETCH(QString, module);
        QVERIFY(loadModule(module.toLatin1().constData()));
        AppSettings::instance().setEnglish(module.contains(QLatin1String("_E_")));
        const QString lang =
            module.contains(QLatin1String("_E_")) ? QStringLiteral("en") : QStringLiteral("ja");
        m_dialog.reset();
        m_dialog = std::make_unique<ProgramManagerDialog>(m_bench->link);
        m_dialog->setPrompt(&m_prompt);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        shoot(m_dialog.get(), lang + QStringLiteral("-215-manager"));

        auto shootDialog = [&](QDialog *dialog, const QString &name) {
            dialog->show();
            QVERIFY(QTest::qWaitForWindowExposed(dialog));
            shoot(dialog, lang + QLatin1Char('-') + name);
            dialog->hide();
        };
        shootDialog(m_dialog->selectType(), QStringLiteral("222-select-type"));
        m_dialog->property()->setMode(ProgramPropertyDialog::Download);
        m_dialog->property()->setOptions(1);
        shootDialog(m_dialog->property(), QStringLiteral("220-property-mode1"));
        m_dialog->property()->setMode(ProgramPropertyDialog::NumberOnly);
        shootDialog(m_dialog->property(), QStringLiteral("220-property-mode2"));

        ProgramEditDialog *editor = m_dialog->editor();
        editor->setLines(0, {"'SIM demo program 3", "SPD 100",
                             "MOV 10000                     'move out", "M10", "END"});
        editor->setLines(1, {"'\xb6\xc0\xb6\xc5 comment", "TIM 500"});
        editor->resize(editor->sizeHint());
        shootDialog(editor, QStringLiteral("213-edit"));
        editor->index()->setIndex({"  3:  10\r\n", " 12:   8\r\n", " 95:   4\r\n"}, "1002");
        shootDialog(editor->index(), QStringLiteral("214-index"));

        ProgramMonitorWindow *monitor = m_dialog->monitor();
        shootDialog(monitor->initDialog(), QStringLiteral("218-monitor-init"));
        monitor->optionDialog()->setOptions({3, 1, true});
        shootDialog(monitor->optionDialog(), QStringLiteral("219-option"));
        // The monitor with program 3 read and the drive idle.
        m_bench->link.pushOwner(&monitor->monitor());
        QSignalSpy read(&monitor->monitor(), &ProgramMonitor::readFinished);
        monitor->monitor().readPrograms(3);
        QVERIFY(read.wait(5000));
        QVERIFY(read.first().at(0).toBool());
        monitor->monitor().start();
        QSignalSpy status(&monitor->monitor(), &ProgramMonitor::statusChanged);
        QVERIFY(status.wait(3000));
        monitor->show();
        QVERIFY(QTest::qWaitForWindowExposed(monitor));
        QVERIFY(!monitor->programView()->toPlainText().isEmpty());
        shoot(monitor, lang + QStringLiteral("-216-monitor"));
        monitor->monitor().stop();
        monitor->hide();
        m_bench->link.popOwner();
        QVERIFY(loadModule("Torvane_E_Resource"));
        AppSettings::instance().setEnglish(true);
    }
};

QTEST_MAIN(TestProgramManagerDialog)
#include "tst_programmanagerdialog.moc"
