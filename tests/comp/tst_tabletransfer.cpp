#include "comp/accuracytabletransfer.h"
#include "comp/indextabletransfer.h"
#include "comp/pointtabletransfer.h"
#include "comp/tablefile.h"
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

const IndexTableKind &kindOf(bool typeB)
{
    return typeB ? IndexTableKind::typeB() : IndexTableKind::typeA();
}

} // namespace

// The table exchanges against the in-process virtual drive.
class TestTableTransfer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    ScriptedPrompt m_prompt;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString &name) const { return m_dir->filePath(name); }
    VirtualDrive &drive() { return *m_bench->drive; }
    DriveState &state() { return m_bench->drive->state(); }

    // Runs one operation of a transfer to its end; true when it succeeded.
    template <typename Transfer> bool run(Transfer &transfer, const std::function<void()> &start)
    {
        QSignalSpy finished(&transfer, &Transfer::finished);
        m_bench->link.pushOwner(&transfer);
        start();
        if (finished.isEmpty())
            finished.wait(20000);
        m_bench->link.popOwner();
        return !finished.isEmpty() &&
               finished.first().at(0).template value<typename Transfer::Outcome>() ==
                   Transfer::Outcome::Succeeded;
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

    void kinds_data()
    {
        QTest::addColumn<bool>("typeB");
        QTest::newRow("index compensation") << false;
        QTest::newRow("unequal division") << true;
    }

    // Upload a stored table, change it, download it, read it back.
    void singleRoundTrip_data() { kinds_data(); }
    void singleRoundTrip()
    {
        QFETCH(bool, typeB);
        const IndexTableKind &kind = kindOf(typeB);
        IndexTableTransfer transfer(kind, m_bench->link, m_prompt);
        const int table = typeB ? 1 : 0;
        const QString file = path(QStringLiteral("t.") + kind.extension);
        QVERIFY(run(transfer, [&] { transfer.upload(table, file); }));
        QCOMPARE(lastMessage(), QStringLiteral("Save completed."));
        const QByteArrayList seeded =
            typeB ? QByteArrayList{"0",      "40000",  "90000",  "135000",
                                   "180000", "250000", "300000", "330000"}
                  : QByteArrayList{"0", "5", "-3", "2", "0", "-1", "4", "-2", "1", "0", "-5", "3"};
        QCOMPARE(fileBytes(file), TableFile::composeIndex(seeded));

        writeBytes(file, TableFile::composeIndex({"-1", "255"}));
        const qsizetype before = m_bench->received().size();
        QVERIFY(run(transfer, [&] { transfer.download(1 - table, file); }));
        QCOMPARE(lastMessage(), QStringLiteral("Download completed."));
        const QByteArray prefix = typeB ? "TB1:" : "TC1:";
        QCOMPARE(sentAfter(before),
                 (QByteArrayList{(typeB ? "@81:" : "@66:") + QByteArray::number(1 - table) + ":2",
                                 prefix + "FFFFFFFF", prefix + "000000FF", typeB ? "@82" : "@67"}));
        const SimTable &stored =
            typeB ? state().divisionTables[1 - table] : state().indexTables[1 - table];
        QCOMPARE(stored.entries, (QList<qint32>{-1, 255}));

        QVERIFY(run(transfer, [&] { transfer.readTable(1 - table); }));
        QCOMPARE(transfer.entries(), (QByteArrayList{"-1", "255"}));
    }

    void emptyTable_data() { kinds_data(); }
    void emptyTable()
    {
        QFETCH(bool, typeB);
        IndexTableTransfer transfer(kindOf(typeB), m_bench->link, m_prompt);
        const QString file = path(QStringLiteral("e.") + kindOf(typeB).extension);
        QVERIFY(!run(transfer, [&] { transfer.upload(typeB ? 0 : 1, file); }));
        QCOMPARE(lastMessage(), typeB ? QStringLiteral("Compensate table A is divede 0.")
                                      : QStringLiteral("Compensate table B is divede 0."));
        QVERIFY(!QFile::exists(file));
    }

    // A drive with no stored table leaves no batch file behind.
    void batchUploadNone()
    {
        state().indexTables[0] = {};
        IndexTableTransfer transfer(IndexTableKind::typeA(), m_bench->link, m_prompt);
        QVERIFY(!run(transfer, [&] { transfer.batchUpload(path(QStringLiteral("b.whi"))); }));
        QCOMPARE(lastMessage(), QStringLiteral("Index compensation file does not exist."));
        QVERIFY(QDir(m_dir->path()).isEmpty());
    }

    // Both tables to files, then back through the batch file; an existing
    // member file is overwritten only after the question.
    void batchRoundTrip()
    {
        state().indexTables[1] = {true, {7, -8}};
        IndexTableTransfer transfer(IndexTableKind::typeA(), m_bench->link, m_prompt);
        const QString batch = path(QStringLiteral("set.whi"));
        writeBytes(path(QStringLiteral("set01.idx")), "old");
        m_prompt.answers = {false};
        QVERIFY(!run(transfer, [&] { transfer.batchUpload(batch); }));
        QCOMPARE(m_prompt.questions.last(),
                 QStringLiteral("This may change the contents of %1. \nOK to proceed?")
                     .arg(path(QStringLiteral("set*.idx"))));
        QCOMPARE(lastMessage(), QStringLiteral("Abort batch file upload."));
        QCOMPARE(fileBytes(path(QStringLiteral("set01.idx"))), QByteArray("old"));

        QVERIFY(run(transfer, [&] { transfer.batchUpload(batch); }));
        QCOMPARE(lastMessage(), QStringLiteral("Batch file upload completed."));
        QCOMPARE(fileBytes(batch), QByteArray(" 0:set00.idx\r\n 1:set01.idx\r\n"));
        QCOMPARE(fileBytes(path(QStringLiteral("set01.idx"))),
                 QByteArray("  0|         7\r\n  1|        -8\r\n"));

        // Table 1 only, its file with a third entry; table 0's file is missing.
        writeBytes(batch, " 1 :set01.idx\r\n 0:gone00.idx\r\n");
        writeBytes(path(QStringLiteral("set01.idx")), TableFile::composeIndex({"7", "-8", "9"}));
        const qsizetype before = m_bench->received().size();
        QVERIFY(run(transfer, [&] { transfer.batchDownload(batch); }));
        QCOMPARE(lastMessage(), QStringLiteral("Batch file download completed.\n\nCan not "
                                               "download.  There is not index compensation "
                                               "file.\ngone00.idx"));
        // The table number as read from the line, not its raw text.
        QCOMPARE(sentAfter(before).first(), QByteArray("@66:1:3"));
        QCOMPARE(state().indexTables[1].entries, (QList<qint32>{7, -8, 9}));
    }

    void batchRefused_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<QString>("message");
        QTest::newRow("leaves the folder")
            << QByteArray(" 0:../t00.idx\r\n")
            << QStringLiteral(
                   "Line 1 of the batch file names a file outside its folder: ../t00.idx");
        QTest::newRow("absolute") << QByteArray(" 0:/tmp/t00.idx\r\n")
                                  << QStringLiteral("Line 1 of the batch file names a file "
                                                    "outside its folder: /tmp/t00.idx");
        QTest::newRow("table 2") << QByteArray(" 0:t00.idx\r\n 2:t00.idx\r\n")
                                 << QStringLiteral("Line 2 of the batch file is not a table line.");
        QTest::newRow("bad member")
            << QByteArray(" 0:t00.idx\r\n") << QStringLiteral("Line 2 is not a table line.");
    }

    // A batch is refused whole, before anything is sent.
    void batchRefused()
    {
        QFETCH(QByteArray, batch);
        QFETCH(QString, message);
        writeBytes(path(QStringLiteral("t00.idx")), "  0|  1\r\n  1   2\r\n");
        writeBytes(path(QStringLiteral("t.whi")), batch);
        IndexTableTransfer transfer(IndexTableKind::typeA(), m_bench->link, m_prompt);
        const qsizetype before = m_bench->received().size();
        QVERIFY(!run(transfer, [&] { transfer.batchDownload(path(QStringLiteral("t.whi"))); }));
        QVERIFY2(lastMessage().endsWith(message), qPrintable(lastMessage()));
        QVERIFY(sentAfter(before).isEmpty());
    }

    // A time-out leaves the earlier file as it was.
    void uploadTimeout()
    {
        const QString file = path(QStringLiteral("t.idx"));
        writeBytes(file, "earlier");
        drive().addFault(QStringLiteral("match=^R0P$,occurrence=3,drop"));
        IndexTableTransfer transfer(IndexTableKind::typeA(), m_bench->link, m_prompt);
        QVERIFY(!run(transfer, [&] { transfer.upload(0, file); }));
        QCOMPARE(lastMessage(), QStringLiteral("Timeout error.\n\nDeleting %1.").arg(file));
        QCOMPARE(fileBytes(file), QByteArray("earlier"));
    }

    // Two points: two entry lines and the closing command.
    void accuracyTwoPoints()
    {
        AccuracyTableTransfer transfer(m_bench->link, m_prompt);
        const qsizetype before = m_bench->received().size();
        QVERIFY(run(transfer, [&] { transfer.download({"5", "-7"}); }));
        QCOMPARE(m_prompt.questions,
                 QStringList{QStringLiteral("Do you wish to replace or overwrite driver data?")});
        QCOMPARE(lastMessage(), QStringLiteral("Registered."));
        QCOMPARE(sentAfter(before), (QByteArrayList{"@85:2", "TE1:0:5", "TE1:1:-7", "@85:0"}));
        QVERIFY(run(transfer, [&] { transfer.upload(); }));
        QCOMPARE(transfer.entries(), (QByteArrayList{"5", "-7"}));
    }

    void accuracyRefused_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QString>("message");
        const QString range = QStringLiteral("Abs acc compensation table numbers are 2 to 360.");
        QTest::newRow("size 0") << 0 << QByteArray("0") << range;
        QTest::newRow("size 1") << 1 << QByteArray("0") << range;
        QTest::newRow("size 361") << 361 << QByteArray("0") << range;
        QTest::newRow("1000000000")
            << 3 << QByteArray("1000000000")
            << QStringLiteral("Data invalid or out of range\n0: 1000000000");
    }

    // Refused before the question and before anything is sent.
    void accuracyRefused()
    {
        QFETCH(int, size);
        QFETCH(QByteArray, entry);
        QFETCH(QString, message);
        QByteArrayList entries(size, entry);
        AccuracyTableTransfer transfer(m_bench->link, m_prompt);
        const qsizetype before = m_bench->received().size();
        QVERIFY(!run(transfer, [&] { transfer.download(entries); }));
        QCOMPARE(lastMessage(), message);
        QVERIFY(m_prompt.questions.isEmpty());
        QVERIFY(sentAfter(before).isEmpty());
    }

    void points()
    {
        PointTableTransfer transfer(m_bench->link, m_prompt);
        QVERIFY(run(transfer, [&] { transfer.upload(); }));
        QByteArrayList items = transfer.items();
        QCOMPARE(items.size(), 200);
        QCOMPARE(items.at(2), QByteArray("20000"));
        QCOMPARE(items.at(100), QByteArray("1"));

        items[5] = "1000000000";
        qsizetype before = m_bench->received().size();
        QVERIFY(!run(transfer, [&] { transfer.download(items); }));
        QCOMPARE(lastMessage(), QStringLiteral("Data invalid or out of range\n#605=1000000000"));
        QVERIFY(sentAfter(before).isEmpty());

        items[5] = "-999999999";
        items[199] = "65535";
        before = m_bench->received().size();
        QVERIFY(run(transfer, [&] { transfer.download(items); }));
        QCOMPARE(lastMessage(), QStringLiteral("Registered."));
        QCOMPARE(sentAfter(before).size(), 200);
        QCOMPARE(sentAfter(before).at(5), QByteArray("#605=-999999999"));
        QCOMPARE(drive().item(799), std::optional<qint32>(65535));
    }
};

QTEST_GUILESS_MAIN(TestTableTransfer)
#include "tst_tabletransfer.moc"
