#include "backup/backuptransfer.h"
#include "backup/motordatatransfer.h"
#include "link/drivetext.h"
#include "params/parametertransfer.h"
#include "params/scriptedprompt.h"
#include "resources/catalogue.h"
#include "sim/drivestate.h"
#include "support/linkbench.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// Every file of a folder, hidden ones included, with its bytes.
QMap<QString, QByteArray> folderContents(const QString &folder)
{
    QMap<QString, QByteArray> contents;
    const QDir dir(folder);
    for (const QString &name :
         dir.entryList(QDir::Files | QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot))
        contents.insert(name, fileBytes(dir.filePath(name)));
    return contents;
}

QByteArray sjis(const char *utf8)
{
    return DriveText::encode(QString::fromUtf8(utf8));
}

QByteArray padded(const char *utf8)
{
    return sjis(utf8).leftJustified(43, ' ');
}

} // namespace

// The all-data and motor-data backups against the in-process virtual drive.
class TestBackupTransfer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    ScriptedPrompt m_prompt;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    DriveState &state() { return m_bench->drive->state(); }
    QByteArrayList sentAfter(qsizetype before) const { return m_bench->received().mid(before); }
    QString lastMessage() const
    {
        return m_prompt.messages.isEmpty() ? QString() : m_prompt.messages.last();
    }

    template <typename Transfer> bool run(Transfer &transfer, const std::function<void()> &start)
    {
        QSignalSpy finished(&transfer, &Transfer::finished);
        m_bench->link.pushOwner(&transfer);
        start();
        if (finished.isEmpty())
            finished.wait(60000);
        m_bench->link.popOwner();
        return !finished.isEmpty() &&
               finished.first().at(0).template value<typename Transfer::Outcome>() ==
                   Transfer::Outcome::Succeeded;
    }

    bool backup(const QString &indexPath)
    {
        BackupTransfer transfer(m_bench->link, m_prompt);
        transfer.setClock([] { return QDateTime(QDate(2026, 12, 8), QTime(14, 0, 0)); });
        m_prompt.files = {indexPath};
        return run(transfer, [&] { transfer.backup(); });
    }

    bool restore(const QString &indexPath)
    {
        BackupTransfer transfer(m_bench->link, m_prompt);
        m_prompt.files = {indexPath};
        return run(transfer, [&] { transfer.restore(); });
    }

    bool motor(bool upload, const QString &indexPath)
    {
        MotorDataTransfer transfer(m_bench->link, m_prompt);
        m_prompt.files = {indexPath};
        return run(transfer, [&] { upload ? transfer.upload() : transfer.download(); });
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
        m_bench->link.open();
        m_prompt = ScriptedPrompt();
        m_dir = std::make_unique<QTemporaryDir>();
    }

    // The fully loaded drive into a set, a change, the set back, and a
    // second set that is the first byte for byte.
    void fullRoundTrip()
    {
        QVERIFY(m_bench->drive->applyPreset(QStringLiteral("full")));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("a")));
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("b")));
        const QString first = path(QStringLiteral("a/set.wha"));
        QVERIFY(backup(first));
        QVERIFY(m_prompt.questions.isEmpty());
        QCOMPARE(lastMessage(), QStringLiteral("Batch file upload completed."));

        QByteArray index = " 4: 0:set.prm\r\n 5: 0:set.ioc\r\n";
        for (int k = 0; k < 20; ++k) {
            const QByteArray n = QByteArray::number(k * 4);
            index +=
                " 7:" + n.rightJustified(2, ' ') + ":set" + n.rightJustified(2, '0') + ".prg\r\n";
        }
        index += " 8: 0:set00.idx\r\n 8: 1:set01.idx\r\n 9: 0:set00.idp\r\n 9: 1:set01.idp\r\n";
        for (int n = 1; n <= 16; ++n) {
            const QByteArray number = QByteArray::number(n);
            index += "10:" + number.rightJustified(2, ' ') + ":set" +
                     number.rightJustified(2, '0') + ".cdt\r\n";
        }
        index += " 6: 0:set.aac\r\n";
        QCOMPARE(fileBytes(first), index);
        // The set and nothing else: no staging folder, no batch files.
        const QMap<QString, QByteArray> set = folderContents(path(QStringLiteral("a")));
        QCOMPARE(set.size(), 44);
        const QByteArray cam = set.value(QStringLiteral("set16.cdt"));
        QVERIFY(cam.startsWith("set16.cdt              |\r\n[Backup information]   |\r\n"
                               "Date : 2026-12-08 14:00|\r\n"));
        QVERIFY(cam.contains("Title         |TT1:set16\r\n"));

        m_bench->drive->setItem(13, 5000);
        state().setProgram(8, 0, {"'changed", "END"});
        state().indexTables[1].entries = {1, 2};
        state().accuracyTable.entries[7] = 99;
        state().io.inputLogic[0] = 0;
        state().cams[4].points[250] = 7;
        state().cams[15] = SimCam();
        m_prompt.messages.clear();
        QVERIFY(restore(first));
        QVERIFY(lastMessage().startsWith(QStringLiteral("Batch file download completed.")));
        QVERIFY(lastMessage().endsWith(QStringLiteral("\n\nReset driver.")));
        QCOMPARE(m_bench->received().last(), QByteArray("@96"));
        QCOMPARE(m_bench->received().count("@96"), 1);

        const QString second = path(QStringLiteral("b/set.wha"));
        QVERIFY(backup(second));
        QCOMPARE(folderContents(path(QStringLiteral("b"))), set);
    }

    // A failure half-way leaves the earlier set as it was; No to the
    // question touches nothing either.
    void failureKeepsEarlierSet()
    {
        const QString index = path(QStringLiteral("set.wha"));
        QVERIFY(backup(index));
        const QMap<QString, QByteArray> earlier = folderContents(m_dir->path());
        state().setProgram(3, 0, {"'changed", "END"});

        QString error;
        QVERIFY(m_bench->drive->addFault(QStringLiteral("match=^@63:12$,drop"), &error));
        m_prompt.messages.clear();
        QVERIFY(!backup(index));
        QCOMPARE(m_prompt.questions,
                 QStringList{QStringLiteral("This may change the contents of  set.prm ,\n "
                                            "set.ioc ,\n set.aac ,\n set*.prg ,\n set*.idx ,\n "
                                            "set*.idp ,\n set*.cdt ,\n. \nOK to proceed?")});
        QVERIFY(lastMessage().startsWith(QStringLiteral("Timeout error.\n\n")));
        QVERIFY(lastMessage().endsWith(QStringLiteral("Abort batch file upload.\nThe earlier "
                                                      "backup set ") +
                                       index + QStringLiteral(" is unchanged.")));
        QCOMPARE(m_bench->received().last(), QByteArray("@96"));
        QCOMPARE(folderContents(m_dir->path()), earlier);

        m_prompt.answers = {false};
        const qsizetype before = m_bench->received().size();
        QVERIFY(!backup(index));
        QCOMPARE(lastMessage(), QStringLiteral("Abort batch file upload."));
        QCOMPARE(sentAfter(before), QByteArrayList{"@96"});
        QCOMPARE(folderContents(m_dir->path()), earlier);
    }

    void restoreEdgeCases_data()
    {
        QTest::addColumn<QString>("indexName");
        QTest::addColumn<QByteArray>("index");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("message"); // "%1": the folder
        QTest::addColumn<QByteArray>("firstSent");
        QTest::addColumn<QByteArrayList>("notSent");
        const QString done = QStringLiteral("Batch file download completed.\n\nReset driver.");
        QTest::newRow("only programs")
            << "r.wha" << QByteArray(" 7: 3:set03.prg\r\n 7:12:set12.prg\r\n") << true << done
            << QByteArray("@61:3:10:0001") << QByteArrayList{"@53", "@55", "@85:360", "@66:0:12"};
        QTest::newRow("only accuracy")
            << "r.wha" << QByteArray(" 6: 0:set.aac\r\n") << true << done << QByteArray("@85:360")
            << QByteArrayList{"@53", "@55", "@61:3:10:0001"};
        QTest::newRow("parameter file present, not listed")
            << "r.wha" << QByteArray(" 5: 0:set.ioc\r\n") << true << done << QByteArray("@55")
            << QByteArrayList{"#213", "@53"};
        QTest::newRow("missing parameter file")
            << "r.wha" << QByteArray(" 4: 0:gone.prm\r\n 7: 3:set03.prg\r\n") << false
            << QStringLiteral("%1/gone.prm\nFile does not exist or illegal file name.\nAbort "
                              "batch file download.")
            << QByteArray("@96") << QByteArrayList{"#213", "@61:3:10:0001"};
        QTest::newRow("only cam profiles")
            << "r.wha" << QByteArray("10: 9:set09.cdt\r\n10: 1:set01.cdt\r\n") << true << done
            << QByteArray("@72:9") << QByteArrayList{"@53", "@55", "@61:3:10:0001", "@85:360"};
        QTest::newRow("cam profile 0")
            << "r.wha" << QByteArray(" 7: 3:set03.prg\r\n10: 0:set01.cdt\r\n") << false
            << QStringLiteral("%1/r.wha\nLine 2 of the index file is not an index line.\nAbort "
                              "batch file download.")
            << QByteArray("@96") << QByteArrayList{"@61:3:10:0001", "@72:0"};
        QTest::newRow("unknown section")
            << "r.wha" << QByteArray(" 7: 3:set03.prg\r\n11: 0:set01.cdt\r\n") << false
            << QStringLiteral("%1/r.wha\nLine 2 of the index file names section 11, which this "
                              "program does not restore.\nAbort batch file download.")
            << QByteArray("@96") << QByteArrayList{"@61:3:10:0001"};
        QTest::newRow("file its section does not take")
            << "r.wha" << QByteArray(" 7: 3:set03.prg\r\n 6: 0:set03.prg\r\n") << false
            << QStringLiteral("%1/set03.prg\nFile contents does not match\nLine 1 is not a table "
                              "line.\nAbort batch file download.")
            << QByteArray("@96") << QByteArrayList{"@61:3:10:0001", "@85:360"};
        QTest::newRow("name out of the folder")
            << "r.wha" << QByteArray(" 7: 3:../set03.prg\r\n") << false
            << QStringLiteral("%1/r.wha\nLine 1 of the index file names a file outside its "
                              "folder: ../set03.prg\nAbort batch file download.")
            << QByteArray("@96") << QByteArrayList{"@61:3:10:0001"};
        QTest::newRow("not an index file")
            << "r.txt" << QByteArray(" 6: 0:set.aac\r\n") << false
            << QStringLiteral("%1/r.txt\n\nCan not open file.  File is not All Data BackUp File "
                              "file.")
            << QByteArray("@96") << QByteArrayList{"@85:360"};
        QTest::newRow("nothing listed") << "r.wha" << QByteArray("no colon here\r\n") << true
                                        << QStringLiteral("Batch file download completed.")
                                        << QByteArray("@96") << QByteArrayList{};
    }

    void restoreEdgeCases()
    {
        QFETCH(QString, indexName);
        QFETCH(QByteArray, index);
        QFETCH(bool, ok);
        QFETCH(QString, message);
        QFETCH(QByteArray, firstSent);
        QFETCH(QByteArrayList, notSent);
        QVERIFY(backup(path(QStringLiteral("set.wha"))));
        writeBytes(path(indexName), index);
        const qsizetype before = m_bench->received().size();
        m_prompt.messages.clear();
        QCOMPARE(restore(path(indexName)), ok);
        QCOMPARE(lastMessage(),
                 message.contains(QLatin1String("%1")) ? message.arg(m_dir->path()) : message);
        const QByteArrayList sent = sentAfter(before);
        QVERIFY(!sent.isEmpty());
        QCOMPARE(sent.first(), firstSent);
        QCOMPARE(sent.last(), QByteArray("@96"));
        for (const QByteArray &command : notSent)
            QVERIFY2(!sent.contains(command), command.constData());
        // The section lists live in memory: nothing lands in the working folder.
        QVERIFY(!QFile::exists(QFileInfo(indexName).completeBaseName() + QStringLiteral(".tmp")));
    }

    // The motor data into its scripts (a 31-character main string makes an
    // 82-character line), a change, the scripts back, the same scripts again.
    void motorRoundTrip()
    {
        const QByteArray longString(31, 'M');
        state().motorStringA = longString;
        QVERIFY(m_bench->drive->setKnob(QStringLiteral("reg_delay_ms"), QStringLiteral("1500")));
        const qsizetype before = m_bench->received().size();
        QVERIFY(motor(true, path(QStringLiteral("m.whm"))));
        QCOMPARE(sentAfter(before).mid(0, 4),
                 (QByteArrayList{"\"PSAR", "\"PSBR", "\"FROPN:0", "\"FDRN"}));
        QCOMPARE(fileBytes(path(QStringLiteral("m.whm"))),
                 QByteArray(" 3: 0:m.dfa\r\n 2: 0:m.dfb\r\n"));
        const QByteArray main = fileBytes(path(QStringLiteral("m.dfb")));
        const QByteArrayList lines = main.split('\n');
        QCOMPARE(lines.at(0), padded("主文字列") + " | PSAW:" + longString + '\r');
        QCOMPARE(lines.at(0).size(), 83);
        QCOMPARE(lines.at(1), padded("副文字列") + " | PSBW:SN00012345\r");
        QCOMPARE(lines.at(2), QByteArray("\r"));
        QCOMPARE(lines.at(3), padded("電流トルク特性／電流推力特性") + " | FWOPN:0\r");
        QCOMPARE(lines.at(5), QByteArray(43, ' ') + " | FDW:   100:  1200\r");
        QCOMPARE(lines.at(8), QByteArray(43, ' ') + " | FDW:   400:  3900\r");
        QCOMPARE(lines.at(9), QByteArray(43, ' ') + " | FCLS\r");
        QVERIFY(main.contains(padded("最大電流                    [1/10 A]") +
                              " | PCOM: 10: 52:        150\r\n"));
        QVERIFY(main.contains(padded("SIG0 半径                      [μm]") +
                              " | PROT:  4:104:      45000\r\n"));
        QCOMPARE(main.count(" | PROT:"), 14);
        QCOMPARE(main.count(" | PLNR:"), 0);
        const QByteArray adjust = fileBytes(path(QStringLiteral("m.dfa")));
        QCOMPARE(adjust, padded("主文字列") + " | PSCW:DM1060B-ADJ\r\n" + padded("副文字列") +
                             " | PSDW:CAL20240101\r\n\r\n" +
                             padded("転流オフセット ψoff      [1/100 deg]") +
                             " | PCOM:  0:400:       1234\r\n" +
                             padded("速度検出補助信号 A/D ﾃﾞｰﾀｽﾊﾟﾝ [digit]") +
                             " | PCOM:  0:401:       2048\r\n" +
                             padded("ノッチフィルタ周波数１           [Hz]") +
                             " | PCOM:  0:402:          0\r\n" +
                             padded("ノッチフィルタ周波数２           [Hz]") +
                             " | PCOM:  0:403:          0\r\n");

        const auto seededTable = state().characteristicTables[1];
        state().motorStringA = "X";
        state().characteristicTables[1] = {};
        state().machineEntry(MachineEntry::Group::Rot, 100)->value = 9;
        state().machineEntry(MachineEntry::Group::Adj, 400)->value = 9;
        m_prompt.messages.clear();
        QVERIFY(motor(false, path(QStringLiteral("m.whm"))));
        QCOMPARE(lastMessage(),
                 QStringLiteral("登録が完了しました。\n\nBatch file download completed."));
        QCOMPARE(state().motorStringA, longString);
        QCOMPARE(state().characteristicTables[1], seededTable);
        QCOMPARE(state().machineEntry(MachineEntry::Group::Rot, 100)->value, 150);
        QCOMPARE(state().machineEntry(MachineEntry::Group::Adj, 400)->value, 1234);

        QVERIFY(motor(true, path(QStringLiteral("n.whm"))));
        QCOMPARE(fileBytes(path(QStringLiteral("n.dfb"))), main);
        QCOMPARE(fileBytes(path(QStringLiteral("n.dfa"))), adjust);
    }

    void motorUploadShapes()
    {
        // A linear motor: its LNR entries and none of the ROT ones.
        QVERIFY(m_bench->drive->applyPreset(QStringLiteral("linear")));
        // An empty table: FWOPN directly followed by FCLS, and no FDRN asked.
        state().characteristicTables[2] = {};
        const qsizetype before = m_bench->received().size();
        QVERIFY(motor(true, path(QStringLiteral("l.whm"))));
        const QByteArray main = fileBytes(path(QStringLiteral("l.dfb")));
        QCOMPARE(main.count(" | PLNR:"), 9);
        QCOMPARE(main.count(" | PROT:"), 0);
        QVERIFY(main.contains(padded("回転数 転流位相進め時間特性 定義") + " | FWOPN:2\r\n" +
                              QByteArray(43, ' ') + " | FCLS\r\n\r\n"));
        const QByteArrayList sent = sentAfter(before);
        QCOMPARE(sent.at(sent.indexOf("\"FROPN:2") + 1), QByteArray("\"PR:0"));
        QVERIFY(sent.contains("\"PR:200"));
        QVERIFY(!sent.contains("\"PR:100"));
    }

    void motorScriptFaults_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<int>("line");
        QTest::newRow("string over 31")
            << QByteArray("PSAW:DM1060B-SIM") << QByteArray("PSAW:") + QByteArray(32, 'S') << 1;
        QTest::newRow("sixteen points")
            << QByteArray(" | FCLS\r\n")
            << QByteArray(" | FDW: 1: 1\r\n").repeated(11).prepend(QByteArray(43, ' ')) +
                   QByteArray(43, ' ') + " | FCLS\r\n"
            << 20;
        QTest::newRow("unknown keyword") << QByteArray("PSBW:") << QByteArray("PSXW:") << 2;
        QTest::newRow("entry not found")
            << QByteArray(" 52:        150") << QByteArray(" 99:1") << 36;
        QTest::newRow("motor kind 2")
            << QByteArray("  0:  0:          0") << QByteArray("  0:  0:          2") << 25;
    }

    // A bad script line is reported with its line before the drive hears
    // anything but the closing @96.
    void motorScriptFaults()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(int, line);
        QVERIFY(motor(true, path(QStringLiteral("m.whm"))));
        QByteArray main = fileBytes(path(QStringLiteral("m.dfb")));
        QVERIFY(main.contains(from));
        main.replace(main.indexOf(from), from.size(), to);
        writeBytes(path(QStringLiteral("m.dfb")), main);
        const qsizetype before = m_bench->received().size();
        m_prompt.messages.clear();
        QVERIFY(!motor(false, path(QStringLiteral("m.whm"))));
        QVERIFY2(lastMessage().startsWith(QStringLiteral("フォーマットが不正です！\n") +
                                          path(QStringLiteral("m.dfb")) +
                                          QStringLiteral(": line %1\n").arg(line)),
                 qPrintable(lastMessage()));
        QCOMPARE(sentAfter(before), QByteArrayList{"@96"});
    }
};

QTEST_GUILESS_MAIN(TestBackupTransfer)
#include "tst_backuptransfer.moc"
