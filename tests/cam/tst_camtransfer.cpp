#include "cam/camfile.h"
#include "cam/camtransfer.h"
#include "params/scriptedprompt.h"
#include "resources/catalogue.h"
#include "sim/drivestate.h"
#include "support/linkbench.h"

#include <QDir>
#include <QFile>
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

// The record lines of a cam profile file: the comments dropped.
QByteArrayList records(const QByteArray &bytes)
{
    QByteArrayList lines;
    for (const QByteArray &line : bytes.split('\n')) {
        if (!line.endsWith("|\r") && line.contains('|'))
            lines.append(line);
    }
    return lines;
}

} // namespace

// The cam exchanges against the in-process virtual drive.
class TestCamTransfer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    ScriptedPrompt m_prompt;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    DriveState &state() { return m_bench->drive->state(); }

    CamTransfer::Outcome run(CamTransfer &transfer, const std::function<void()> &start)
    {
        QSignalSpy finished(&transfer, &CamTransfer::finished);
        m_bench->link.pushOwner(&transfer);
        start();
        if (finished.isEmpty())
            finished.wait(20000);
        m_bench->link.popOwner();
        return finished.isEmpty() ? CamTransfer::Outcome::Cancelled
                                  : finished.first().at(0).value<CamTransfer::Outcome>();
    }

    QString lastMessage() const
    {
        return m_prompt.messages.isEmpty() ? QString() : m_prompt.messages.last();
    }

    QByteArrayList sentAfter(qsizetype before) const { return m_bench->received().mid(before); }

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

    // The register lines: items in the table's order with upper-case
    // hexadecimal indices (11 as B, 16 as 10), the points as 32-bit words.
    void registerLines()
    {
        CamProfile profile;
        profile.title = "wire";
        profile.values = {1, 2, 0x1F5, 0x4, 0xAB, 0x1000000, 3, 4, 5, 0xFFFFFFFF, 7, 8};
        profile.points[1] = -1;
        profile.points[500] = 0x1000000;
        const QString file = path(QStringLiteral("wire.cdt"));
        QVERIFY(CamFile::write(file, profile, {}));
        CamTransfer transfer(m_bench->link, m_prompt);
        const qsizetype before = m_bench->received().size();
        QCOMPARE(run(transfer, [&] { transfer.download(5, file); }),
                 CamTransfer::Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Download completed."));
        const QByteArrayList sent = sentAfter(before);
        QCOMPARE(sent.size(), 1 + 1 + 12 + 101 + 1);
        QCOMPARE(sent.mid(0, 7), (QByteArrayList{"@72:5", "TT1:wire", "TI1:1:1", "TI1:2:2",
                                                 "TI1:3:1F5", "TI1:4:4", "TI1:B:AB"}));
        QCOMPARE(sent.at(11), QByteArray("TI1:10:FFFFFFFF"));
        QCOMPARE(sent.at(14), QByteArray("TD1:0:4:0:FFFFFFFF:0:0:0"));
        QCOMPARE(sent.at(114), QByteArray("TD1:1F4:1F4:1000000"));
        QCOMPARE(sent.last(), QByteArray("@72:0"));
        const SimCam &stored = state().cams[4];
        QVERIFY(stored.registered);
        QCOMPARE(stored.title, QByteArray("wire"));
        QCOMPARE(stored.items[9], 0xFFFFFFFFu);
        QCOMPARE(stored.points.at(1), -1);
    }

    // File -> drive -> file: the records come back byte for byte, by the
    // staged reading and by the one-phase answer alike.
    void roundTrip_data()
    {
        QTest::addColumn<bool>("onePhase");
        QTest::newRow("two-phase") << false;
        QTest::newRow("one-phase") << true;
    }

    void roundTrip()
    {
        QFETCH(bool, onePhase);
        state().camOnePhase = onePhase;
        QDir(m_dir->path()).mkdir(QStringLiteral("a"));
        QDir(m_dir->path()).mkdir(QStringLiteral("b"));
        const QString first = path(QStringLiteral("a/harmonic.cdt"));
        const QString second = path(QStringLiteral("b/harmonic.cdt"));
        CamTransfer transfer(m_bench->link, m_prompt);
        qsizetype before = m_bench->received().size();
        QCOMPARE(run(transfer, [&] { transfer.upload(9, first); }),
                 CamTransfer::Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Upload completed."));
        const QByteArrayList asked = sentAfter(before).mid(0, 3);
        if (onePhase)
            QCOMPARE(asked, (QByteArrayList{"@73:9", "R0P", "R0P"}));
        else
            QCOMPARE(asked, (QByteArrayList{"@73:9", "@70:131081", "@71:9"}));
        const QByteArray bytes = fileBytes(first);
        QVERIFY(bytes.contains("Title         |TT1:harmonic\r\n"));
        QVERIFY(bytes.contains(" [  0\x81\x60  4]   |TD1:000:004:0x00000000:0x000000a6:0x00000296:"
                               "0x000005d2:0x00000a59\r\n"));

        QCOMPARE(run(transfer, [&] { transfer.download(12, first); }),
                 CamTransfer::Outcome::Succeeded);
        QCOMPARE(run(transfer, [&] { transfer.upload(12, second); }),
                 CamTransfer::Outcome::Succeeded);
        QCOMPARE(records(fileBytes(second)), records(bytes));
        QCOMPARE(records(bytes).size(), 1 + 12 + 101);
    }

    void refused_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("upload");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QString>("message");
        const QString range = QStringLiteral("Cam profile numbers are from 1 to 16.");
        QTest::newRow("0") << 0 << "x.cdt" << true << int(CamTransfer::Outcome::Failed) << range;
        QTest::newRow("17") << 17 << "x.cdt" << false << int(CamTransfer::Outcome::Failed) << range;
        QTest::newRow("not registered")
            << 2 << "x.cdt" << true << int(CamTransfer::Outcome::NotRegistered)
            << QStringLiteral("Cam profile has not been registered.");
        QTest::newRow("extension")
            << 1 << "x.txt" << true << int(CamTransfer::Outcome::Failed)
            << QStringLiteral("\n\nCannot open file. Not a cam profile file.");
        QTest::newRow("batch extension")
            << -1 << "x.cdt" << true << int(CamTransfer::Outcome::Failed)
            << QStringLiteral("\n\nCan not open file.  This Cam profile is not in a batch file.");
    }

    void refused()
    {
        QFETCH(int, number);
        QFETCH(QString, file);
        QFETCH(bool, upload);
        QFETCH(int, outcome);
        QFETCH(QString, message);
        CamTransfer transfer(m_bench->link, m_prompt);
        const QString target = path(file);
        const qsizetype before = m_bench->received().size();
        const CamTransfer::Outcome result = run(transfer, [&] {
            if (number < 0)
                transfer.batchUpload(target);
            else if (upload)
                transfer.upload(number, target);
            else
                transfer.download(number, target);
        });
        QCOMPARE(int(result), outcome);
        QVERIFY2(lastMessage().endsWith(message), qPrintable(lastMessage()));
        QVERIFY(!QFile::exists(target));
        if (outcome == int(CamTransfer::Outcome::Failed))
            QCOMPARE(sentAfter(before), QByteArrayList());
    }

    // The batch covers 9-16: the registered ones get a file and a line; an
    // existing member file is replaced only after the question.
    void batch()
    {
        state().cams[15] = state().cams[0];
        const QString batch = path(QStringLiteral("set.whc"));
        writeBytes(path(QStringLiteral("set16.cdt")), "old");
        m_prompt.answers = {false};
        CamTransfer transfer(m_bench->link, m_prompt);
        QCOMPARE(run(transfer, [&] { transfer.batchUpload(batch); }),
                 CamTransfer::Outcome::Cancelled);
        QCOMPARE(m_prompt.questions.last(),
                 QStringLiteral("This may change the contents of %1. \nOK to proceed?")
                     .arg(path(QStringLiteral("set*.cdt"))));
        QCOMPARE(fileBytes(path(QStringLiteral("set16.cdt"))), QByteArray("old"));

        const qsizetype before = m_bench->received().size();
        QCOMPARE(run(transfer, [&] { transfer.batchUpload(batch); }),
                 CamTransfer::Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Batch file upload completed."));
        QCOMPARE(sentAfter(before).count("@71:16"), 1);
        const QByteArrayList sent = sentAfter(before);
        QCOMPARE(std::count_if(sent.cbegin(), sent.cend(),
                               [](const QByteArray &line) { return line.startsWith("@73:"); }),
                 8);
        QCOMPARE(fileBytes(batch), QByteArray(" 9:set09.cdt\r\n10:set10.cdt\r\n16:set16.cdt\r\n"));
        QVERIFY(fileBytes(path(QStringLiteral("set16.cdt"))).contains("|TT1:set16\r\n"));
        QVERIFY(!QFile::exists(path(QStringLiteral("set11.cdt"))));

        // Back again, into other numbers; a missing member is named at the end.
        writeBytes(batch, " 3:set09.cdt\r\n4:gone.cdt\r\n 5:set16.cdt\r\n");
        QCOMPARE(run(transfer, [&] { transfer.batchDownload(batch); }),
                 CamTransfer::Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Batch file download completed.\n\nAs the file can "
                                               "not be located, the cam profile file could not "
                                               "be downloaded.\ngone.cdt"));
        QCOMPARE(state().cams[2].points, state().cams[8].points);
        QCOMPARE(state().cams[4].title, QByteArray("set16"));
    }

    void batchRefused_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<QString>("message");
        QTest::newRow("leaves the folder")
            << QByteArray(" 9:../x09.cdt\r\n")
            << QStringLiteral(
                   "Line 1 of the batch file names a file outside its folder: ../x09.cdt");
        QTest::newRow("number 17")
            << QByteArray("17:x09.cdt\r\n")
            << QStringLiteral("Line 1 of the batch file is not a cam profile line.");
        QTest::newRow("bad member") << QByteArray(" 9:x09.cdt\r\n")
                                    << QStringLiteral("Cannot open file. Not a cam profile file.");
    }

    void batchRefused()
    {
        QFETCH(QByteArray, batch);
        QFETCH(QString, message);
        writeBytes(path(QStringLiteral("x09.cdt")), "TT1|TT1:x\r\nEND\r\n");
        writeBytes(path(QStringLiteral("x.whc")), batch);
        CamTransfer transfer(m_bench->link, m_prompt);
        const qsizetype before = m_bench->received().size();
        QCOMPARE(run(transfer, [&] { transfer.batchDownload(path(QStringLiteral("x.whc"))); }),
                 CamTransfer::Outcome::Failed);
        QVERIFY2(lastMessage().endsWith(message), qPrintable(lastMessage()));
        QCOMPARE(sentAfter(before), QByteArrayList());
    }

    // A reading that fails leaves the earlier file as it was.
    void failedReading_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("garbled") << QStringLiteral(
                                        "match=^R0P$,occurrence=20,replace=\"R7H :5:9:1\"")
                                 << QStringLiteral("Wrong data received.");
        QTest::newRow("refused") << QStringLiteral("match=^R0P$,occurrence=20,replace=\"ERR4\"")
                                 << QStringLiteral("ERR4\n\nAbort upload.");
        QTest::newRow("cut short") << QStringLiteral("match=^R0P$,occurrence=50,replace=\"R00\"")
                                   << QStringLiteral("Wrong data received.");
        QTest::newRow("timeout") << QStringLiteral("match=^R0P$,occurrence=20,drop")
                                 << QStringLiteral("Timeout error.");
    }

    void failedReading()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        const QString file = path(QStringLiteral("keep.cdt"));
        writeBytes(file, "old");
        m_bench->drive->addFault(fault);
        CamTransfer transfer(m_bench->link, m_prompt);
        QCOMPARE(run(transfer, [&] { transfer.upload(1, file); }), CamTransfer::Outcome::Failed);
        QCOMPARE(lastMessage(), message + QStringLiteral("\n\nDeleting %1.").arg(file));
        QCOMPARE(fileBytes(file), QByteArray("old"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"keep.cdt"});
    }

    void resetCommunication()
    {
        CamTransfer transfer(m_bench->link, m_prompt);
        QCOMPARE(run(transfer, [&] { transfer.resetCommunication(); }),
                 CamTransfer::Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Communications reset OK."));
    }
};

QTEST_GUILESS_MAIN(TestCamTransfer)
#include "tst_camtransfer.moc"
