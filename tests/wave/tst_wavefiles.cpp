#include "wave/logconditions.h"
#include "wave/monitoritemtable.h"
#include "wave/samplestore.h"
#include "wave/typedreply.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray golden(const char *name)
{
    QFile file(QStringLiteral(TORVANE_TEST_DATA "/golden/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

LogConditions goldenConditions()
{
    LogConditions c;
    c.voltsPerDivIndex = {1, 2, 3, 4};
    c.positionIndex = {15, 0, 20, 30};
    c.sourceIndex = {5, 6, 7, 8};
    c.singleMode = true;
    c.riseEdge = false;
    c.triggerChannel = 2;
    c.triggerLevel = -25;
    c.triggerPosition = 3;
    c.timeIndex = 11;
    return c;
}

} // namespace

class TestWaveFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void startArguments_data()
    {
        QTest::addColumn<int>("msPerDiv");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("samples");
        QTest::addColumn<int>("interval");
        QTest::addColumn<int>("post");
        QTest::newRow("100 ms, 5") << 100 << 5 << 250 << 4 << 500;
        QTest::newRow("10 ms, 0") << 10 << 0 << 100 << 1 << 100;
        QTest::newRow("20 ms, 10") << 20 << 10 << 200 << 1 << 0;
        QTest::newRow("50000 ms, 0") << 50000 << 0 << 250 << 2000 << 500000;
    }
    void startArguments()
    {
        QFETCH(int, msPerDiv);
        QFETCH(int, position);
        int index = 0;
        while (WaveScale::msPerDiv(index) != msPerDiv)
            ++index;
        const StartArguments a = WaveScale::startArguments(index, position);
        QTEST(int(a.samples), "samples");
        QTEST(int(a.intervalMs), "interval");
        QTEST(int(a.postTriggerMs), "post");
        QCOMPARE(a.recordLengthMs, msPerDiv * 10);
    }

    void typedReply_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("kind"); // 0 accepted, 1 refused, 2 malformed
        QTest::addColumn<QList<qint64>>("values");
        QTest::newRow("R ") << QByteArray("R ") << 0 << QList<qint64>{0, 0};
        QTest::newRow("R") << QByteArray("R") << 0 << QList<qint64>{};
        QTest::newRow("status") << QByteArray("RDD STS:1:0") << 0 << QList<qint64>{1, 0};
        QTest::newRow("hex") << QByteArray("R4D X:FFFFFFFF:-3") << 0
                             << QList<qint64>{0xFFFFFFFF, -3};
        QTest::newRow("missing trailing") << QByteArray("RDDD X:7") << 0 << QList<qint64>{7, 0, 0};
        QTest::newRow("data line is not typed")
            << QByteArray("R4D lbl:1:2") << 0 << QList<qint64>{1, 2};
        QTest::newRow("too many values") << QByteArray("RD X:1:2") << 2 << QList<qint64>{};
        QTest::newRow("bad type letter") << QByteArray("RDZ X:1:2") << 2 << QList<qint64>{};
        QTest::newRow("not a number") << QByteArray("RD X:abc") << 2 << QList<qint64>{};
        QTest::newRow("refusal") << QByteArray("ERR2") << 1 << QList<qint64>{};
        QTest::newRow("alarm") << QByteArray("ALM3") << 2 << QList<qint64>{};
        QTest::newRow("empty") << QByteArray() << 2 << QList<qint64>{};
    }
    void typedReply()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, kind);
        QFETCH(QList<qint64>, values);
        const TypedReply reply(line);
        QCOMPARE(int(reply.kind()), kind);
        if (kind != 0)
            return;
        QCOMPARE(reply.count(), values.size());
        for (int i = 0; i < values.size(); ++i)
            QCOMPARE(reply.value(i), values.at(i));
    }

    void display()
    {
        // 250 samples are drawn as 501 points, point k from sample 249k/500.
        QCOMPARE(WaveScale::sampleForPoint(0, 250), 0);
        QCOMPARE(WaveScale::sampleForPoint(1, 250), 0);
        QCOMPARE(WaveScale::sampleForPoint(3, 250), 1);
        QCOMPARE(WaveScale::sampleForPoint(500, 250), 249);
        for (int k = 0; k <= 500; ++k)
            QCOMPARE(WaveScale::sampleForPoint(k, 250), 249 * k / 500);
        // No samples: every point from the zero-filled first entry.
        QCOMPARE(WaveScale::sampleForPoint(250, 0), 0);

        const auto r = WaveScale::channelRange(6, 15); // 100 units, x = 5
        QCOMPARE(WaveScale::unitsPerDiv(6), 100);
        QCOMPARE(r.low, -500);
        QCOMPARE(r.high, 500);
        const auto bottom = WaveScale::channelRange(6, 0);
        QCOMPARE(bottom.low, -2000);
        QCOMPARE(bottom.high, -1000);
        QCOMPARE(WaveScale::unitsPerDiv(26), 500000000);
        QCOMPARE(WaveScale::channelRange(26, 30).high, qint64(10000000000));

        QCOMPARE(WaveScale::unitsPerDiv(WaveScale::autoUnitsIndex(12)), 2);
        QCOMPARE(WaveScale::unitsPerDiv(WaveScale::autoUnitsIndex(300)), 100);
        QCOMPARE(WaveScale::autoUnitsIndex(0), 0);

        QCOMPARE(WaveScale::timeText(0), QByteArray("   10"));
        QCOMPARE(WaveScale::unitsText(0), QByteArray("        1"));
        QCOMPARE(WaveScale::positionText(0), QByteArray("-10"));
    }

    void cursorReadouts_data()
    {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("divSize");
        QTest::addColumn<QByteArray>("time");
        QTest::addColumn<QByteArray>("frequency");
        QTest::addColumn<QByteArray>("level");
        // 2.5 divisions at 100 ms/div; level at 50 units/div on CH2.
        QTest::newRow("2.5 div") << 100 << 40 << QByteArray("DT         250 ms")
                                 << QByteArray("1/DT   4.000 Hz")
                                 << QByteArray("DH[2]    125 unit");
        QTest::newRow("together") << 0 << 40 << QByteArray("DT           0 ms")
                                  << QByteArray("1/DT    ----") << QByteArray("DH[2]      0 unit");
        // A plot too small for a division divides by nothing.
        QTest::newRow("tiny plot") << 7 << 0 << QByteArray("DT           0 ms")
                                   << QByteArray("1/DT    ----") << QByteArray("DH[2]      0 unit");
    }
    void cursorReadouts()
    {
        QFETCH(int, pixels);
        QFETCH(int, divSize);
        QTEST(WaveScale::timeReadout(pixels, divSize, 100), "time");
        QTEST(WaveScale::frequencyReadout(pixels, divSize, 100), "frequency");
        QTEST(WaveScale::levelReadout(1, pixels, divSize, 50), "level");
    }

    void graphFileRoundTrip()
    {
        SampleStore store;
        store.set(0, {10, -20, 0, 2147483647});
        store.set(1, {-1, 2, -30000, -2147483647 - 1});
        const QByteArray bytes = WaveFile::graphBytes(goldenConditions(), store);
        QCOMPARE(bytes, golden("record.gdt"));
        QCOMPARE(WaveFile::conditionBytes(goldenConditions()), golden("record.cnd"));

        LogConditions read;
        read.channelShown = {false, true, false, true};
        SampleStore back;
        QCOMPARE(WaveFile::readBytes(bytes, read, back), WaveFile::ReadResult::Read);
        LogConditions expected = goldenConditions();
        expected.channelShown = {false, true, false, true}; // in neither file
        QVERIFY(read == expected);
        QCOMPARE(back.count(), 2);
        QCOMPARE(back.sample(3, 1), -2147483647 - 1);

        LogConditions fromCnd;
        QCOMPARE(WaveFile::readBytes(golden("record.cnd"), fromCnd, back),
                 WaveFile::ReadResult::Read);
        QVERIFY(fromCnd == goldenConditions());
        QCOMPARE(back.count(), 2); // conditions only: the record stays
    }

    void badFilesChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("TM with 2 fields") << QByteArray("VD:1:1:1:1\r\nTM:3:4\r\n");
        QTest::newRow("garbage") << QByteArray("\x01\x02\xff\xfe garbage\n");
        QTest::newRow("unknown keyword") << QByteArray("XX:1\n");
        QTest::newRow("TR with 4") << QByteArray("TR:1:1:0:5\n");
        QTest::newRow("not a number") << QByteArray("VD:1:x:1:1\n");
        QTest::newRow("index past the tables") << QByteArray("VD:27:0:0:0\n");
        QTest::newRow("time past the table") << QByteArray("TM:12\n");
        QTest::newRow("sample past the store") << QByteArray("Data;0;1;1;1;1\nData;254;1;1;1;1\n");
        QTest::newRow("negative sample index") << QByteArray("Data;-1;1;1;1;1\n");
        QTest::newRow("value beyond 32 bits") << QByteArray("Data;0;4294967296;1;1;1\n");
        QTest::newRow("10 MB line") << QByteArray("TM:0") + QByteArray(10 << 20, '0') + "\n";
    }
    void badFilesChangeNothing()
    {
        QFETCH(QByteArray, bytes);
        LogConditions conditions = goldenConditions();
        SampleStore store;
        store.set(0, {1, 2, 3, 4});
        const SampleStore before = store;
        QCOMPARE(WaveFile::readBytes(bytes, conditions, store, true),
                 WaveFile::ReadResult::FormatError);
        QVERIFY(conditions == goldenConditions());
        QCOMPARE(store.count(), before.count());
        QCOMPARE(store.sample(3, 0), 4);
    }

    void manyDataLines()
    {
        // 100,000 lines within the store: the last of each index wins.
        QByteArray bytes;
        for (int i = 0; i < 100000; ++i)
            bytes +=
                "Data;" + QByteArray::number(i % 250) + ";1;2;3;" + QByteArray::number(i) + "\n";
        LogConditions conditions;
        SampleStore store;
        QCOMPARE(WaveFile::readBytes(bytes, conditions, store), WaveFile::ReadResult::Read);
        QCOMPARE(store.count(), 250);
        QCOMPARE(store.sample(3, 249), 99999);
    }

    void storeBounds()
    {
        SampleStore store;
        for (int i = 0; i < SampleStore::Capacity; ++i)
            QVERIFY(store.append({i, 0, 0, 0}));
        QVERIFY(!store.append({1, 1, 1, 1}));
        QVERIFY(!store.set(-1, {1, 1, 1, 1}));
        QCOMPARE(store.count(), SampleStore::Capacity);
        QCOMPARE(store.sample(0, 400), 0);
    }

    void cacheFile()
    {
        const QByteArray bytes = MonitorItemTable::cacheBytes(
            {"R2Z :#1:ScaleNumerator", "R2Z :#201:EnglishDisplay", "R2Z :#319:TestResponse"});
        QVERIFY(bytes.startsWith(golden("monstr-head.dat")));
        QVERIFY(bytes.contains("\n#400                  ,                         400\n"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Monstr.dat"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        MonitorItemTable table;
        QCOMPARE(table.load(path), MonitorItemTable::LoadResult::Loaded);
        QCOMPARE(table.count(), 3 + 50 + 50 + 100);
        QCOMPARE(table.item(2).code, 319);
        QCOMPARE(table.languageEntry(), QByteArray("#201:EnglishDisplay"));
        QCOMPARE(table.indexContaining("#319"), 2);
        QCOMPARE(table.indexContaining("#9999"), -1);
    }

    void badCache_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("result");
        QByteArray many;
        for (int i = 0; i < 701; ++i)
            many += "#" + QByteArray::number(i) + ":x," + QByteArray::number(i) + "\n";
        QTest::newRow("701 lines") << many << int(MonitorItemTable::LoadResult::TooMany);
        QTest::newRow("binary") << QByteArray("\x00\x01\xff,\x02\n", 6)
                                << int(MonitorItemTable::LoadResult::BadFormat);
        QTest::newRow("three fields")
            << QByteArray("#1:a,1,2\n") << int(MonitorItemTable::LoadResult::BadFormat);
        QTest::newRow("code not a number")
            << QByteArray("#1:a,x\n") << int(MonitorItemTable::LoadResult::BadFormat);
    }
    void badCache()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, result);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Monstr.dat"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        MonitorItemTable table;
        table.setItems({{7, "#7:kept"}});
        QCOMPARE(int(table.load(path)), result);
        QCOMPARE(table.count(), 1); // what it held stays
    }
};

QTEST_GUILESS_MAIN(TestWaveFiles)
#include "tst_wavefiles.moc"
