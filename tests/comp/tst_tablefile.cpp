#include "comp/tablefile.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// The table files' layouts and the entry encodings.
class TestTableFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const char *name, const QByteArray &bytes)
    {
        const QString path = m_dir.filePath(QLatin1String(name));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }

    static QByteArray lines(int count, const char *layout)
    {
        QByteArray bytes;
        for (int i = 0; i < count; ++i)
            bytes +=
                QString::asprintf(layout, i, QByteArray::number(i * 7 - 50).constData()).toLatin1();
        return bytes;
    }

private Q_SLOTS:
    void indexEncoding_data()
    {
        QTest::addColumn<QByteArray>("decimal");
        QTest::addColumn<QByteArray>("hex");
        QTest::newRow("-1") << QByteArray("-1") << QByteArray("FFFFFFFF");
        QTest::newRow("255") << QByteArray("255") << QByteArray("000000FF");
        QTest::newRow("-2") << QByteArray("-2") << QByteArray("FFFFFFFE");
        QTest::newRow("0") << QByteArray("0") << QByteArray("00000000");
        QTest::newRow("max") << QByteArray("2147483647") << QByteArray("7FFFFFFF");
        QTest::newRow("min") << QByteArray("-2147483648") << QByteArray("80000000");
    }

    // Downloading sends the 32-bit two's complement; uploading gives back
    // the signed decimal text.
    void indexEncoding()
    {
        QFETCH(QByteArray, decimal);
        QFETCH(QByteArray, hex);
        QCOMPARE(TableFile::encodeIndexEntry(decimal), std::optional<QByteArray>(hex));
        QCOMPARE(TableFile::decodeIndexEntry(hex), std::optional<QByteArray>(decimal));
    }

    void refusedEntries_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("empty") << QByteArray("");
        QTest::newRow("word") << QByteArray("abc");
        QTest::newRow("too large") << QByteArray("2147483648");
        QTest::newRow("sign only") << QByteArray("-");
        QTest::newRow("trailing") << QByteArray("12x");
    }

    void refusedEntries()
    {
        QFETCH(QByteArray, text);
        QVERIFY(!TableFile::encodeIndexEntry(text));
    }

    void boundedValues()
    {
        QCOMPARE(TableFile::boundedValue("999999999"), std::optional<QByteArray>("999999999"));
        QCOMPARE(TableFile::boundedValue(" -999999999"), std::optional<QByteArray>("-999999999"));
        QCOMPARE(TableFile::boundedValue("+5"), std::optional<QByteArray>("5"));
        QVERIFY(!TableFile::boundedValue("1000000000"));
        QVERIFY(!TableFile::boundedValue("-1000000000"));
        QVERIFY(!TableFile::boundedValue("1.5"));
    }

    void layouts()
    {
        QCOMPARE(TableFile::composeIndex({"0", "-1", "2147483647"}),
                 QByteArray("  0|         0\r\n  1|        -1\r\n  2|2147483647\r\n"));
        QCOMPARE(TableFile::composeAccuracy({"-1234", "5"}),
                 QByteArray("  0:     -1234:\r\n  1:         5:\r\n"));
    }

    void readIndex_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("count");
        using F = TableFile::ReadResult::Fault;
        QTest::newRow("100 lines") << lines(100, "%3d|%10s\r\n") << int(F::None) << 0 << 100;
        QTest::newRow("101 lines") << lines(101, "%3d|%10s\r\n") << int(F::TooLong) << 101 << 0;
        QTest::newRow("LF, no end") << QByteArray("0| 5\n1|-3") << int(F::None) << 0 << 2;
        QTest::newRow("no bar") << QByteArray("  0|  1\r\n  1   2\r\n") << int(F::Malformed) << 2
                                << 0;
        QTest::newRow("not a number")
            << QByteArray("  0|  1\r\n  1| x2\r\n") << int(F::BadValue) << 2 << 0;
        QTest::newRow("empty") << QByteArray() << int(F::TooShort) << 0 << 0;
    }

    void readIndex()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, fault);
        QFETCH(int, line);
        QFETCH(int, count);
        const TableFile::ReadResult result = TableFile::readIndex(write("t.idx", bytes));
        QCOMPARE(int(result.fault), fault);
        QCOMPARE(result.line, line);
        QCOMPARE(result.entries.size(), count);
        if (count == 100)
            QCOMPARE(result.entries.at(99), QByteArray("643"));
    }

    void readAccuracy_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("count");
        using F = TableFile::ReadResult::Fault;
        QTest::newRow("360 lines") << lines(360, "%3d:%10s:\r\n") << int(F::None) << 360;
        QTest::newRow("361 lines") << lines(361, "%3d:%10s:\r\n") << int(F::TooLong) << 0;
        QTest::newRow("no colon") << QByteArray("  0:  1:\r\n  1   2\r\n") << int(F::Malformed)
                                  << 0;
        QTest::newRow("out of range")
            << QByteArray("  0:1000000000:\r\n  1: 2:\r\n") << int(F::BadValue) << 0;
        QTest::newRow("one line") << QByteArray("  0:  1:\r\n") << int(F::TooShort) << 0;
    }

    void readAccuracy()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, fault);
        QFETCH(int, count);
        const TableFile::ReadResult result = TableFile::readAccuracy(write("t.aac", bytes));
        QCOMPARE(int(result.fault), fault);
        QCOMPARE(result.entries.size(), count);
        if (count)
            QCOMPARE(result.entries.first(), QByteArray("-50"));
    }
};

QTEST_GUILESS_MAIN(TestTableFile)
#include "tst_tablefile.moc"
