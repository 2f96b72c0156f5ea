#include "../params/scriptedprompt.h"
#include "programs/programtransfer.h"
#include "resources/catalogue.h"
#include "sim/drivestate.h"
#include "support/linkbench.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Outcome = ProgramTransfer::Outcome;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray golden(const char *name)
{
    return fileBytes(QStringLiteral(TORVANE_TEST_DATA "/golden/") + QLatin1String(name));
}

QString goldenPath(const char *name)
{
    return QStringLiteral(TORVANE_TEST_DATA "/golden/") + QLatin1String(name);
}

} // namespace

// The program exchanges and the program manager's transfers against the
// virtual drive.
class TestProgramTransfer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<ProgramTransfer> m_transfer;
    std::unique_ptr<QSignalSpy> m_finished;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    DriveState &state() { return m_bench->drive->state(); }
    QString text(int id) const { return Catalogue::instance().string(id); }

    // Starts an operation and waits for its end.
    Outcome run(const std::function<void()> &start, const QStringList &files = {})
    {
        m_prompt->files += files;
        const qsizetype before = m_finished->size();
        start();
        if (m_finished->size() == before && !m_finished->wait(20000))
            return Outcome::Cancelled;
        return m_finished->last().at(0).value<Outcome>();
    }
    QString lastMessage() const
    {
        return m_prompt->messages.isEmpty() ? QString() : m_prompt->messages.last();
    }
    // Commands sent since `from` lines of the trace.
    QByteArrayList sentSince(qsizetype from) const { return m_bench->received().mid(from); }
    void copyGolden(const char *name, const QString &to)
    {
        QFile::remove(to);
        QVERIFY(QFile::copy(goldenPath(name), to));
        QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
    }
    void write(const QString &to, const QByteArray &bytes)
    {
        QFile file(to);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
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
        m_dir = std::make_unique<QTemporaryDir>();
        m_bench = std::make_unique<LinkBench>();
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_transfer = std::make_unique<ProgramTransfer>(m_bench->link, *m_prompt);
        m_bench->link.pushOwner(m_transfer.get());
        m_bench->link.open();
        m_finished = std::make_unique<QSignalSpy>(m_transfer.get(), &ProgramTransfer::finished);
    }
    void cleanup()
    {
        m_transfer.reset();
        m_bench.reset();
    }

    // A user's file is registered line by line as read; read back, the
    // drive's blocks give the rebuilt lines.
    void downloadAndRead()
    {
        const qsizetype from = m_bench->received().size();
        QCOMPARE(run([&] { m_transfer->download(20); }, {goldenPath("download.prg")}),
                 Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Download completed."));
        const QByteArray a80(80, 'A');
        const QByteArray lead = '\'' + QByteArray(40, 'c');
        const QByteArray after = "B '" + QByteArray(39, 'd');
        QCOMPARE(sentSince(from), (QByteArrayList{"@61:20:9:0002", "SPD 100", "MOV 10   'go", a80,
                                                  lead, after, "", "END", "@62"}));
        QCOMPARE(run([&] { m_transfer->read(20); }), Outcome::Succeeded);
        QCOMPARE(m_transfer->readOption(), QByteArray("0002"));
        QCOMPARE(m_transfer->readLines(),
                 (QByteArrayList{"SPD 100", "MOV 10" + QByteArray(24, ' ') + "'go", a80,
                                 QByteArray(30, ' ') + lead,
                                 "B" + QByteArray(29, ' ') + after.mid(2), "", "END"}));
    }

    // A registration that breaks off mid-way is closed on the drive, so that
    // the next one is not taken as program text.
    void brokenRegistration_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("time-out") << "match=^ACC,drop"
                                  << "Timeout error.";
        QTest::newRow("garbled") << "match=^ACC,replace=R?X"
                                 << "Abort download.\nR?X";
    }
    void brokenRegistration()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QVERIFY(m_bench->drive->addFault(fault));
        QCOMPARE(run([&] { m_transfer->download(20); }, {goldenPath("progs03.prg")}),
                 Outcome::Failed);
        QCOMPARE(lastMessage(), message);
        QCOMPARE(m_bench->received().last(), QByteArray("@98"));
        QCOMPARE(run([&] { m_transfer->download(21); }, {goldenPath("progs12.prg")}),
                 Outcome::Succeeded);
        QCOMPARE(state().programs().keys(), (QList<int>{3, 12, 21, 95}));
    }

    // A monitor's late status reply during a download is not the drive's
    // answer to a program line.
    void statusReplyIgnored()
    {
        QVERIFY(m_bench->drive->addFault(
            QStringLiteral("match=^END$,unsolicited=\"!R3H :01000013:00:0000\",before")));
        QCOMPARE(run([&] { m_transfer->download(20); }, {goldenPath("progs12.prg")}),
                 Outcome::Succeeded);
        QCOMPARE(state().program(20)->blocks.size(), 8);
    }

    // The rebuild's edge cases, uploaded to a file.
    void uploadEdges()
    {
        state().setProgram(
            40, {0x3,
                 {"'edge cases", "MOV 100$", "'go", "'alone", QByteArray(35, 'A') + '$', "'x",
                  QByteArray(45, 'B') + '$', '\'' + QByteArray(33, 'c'), "", "END"}});
        QCOMPARE(run([&] { m_transfer->upload(40); }, {path("e.prg")}), Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Upload completed."));
        QCOMPARE(fileBytes(path("e.prg")), golden("edges.prg"));
        // Downloaded again, the program is the same block for block.
        const SimProgram before = *state().program(40);
        QCOMPARE(run([&] { m_transfer->download(41); }, {path("e.prg")}), Outcome::Succeeded);
        QCOMPARE(state().program(41)->blocks, before.blocks);
        QCOMPARE(state().program(41)->option, quint16(3));
    }

    // Program numbers each operation takes.
    void numbers_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::newRow("download 89") << "download" << 89 << QString();
        QTest::newRow("download 90") << "download" << 90 << "Program numbers are from 0 to 89.";
        QTest::newRow("download 100") << "download" << 100 << "Program numbers are from 0 to 89.";
        QTest::newRow("upload 95") << "upload" << 95 << QString();
        QTest::newRow("upload 100") << "upload" << 100 << "Program numbers are from 0 to 99.";
        QTest::newRow("delete 90") << "delete" << 90 << "Program numbers are from 0 to 89.";
    }
    void numbers()
    {
        QFETCH(QString, operation);
        QFETCH(int, number);
        QFETCH(QString, message);
        const qsizetype from = m_bench->received().size();
        const QString file = path(QStringLiteral("n.prg"));
        if (operation == u"download")
            copyGolden("progs03.prg", file);
        const Outcome outcome = run(
            [&] {
                if (operation == u"download")
                    m_transfer->download(number);
                else if (operation == u"upload")
                    m_transfer->upload(number);
                else
                    m_transfer->remove(number);
            },
            {file});
        if (message.isEmpty()) {
            QCOMPARE(outcome, Outcome::Succeeded);
            return;
        }
        QCOMPARE(outcome, Outcome::Failed);
        QCOMPARE(lastMessage(), message);
        QVERIFY(sentSince(from).isEmpty());
    }

    // The overwrite question; No abandons with @98 and says so.
    void overwrite_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("message");
        QTest::newRow("yes") << true << "Download completed.";
        QTest::newRow("no") << false << "Abort download.";
    }
    void overwrite()
    {
        QFETCH(bool, yes);
        QFETCH(QString, message);
        copyGolden("progs12.prg", path("a.prg"));
        m_prompt->answers = {yes};
        const qsizetype from = m_bench->received().size();
        run([&] { m_transfer->download(3); }, {path("a.prg")});
        QCOMPARE(m_prompt->questions,
                 QStringList{QStringLiteral("Program no. 3 already exist.\n\n overwrite?")});
        QCOMPARE(lastMessage(), message);
        QCOMPARE(sentSince(from).at(1), yes ? QByteArray("'SIM program 12") : QByteArray("@98"));
        QCOMPARE(state().program(3)->blocks.size(), yes ? 8 : 10);
    }

    // A failed upload leaves the earlier file of that name as it was.
    void failedUploadKeepsFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("time-out") << "match=R0P,occurrence=3,drop"
                                  << "Timeout error.\n\nDeleting %1.";
        QTest::newRow("refusal") << "match=R0P,occurrence=3,replace=ERR3"
                                 << "ERR3\n\nDeleting %1.";
    }
    void failedUploadKeepsFile()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        write(path("k.prg"), "earlier");
        QVERIFY(m_bench->drive->addFault(fault));
        QCOMPARE(run([&] { m_transfer->upload(3); }, {path("k.prg")}), Outcome::Failed);
        QCOMPARE(lastMessage(), message.arg(path("k.prg")));
        QCOMPARE(fileBytes(path("k.prg")), QByteArray("earlier"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"k.prg"});
    }

    void list()
    {
        state().setProgram(0, 0, {"END"});
        QCOMPARE(run([&] { m_transfer->list(); }), Outcome::Succeeded);
        QCOMPARE(m_transfer->indexLines(),
                 (QByteArrayList{"  0:   1\r\n", "  3:  10\r\n", " 12:   8\r\n", " 95:   4\r\n"}));
        QCOMPARE(m_transfer->freeBlocks(), QByteArray("1001"));
        QCOMPARE(m_transfer->listedNumbers(), (QList<int>{0, 3, 12, 95}));
    }

    void singleExchanges()
    {
        QCOMPARE(run([&] { m_transfer->remove(12); }), Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Program delete completed."));
        QCOMPARE(run([&] { m_transfer->remove(12); }), Outcome::Failed);
        QCOMPARE(lastMessage(), QStringLiteral("Program delete failed."));
        QCOMPARE(run([&] { m_transfer->resetCommunication(); }), Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Communications reset OK."));
        QCOMPARE(m_bench->received().mid(m_bench->received().size() - 3),
                 (QByteArrayList{"@64:12", "@64:12", "@98"}));
    }

    // A batch uploaded, the drive emptied, the batch downloaded and uploaded
    // again: the same files byte for byte; 95 is no member.
    void batchRoundTrip()
    {
        const QString whp = path("progs.whp");
        QCOMPARE(run([&] { m_transfer->batchUpload(); }, {whp}), Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Batch file upload completed."));
        QVERIFY(m_prompt->questions.isEmpty());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
                 (QStringList{"progs.whp", "progs03.prg", "progs12.prg"}));
        QCOMPARE(fileBytes(whp), golden("progs.whp"));
        QCOMPARE(fileBytes(path("progs03.prg")), golden("progs03.prg"));
        QCOMPARE(fileBytes(path("progs12.prg")), golden("progs12.prg"));

        state().clearPrograms();
        QCOMPARE(run([&] { m_transfer->batchDownload(); }, {whp}), Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Batch file download completed."));
        QCOMPARE(state().programs().keys(), (QList<int>{3, 12}));

        m_prompt->answers = {true};
        QCOMPARE(run([&] { m_transfer->batchUpload(); }, {whp}), Outcome::Succeeded);
        QCOMPARE(m_prompt->questions,
                 QStringList{QStringLiteral("This may change the contents of %1. \nOK to proceed?")
                                 .arg(path("progs*.prg"))});
        QCOMPARE(fileBytes(path("progs03.prg")), golden("progs03.prg"));
        QCOMPARE(fileBytes(path("progs12.prg")), golden("progs12.prg"));
    }

    // Declining string 174 sends and creates nothing.
    void batchUploadDeclined()
    {
        write(path("progs50.prg"), "mine");
        m_prompt->answers = {false};
        const qsizetype from = m_bench->received().size();
        QCOMPARE(run([&] { m_transfer->batchUpload(); }, {path("progs.whp")}), Outcome::Cancelled);
        QCOMPARE(lastMessage(), QStringLiteral("Abort batch file upload."));
        QVERIFY(sentSince(from).isEmpty());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"progs50.prg"});
    }

    // A batch upload that fails on its second program keeps the earlier
    // files as they were and writes no batch file.
    void batchUploadFails()
    {
        write(path("progs03.prg"), "old 3");
        m_prompt->answers = {true};
        QVERIFY(m_bench->drive->addFault(QStringLiteral("match=@63:12,drop")));
        QCOMPARE(run([&] { m_transfer->batchUpload(); }, {path("progs.whp")}), Outcome::Failed);
        QCOMPARE(lastMessage(), QStringLiteral("Timeout error.\n\nDeleting %1, %2.")
                                    .arg(path("progs.whp"), path("progs12.prg")));
        QCOMPARE(fileBytes(path("progs03.prg")), QByteArray("old 3"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"progs03.prg"});

        state().clearPrograms();
        QCOMPARE(run([&] { m_transfer->batchUpload(); }, {path("progs.whp")}), Outcome::Failed);
        QCOMPARE(lastMessage(),
                 QStringLiteral("Program not registered.\n\nDeleting %1.").arg(path("progs.whp")));
        QVERIFY(!QFile::exists(path("progs.whp")));
    }

    // Declining one overwrite stops the batch there, and says which.
    void batchDownloadDeclined()
    {
        write(path("b.whp"), " 1:b01.prg\r\n 3:b03.prg\r\n 7:b07.prg\r\n");
        copyGolden("progs03.prg", path("b01.prg"));
        copyGolden("progs12.prg", path("b03.prg"));
        copyGolden("progs12.prg", path("b07.prg"));
        m_prompt->answers = {false};
        const qsizetype from = m_bench->received().size();
        QCOMPARE(run([&] { m_transfer->batchDownload(); }, {path("b.whp")}), Outcome::Failed);
        QCOMPARE(lastMessage(),
                 QStringLiteral("Abort batch file download.\nProgram 3 (b03.prg) was not "
                                "registered."));
        QByteArrayList opened;
        for (const QByteArray &line : sentSince(from)) {
            if (line.startsWith("@6"))
                opened.append(line);
        }
        QCOMPARE(opened, (QByteArrayList{"@61:1:10:0001", "@62", "@61:3:8:0003"}));
        QCOMPARE(sentSince(from).last(), QByteArray("@98"));
        QVERIFY(state().program(1));
        QCOMPARE(state().program(3)->blocks.size(), 10);
        QVERIFY(!state().program(7));
    }

    // Batch files and members that are refused before anything is sent,
    // and members that are missing.
    void batchDownloadRefused_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<QByteArray>("member"); // written as m01.prg
        QTest::addColumn<QString>("message");   // %1 the batch path, %2 the member's
        QTest::newRow("parent folder")
            << QByteArray(" 1:../m01.prg\r\n") << QByteArray()
            << "%1\nLine 1: the file name ../m01.prg leads out of the batch file's folder.";
        QTest::newRow("absolute")
            << QByteArray(" 1:/tmp/m01.prg\r\n") << QByteArray()
            << "%1\nLine 1: the file name /tmp/m01.prg leads out of the batch file's folder.";
        QTest::newRow("empty line") << QByteArray(" 1:m01.prg\r\n\r\n") << QByteArray("END\r\n")
                                    << "%1\nLine 2: File contents does not match";
        QTest::newRow("number 95") << QByteArray("95:m01.prg\r\n") << QByteArray("END\r\n")
                                   << "%1\nLine 1: Program numbers are from 0 to 89.";
        QByteArray many;
        for (int i = 0; i < 10000; ++i)
            many += " 1:m01.prg\r\n";
        QTest::newRow("10000 lines")
            << many << QByteArray("END\r\n") << "%1\nThe batch file holds more than 100 lines.";
        QTest::newRow("binary member")
            << QByteArray(" 1:m01.prg\r\n") << QByteArray("Option=0000\r\nEND\r\n\x01\x02\xff")
            << "%2\nLine 3: The line holds bytes that are not program text.";
        QTest::newRow("long member line")
            << QByteArray(" 1:m01.prg\r\n") << "END\r\n" + QByteArray(200000, 'x')
            << "%2\nLine 2: Maximum characters allowed in each program lines are 80 characters.";
    }
    void batchDownloadRefused()
    {
        QFETCH(QByteArray, batch);
        QFETCH(QByteArray, member);
        QFETCH(QString, message);
        write(path("b.whp"), batch);
        if (!member.isEmpty())
            write(path("m01.prg"), member);
        const qsizetype from = m_bench->received().size();
        QCOMPARE(run([&] { m_transfer->batchDownload(); }, {path("b.whp")}), Outcome::Failed);
        QCOMPARE(lastMessage(), message.replace(QStringLiteral("%1"), path("b.whp"))
                                    .replace(QStringLiteral("%2"), path("m01.prg")));
        QVERIFY(sentSince(from).isEmpty());
    }

    void batchDownloadMissing()
    {
        write(path("b.whp"), " 1:gone.prg\r\n 2:m02.prg\r\n 4:lost.prg\r\n");
        copyGolden("progs12.prg", path("m02.prg"));
        QCOMPARE(run([&] { m_transfer->batchDownload(); }, {path("b.whp")}), Outcome::Failed);
        QCOMPARE(lastMessage(),
                 QStringLiteral("Batch file download completed.\n\nCan not download.  There is no "
                                "program file.\ngone.prg, lost.prg, "));
        QCOMPARE(state().programs().keys(), (QList<int>{2, 3, 12, 95}));
    }
};

QTEST_GUILESS_MAIN(TestProgramTransfer)
#include "tst_programtransfer.moc"
