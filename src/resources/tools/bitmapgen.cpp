// Writes the bitmaps and the icon of the resource modules into a folder:
//   common/<id>.png    the bitmaps both sets share
//   english/<id>.png   those only the English set has, or draws its own way
//   japanese/<id>.png  the Japanese set's own drawing of those
//   icon/128-<size>.png
// Usage: bitmapgen FOLDER
//    or: bitmapgen --desktop-icons FOLDER   (torvane-<size>.png at the large
//        hicolor sizes, for the desktop entry)
#include "resources/bitmapmaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

namespace {

bool save(const QImage &image, const QString &path)
{
    if (!image.save(path, "PNG")) {
        QTextStream(stderr) << "bitmapgen: cannot write " << path << '\n';
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--desktop-icons")) {
        bool ok = QDir().mkpath(args.at(2));
        for (int size : {64, 128, 256})
            ok &= save(BitmapMaker::icon(size),
                       QDir(args.at(2)).filePath(QStringLiteral("torvane-%1.png").arg(size)));
        return ok ? 0 : 1;
    }
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: bitmapgen FOLDER\n";
        return 2;
    }
    const QDir root(args.at(1));
    for (const char *sub : {"common", "english", "japanese", "icon"}) {
        if (!root.mkpath(QString::fromLatin1(sub))) {
            QTextStream(stderr) << "bitmapgen: cannot create " << root.filePath(sub) << '\n';
            return 1;
        }
    }

    using Set = BitmapMaker::Set;
    const QList<int> japanese = BitmapMaker::bitmapIds(Set::Japanese);
    bool ok = true;
    for (int id : BitmapMaker::bitmapIds(Set::English)) {
        const QString name = QString::number(id) + QLatin1String(".png");
        if (japanese.contains(id) && !BitmapMaker::differsBySet(id)) {
            ok &= save(BitmapMaker::bitmap(id, Set::English), root.filePath("common/" + name));
            continue;
        }
        ok &= save(BitmapMaker::bitmap(id, Set::English), root.filePath("english/" + name));
        if (japanese.contains(id))
            ok &= save(BitmapMaker::bitmap(id, Set::Japanese), root.filePath("japanese/" + name));
    }
    for (int size : BitmapMaker::iconSizes()) {
        const QString name = QStringLiteral("icon/128-%1.png").arg(size);
        ok &= save(BitmapMaker::icon(size), root.filePath(name));
    }
    return ok ? 0 : 1;
}
