#include "resources/catalogue.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLibrary>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString BinDir = QStringLiteral(TORVANE_BIN_DIR);
const QString No217Dir = QStringLiteral(TORVANE_NO217_DIR);

QString modulePath(const QString &module)
{
    return QDir(BinDir).filePath(Catalogue::moduleFileName(module));
}

// Which set a test looks at: "english", "japanese" (the J module) or
// "builtin" (the program's own set).
bool use(const QString &set)
{
    Catalogue &c = Catalogue::instance();
    if (set == QLatin1String("builtin")) {
        c.useBuiltin();
        return true;
    }
    const QString module = set == QLatin1String("english") ? QStringLiteral("Torvane_E_Resource")
                                                           : QStringLiteral("Torvane_J_Resource");
    return c.loadModule(modulePath(module));
}

const QList<int> Dialogs{100, 102, 103, 104, 118, 119, 130, 131, 139, 143, 145, 147, 151, 158,
                         159, 160, 174, 176, 182, 183, 206, 208, 209, 210, 211, 212, 213, 214,
                         215, 216, 218, 219, 220, 221, 222, 223, 224, 225, 226, 227, 228, 229,
                         230, 232, 233, 234, 237, 238, 239, 240, 242, 243, 244, 246, 247, 248,
                         249, 250, 251, 252, 253, 254, 255, 256, 257, 258, 259, 260, 261, 262};

} // namespace

class TestCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void messageNumbers_data();
    void messageNumbers();
    void exactTexts_data();
    void exactTexts();
    void format_data();
    void format();

    void dialogs_data();
    void dialogs();
    void controlTexts_data();
    void controlTexts();
    void layoutsMatch();
    void listsAndGraphs();

    void loadPreferred_data();
    void loadPreferred();
    void noModuleUsesBuiltinSilently();
    void modulesExportNothing();

    void bitmaps_data();
    void bitmaps();
    void moduleWithout217();
    void icon();
};

void TestCatalogue::initTestCase()
{
    for (const char *module : {"Torvane_E_Resource", "Torvane_J_Resource"})
        QVERIFY2(QFile::exists(modulePath(QLatin1String(module))), module);
    QVERIFY(QFile::exists(QDir(No217Dir).filePath(QStringLiteral("libTorvane_E_Resource.so"))));
}

void TestCatalogue::init()
{
    // Choosing a module never reports anything; nor does any look-up.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
}

void TestCatalogue::cleanup()
{
    Catalogue::instance().useBuiltin();
}

void TestCatalogue::messageNumbers_data()
{
    QTest::addColumn<QString>("set");
    QTest::newRow("english module") << "english";
    QTest::newRow("japanese module") << "japanese";
    QTest::newRow("built-in set") << "builtin";
}

void TestCatalogue::messageNumbers()
{
    QFETCH(QString, set);
    QVERIFY(use(set));
    const Catalogue &c = Catalogue::instance();
    const QSet<int> unused{118, 119, 134, 220};
    for (int id = 100; id <= 277; ++id) {
        const bool expected = id >= 101 && id <= 276 && !unused.contains(id);
        QVERIFY2(c.hasString(id) == expected, qPrintable(QString::number(id)));
        QVERIFY2(c.string(id).isEmpty() != expected, qPrintable(QString::number(id)));
    }
}

void TestCatalogue::exactTexts_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");

    QTest::newRow("E 101") << "english" << 101 << "Kalderon_M2 .version infomation.(&A)..";
    QTest::newRow("E 127") << "english" << 127 << "-> ";
    QTest::newRow("E 128") << "english" << 128 << " <- ";
    QTest::newRow("E 124") << "english" << 124
                           << "Can not open file.  Not a universal cam profile file.";
    QTest::newRow("E 150") << "english" << 150 << "Failed to retrieve program numbers. ";
    QTest::newRow("E 153") << "english" << 153
                           << "Unable to display program%d due to program contents not yet "
                              "retrieved.\r(program will start)";
    QTest::newRow("E 182") << "english" << 182 << "Can not open file.  No  program file.";
    QTest::newRow("E 199") << "english" << 199 << QString::fromUtf8("Caution！\nMotor will move.");
    QTest::newRow("E 219") << "english" << 219
                           << "The hominng position is out of renge.\nChange the hominng flag "
                              "position.";
    QTest::newRow("E 267") << "english" << 267 << "Torvane";
    QTest::newRow("E 276") << "english" << 276
                           << "This parameter value is not same as the current set.\nWhen this "
                              "parameter is changed,wrong opration may occur.\nParameter change "
                              "OK?\n\n";
    QTest::newRow("J 101") << "japanese" << 101
                           << QString::fromUtf8("Kalderon_M2 のﾊﾞｰｼﾞｮﾝ情報(&A)...");
    QTest::newRow("J 127") << "japanese" << 127 << QString::fromUtf8("→");
    QTest::newRow("J 128") << "japanese" << 128 << QString::fromUtf8(" ←");
    QTest::newRow("J 129") << "japanese" << 129 << QString::fromUtf8("ﾀﾞｳﾝﾛｰﾄがﾞ終了しました。");
    QTest::newRow("J 168") << "japanese" << 168
                           << QString::fromUtf8(
                                  "ただし、次のﾊﾟﾗﾒｰﾀは　\"ﾃﾞｰﾀ範囲外\"または"
                                  "\"ﾊﾟﾗﾒｰﾀ番号範囲外\"のためﾀﾞｳﾝﾛｰﾄﾞできませんでした。");
    QTest::newRow("J 199") << "japanese" << 199 << QString::fromUtf8("注意！\nﾓｰﾀが動きます。");
    QTest::newRow("J 276") << "japanese" << 276
                           << QString::fromUtf8(
                                  "以下のﾊﾟﾗﾒｰﾀ値が現在の値と異なります。\nこのﾊﾟﾗﾒｰﾀを"
                                  "変更すると正常に動作しなくなる可能性があります。\n"
                                  "変更してもよろしいですか？\n\n");
    QTest::newRow("builtin 161") << "builtin" << 161
                                 << QString::fromUtf8("%sを削除して中止します。");
    QTest::newRow("builtin 267") << "builtin" << 267 << "Torvane";
}

void TestCatalogue::exactTexts()
{
    QFETCH(QString, set);
    QFETCH(int, id);
    QFETCH(QString, text);
    QVERIFY(use(set));
    QCOMPARE(Catalogue::instance().string(id), text);
}

void TestCatalogue::format_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("id");
    QTest::addColumn<QVariantList>("args");
    QTest::addColumn<QString>("text");

    QTest::newRow("E 122") << "english" << 122 << QVariantList{0, 89}
                           << "Program numbers are from 0 to 89.";
    QTest::newRow("E 122 reading")
        << "english" << 122 << QVariantList{0, 99} << "Program numbers are from 0 to 99.";
    QTest::newRow("E 136") << "english" << 136 << QVariantList{1, 16}
                           << "Cam profile numbers are from 1 to 16.";
    QTest::newRow("E 186") << "english" << 186 << QVariantList{1, 100}
                           << "Compensation table number are 1 to 100.";
    QTest::newRow("E 209") << "english" << 209 << QVariantList{2, 360}
                           << "Abs acc compensation table numbers are 2 to 360.";
    QTest::newRow("E 238") << "english" << 238 << QVariantList{1, 100}
                           << "Compensation table number are 1 to 100.";
    QTest::newRow("E 151") << "english" << 151 << QVariantList{3, 12}
                           << "Program3 are block no 12.";
    QTest::newRow("E 164") << "english" << 164 << QVariantList{-5}
                           << "Program no. -5 already exist.\n\n overwrite?";
    QTest::newRow("E 161 path") << "english" << 161 << QVariantList{QStringLiteral("/d/a%d.prm")}
                                << "Deleting /d/a%d.prm.";
    QTest::newRow("E 187 name") << "english" << 187 << QVariantList{QStringLiteral("A")}
                                << "Compensate table A is divede 0.";
    QTest::newRow("E 122 value missing")
        << "english" << 122 << QVariantList{7} << "Program numbers are from 7 to %d.";
    QTest::newRow("E 132 no placeholder")
        << "english" << 132 << QVariantList{1} << "Upload completed.";
    QTest::newRow("J 122") << "japanese" << 122 << QVariantList{0, 89}
                           << QString::fromUtf8("ﾌﾟﾛｸﾞﾗﾑ番号は0から89までです｡");
    QTest::newRow("J 209") << "japanese" << 209 << QVariantList{2, 360}
                           << QString::fromUtf8("絶対精度補正ﾃｰﾌﾞﾙ数は2から360までです。");
    QTest::newRow("builtin 174") << "builtin" << 174 << QVariantList{QStringLiteral(" a.prm ,\n")}
                                 << QString::fromUtf8(" a.prm ,\nは変更される可能性があります。\n"
                                                      "よろしいですか？");
}

void TestCatalogue::format()
{
    QFETCH(QString, set);
    QFETCH(int, id);
    QFETCH(QVariantList, args);
    QFETCH(QString, text);
    QVERIFY(use(set));
    QCOMPARE(Catalogue::instance().format(id, args), text);
}

void TestCatalogue::dialogs_data()
{
    messageNumbers_data();
}

void TestCatalogue::dialogs()
{
    QFETCH(QString, set);
    QVERIFY(use(set));
    const Catalogue &c = Catalogue::instance();
    QCOMPARE(c.dialogIds(), Dialogs);
    for (int id : Dialogs)
        QVERIFY2(!c.dialogCaption(id).trimmed().isEmpty(), qPrintable(QString::number(id)));
    QVERIFY(c.dialogCaption(101).isEmpty());

    if (set == QLatin1String("english")) {
        QCOMPARE(c.dialogCaption(100), QStringLiteral("Torvane Version Infonation"));
        QCOMPARE(c.dialogCaption(219), QStringLiteral("Setting Option "));
        QCOMPARE(c.dialogCaption(158), QString::fromUtf8("ﾊﾟﾙｽ設定"));
        QCOMPARE(c.dialogCaption(252),
                 QStringLiteral("Setting offset distance from the home position"));
        QCOMPARE(c.dialogCaption(254), QString::fromUtf8("SetCondition・LogStart"));
        QCOMPARE(c.dialogCaption(251), QStringLiteral("??????"));
    } else {
        QCOMPARE(c.dialogCaption(100), QString::fromUtf8("Torvane のﾊﾞｰｼﾞｮﾝ情報"));
        QCOMPARE(c.dialogCaption(212), QString::fromUtf8("ﾊﾟﾗﾒｰﾀ/ﾓﾆﾀ  ﾍﾙﾌﾟ"));
        QCOMPARE(c.dialogCaption(259), QString::fromUtf8("インデックスＴｙｐｅＡ運転"));
    }
}

void TestCatalogue::controlTexts_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("dialog");
    QTest::addColumn<int>("control");
    QTest::addColumn<QString>("text");

    QTest::newRow("E main exit") << "english" << 102 << 1 << "Exit(&X)";
    QTest::newRow("E main parameter") << "english" << 102 << 1001 << "Paramater(&M)";
    QTest::newRow("E main backup") << "english" << 102 << 1134 << "BackUp(&B)";
    QTest::newRow("E main frame") << "english" << 102 << 1502 << "DataCtrl";
    QTest::newRow("E manager machine") << "english" << 119 << 1010 << "Machine\nParameterEdit(&M)";
    QTest::newRow("E pulse set") << "english" << 158 << 1089 << QString::fromUtf8("設定(&S)");
    QTest::newRow("E pulse close") << "english" << 158 << 1 << QString::fromUtf8("閉じる(&X)");
    QTest::newRow("E station 5") << "english" << 104 << 1038 << "5";
    QTest::newRow("E station 6") << "english" << 104 << 1037 << "6";
    QTest::newRow("E terminal next") << "english" << 206 << 1504 << ":Next";
    QTest::newRow("E cursor both") << "english" << 176 << 1128 << "T1&&T2";
    QTest::newRow("E axis bit 5") << "english" << 208 << 1375 << ":Over travel (+) dir";
    QTest::newRow("E jog plus") << "english" << 258 << 1059 << "Start + (&P)";
    QTest::newRow("E viewer logstart") << "english" << 249 << 1064 << "LogStart";
    QTest::newRow("E absent control") << "english" << 102 << 4242 << QString();
    QTest::newRow("J main abs") << "japanese" << 102 << 1009
                                << QString::fromUtf8("絶対精度補償(&A)");
    QTest::newRow("J pulse set") << "japanese" << 158 << 1089 << QString::fromUtf8("設定(&S)");
    QTest::newRow("builtin drive test")
        << "builtin" << 147 << 1461 << QString::fromUtf8("ﾃｽﾄﾓｰﾄﾞ(&T)");
}

void TestCatalogue::controlTexts()
{
    QFETCH(QString, set);
    QFETCH(int, dialog);
    QFETCH(int, control);
    QFETCH(QString, text);
    QVERIFY(use(set));
    QCOMPARE(Catalogue::instance().controlText(dialog, control), text);
}

// Both languages share one layout per dialog: the same controls carry text.
void TestCatalogue::layoutsMatch()
{
    Catalogue &c = Catalogue::instance();
    QHash<int, QSet<int>> english;
    QVERIFY(use(QStringLiteral("english")));
    for (int dialog : Dialogs) {
        for (int control = 1; control < 5000; ++control) {
            if (!c.controlText(dialog, control).isEmpty())
                english[dialog].insert(control);
        }
    }
    QVERIFY(english.value(102).size() == 17);
    QVERIFY(c.controlHidden(147, 1461));

    QVERIFY(use(QStringLiteral("japanese")));
    QVERIFY(!c.controlHidden(147, 1461));
    for (int dialog : Dialogs) {
        QSet<int> japanese;
        for (int control = 1; control < 5000; ++control) {
            if (!c.controlText(dialog, control).isEmpty())
                japanese.insert(control);
        }
        QVERIFY2(japanese == english.value(dialog), qPrintable(QString::number(dialog)));
    }
}

void TestCatalogue::listsAndGraphs()
{
    Catalogue &c = Catalogue::instance();
    const QStringList types{QString::fromUtf8("直ちに開始"), QString::fromUtf8("指令完了"),
                            QString::fromUtf8("位置決め完了")};
    for (const char *set : {"english", "japanese"}) {
        QVERIFY(use(QLatin1String(set)));
        const bool english = QLatin1String(set) == QLatin1String("english");
        const QStringList windows =
            english ? QStringList{QStringLiteral("Top"), QStringLiteral("Bottom")}
                    : QStringList{QString::fromUtf8("上"), QString::fromUtf8("下")};
        QCOMPARE(c.listItems(220, 1065), windows);
        QCOMPARE(c.listItems(238, 1065), (QStringList{"A", "B"}));
        QCOMPARE(c.listItems(242, 1480), types);
        QCOMPARE(c.listItems(242, 1485), (QStringList{"100ms", "200ms", "500ms", "1s"}));
        QCOMPARE(c.listItems(242, 1486), (QStringList{"-4div", "-2div", "0div", "2div", "4div"}));
        QCOMPARE(c.listItems(244, 1065), (QStringList{"*1/2", "*1", "*2", "*5"}));
        QCOMPARE(c.listItems(244, 1067), (QStringList{"*1", "*2", "*5", "*10"}));
        QVERIFY(c.listItems(242, 1).isEmpty());

        const QVariantMap viewer = c.graphInit(249, 1201);
        QCOMPARE(viewer.value("GraphCount").toInt(), 4);
        QCOMPARE(viewer.value("DataCount").toInt(), 501);
        QCOMPARE(viewer.value("Graph(3).ShortName").toString(), QStringLiteral("CH4"));
        QCOMPARE(c.graphInit(228, 1201).value("GraphCount").toInt(), 3);
        QCOMPARE(c.graphInit(151, 1201).value("Graph(0).Unit").toString(),
                 QStringLiteral("[pulse]"));
        QCOMPARE(c.graphInit(244, 1201).value("GraphCount").toInt(), 2);
        QVERIFY(c.graphInit(102, 1201).isEmpty());
    }
}

void TestCatalogue::loadPreferred_data()
{
    // Files in two folders ("garbage:" makes a file that is no library) and
    // the module expected to be chosen ("" = the built-in set).
    QTest::addColumn<QStringList>("first");
    QTest::addColumn<QStringList>("second");
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<bool>("english");
    QTest::addColumn<bool>("sibling");

    QTest::newRow("only E") << QStringList{"Torvane_E_Resource"} << QStringList{}
                            << "1/Torvane_E_Resource" << true << false;
    QTest::newRow("only J") << QStringList{"Torvane_J_Resource"} << QStringList{}
                            << "1/Torvane_J_Resource" << false << false;
    QTest::newRow("sibling E") << QStringList{"Quillet_E_Resource"} << QStringList{}
                               << "1/Quillet_E_Resource" << true << true;
    QTest::newRow("sibling J") << QStringList{} << QStringList{"Quillet_J_Resource"}
                               << "2/Quillet_J_Resource" << false << true;
    QTest::newRow("J before E") << QStringList{"Torvane_E_Resource", "Torvane_J_Resource"}
                                << QStringList{} << "1/Torvane_J_Resource" << false << false;
    QTest::newRow("sibling J before E") << QStringList{"Torvane_E_Resource", "Quillet_J_Resource"}
                                        << QStringList{} << "1/Quillet_J_Resource" << false << true;
    QTest::newRow("E before sibling E")
        << QStringList{"Quillet_E_Resource"} << QStringList{"Torvane_E_Resource"}
        << "2/Torvane_E_Resource" << true << false;
    QTest::newRow("module before folder")
        << QStringList{"Torvane_E_Resource"} << QStringList{"Torvane_J_Resource"}
        << "2/Torvane_J_Resource" << false << false;
    QTest::newRow("first folder first")
        << QStringList{"Torvane_J_Resource"} << QStringList{"Torvane_J_Resource"}
        << "1/Torvane_J_Resource" << false << false;
    QTest::newRow("broken J skipped")
        << QStringList{"garbage:Torvane_J_Resource", "Torvane_E_Resource"} << QStringList{}
        << "1/Torvane_E_Resource" << true << false;
    QTest::newRow("nothing") << QStringList{} << QStringList{} << "" << false << false;
    QTest::newRow("only broken") << QStringList{"garbage:Torvane_E_Resource"} << QStringList{} << ""
                                 << false << false;
}

void TestCatalogue::loadPreferred()
{
    QFETCH(QStringList, first);
    QFETCH(QStringList, second);
    QFETCH(QString, chosen);
    QFETCH(bool, english);
    QFETCH(bool, sibling);

    QTemporaryDir one;
    QTemporaryDir two;
    QVERIFY(one.isValid() && two.isValid());
    const auto fill = [](const QTemporaryDir &dir, const QStringList &files) {
        for (QString name : files) {
            const bool garbage = name.startsWith(QLatin1String("garbage:"));
            name.remove(QLatin1String("garbage:"));
            const QString target = dir.filePath(Catalogue::moduleFileName(name));
            if (garbage) {
                QFile file(target);
                if (!file.open(QIODevice::WriteOnly) || file.write("not a library\n") < 0)
                    return false;
                continue;
            }
            const QString source = modulePath(name.contains(QLatin1String("_E_"))
                                                  ? QStringLiteral("Torvane_E_Resource")
                                                  : QStringLiteral("Torvane_J_Resource"));
            if (!QFile::copy(source, target))
                return false;
        }
        return true;
    };
    QVERIFY(fill(one, first));
    QVERIFY(fill(two, second));

    Catalogue &c = Catalogue::instance();
    const Catalogue::Choice choice = c.loadPreferred({one.path(), two.path()});
    QString expectedPath;
    if (!chosen.isEmpty()) {
        const QTemporaryDir &dir = chosen.startsWith(QLatin1Char('1')) ? one : two;
        expectedPath = dir.filePath(Catalogue::moduleFileName(chosen.mid(2)));
    }
    QCOMPARE(choice.modulePath, expectedPath);
    QCOMPARE(choice.english, english);
    QCOMPARE(choice.siblingVariant, sibling);
    QCOMPARE(c.choice().modulePath, expectedPath);
    // The texts follow the language of the module in use.
    QCOMPARE(c.string(133), english ? QStringLiteral("Abort upload.")
                                    : QString::fromUtf8("ｱｯﾌﾟﾛｰﾄﾞを中止します。"));
}

void TestCatalogue::noModuleUsesBuiltinSilently()
{
    Catalogue &c = Catalogue::instance();
    QVERIFY(use(QStringLiteral("english")));
    QTemporaryDir empty;
    const Catalogue::Choice choice =
        c.loadPreferred({empty.path(), QString(), empty.filePath(QStringLiteral("missing"))});
    QVERIFY(choice.modulePath.isEmpty());
    QVERIFY(!choice.english);
    QVERIFY(!choice.siblingVariant);
    QCOMPARE(c.string(101), QString::fromUtf8("Kalderon_M2 のﾊﾞｰｼﾞｮﾝ情報(&A)..."));
    QCOMPARE(c.dialogCaption(102), QString::fromUtf8("ﾒｲﾝﾒﾆｭｰ"));
    QVERIFY(!c.bitmapPath(141).isEmpty());

    // A file that is not a module leaves the set as it was.
    QVERIFY(use(QStringLiteral("english")));
    QVERIFY(!c.loadModule(empty.filePath(QStringLiteral("libTorvane_J_Resource.so"))));
    QVERIFY(c.choice().english);
    QCOMPARE(c.string(267), QStringLiteral("Torvane"));
}

// A resource module carries data only: not even its resource functions are
// visible from outside.
void TestCatalogue::modulesExportNothing()
{
    for (const char *module : {"Torvane_E_Resource", "Torvane_J_Resource"}) {
        QLibrary library(modulePath(QLatin1String(module)));
        QVERIFY(library.load());
        for (const char *symbol :
             {"qInitResources_torvane_e_resource", "qInitResources_torvane_j_resource",
              "_Z33qInitResources_torvane_e_resourcev", "_Z33qInitResources_torvane_j_resourcev"})
            QVERIFY2(!library.resolve(symbol), symbol);
    }
}

void TestCatalogue::bitmaps_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("id");
    QTest::addColumn<QSize>("size");

    struct Entry
    {
        QList<int> ids;
        QSize size;
    };
    const QList<Entry> common{
        {{131, 132, 133, 134, 135, 136, 137, 141, 142, 143, 144, 195, 196, 205, 207}, {15, 15}},
        {{153}, {45, 33}},
        {{163, 164, 165, 166, 167}, {7, 17}},
        {{169, 170, 171, 172, 173}, {13, 21}},
        {{175}, {25, 25}},
        {{189, 194}, {26, 13}},
        {{217}, {24, 24}},
        {{235}, {23, 20}},
        {{236}, {27, 38}},
        {{237}, {33, 33}}};
    for (const char *set : {"english", "japanese", "builtin"}) {
        for (const Entry &entry : common) {
            for (int id : entry.ids)
                QTest::addRow("%s %d", set, id) << set << id << entry.size;
        }
    }
    QTest::newRow("english 138") << "english" << 138 << QSize(48, 48);
    QTest::newRow("english 168") << "english" << 168 << QSize(20, 216);
    QTest::newRow("english 3000") << "english" << 3000 << QSize(17, 17);
    QTest::newRow("english 3001") << "english" << 3001 << QSize(17, 17);
    QTest::newRow("builtin 168") << "builtin" << 168 << QSize(18, 216);
    QTest::newRow("japanese 168") << "japanese" << 168 << QSize(18, 216);
    for (const char *set : {"japanese", "builtin"}) {
        for (int id : {138, 3000, 3001})
            QTest::addRow("%s lacks %d", set, id) << set << id << QSize();
    }
    QTest::newRow("english lacks 130") << "english" << 130 << QSize();
}

void TestCatalogue::bitmaps()
{
    QFETCH(QString, set);
    QFETCH(int, id);
    QFETCH(QSize, size);
    QVERIFY(use(set));
    const QString path = Catalogue::instance().bitmapPath(id);
    if (!size.isValid()) {
        QVERIFY(path.isEmpty());
        return;
    }
    QVERIFY(!path.isEmpty());
    const QImage image(path);
    QCOMPARE(image.size(), size);
    // The lamp images are drawn on blue, their transparent colour.
    if (QList<int>{141, 142, 195, 143, 144, 196, 207}.contains(id)) {
        QCOMPARE(image.pixel(0, 0), qRgb(0, 0, 255));
        QCOMPARE(image.pixel(14, 14), qRgb(0, 0, 255));
    }
}

void TestCatalogue::moduleWithout217()
{
    Catalogue &c = Catalogue::instance();
    QVERIFY(use(QStringLiteral("english")));
    QVERIFY(!c.bitmapPath(217).isEmpty());

    const Catalogue::Choice choice = c.loadPreferred({No217Dir});
    QCOMPARE(choice.modulePath,
             QDir(No217Dir).filePath(QStringLiteral("libTorvane_E_Resource.so")));
    QVERIFY(choice.english);
    QVERIFY(c.bitmapPath(217).isEmpty());
    QVERIFY(!c.bitmapPath(141).isEmpty());
    QCOMPARE(c.string(159), QStringLiteral("Timeout error."));

    // Loading the full module again brings 217 back: the sets never mix.
    QVERIFY(use(QStringLiteral("english")));
    QVERIFY(!c.bitmapPath(217).isEmpty());
}

void TestCatalogue::icon()
{
    for (const char *set : {"english", "japanese", "builtin"}) {
        QVERIFY(use(QLatin1String(set)));
        const QStringList paths = Catalogue::instance().iconPaths();
        QCOMPARE(paths.size(), 3);
        QCOMPARE(QImage(paths.at(0)).size(), QSize(16, 16));
        QCOMPARE(QImage(paths.at(1)).size(), QSize(32, 32));
        QCOMPARE(QImage(paths.at(2)).size(), QSize(48, 48));
        QCOMPARE(Catalogue::instance().iconPath(), paths.at(2));
    }
}

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
