#include "app/batchfile.h"
#include "programs/programfile.h"
#include "programs/programtext.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using ProgramText::LineFault;

namespace {

QByteArray repeat(char c, int n)
{
    return QByteArray(n, c);
}

} // namespace

// The rules of program text, the program file and the batch file.
class TestProgramText : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const char *name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QLatin1String(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return path;
    }

private Q_SLOTS:
    // One line through the editor's preparation: what is sent and its blocks.
    void prepare_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<int>("blocks");
        QTest::addColumn<int>("fault");
        const int none = int(LineFault::None);
        QTest::newRow("blanks before comment")
            << QByteArray("   MOV 100     'go") << QByteArray("MOV 100 'go") << 2 << none;
        QTest::newRow("comment line") << QByteArray("  'lead") << QByteArray("'lead") << 1 << none;
        QTest::newRow("60 characters") << repeat('A', 60) << repeat('A', 60) << 1 << none;
        QTest::newRow("empty") << QByteArray() << QByteArray() << 1 << none;
        QTest::newRow("80 characters") << repeat('A', 80) << repeat('A', 80) << 1 << none;
        QTest::newRow("81 characters")
            << repeat('A', 81) << QByteArray() << 0 << int(LineFault::TooLong);
        const QByteArray c40 = '\'' + repeat('c', 39);
        const QByteArray c41 = '\'' + repeat('c', 40);
        const QByteArray c42 = '\'' + repeat('c', 41);
        QTest::newRow("40 after code") << "A " + c40 << "A " + c40 << 2 << none;
        QTest::newRow("41 after code")
            << "A " + c41 << QByteArray() << 0 << int(LineFault::CommentOver);
        QTest::newRow("41 alone") << c41 << c41 << 1 << none;
        QTest::newRow("42 alone") << c42 << QByteArray() << 0 << int(LineFault::CommentOver);
        QTest::newRow("42 after code")
            << "A " + c42 << QByteArray() << 0 << int(LineFault::CommentOver);
        // The blanks between code and comment go: 39 + 1 + 40 fits.
        QTest::newRow("fits once blanks go")
            << repeat('B', 39) + "        " + c40 << repeat('B', 39) + ' ' + c40 << 2 << none;
        QTest::newRow("81 after the blank")
            << repeat('B', 40) + c40 << QByteArray() << 0 << int(LineFault::TooLong);
        QTest::newRow("control byte")
            << QByteArray("MOV\x01") << QByteArray() << 0 << int(LineFault::NotText);
    }
    void prepare()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, sent);
        QFETCH(int, blocks);
        QFETCH(int, fault);
        ProgramText::PrepareFailure failure;
        const auto prepared = ProgramText::prepare({"END", line}, &failure);
        QCOMPARE(prepared.has_value(), fault == int(LineFault::None));
        if (!prepared) {
            QCOMPARE(int(failure.fault), fault);
            QCOMPARE(failure.line, 1);
            return;
        }
        QCOMPARE(prepared->lines, (QByteArrayList{"END", sent}));
        QCOMPARE(prepared->lineCount, 2);
        QCOMPARE(prepared->blockCount, 1 + blocks);
    }

    // Blocks as the drive returns them, rebuilt into lines.
    void rebuild_data()
    {
        QTest::addColumn<QByteArrayList>("blocks");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::newRow("7 characters, comment at 30")
            << QByteArrayList{"MOV 100$", "'go"}
            << QByteArrayList{"MOV 100" + repeat(' ', 23) + "'go"};
        QTest::newRow("comment alone at 30")
            << QByteArrayList{"  'lead"} << QByteArrayList{repeat(' ', 30) + "'lead"};
        QTest::newRow("35 characters, comment at 40")
            << QByteArrayList{repeat('A', 35) + '$', "'x"}
            << QByteArrayList{repeat('A', 35) + "     'x"};
        QTest::newRow("30 characters, comment right after")
            << QByteArrayList{repeat('A', 30) + '$', "'x"}
            << QByteArrayList{repeat('A', 30) + "'x"};
        // Column 50 would end the line at 84: one blank keeps it at 80.
        QTest::newRow("column past 80")
            << QByteArrayList{repeat('A', 45) + '$', '\'' + repeat('c', 33)}
            << QByteArrayList{repeat('A', 45) + " '" + repeat('c', 33)};
        QTest::newRow("dollar without comment")
            << QByteArrayList{"ABC$", "END", "XY$"} << QByteArrayList{"ABC$", "END", "XY$"};
        QTest::newRow("empty block")
            << QByteArrayList{"SPD 1", "", "END"} << QByteArrayList{"SPD 1", "", "END"};
    }
    void rebuild()
    {
        QFETCH(QByteArrayList, blocks);
        QFETCH(QByteArrayList, lines);
        ProgramText::Rebuilder rebuilder;
        for (const QByteArray &block : blocks)
            rebuilder.addBlock(ProgramText::blockOfReply("R2Z :1:" + block));
        QCOMPARE(rebuilder.lines(), lines);
        // What was rebuilt registers as the same blocks again.
        const auto prepared = ProgramText::prepare(lines);
        QVERIFY(prepared);
        QCOMPARE(prepared->blockCount, int(blocks.size()));
    }

    void option_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("servoOn");
        QTest::addColumn<bool>("coordinate");
        QTest::newRow("1") << QByteArray("0001") << true << false;
        QTest::newRow("2") << QByteArray("0002") << false << true;
        QTest::newRow("3") << QByteArray("0003") << true << true;
        QTest::newRow("blanks, lower case, stop") << QByteArray("  3g") << true << true;
        QTest::newRow("none") << QByteArray("x3") << false << false;
    }
    void option()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, servoOn);
        QFETCH(bool, coordinate);
        const quint32 value = ProgramText::parseOption(text);
        QCOMPARE(bool(value & ProgramText::ServoOnNecessary), servoOn);
        QCOMPARE(bool(value & ProgramText::CoordinateNecessary), coordinate);
        QCOMPARE(ProgramText::optionText(value & 3), QByteArray("000") + char('0' + (value & 3)));
    }

    // The download reader: the option line anywhere, blanks at both ends
    // gone, CR LF or LF, lines of any length kept whole for the check.
    void readForDownload()
    {
        const QString path = write("a.prg", "  SPD 100  \r\nOption=0002\r\nMOV 1 'x\n\r\nEND");
        const auto content = ProgramFile::readForDownload(path);
        QVERIFY(content);
        QCOMPARE(content->option, QByteArray("0002"));
        QCOMPARE(content->lines, (QByteArrayList{"SPD 100", "MOV 1 'x", "", "END"}));
        QCOMPARE(content->blockCount, 5);
        QVERIFY(!ProgramFile::firstFault(*content));

        const auto bare = ProgramFile::readForDownload(write("b.prg", "END\r\n"));
        QCOMPARE(bare->option, QByteArray("0000"));
        QVERIFY(!bare->hasOption);
        QCOMPARE(ProgramFile::compose("0003", {"A", "", "B"}),
                 QByteArray("Option=0003\r\nA\r\n\r\nB\r\n"));
    }

    // Files no drive would take: the first bad line is named.
    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("badOption");
        QByteArray garbage;
        for (int i = 0; i < 4096; ++i)
            garbage += char((i * 7919 + 13) % 256);
        QTest::newRow("binary garbage") << garbage << 1 << int(LineFault::NotText) << false;
        QTest::newRow("long line") << "Option=0000\r\nEND\r\n" + repeat('A', 100000) + "\r\n"
                                   << 3 << int(LineFault::TooLong) << false;
        QTest::newRow("option word")
            << QByteArray("END\r\nOption=12345\r\n") << 2 << int(LineFault::None) << true;
        QTest::newRow("comment") << "SPD 1 '" + repeat('c', 40) << 1 << int(LineFault::CommentOver)
                                 << false;
    }
    void badFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, line);
        QFETCH(int, fault);
        QFETCH(bool, badOption);
        const auto content = ProgramFile::readForDownload(write("bad.prg", bytes));
        QVERIFY(content);
        const auto found = ProgramFile::firstFault(*content);
        QVERIFY(found);
        QCOMPARE(found->line, line);
        QCOMPARE(int(found->fault), fault);
        QCOMPARE(found->badOption, badOption);
    }

    // A 10 MB line is refused without being read.
    void tooLarge()
    {
        const QString path = m_dir.filePath(QStringLiteral("big.prg"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(10 * 1024 * 1024));
        file.close();
        ProgramFile::ReadFailure failure = ProgramFile::ReadFailure::None;
        QVERIFY(!ProgramFile::readForDownload(path, &failure));
        QCOMPARE(failure, ProgramFile::ReadFailure::TooLarge);
        QVERIFY(!ProgramFile::readForDownload(m_dir.filePath("none.prg"), &failure));
        QCOMPARE(failure, ProgramFile::ReadFailure::CannotOpen);
    }

    // Save writes an 80-character line whole; an 81-character one stops it
    // before the earlier file is touched.
    void save()
    {
        const QString path = write("s.prg", "earlier");
        const QByteArray a80 = repeat('A', 80);
        QCOMPARE(ProgramFile::save(path, "0001", {"END", a80}), ProgramFile::SaveFailure::None);
        const auto content = ProgramFile::readForEditor(path);
        QCOMPARE(content->lines, (QByteArrayList{"END", a80}));
        QCOMPARE(content->option, QByteArray("0001"));
        int bad = -1;
        QCOMPARE(ProgramFile::save(path, "0000", {"A", a80 + 'A'}, &bad),
                 ProgramFile::SaveFailure::LineTooLong);
        QCOMPARE(bad, 1);
        QCOMPARE(ProgramFile::readForEditor(path)->lines, (QByteArrayList{"END", a80}));
    }

    void batchFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("line");
        using F = BatchFile::Fault;
        QTest::newRow("sound") << QByteArray(" 3:p03.prg  \r\n12:p12.prg\n") << int(F::None) << 0;
        QTest::newRow("empty line")
            << QByteArray(" 3:p03.prg\r\n\r\n12:p12.prg\r\n") << int(F::Malformed) << 2;
        QTest::newRow("no colon") << QByteArray("3 p03.prg\r\n") << int(F::Malformed) << 1;
        QTest::newRow("colon first") << QByteArray(":p03.prg\r\n") << int(F::Malformed) << 1;
        QTest::newRow("number 90") << QByteArray("90:p90.prg\r\n") << int(F::BadNumber) << 1;
        QTest::newRow("number -1") << QByteArray("-1:p.prg\r\n") << int(F::BadNumber) << 1;
        QTest::newRow("parent") << QByteArray(" 1:../p.prg\r\n") << int(F::UnsafeName) << 1;
        QTest::newRow("dot dot") << QByteArray(" 1:..\r\n") << int(F::UnsafeName) << 1;
        QTest::newRow("folder") << QByteArray(" 1:sub/p.prg\r\n") << int(F::UnsafeName) << 1;
        QTest::newRow("backslash") << QByteArray(" 1:sub\\p.prg\r\n") << int(F::UnsafeName) << 1;
        QTest::newRow("absolute") << QByteArray(" 1:/etc/passwd\r\n") << int(F::UnsafeName) << 1;
        QTest::newRow("drive letter") << QByteArray(" 1:C:p.prg\r\n") << int(F::UnsafeName) << 1;
        QByteArray many;
        for (int i = 0; i < 10000; ++i)
            many += " 1:p01.prg\r\n";
        QTest::newRow("10000 lines") << many << int(F::TooLarge) << 101;
        QTest::newRow("long line") << " 1:" + repeat('p', 10000) << int(F::Malformed) << 1;
    }
    void batchFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, fault);
        QFETCH(int, line);
        const QString path = write("b.whp", bytes);
        const BatchFile::Result result = BatchFile::read(path, 0, 89, 100);
        QCOMPARE(int(result.fault), fault);
        QCOMPARE(result.line, line);
        if (result.fault != BatchFile::Fault::None) {
            QVERIFY(result.entries.isEmpty());
            return;
        }
        QCOMPARE(result.entries.size(), 2);
        QCOMPARE(result.entries.at(0).number, 3);
        QCOMPARE(result.entries.at(0).name, QStringLiteral("p03.prg"));
        QCOMPARE(result.entries.at(1).path, m_dir.filePath(QStringLiteral("p12.prg")));
        QCOMPARE(BatchFile::line(3, BatchFile::memberName("p", 3, "prg")),
                 QByteArray(" 3:p03.prg\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestProgramText)
#include "tst_programtext.moc"
