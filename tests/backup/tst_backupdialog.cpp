#include "app/lampimages.h"
#include "backup/backupdialog.h"
#include "params/scriptedprompt.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"

#include <QDir>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

bool loadModule(const QString &language)
{
    const bool ok = Catalogue::instance().loadModule(
        QStringLiteral(TORVANE_BIN_DIR "/") +
        Catalogue::moduleFileName(QStringLiteral("Torvane_%1_Resource").arg(language)));
    LampImages::instance().load();
    return ok;
}

} // namespace

// The "Back Up" dialog offscreen: what it shows while a backup runs.
class TestBackupDialog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void duringBackup_data()
    {
        QTest::addColumn<QString>("language");
        QTest::addColumn<QString>("progress");
        QTest::addColumn<QString>("idle");
        QTest::newRow("English") << "E" << QString::fromUtf8("6 of 7: Cam profiles — set01.cdt")
                                 << "Idle";
        QTest::newRow("Japanese") << "J" << QString::fromUtf8("6 / 7: カムプロファイル — set01.cdt")
                                  << QString::fromUtf8("待機中");
    }

    // The dialog names the section and file that run, its buttons wait, and
    // the grabs (TORVANE_SHOTS_DIR) show it in both languages.
    void duringBackup()
    {
        QFETCH(QString, language);
        QFETCH(QString, progress);
        QFETCH(QString, idle);
        QVERIFY(loadModule(language));
        LinkBench bench;
        QVERIFY(bench.drive->applyPreset(QStringLiteral("full")));
        QTemporaryDir dir;
        ScriptedPrompt prompt;
        prompt.files = {dir.filePath(QStringLiteral("set.wha"))};
        BackupDialog dialog(bench.link);
        dialog.setPrompt(&prompt);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QString shown;
        bool buttonsWaited = true;
        QObject::connect(&dialog.userData(), &BackupTransfer::progress, &dialog,
                         [&](int, int, int code, const QString &item) {
                             if (code != BackupIndex::CamProfiles || item.isEmpty() ||
                                 !shown.isEmpty())
                                 return;
                             shown = dialog.progressText();
                             for (int id : {1, 1004, 1005, 1138, 1139})
                                 buttonsWaited = buttonsWaited && !dialog.button(id)->isEnabled();
                             const QString shots = qEnvironmentVariable("TORVANE_SHOTS_DIR");
                             if (!shots.isEmpty()) {
                                 QDir().mkpath(shots);
                                 dialog.grab().save(shots + QLatin1Char('/') + language +
                                                    QStringLiteral("-backup.png"));
                             }
                         });
        QSignalSpy finished(&dialog.userData(), &BackupTransfer::finished);
        dialog.button(1005)->click();
        QVERIFY(finished.wait(60000) || !finished.isEmpty());
        QCOMPARE(finished.first().at(0).value<BackupTransfer::Outcome>(),
                 BackupTransfer::Outcome::Succeeded);
        QCOMPARE(shown, progress);
        QVERIFY(buttonsWaited);
        QCOMPARE(dialog.progressText(), idle);
        QVERIFY(dialog.button(1005)->isEnabled());
        dialog.accept();
    }

    void cleanupTestCase() { loadModule(QStringLiteral("E")); }
};

QTEST_MAIN(TestBackupDialog)
#include "tst_backupdialog.moc"
