#include "params/parameterfile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

const DriveIdentification seedIdentification{"R5Z Kalderon_M2:SIM-0001:K1.20:A3.05:C2.01:E1.10",
                                             "R2Z DM1060B-SIM:SN00012345", "RD IFB-STD:0"};

const QDateTime uploadTime(QDate(2024, 3, 5), QTime(9, 7, 41));

QByteArray writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return bytes;
}

} // namespace

class TestParameterFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void informationBlock_data()
    {
        QTest::addColumn<bool>("english");
        QTest::addColumn<QByteArray>("firstLine");
        QTest::newRow("english") << true << QByteArray("[R5Z Kalderon_M2]          |\r\n");
        QTest::newRow("japanese") << false << QByteArray("[R5Z Kalderon_M2]           |\r\n");
    }

    void informationBlock()
    {
        QFETCH(bool, english);
        QFETCH(QByteArray, firstLine);
        const QByteArray expected = firstLine + "ID       : SIM-0001    |\r\n"
                                                "KerVer   : K1.20       |\r\n"
                                                "AppVer   : A3.05       |\r\n"
                                                "CpuFRom  : C2.01       |\r\n"
                                                "ExtFRom  : E1.10       |\r\n"
                                                "IFB      : RD IFB-STD  |\r\n"
                                                "                       |\r\n"
                                                "[MotorType]            |\r\n"
                                                "R2Z DM1060B-SIM        |\r\n"
                                                "SN00012345             |\r\n"
                                                "                       |\r\n"
                                                "Date : 2024.03.05      |\r\n"
                                                "Time : 09:07           |\r\n"
                                                "                       |\r\n";
        QCOMPARE(ParameterFile::informationBlock(seedIdentification, uploadTime, english),
                 expected);
    }

    // Whatever the drive leaves out, the block keeps its 15 lines (more only
    // for a longer motor type), and none of them carries an assignment.
    void informationBlockLines_data()
    {
        QTest::addColumn<QByteArray>("identity");
        QTest::addColumn<QByteArray>("motor");
        QTest::addColumn<QByteArray>("board");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<QByteArray>("idLine");
        QTest::addColumn<QByteArray>("lastMotorLine");

        QTest::newRow("complete") << seedIdentification.driveIdentity
                                  << seedIdentification.motorTypeText
                                  << seedIdentification.interfaceBoardText << 15
                                  << QByteArray("ID       : SIM-0001    |")
                                  << QByteArray("SN00012345             |");
        QTest::newRow("short identity")
            << QByteArray("R5Z Kalderon_M2:SIM-0001") << seedIdentification.motorTypeText
            << seedIdentification.interfaceBoardText << 15 << QByteArray("ID       : SIM-0001    |")
            << QByteArray("SN00012345             |");
        QTest::newRow("title only")
            << QByteArray("R5Z Kalderon_M2") << QByteArray("R2Z DM1") << QByteArray("RD X") << 15
            << QByteArray("ID       :             |") << QByteArray("                       |");
        QTest::newRow("one-line motor type")
            << seedIdentification.driveIdentity << QByteArray("R2Z DM1060B-SIM")
            << seedIdentification.interfaceBoardText << 15 << QByteArray("ID       : SIM-0001    |")
            << QByteArray("                       |");
        QTest::newRow("three-line motor type")
            << seedIdentification.driveIdentity << QByteArray("R2Z DM1060B-SIM:SN00012345:REV-B")
            << seedIdentification.interfaceBoardText << 16 << QByteArray("ID       : SIM-0001    |")
            << QByteArray("REV-B                  |");
        QTest::newRow("long identity kept whole")
            << QByteArray("R5Z " + QByteArray(60, 'T') + ":ID-WITH-A-LONG-NAME:K:A:C:E")
            << seedIdentification.motorTypeText << seedIdentification.interfaceBoardText << 15
            << QByteArray("ID       : ID-WITH-A-LONG-NAME|")
            << QByteArray("SN00012345             |");
    }

    void informationBlockLines()
    {
        QFETCH(QByteArray, identity);
        QFETCH(QByteArray, motor);
        QFETCH(QByteArray, board);
        QFETCH(int, lineCount);
        QFETCH(QByteArray, idLine);
        QFETCH(QByteArray, lastMotorLine);

        const QByteArray block =
            ParameterFile::informationBlock({identity, motor, board}, uploadTime, true);
        QVERIFY(block.endsWith("\r\n"));
        const QByteArrayList lines = block.chopped(2).split('\n');
        QCOMPARE(lines.size(), lineCount);
        QCOMPARE(lines.at(1), idLine + '\r');
        QCOMPARE(lines.at(lineCount - 5), lastMotorLine + '\r');
        for (const QByteArray &line : lines)
            QCOMPARE(ParameterFile::normalise(line), QByteArray());
    }

    void dataLine_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QByteArray>("reading");
        QTest::addColumn<QByteArray>("line");

        QTest::newRow("one digit") << QByteArray("#5N") << QByteArray("LOOP GAIN:100")
                                   << QByteArray("LOOP GAIN              |#  5=         100\r\n");
        QTest::newRow("two digits") << QByteArray("#12N") << QByteArray(" HomeDirection:0")
                                    << QByteArray(" HomeDirection         |# 12=           0\r\n");
        QTest::newRow("three digits")
            << QByteArray("#213N") << QByteArray(" MotorCode:1060")
            << QByteArray(" MotorCode             |#213=        1060\r\n");
        QTest::newRow("four digits unchanged")
            << QByteArray("#1234N") << QByteArray(" Extra1234:1234")
            << QByteArray(" Extra1234             |#1234=        1234\r\n");
        QTest::newRow("H parameter") << QByteArray("#250H") << QByteArray(" FactoryTrim0:-8")
                                     << QByteArray("********************   |#250=          -8\r\n");
        QTest::newRow("no type letter")
            << QByteArray("#7") << QByteArray(" PulsesPerRev:2621440")
            << QByteArray(" PulsesPerRev          |#  7=     2621440\r\n");
        QTest::newRow("long label and value kept whole")
            << QByteArray("#9N") << QByteArray("ALabelOfTwentyFiveCharsXY:-1234567890123")
            << QByteArray("ALabelOfTwentyFiveCharsXY|#  9=-1234567890123\r\n");
        QTest::newRow("reading without colon")
            << QByteArray("#9N") << QByteArray(" Odd")
            << QByteArray(" Odd                   |#  9=            \r\n");
        // Shift-JIS half-width katakana: one byte each, kept as they came.
        QTest::newRow("katakana label")
            << QByteArray("#201N") << QByteArray(" \xb4\xb2\xba\xde:0")
            << QByteArray(" \xb4\xb2\xba\xde                  |#201=           0\r\n");
    }

    void dataLine()
    {
        QFETCH(QByteArray, entry);
        QFETCH(QByteArray, reading);
        QFETCH(QByteArray, line);
        QCOMPARE(ParameterFile::dataLine(entry, reading), line);
    }

    void entryKey_data()
    {
        QTest::addColumn<QByteArray>("entry");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("H") << QByteArray("#7H") << QByteArray("#7");
        QTest::newRow("N") << QByteArray("#12N") << QByteArray("#12");
        QTest::newRow("no letter") << QByteArray("#7") << QByteArray("#7");
        QTest::newRow("cut at the first letter") << QByteArray("#1N2H") << QByteArray("#1");
        QTest::newRow("other letter") << QByteArray("#7X") << QByteArray("#7X");
    }

    void entryKey()
    {
        QFETCH(QByteArray, entry);
        QFETCH(QByteArray, key);
        QCOMPARE(ParameterFile::entryKey(entry), key);
    }

    void normalise_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("normalised");
        QTest::newRow("data line")
            << QByteArray("LOOP GAIN              |#  5=         100") << QByteArray("#5=100");
        QTest::newRow("negative value")
            << QByteArray("X|# 12=          -5") << QByteArray("#12=-5");
        QTest::newRow("ID line") << QByteArray("ID       : SIM-0001    |") << QByteArray();
        QTest::newRow("title line") << QByteArray("[R5Z Kalderon_M2]          |") << QByteArray();
        QTest::newRow("separator") << QByteArray("                       |") << QByteArray();
        QTest::newRow("begins with the bar") << QByteArray("|#  5=         100") << QByteArray();
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("only separators") << QByteArray("|||") << QByteArray("|||");
        QTest::newRow("blank between bars") << QByteArray("|| |") << QByteArray();
        QTest::newRow("line end kept from a raw line")
            << QByteArray("A|#1=2\r\n") << QByteArray("#1=2");
        QTest::newRow("runs of bars") << QByteArray("A|||#1=2|tail") << QByteArray("#1=2");
        QTest::newRow("no bar") << QByteArray("#1=2") << QByteArray();
        // "ポンプ" in Shift-JIS: the second byte of "ポ" is 0x7C, not a bar.
        QTest::newRow("double-byte label with 0x7C")
            << QByteArray("\x83\x7C\x83\x93\x83\x76             |#  8=         250")
            << QByteArray("#8=250");
        QTest::newRow("double-byte label before the bar")
            << QByteArray("\x83\x7C|#  8=1") << QByteArray("#8=1");
        QTest::newRow("half-width kana are single bytes")
            << QByteArray(" \xb4\xb2|#201=0") << QByteArray("#201=0");
    }

    void normalise()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, normalised);
        QCOMPARE(ParameterFile::normalise(line), normalised);
    }

    void assignment_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArray>("key");
        QTest::addColumn<QByteArray>("value");
        QTest::newRow("plain") << QByteArray("#5=100") << true << QByteArray("#5")
                               << QByteArray("100");
        QTest::newRow("negative") << QByteArray("#12=-5") << true << QByteArray("#12")
                                  << QByteArray("-5");
        QTest::newRow("empty value")
            << QByteArray("#12=") << true << QByteArray("#12") << QByteArray();
        QTest::newRow("second equals")
            << QByteArray("#5=1=2") << true << QByteArray("#5") << QByteArray("1=2");
        QTest::newRow("no equals") << QByteArray("#5100") << false << QByteArray() << QByteArray();
        QTest::newRow("no number") << QByteArray("#=1") << false << QByteArray() << QByteArray();
        QTest::newRow("letters in key")
            << QByteArray("#5a=1") << false << QByteArray() << QByteArray();
        QTest::newRow("a command") << QByteArray("@96") << false << QByteArray() << QByteArray();
        QTest::newRow("function with argument")
            << QByteArray("@64:1=2") << false << QByteArray() << QByteArray();
    }

    void assignment()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, valid);
        QFETCH(QByteArray, key);
        QFETCH(QByteArray, value);
        const auto result = ParameterFile::assignment(text);
        QCOMPARE(result.has_value(), valid);
        if (result) {
            QCOMPARE(result->key, key);
            QCOMPARE(result->value, value);
        }
    }

    void isDownloadable_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<bool>("downloadable");
        QTest::newRow("data line")
            << QByteArray("LOOP GAIN              |#  5=         100") << true;
        QTest::newRow("negative value") << QByteArray("X|# 12=          -5") << true;
        QTest::newRow("separator") << QByteArray("                       |") << true;
        QTest::newRow("label only") << QByteArray("[MotorType]            |") << true;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("only bars") << QByteArray("|| |") << true;
        QTest::newRow("double-byte label")
            << QByteArray("\x83\x7C\x83\x93\x83\x76 |#  8=1") << true;
        QTest::newRow("longest write") << QByteArray("X|#1=" + QByteArray(76, '9')) << true;
        QTest::newRow("too long") << QByteArray("X|#1=" + QByteArray(77, '9')) << false;
        QTest::newRow("command") << QByteArray("Restart                |@96") << false;
        QTest::newRow("no equals") << QByteArray("Broken                 |#  8  444") << false;
        QTest::newRow("begins with the bar") << QByteArray("|#  9=1") << false;
        QTest::newRow("no bar") << QByteArray("#1=2") << false;
        QTest::newRow("text") << QByteArray("random text") << false;
        QTest::newRow("empty value") << QByteArray("X|#  8=") << false;
        QTest::newRow("hexadecimal value") << QByteArray("X|#  8=0x10") << false;
        QTest::newRow("sign alone") << QByteArray("X|#  8=-") << false;
        QTest::newRow("plus sign") << QByteArray("X|#  8=+5") << false;
        QTest::newRow("second equals") << QByteArray("X|#  8=1=2") << false;
        QTest::newRow("letters in key") << QByteArray("X|#8a=1") << false;
    }

    void isDownloadable()
    {
        QFETCH(QByteArray, line);
        QFETCH(bool, downloadable);
        QCOMPARE(ParameterFile::isDownloadable(line), downloadable);
    }

    // Only lines after the information block are checked.
    void firstRefusedLine()
    {
        QByteArrayList lines(ParameterFile::InformationLines, "not checked");
        QCOMPARE(ParameterFile::firstRefusedLine(lines), std::nullopt);
        lines << "X|#  1=1"
              << "Y|@96"
              << "Z|junk";
        QCOMPARE(ParameterFile::firstRefusedLine(lines),
                 std::optional<qsizetype>(ParameterFile::InformationLines + 1));
    }

    void isParameterFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("prm") << QStringLiteral("/data/a.prm") << true;
        QTest::newRow("upper case") << QStringLiteral("/data/a.PRM") << false;
        QTest::newRow("mixed case") << QStringLiteral("/data/a.Prm") << false;
        QTest::newRow("other suffix") << QStringLiteral("/data/a.prm.bak") << false;
        QTest::newRow("last three characters") << QStringLiteral("/data/aprm") << true;
    }

    void isParameterFile()
    {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        QCOMPARE(ParameterFile::isParameterFile(path), accepted);
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArrayList>("lines");
        QTest::newRow("CR LF") << QByteArray("a|b\r\nc\r\n") << QByteArrayList{"a|b", "c"};
        QTest::newRow("LF") << QByteArray("a\nc\n") << QByteArrayList{"a", "c"};
        QTest::newRow("no final line end") << QByteArray("a\r\nc") << QByteArrayList{"a", "c"};
        QTest::newRow("trailing white space")
            << QByteArray("a \t\r\n  b  \r\n") << QByteArrayList{"a", "  b"};
        QTest::newRow("empty lines count")
            << QByteArray("\r\n\r\nx\r\n") << QByteArrayList{"", "", "x"};
        QTest::newRow("empty file") << QByteArray() << QByteArrayList{};
        QTest::newRow("CR") << QByteArray("a|b\rc\r") << QByteArrayList{"a|b", "c"};
        QTest::newRow("mixed line ends")
            << QByteArray("a\rb\nc\r\nd") << QByteArrayList{"a", "b", "c", "d"};
        QTest::newRow("LF CR is two line ends")
            << QByteArray("a\n\rb") << QByteArrayList{"a", "", "b"};
        // A line longer than 79 characters is one line, not two.
        const QByteArray longLine = "L" + QByteArray(98, '-') + "|";
        QTest::newRow("100 characters")
            << QByteArray(longLine + "\r\nnext\r\n") << QByteArrayList{longLine, "next"};
        QTest::newRow("high bytes")
            << QByteArray(" \xb4\xb2|#201=0\r\n") << QByteArrayList{" \xb4\xb2|#201=0"};
    }

    void read()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArrayList, lines);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.prm"));
        QCOMPARE(writeFile(path, bytes), bytes);
        const auto read = ParameterFile::read(path);
        QVERIFY(read.has_value());
        QCOMPARE(*read, lines);
    }

    // Every line of a long file is kept: no cap at 710 lines.
    void readLongFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("long.prm"));
        QByteArray bytes;
        for (int i = 1; i <= 800; ++i)
            bytes += "line " + QByteArray::number(i) + "\r\n";
        writeFile(path, bytes);
        const auto lines = ParameterFile::read(path);
        QVERIFY(lines.has_value());
        QCOMPARE(lines->size(), 800);
        QCOMPARE(lines->first(), QByteArray("line 1"));
        QCOMPARE(lines->last(), QByteArray("line 800"));
    }

    void readMissingFile()
    {
        QTemporaryDir dir;
        QVERIFY(!ParameterFile::read(dir.filePath(QStringLiteral("none.prm"))).has_value());
    }

    // compose() writes what read() and normalise() give back as assignments.
    void composeRoundTrip()
    {
        const QByteArrayList entries{"#1N", "#12N", "#250H", "#1234N"};
        const QByteArrayList readings{" ScaleNumerator:1", " HomeDirection:0", " FactoryTrim0:-8",
                                      " Extra1234:1234"};
        const QByteArray text =
            ParameterFile::compose(seedIdentification, entries, readings, uploadTime, true);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.prm"));
        writeFile(path, text);
        const auto lines = ParameterFile::read(path);
        QVERIFY(lines.has_value());
        QCOMPARE(lines->size(), ParameterFile::InformationLines + 4);
        QByteArrayList assignments;
        for (qsizetype i = ParameterFile::InformationLines; i < lines->size(); ++i)
            assignments.append(ParameterFile::normalise(lines->at(i)));
        QCOMPARE(assignments, (QByteArrayList{"#1=1", "#12=0", "#250=-8", "#1234=1234"}));
    }
};

QTEST_GUILESS_MAIN(TestParameterFile)
#include "tst_parameterfile.moc"
