#include "app/appsettings.h"
#include "app/lampimages.h"
#include "app/parametergrid.h"
#include "drivebench.h"
#include "params/machineparameterdialog.h"
#include "params/parametermanagerdialog.h"
#include "resources/catalogue.h"
#include "scriptedprompt.h"

#include <QApplication>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

class BottomOwner : public LinkOwner
{
public:
    void onLinkTimeout() override {}
    void onLinkReply(const QByteArray &) override {}
};

bool loadModule(const char *language)
{
    const bool ok = Catalogue::instance().loadModule(
        QStringLiteral(TORVANE_BIN_DIR "/") +
        Catalogue::moduleFileName(
            QStringLiteral("Torvane_%1_Resource").arg(QLatin1String(language))));
    LampImages::instance().load();
    return ok;
}

QList<bool> enabled(const MachineParameterDialog &dialog)
{
    return {dialog.button(1048)->isEnabled(), dialog.button(1007)->isEnabled(),
            dialog.button(1)->isEnabled()};
}

} // namespace

class TestMachineParameterDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriveBench> m_bench;
    BottomOwner m_bottom;
    ScriptedPrompt m_prompt;
    std::unique_ptr<MachineParameterDialog> m_dialog;

    ParameterGrid *grid() const { return m_dialog->grid(); }

    void openDialog()
    {
        m_dialog = std::make_unique<MachineParameterDialog>(m_bench->link);
        m_dialog->setPrompt(&m_prompt);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->edit().isBusy() && grid()->rowCount() > 0, 5000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(loadModule("E"));
        AppSettings::instance().setEnglish(true);
    }

    void init()
    {
        m_bench = std::make_unique<DriveBench>(DriveBench::Virtual);
        m_bench->link.pushOwner(&m_bottom);
        m_bench->link.open();
        m_prompt = ScriptedPrompt();
        openDialog();
    }

    void cleanup()
    {
        m_dialog.reset();
        m_bench.reset();
    }

    void layout()
    {
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("MachineParameterEdit"));
        QStringList headers;
        for (int i = 0; i < grid()->columnCount(); ++i)
            headers.append(grid()->horizontalHeaderItem(i)->text());
        QCOMPARE(headers, (QStringList{QStringLiteral("No."), QStringLiteral("Name"),
                                       QStringLiteral("Value")}));
        QCOMPARE(m_dialog->button(1048)->text(), QStringLiteral("Enter"));
        QCOMPARE(m_dialog->button(1007)->text(), QStringLiteral("Set(&S)"));
        QStringList labels;
        for (const QLabel *label : m_dialog->findChildren<QLabel *>())
            labels.append(label->text());
        QVERIFY(labels.contains(QStringLiteral("SettingValue")));
        // English texts in the grid: Times New Roman at 8 points.
        QCOMPARE(grid()->font().family(), QStringLiteral("Times New Roman"));
        QCOMPARE(grid()->font().pointSize(), 8);
        // The first row is selected, its value in the box; group 1 scrolls.
        QCOMPARE(grid()->cellText(0, 0), QStringLiteral("#1"));
        QCOMPARE(grid()->currentRow(), 0);
        QCOMPARE(m_dialog->valueBox()->text(), grid()->cellText(0, 2));
        QVERIFY(grid()->verticalScrollBar()->maximum() > 0);
        QCOMPARE(enabled(*m_dialog), (QList<bool>{true, true, true}));
    }

    // While the group is read nothing can be pressed, Escape included.
    void busyWhileReading()
    {
        m_dialog.reset();
        m_dialog = std::make_unique<MachineParameterDialog>(m_bench->link);
        m_dialog->setPrompt(&m_prompt);
        m_dialog->show();
        QVERIFY(m_dialog->edit().isBusy());
        QCOMPARE(enabled(*m_dialog), (QList<bool>{false, false, false}));
        m_dialog->reject();
        QVERIFY(m_dialog->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->edit().isBusy(), 5000);
        QCOMPARE(enabled(*m_dialog), (QList<bool>{true, true, true}));
    }

    // Selecting a value cell puts its text into the box and the focus there.
    void selectCopiesValue()
    {
        grid()->setCurrentCell(4, 2);
        QCOMPARE(m_dialog->valueBox()->text(), grid()->cellText(4, 2));
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(m_dialog->valueBox()));
        QTest::keyClick(m_dialog->valueBox(), Qt::Key_Down);
        QCOMPARE(grid()->currentRow(), 5);
        QCOMPARE(m_dialog->valueBox()->text(), grid()->cellText(5, 2));
    }

    void enter_data()
    {
        QTest::addColumn<bool>("lastRow");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("byButton");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::newRow("leading zeros")
            << false << QStringLiteral("007") << false << QStringLiteral("7");
        QTest::newRow("by the button")
            << false << QStringLiteral("-42") << true << QStringLiteral("-42");
        QTest::newRow("last row stays")
            << true << QStringLiteral("12") << false << QStringLiteral("12");
        QTest::newRow("decimal point") << false << QStringLiteral("1.5") << false << QString();
        QTest::newRow("lone minus") << false << QStringLiteral("-") << true << QString();
        QTest::newRow("above 32 bits")
            << true << QStringLiteral("4294967296") << false << QString();
    }

    void enter()
    {
        QFETCH(bool, lastRow);
        QFETCH(QString, typed);
        QFETCH(bool, byButton);
        QFETCH(QString, stored);
        const int row = lastRow ? grid()->rowCount() - 1 : 2;
        grid()->selectRow(row);
        const QString before = grid()->cellText(row, 2);
        QLineEdit *box = m_dialog->valueBox();
        box->clear();
        QTest::keyClicks(box, typed);
        if (byButton)
            QTest::mouseClick(m_dialog->button(1048), Qt::LeftButton);
        else
            QTest::keyClick(box, Qt::Key_Return);

        if (stored.isEmpty()) {
            QCOMPARE(m_prompt.messages,
                     QStringList{QStringLiteral("Data invalid or out of range")});
            QCOMPARE(grid()->cellText(row, 2), before);
            QCOMPARE(m_dialog->edit().rows().at(row).value, before.toLatin1());
            QCOMPARE(grid()->currentRow(), row);
            QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(box));
        } else {
            QVERIFY(m_prompt.messages.isEmpty());
            QCOMPARE(grid()->cellText(row, 2), stored);
            QCOMPARE(m_dialog->edit().rows().at(row).value, stored.toLatin1());
            const int next = lastRow ? row : row + 1;
            QCOMPARE(grid()->currentRow(), next);
            QCOMPARE(box->text(), grid()->cellText(next, 2));
        }
        QVERIFY(m_dialog->isVisible()); // Return is the box's, not the dialog's
    }

    // A value typed in the window reaches the drive; the drive's restart
    // closes the window and the link goes back to the window below.
    void setWritesTheDrive()
    {
        int row = -1;
        for (int i = 0; i < grid()->rowCount(); ++i) {
            if (grid()->cellText(i, 0) == QStringLiteral("#9"))
                row = i;
        }
        QVERIFY(row >= 0);
        grid()->selectRow(row);
        m_dialog->valueBox()->setText(QStringLiteral("00777"));
        QTest::keyClick(m_dialog->valueBox(), Qt::Key_Return);
        QTest::mouseClick(m_dialog->button(1007), Qt::LeftButton);
        QCOMPARE(enabled(*m_dialog), (QList<bool>{false, false, false}));
        QTRY_VERIFY_WITH_TIMEOUT(!m_dialog->isVisible(), 10000);
        QCOMPARE(m_prompt.messages,
                 QStringList{QStringLiteral("Download completed.\n\nReset driver.")});
        QCOMPARE(m_bench->drive->item(9), std::optional<qint32>(777));
        QCOMPARE(m_bench->count("#9=777"), 1);
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&m_bottom));
    }

    // The manager's first button opens the editor on top of the manager.
    void fromParameterManager()
    {
        m_dialog.reset();
        ParameterManagerDialog manager(m_bench->link);
        manager.setPrompt(&m_prompt);
        manager.show();
        QVERIFY(QTest::qWaitForWindowExposed(&manager));
        QVERIFY(manager.button(1010)->isEnabled());
        bool opened = false;
        int rows = 0;
        QTimer::singleShot(0, this, [&] {
            auto *editor =
                qobject_cast<MachineParameterDialog *>(QApplication::activeModalWidget());
            QVERIFY(editor);
            opened = true;
            QTRY_VERIFY_WITH_TIMEOUT(!editor->edit().isBusy(), 5000);
            rows = editor->grid()->rowCount();
            QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&editor->edit()));
            QTest::mouseClick(editor->button(1), Qt::LeftButton);
        });
        QTest::mouseClick(manager.button(1010), Qt::LeftButton);
        QVERIFY(opened);
        QVERIFY(rows > 0);
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&manager.transfer()));
    }

    // Writes the window in English and Japanese to TORVANE_SHOTS_DIR.
    void grabWindows()
    {
        const QString dir = qEnvironmentVariable("TORVANE_SHOTS_DIR");
        if (dir.isEmpty())
            QSKIP("set TORVANE_SHOTS_DIR to grab the windows");
        QDir().mkpath(dir);
        for (const char *language : {"E", "J"}) {
            const bool english = language[0] == 'E';
            QVERIFY(loadModule(language));
            AppSettings::instance().setEnglish(english);
            m_bench->drive->forceItem(201, english ? 1 : 0);
            m_dialog.reset();
            openDialog();
            grid()->selectRow(3);
            QVERIFY(m_dialog->grab().save(dir + QLatin1Char('/') + QLatin1String(language) +
                                          QStringLiteral("-machine-parameters.png")));
        }
        QVERIFY(loadModule("E"));
        AppSettings::instance().setEnglish(true);
    }
};

QTEST_MAIN(TestMachineParameterDialog)
#include "tst_machineparameterdialog.moc"
