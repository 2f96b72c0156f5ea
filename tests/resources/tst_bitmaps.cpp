#include "resources/bitmapmaker.h"

#include <QDir>
#include <QTest>

// The committed bitmaps are exactly what the drawing code makes, so that
// they can be redrawn at any time (torvane_update_bitmaps) without change.
class TestBitmaps : public QObject
{
    Q_OBJECT

private slots:
    void committedMatchDrawing_data();
    void committedMatchDrawing();
    void sixteenColours();
    void icon();
};

namespace {

const QDir Bitmaps(QStringLiteral(TORVANE_BITMAPS_DIR));

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

} // namespace

void TestBitmaps::committedMatchDrawing_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("file");

    using Set = BitmapMaker::Set;
    const QList<int> japanese = BitmapMaker::bitmapIds(Set::Japanese);
    for (int id : BitmapMaker::bitmapIds(Set::English)) {
        const QString name = QString::number(id) + QLatin1String(".png");
        if (japanese.contains(id) && !BitmapMaker::differsBySet(id)) {
            QTest::addRow("%d", id) << id << true << Bitmaps.filePath("common/" + name);
            continue;
        }
        QTest::addRow("english %d", id) << id << true << Bitmaps.filePath("english/" + name);
        if (japanese.contains(id))
            QTest::addRow("japanese %d", id) << id << false << Bitmaps.filePath("japanese/" + name);
    }
}

void TestBitmaps::committedMatchDrawing()
{
    QFETCH(int, id);
    QFETCH(bool, english);
    QFETCH(QString, file);
    const auto set = english ? BitmapMaker::Set::English : BitmapMaker::Set::Japanese;
    const QImage committed(file);
    QVERIFY2(!committed.isNull(), qPrintable(file));
    const QImage drawn = BitmapMaker::bitmap(id, set);
    QCOMPARE(drawn.size(), BitmapMaker::bitmapSize(id, set));
    QCOMPARE(argb(committed), argb(drawn));
}

// The modules' bitmaps keep to a 16-colour palette.
void TestBitmaps::sixteenColours()
{
    for (int id : BitmapMaker::bitmapIds(BitmapMaker::Set::English)) {
        const QImage image = BitmapMaker::bitmap(id, BitmapMaker::Set::English);
        QCOMPARE(image.format(), QImage::Format_Indexed8);
        QVERIFY(image.colorCount() <= 16);
    }
}

void TestBitmaps::icon()
{
    for (int size : BitmapMaker::iconSizes()) {
        const QImage committed(Bitmaps.filePath(QStringLiteral("icon/128-%1.png").arg(size)));
        QCOMPARE(committed.size(), QSize(size, size));
        QCOMPARE(argb(committed), argb(BitmapMaker::icon(size)));
    }
}

QTEST_GUILESS_MAIN(TestBitmaps)
#include "tst_bitmaps.moc"
