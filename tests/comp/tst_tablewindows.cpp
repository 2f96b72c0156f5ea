#include "app/parametergrid.h"
#include "comp/accuracygraphdialog.h"
#include "comp/accuracytabledialog.h"
#include "comp/indexmenudialog.h"
#include "comp/indextableeditor.h"
#include "comp/indextablemenudialog.h"
#include "comp/pointtabledialog.h"
#include "comp/tablenumberdialog.h"
#include "comp/tableselectdialog.h"
#include "corvex32ctrl.h"
#include "params/scriptedprompt.h"
#include "resources/catalogue.h"
#include "sim/drivestate.h"
#include "support/linkbench.h"
#include "support/windowbench.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Types a value into a grid's edit box and presses Enter.
void enter(TableDialog &dialog, const QString &text)
{
    retype(dialog.editBox(), text);
    dialog.button(1048)->click();
}

// Runs `answer` on the modal child dialog of type D that `press` opens.
template <typename D>
void answerModal(QWidget *owner, QPushButton *press, const std::function<void(D *)> &answer)
{
    QTimer::singleShot(0, owner, [owner, answer] {
        if (D *d = owner->findChild<D *>(QString(), Qt::FindDirectChildrenOnly))
            answer(d);
    });
    press->click();
}

const QString invalid = QStringLiteral("Data invalid or out of range");

} // namespace

// The index, absolute-accuracy and point table windows offscreen, against
// the virtual drive.
class TestTableWindows : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    BottomOwner m_bottom;
    ScriptedPrompt m_prompt;
    std::unique_ptr<QTemporaryDir> m_dir;

    VirtualDrive &drive() { return *m_bench->drive; }
    QByteArrayList sentAfter(qsizetype before) const { return m_bench->received().mid(before); }

private Q_SLOTS:
    void initTestCase() { QVERIFY(loadLanguage("E")); }

    void init()
    {
        m_bench = std::make_unique<LinkBench>();
        m_bench->link.pushOwner(&m_bottom);
        QVERIFY(m_bench->link.open());
        m_prompt = ScriptedPrompt();
        m_dir = std::make_unique<QTemporaryDir>();
    }

    void cleanup() { m_bench.reset(); }

    // A table read into the editor, changed there, written to the other
    // table and saved; the Index Menu opens the kind's menu.
    void indexTables_data()
    {
        QTest::addColumn<bool>("typeB");
        QTest::addColumn<QString>("menuTitle");
        QTest::addColumn<QString>("editorTitle");
        QTest::addColumn<QString>("selectTitle");
        QTest::newRow("index compensation") << false << "Index compensate menu"
                                            << "Index Compensation Table"
                                            << "Index TypeA  file Select";
        QTest::newRow("unequal division") << true << "Index TypeB Menu"
                                          << "Index TypeB Compensation Table"
                                          << "Index TypeB  file Select";
    }
    void indexTables()
    {
        QFETCH(bool, typeB);
        QFETCH(QString, menuTitle);
        QFETCH(QString, editorTitle);
        QFETCH(QString, selectTitle);
        IndexMenuDialog index(m_bench->link);
        QCOMPARE(index.windowTitle(), QStringLiteral("Index Menu"));
        IndexTableMenuDialog *menu = typeB ? index.typeBMenu() : index.typeAMenu();
        menu->setPrompt(&m_prompt);
        const int table = typeB ? 1 : 0;
        int chosen = table;
        menu->setTableChooser([&] { return chosen; });
        QCOMPARE(menu->windowTitle(), menuTitle);
        const TableSelectDialog select(menu->transfer().kind().selectCaption);
        QCOMPARE(select.windowTitle(), selectTitle);
        QCOMPARE(select.tableBox()->count(), 2);

        menu->show();
        QCOMPARE(m_bench->link.owner(), &menu->transfer());
        IndexTableEditor *editor = menu->editor();
        QCOMPARE(editor->windowTitle(), editorTitle);
        editor->show();
        editor->button(1005)->click();
        QVERIFY(!editor->button(1004)->isEnabled()); // busy while it reads
        QTRY_VERIFY(editor->button(1004)->isEnabled());
        const SimTable &stored =
            typeB ? drive().state().divisionTables[table] : drive().state().indexTables[table];
        QCOMPARE(editor->entries().size(), stored.entries.size());
        QCOMPARE(editor->divisionLabel()->text(), QString::number(stored.entries.size()));

        editor->grid()->selectRow(1);
        enter(*editor, QStringLiteral("1:2"));
        QCOMPARE(m_prompt.messages, QStringList{invalid});
        enter(*editor, QStringLiteral("-1"));
        QCOMPARE(editor->entries().at(1), QByteArray("-1"));
        QCOMPARE(editor->grid()->currentRow(), 2);

        chosen = 1 - table;
        const qsizetype before = m_bench->received().size();
        editor->button(1004)->click();
        QTRY_COMPARE(m_prompt.messages.last(), QStringLiteral("Download completed."));
        const QByteArray prefix = typeB ? "TB1:" : "TC1:";
        QCOMPARE(sentAfter(before).at(2), prefix + "FFFFFFFF");
        const SimTable &other = typeB ? drive().state().divisionTables[1 - table]
                                      : drive().state().indexTables[1 - table];
        QCOMPARE(other.entries.size(), editor->entries().size());
        QCOMPARE(other.entries.at(1), -1);

        const QString file =
            m_dir->filePath(QStringLiteral("t.") + menu->transfer().kind().extension);
        m_prompt.files = {file};
        editor->button(1009)->click();
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Save completed."));
        QVERIFY(fileBytes(file).startsWith("  0|         0\r\n  1|        -1\r\n"));
        editor->accept();
        menu->accept();
        QCOMPARE(m_bench->link.owner(), &m_bottom);

        // The Index Menu's buttons open the menus modally.
        bool opened = false;
        QTimer::singleShot(0, menu, [&] {
            opened = menu->isVisible() && m_bench->link.owner() == &menu->transfer();
            menu->accept();
        });
        index.button(typeB ? 1002 : 1001)->click();
        QVERIFY(opened);
        QCOMPARE(m_bench->link.owner(), &m_bottom);
    }

    // The two number dialogs keep a number out of range with its message.
    void numberDialogs_data()
    {
        QTest::addColumn<int>("dialogId");
        QTest::addColumn<int>("lowest");
        QTest::addColumn<int>("highest");
        QTest::addColumn<int>("rangeText");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("message"); // empty: accepted
        const QString divide = QStringLiteral("Compensation table number are 1 to 100.");
        const QString size = QStringLiteral("Abs acc compensation table numbers are 2 to 360.");
        QTest::newRow("divide 0") << 234 << 1 << 100 << 186 << 0 << divide;
        QTest::newRow("divide 101") << 234 << 1 << 100 << 238 << 101 << divide;
        QTest::newRow("divide 100") << 234 << 1 << 100 << 186 << 100 << QString();
        QTest::newRow("size 1") << 255 << 2 << 360 << 209 << 1 << size;
        QTest::newRow("size 2") << 255 << 2 << 360 << 209 << 2 << QString();
    }
    void numberDialogs()
    {
        QFETCH(int, dialogId);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        QFETCH(int, rangeText);
        QFETCH(int, value);
        QFETCH(QString, message);
        TableNumberDialog dialog(dialogId, lowest, highest, rangeText, m_prompt);
        dialog.show();
        dialog.setValue(value);
        dialog.accept();
        QCOMPARE(dialog.isVisible(), !message.isEmpty());
        QCOMPARE(m_prompt.messages, message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(dialog.value(), value);
    }

    // Size, values through the box, the graph, download, upload, a file.
    void accuracyTable()
    {
        AccuracyTableDialog dialog(m_bench->link);
        dialog.setPrompt(&m_prompt);
        dialog.show();
        QCOMPARE(m_bench->link.owner(), &dialog.transfer());
        QCOMPARE(dialog.grid()->rowCount(), 360);
        answerModal<TableNumberDialog>(&dialog, dialog.button(1010), [](TableNumberDialog *d) {
            d->setValue(1);
            d->accept();
            d->setValue(3);
            d->accept();
        });
        QCOMPARE(m_prompt.messages,
                 QStringList{QStringLiteral("Abs acc compensation table numbers are 2 to 360.")});
        QCOMPARE(dialog.grid()->rowCount(), 3);

        dialog.grid()->selectRow(0);
        enter(dialog, QStringLiteral("1000000000"));
        QCOMPARE(m_prompt.messages.last(), invalid);
        enter(dialog, QStringLiteral("-40"));
        enter(dialog, QStringLiteral("120"));
        const QByteArrayList entries{"-40", "120", "0"};
        QCOMPARE(dialog.entries(), entries);

        // The curve closes with entry 0; 120 takes the ±200 scale.
        bool drawn = false;
        answerModal<AccuracyGraphDialog>(&dialog, dialog.button(1011), [&](AccuracyGraphDialog *g) {
            drawn = g->graph()->dataCount() == 4 && g->graph()->data(0, 3) == -40 &&
                    g->graph()->highValue(0) == 200;
            g->accept();
        });
        QVERIFY(drawn);

        qsizetype before = m_bench->received().size();
        dialog.button(1004)->click();
        QTRY_COMPARE(m_prompt.messages.last(), QStringLiteral("Registered."));
        QCOMPARE(sentAfter(before),
                 (QByteArrayList{"@85:3", "TE1:0:-40", "TE1:1:120", "TE1:2:0", "@85:0"}));
        dialog.button(1006)->click();
        QCOMPARE(dialog.entries(), QByteArrayList(3, "0"));
        dialog.button(1005)->click();
        QVERIFY(!dialog.button(1005)->isEnabled());
        QTRY_VERIFY(dialog.button(1005)->isEnabled());
        QCOMPARE(dialog.entries(), entries);

        const QString file = m_dir->filePath(QStringLiteral("t.aac"));
        m_prompt.files = {file};
        dialog.button(1009)->click();
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Save completed."));
        QCOMPARE(fileBytes(file),
                 QByteArray("  0:       -40:\r\n  1:       120:\r\n  2:         0:\r\n"));
        dialog.setSize(2);
        m_prompt.files = {file};
        dialog.button(1008)->click();
        QCOMPARE(dialog.entries(), entries);
        dialog.accept();
        QCOMPARE(m_bench->link.owner(), &m_bottom);
    }

    // Read when it opens, a value and an attribute changed through the box,
    // written back whole.
    void pointTable()
    {
        PointTableDialog dialog(m_bench->link);
        dialog.setPrompt(&m_prompt);
        dialog.show();
        QTRY_COMPARE(dialog.items().at(2), QByteArray("20000"));
        QTRY_VERIFY(dialog.button(1004)->isEnabled());
        QCOMPARE(dialog.items().at(100), QByteArray("1"));

        dialog.grid()->setCurrentCell(5, 2);
        enter(dialog, QStringLiteral("7"));
        dialog.grid()->setCurrentCell(5, 1);
        enter(dialog, QStringLiteral("1000000000"));
        QCOMPARE(m_prompt.messages, QStringList{invalid});
        dialog.grid()->setCurrentCell(5, 1);
        enter(dialog, QStringLiteral("-5"));
        QCOMPARE(dialog.grid()->cellText(5, 1), QStringLiteral("-5"));
        QCOMPARE(dialog.grid()->cellText(5, 2), QStringLiteral("7"));

        const qsizetype before = m_bench->received().size();
        dialog.button(1004)->click();
        QTRY_COMPARE(m_prompt.messages.last(), QStringLiteral("Registered."));
        QCOMPARE(sentAfter(before).size(), 200);
        QCOMPARE(drive().item(605), std::optional<qint32>(-5));
        QCOMPARE(drive().item(705), std::optional<qint32>(7));
        dialog.accept();
        QCOMPARE(m_bench->link.owner(), &m_bottom);
    }

    // Writes every table window, in English and Japanese, to
    // TORVANE_SHOTS_DIR.
    void grabWindows()
    {
        const QString dir = qEnvironmentVariable("TORVANE_SHOTS_DIR");
        if (dir.isEmpty())
            QSKIP("set TORVANE_SHOTS_DIR to grab the windows");
        QDir().mkpath(dir);
        for (const char *language : {"E", "J"}) {
            QVERIFY(loadLanguage(language));
            const QString prefix =
                dir + QLatin1Char('/') + QLatin1String(language) + QLatin1Char('-');
            const auto save = [&](QWidget &w, const char *name) {
                w.show();
                QVERIFY(w.grab().save(prefix + QLatin1String(name) + QStringLiteral(".png")));
                w.hide();
            };
            IndexMenuDialog index(m_bench->link);
            save(index, "index-menu");
            for (IndexTableMenuDialog *menu : {index.typeAMenu(), index.typeBMenu()}) {
                const bool b = menu == index.typeBMenu();
                save(*menu, b ? "index-b-menu" : "index-a-menu");
                menu->editor()->setEntries({"0", "5", "-3", "2", "-2147483648", "4"});
                save(*menu->editor(), b ? "index-b-editor" : "index-a-editor");
                TableSelectDialog select(menu->transfer().kind().selectCaption);
                save(select, b ? "index-b-select" : "index-a-select");
                menu->done(0);
            }
            TableNumberDialog divide(234, 1, 100, 186, m_prompt);
            save(divide, "divide-number");
            TableNumberDialog size(255, 2, 360, 209, m_prompt);
            save(size, "accuracy-size");

            AccuracyTableDialog accuracy(m_bench->link);
            QByteArrayList entries;
            for (int i = 0; i < 36; ++i)
                entries.append(QByteArray::number(int(90 * std::sin(i / 5.7))));
            accuracy.setEntries(entries);
            save(accuracy, "accuracy-table");
            accuracy.graphDialog()->setEntries(entries);
            save(*accuracy.graphDialog(), "accuracy-graph");
            accuracy.done(0);

            PointTableDialog points(m_bench->link);
            points.setPrompt(&m_prompt);
            points.show();
            QTRY_COMPARE(points.items().at(2), QByteArray("20000"));
            QTRY_VERIFY(points.button(1004)->isEnabled());
            save(points, "point-table");
            points.done(0);
        }
        QVERIFY(loadLanguage("E"));
        QVERIFY(m_prompt.messages.isEmpty());
    }
};

QTEST_MAIN(TestTableWindows)
#include "tst_tablewindows.moc"
