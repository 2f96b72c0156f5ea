#include "resources/catalogue.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

// Every message number the program's code asks for exists in the English
// module, the Japanese module and the built-in set: a number typed wrong in
// a feature shows up here, not as an empty message box in front of a user.
class TestMessageUse : public QObject
{
    Q_OBJECT

private:
    // Numbers by the file and line that use them.
    QMap<int, QString> usedNumbers() const
    {
        QMap<int, QString> used;
        // Catalogue calls and the small wrappers around them
        // (string(159), text(159), format(161, …), tell(text(129)) …).
        static const QRegularExpression call(QStringLiteral(
            R"(\b(?:string|text|format|message|messageText|logPrefix)\(\s*(\d{3,4})\b)"));
        QDirIterator it(QStringLiteral(TORVANE_SOURCE_DIR "/src"),
                        {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            // The catalogue and the graph control keep numbers of their own.
            if (path.contains(QLatin1String("/src/resources/")) ||
                path.contains(QLatin1String("/src/graphctl/")) ||
                path.contains(QLatin1String("/src/sim/")))
                continue;
            QFile file(path);
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
            for (int i = 0; i < lines.size(); ++i) {
                auto matches = call.globalMatch(lines.at(i));
                while (matches.hasNext()) {
                    const int number = matches.next().captured(1).toInt();
                    if ((number >= 101 && number <= 276) || (number >= 1000 && number < 2000))
                        used.insert(number, QStringLiteral("%1:%2").arg(path).arg(i + 1));
                }
            }
        }
        return used;
    }

private Q_SLOTS:
    void everyUsedNumberExists_data()
    {
        QTest::addColumn<QString>("module");
        QTest::newRow("english") << QStringLiteral("Torvane_E_Resource");
        QTest::newRow("japanese") << QStringLiteral("Torvane_J_Resource");
        QTest::newRow("built-in") << QString();
    }
    void everyUsedNumberExists()
    {
        QFETCH(QString, module);
        if (module.isEmpty())
            Catalogue::instance().useBuiltin();
        else
            QVERIFY(Catalogue::instance().loadModule(QStringLiteral(TORVANE_BIN_DIR "/") +
                                                     Catalogue::moduleFileName(module)));
        const QMap<int, QString> used = usedNumbers();
        // The link, the start-up query and the parameter manager alone use
        // more than this; a smaller count means the scan lost its way.
        QVERIFY2(used.size() >= 10, qPrintable(QString::number(used.size())));
        for (auto it = used.cbegin(); it != used.cend(); ++it) {
            QVERIFY2(Catalogue::instance().hasString(it.key()),
                     qPrintable(QStringLiteral("%1 (used at %2)").arg(it.key()).arg(it.value())));
            QVERIFY(!Catalogue::instance().string(it.key()).isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestMessageUse)
#include "tst_messageuse.moc"
