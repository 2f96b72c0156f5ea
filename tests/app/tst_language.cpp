#include "resources/catalogue.h"
#include "resources/modulechoice.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// --language and TORVANE_LANGUAGE: which module a run loads from which folders.
class TestLanguage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void names_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("language"); // -1: not a language
        QTest::newRow("en") << QStringLiteral("en") << int(ModuleChoice::Language::English);
        QTest::newRow("JA") << QStringLiteral(" JA ") << int(ModuleChoice::Language::Japanese);
        QTest::newRow("english") << QStringLiteral("english") << -1;
        QTest::newRow("empty") << QString() << -1;
    }
    void names()
    {
        QFETCH(QString, name);
        QFETCH(int, language);
        const auto found = ModuleChoice::languageNamed(name);
        QCOMPARE(found ? int(*found) : -1, language);
    }

    // Folders holding both modules, only the Japanese one, or none.
    void choice_data()
    {
        QTest::addColumn<QStringList>("present");
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("loaded"); // empty: the built-in set
        QTest::addColumn<bool>("english");
        const QStringList both{QStringLiteral("Torvane_E_Resource"),
                               QStringLiteral("Torvane_J_Resource")};
        const QStringList japanese{QStringLiteral("Torvane_J_Resource")};
        const int any = int(ModuleChoice::Language::Any);
        const int en = int(ModuleChoice::Language::English);
        const int ja = int(ModuleChoice::Language::Japanese);
        QTest::newRow("any prefers Japanese")
            << both << any << QStringLiteral("Torvane_J_Resource") << false;
        QTest::newRow("en") << both << en << QStringLiteral("Torvane_E_Resource") << true;
        QTest::newRow("ja") << both << ja << QStringLiteral("Torvane_J_Resource") << false;
        QTest::newRow("en without it")
            << japanese << en << QStringLiteral("Torvane_J_Resource") << false;
        QTest::newRow("ja without modules") << QStringList() << ja << QString() << false;
        QTest::newRow("en without modules") << QStringList() << en << QString() << false;
    }
    void choice()
    {
        QFETCH(QStringList, present);
        QFETCH(int, language);
        QFETCH(QString, loaded);
        QFETCH(bool, english);
        // An installed tree: bin/ and lib/torvane/ beside it.
        QTemporaryDir root;
        const QString bin = root.filePath(QStringLiteral("bin"));
        QVERIFY(QDir().mkpath(bin));
        const QString modules = ModuleChoice::folders(bin).at(1);
        QVERIFY(modules.startsWith(root.path()));
        QVERIFY(QDir().mkpath(modules));
        for (const QString &module : present) {
            const QString name = Catalogue::moduleFileName(module);
            QVERIFY(QFile::copy(QStringLiteral(TORVANE_BIN_DIR "/") + name,
                                QDir(modules).filePath(name)));
        }
        const Catalogue::Choice choice = ModuleChoice::load(Catalogue::instance(), {bin, modules},
                                                            ModuleChoice::Language(language));
        QCOMPARE(choice.modulePath,
                 loaded.isEmpty() ? QString()
                                  : QDir(modules).filePath(Catalogue::moduleFileName(loaded)));
        QCOMPARE(choice.english, english);
        Catalogue::instance().useBuiltin();
    }

    void wrongOption()
    {
        QTemporaryDir dir;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("TORVANE_PROFILE"), dir.filePath(QStringLiteral("t.ini")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TORVANE_BIN_DIR "/torvane"),
                      {QStringLiteral("--language"), QStringLiteral("fr")});
        QVERIFY(process.waitForFinished(20000));
        QCOMPARE(process.exitCode(), 2);
        QCOMPARE(process.readAllStandardError(),
                 QByteArray("torvane: --language takes en or ja, not \"fr\".\n"));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("t.ini"))));
    }
};

QTEST_GUILESS_MAIN(TestLanguage)
#include "tst_language.moc"
