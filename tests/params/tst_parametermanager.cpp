#include "app/appsettings.h"
#include "app/mainmenuwindow.h"
#include "drivebench.h"
#include "link/portmap.h"
#include "params/parameterfeature.h"
#include "params/parameterfile.h"
#include "params/parametermanagerdialog.h"
#include "params/parameterprintout.h"
#include "params/parameterviewdialog.h"
#include "resources/catalogue.h"
#include "scriptedprompt.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using Outcome = ParameterTransfer::Outcome;

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// The window below the manager on the owner stack.
class BottomOwner : public LinkOwner
{
public:
    void onLinkTimeout() override {}
    void onLinkReply(const QByteArray &) override {}
};

int pdfPageCount(const QString &path)
{
    const QByteArray pdf = fileBytes(path);
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page[^s]"));
    return int(QString::fromLatin1(pdf).count(page));
}

// Screenshots for a person to look at, when TORVANE_SHOTS names a folder.
void shoot(QWidget *widget, const char *name)
{
    const QString dir = qEnvironmentVariable("TORVANE_SHOTS");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget->grab().save(dir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

} // namespace

class TestParameterManager : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriveBench> m_bench;
    BottomOwner m_bottom;
    ScriptedPrompt m_prompt;
    std::unique_ptr<ParameterManagerDialog> m_dialog;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    ParameterTransfer &transfer() { return m_dialog->transfer(); }

    // Clicks a button of the manager and waits for the operation to end.
    Outcome click(int controlId, const QString &file = QString())
    {
        if (!file.isEmpty())
            m_prompt.files.append(file);
        QSignalSpy finished(&transfer(), &ParameterTransfer::finished);
        QTest::mouseClick(m_dialog->button(controlId), Qt::LeftButton);
        if (finished.isEmpty() && !finished.wait(30000))
            return Outcome::Cancelled;
        return finished.last().at(0).value<Outcome>();
    }

    // The buttons that can be enabled, as they stand.
    QList<bool> buttonStates() const
    {
        QList<bool> states;
        for (int id : {1005, 1004, 1068, 1061, 1})
            states.append(m_dialog->button(id)->isEnabled());
        return states;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Catalogue::instance().loadModule(
            QStringLiteral(TORVANE_BIN_DIR "/") +
            Catalogue::moduleFileName(QStringLiteral("Torvane_E_Resource"))));
        AppSettings::instance().setEnglish(true);
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_bench = std::make_unique<DriveBench>(DriveBench::Virtual);
        m_bench->link.pushOwner(&m_bottom);
        m_bench->link.open();
        m_prompt = ScriptedPrompt();
        m_dialog = std::make_unique<ParameterManagerDialog>(m_bench->link);
        m_dialog->setPrompt(&m_prompt);
        transfer().setClock([] { return QDateTime(QDate(2024, 3, 5), QTime(9, 7)); });
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    }

    void cleanup()
    {
        m_dialog.reset();
        m_bench.reset();
    }

    void texts()
    {
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Parameter Manager"));
        const QList<std::pair<int, QString>> captions{
            {1010, QStringLiteral("Machine\nParameterEdit(&M)")},
            {1005, QStringLiteral("Upload(&U)")},
            {1004, QStringLiteral("Download(&D)")},
            {1068, QStringLiteral("View file(&V)")},
            {1061, QStringLiteral("Reset Com(&R)")},
            {1, QStringLiteral("Exit(&X)")}};
        for (const auto &[id, caption] : captions)
            QCOMPARE(m_dialog->button(id)->text(), caption);
        QVERIFY(m_dialog->button(1010)->isEnabled());
        QVERIFY(!m_dialog->lamp()->pixmap().isNull());
        shoot(m_dialog.get(), "parameter-manager");
    }

    // Open: the exchange owns the link. Exit: the window below owns it again.
    void ownsLinkWhileOpen()
    {
        QCOMPARE(m_bench->link.owner(), &transfer());
        QCOMPARE(m_bench->link.ownerCount(), 2);
        QTest::mouseClick(m_dialog->button(1), Qt::LeftButton);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_bench->link.owner(), &m_bottom);
        QCOMPARE(m_bench->link.ownerCount(), 1);
        QVERIFY(m_bench->link.isOpen());
        // Each opening takes it again.
        m_dialog->show();
        QCOMPARE(m_bench->link.owner(), &transfer());
        m_dialog->reject();
        QCOMPARE(m_bench->link.owner(), &m_bottom);
    }

    // Every button is disabled while an operation runs, Exit and Escape
    // included, and comes back with the focus on Exit.
    void busyButtons()
    {
        QList<bool> during;
        bool stillOpen = false;
        connect(&transfer(), &ParameterTransfer::lampToggled, this, [&] {
            if (!during.isEmpty())
                return;
            during = buttonStates();
            m_dialog->reject();
            stillOpen = m_dialog->isVisible();
        });
        QCOMPARE(click(1005, path("a.prm")), Outcome::Succeeded);
        QCOMPARE(during, (QList<bool>{false, false, false, false, false}));
        QVERIFY(stillOpen);
        QCOMPARE(buttonStates(), (QList<bool>{true, true, true, true, true}));
        QVERIFY(m_dialog->button(1010)->isEnabled());
        QCOMPARE(QApplication::focusWidget(), m_dialog->button(1));
        QCOMPARE(m_prompt.messages, QStringList{QStringLiteral("Upload completed.")});
    }

    // Upload, change one value in the file, download (the manager closes
    // when the drive restarts), open again, upload: the change is there.
    void endToEnd()
    {
        QCOMPARE(click(1005, path("a.prm")), Outcome::Succeeded);
        QByteArray text = fileBytes(path("a.prm"));
        text.replace(" InPositionWidth       |#  8=         100",
                     " InPositionWidth       |#  8=         321");
        writeBytes(path("a.prm"), text);

        QSignalSpy closed(&transfer(), &ParameterTransfer::closeRequested);
        QCOMPARE(click(1004, path("a.prm")), Outcome::Succeeded);
        QCOMPARE(closed.size(), 1);
        QVERIFY(!m_dialog->isVisible());
        QCOMPARE(m_bench->link.owner(), &m_bottom);
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Download completed.\n\nReset driver."));
        QCOMPARE(m_bench->drive->item(8), std::optional<qint32>(321));

        QTest::qWait(100); // the drive's restart
        m_dialog->show();
        QCOMPARE(buttonStates(), (QList<bool>{true, true, true, true, true}));
        QCOMPARE(click(1005, path("b.prm")), Outcome::Succeeded);
        QVERIFY(fileBytes(path("b.prm")).contains(" InPositionWidth       |#  8=         321\r\n"));
    }

    // A refused value is reported and every other value is written.
    void refusedValue()
    {
        QCOMPARE(click(1005, path("a.prm")), Outcome::Succeeded);
        QByteArray text = fileBytes(path("a.prm"));
        text.replace("|#207=           1", "|#207=           3");
        text.replace("|# 40=           0", "|# 40=        1500");
        writeBytes(path("a.prm"), text);
        QCOMPARE(click(1004, path("a.prm")), Outcome::Succeeded);
        QCOMPARE(m_prompt.messages.last(),
                 QStringLiteral("Download completed.\nAs the data or parameter no. is out of "
                                "range, parameters could not be downloaded.\n#207, "
                                "\n\nReset driver."));
        QCOMPARE(m_bench->drive->item(40), std::optional<qint32>(1500));
        QCOMPARE(m_bench->drive->item(207), std::optional<qint32>(1));
    }

    // View file: the viewer shows the file in a fixed-pitch font (English
    // module) with its own captions.
    void viewFile()
    {
        QCOMPARE(click(1005, path("a.prm")), Outcome::Succeeded);
        m_prompt.files.append(path("a.prm"));
        QString shownText;
        QString title;
        QStringList captions;
        bool fixedPitch = false;
        bool viewerFocus = false;
        QTimer::singleShot(0, this, [&] {
            auto *viewer = qobject_cast<ParameterViewDialog *>(QApplication::activeModalWidget());
            QVERIFY(viewer);
            shownText = viewer->text();
            title = viewer->windowTitle();
            captions = {viewer->button(1215)->text(), viewer->button(1)->text()};
            // Every character as wide as any other: the columns line up.
            const QFontMetrics metrics(viewer->editor()->font());
            fixedPitch = metrics.horizontalAdvance(QStringLiteral("iiiii")) ==
                             metrics.horizontalAdvance(QStringLiteral("MMMMM")) &&
                         metrics.horizontalAdvance(QLatin1Char('|')) ==
                             metrics.horizontalAdvance(QLatin1Char('#'));
            QVERIFY(viewer->editor()->isReadOnly());
            viewerFocus = viewer->focusWidget() == viewer->button(1);
            viewer->resize(760, 560);
            shoot(viewer, "parameter-viewer");
            QTest::mouseClick(viewer->button(1), Qt::LeftButton);
        });
        QTest::mouseClick(m_dialog->button(1068), Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("View parameter file"));
        QCOMPARE(captions, (QStringList{QStringLiteral("Print(&P)"), QStringLiteral("Exit(&X)")}));
        QVERIFY(fixedPitch);
        QCOMPARE(shownText.toLatin1(), fileBytes(path("a.prm")));
        QVERIFY(viewerFocus);
        QCOMPARE(m_dialog->focusWidget(), m_dialog->button(1));
    }

    // The main menu's "Paramater(&M)" opens the manager, which takes the link
    // from the main window and gives it back on Exit.
    void mainMenuFeature()
    {
        m_dialog.reset();
        DriveLink::setInstance(&m_bench->link);
        PortMap map;
        MainMenuWindow window(m_bench->link, map, nullptr);
        m_bench->link.popOwner();
        m_bench->link.pushOwner(&window);
        registerParameterFeatures(window);
        QVERIFY(window.button(1001)->isEnabled());
        const LinkOwner *ownerWhileOpen = nullptr;
        QTimer::singleShot(0, this, [&] {
            auto *manager =
                qobject_cast<ParameterManagerDialog *>(QApplication::activeModalWidget());
            QVERIFY(manager);
            ownerWhileOpen = m_bench->link.owner();
            QVERIFY(ownerWhileOpen == &manager->transfer());
            QTest::mouseClick(manager->button(1), Qt::LeftButton);
        });
        window.openFeature(1001);
        QVERIFY(ownerWhileOpen);
        QCOMPARE(m_bench->link.owner(), static_cast<LinkOwner *>(&window));
        DriveLink::setInstance(nullptr);
    }

    // --- Print-out -----------------------------------------------------------

    void rowsPerPage_data()
    {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("lineHeight");
        QTest::addColumn<int>("rows");
        QTest::newRow("A4 at 10 pt") << 3300 << 50 << 62;
        QTest::newRow("not a whole number") << 1009 << 10 << 96;
        QTest::newRow("tiny page") << 40 << 10 << 1;
        QTest::newRow("no line height") << 1000 << 0 << 1;
    }

    void rowsPerPage()
    {
        QFETCH(int, height);
        QFETCH(int, lineHeight);
        QFETCH(int, rows);
        QCOMPARE(ParameterPrintout::rowsPerPage(height, lineHeight), rows);
    }

    void paginate_data()
    {
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QList<int>>("pageSizes");
        QTest::newRow("nothing") << 0 << 10 << QList<int>{};
        QTest::newRow("one line") << 1 << 10 << QList<int>{1};
        // A full page is not followed by an empty one.
        QTest::newRow("exactly one page") << 10 << 10 << QList<int>{10};
        QTest::newRow("one more") << 11 << 10 << QList<int>{10, 1};
        QTest::newRow("long file") << 313 << 62 << QList<int>{62, 62, 62, 62, 62, 3};
    }

    void paginate()
    {
        QFETCH(int, lines);
        QFETCH(int, rows);
        QFETCH(QList<int>, pageSizes);
        QStringList text;
        for (int i = 0; i < lines; ++i)
            text.append(QString::number(i));
        const QList<QStringList> pages = ParameterPrintout::paginate(text, rows);
        QList<int> sizes;
        QStringList joined;
        for (const QStringList &page : pages) {
            sizes.append(int(page.size()));
            joined += page;
        }
        QCOMPARE(sizes, pageSizes);
        QCOMPARE(joined, text);
    }

    // Printing to a PDF file: the viewer's Print button with the print dialog
    // answered by the test.
    void printToPdf_data()
    {
        QTest::addColumn<int>("lineCount");
        QTest::newRow("one page") << 20;
        QTest::newRow("uploaded file") << -1;
        QTest::newRow("long file") << 1200;
    }

    void printToPdf()
    {
        QFETCH(int, lineCount);
        QCOMPARE(click(1005, path("a.prm")), Outcome::Succeeded);
        QByteArrayList lines = *ParameterFile::read(path("a.prm"));
        if (lineCount >= 0) {
            while (lines.size() < lineCount)
                lines.append("Extra                  |#" + QByteArray::number(lines.size()) +
                             "=           1");
            lines = lines.mid(0, lineCount);
        }

        ParameterViewDialog viewer;
        viewer.setFile(lines, path("a.prm"));
        const QString pdf = path("print.pdf");
        viewer.setPrinterChooser([&](QPrinter &printer, QWidget *) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            printer.setPageSize(QPageSize(QPageSize::A4));
            return true;
        });
        viewer.print();
        QVERIFY(QFile::exists(pdf));
        const int pages = pdfPageCount(pdf);
        // Between 40 and 100 rows fit an A4 page at 10 points.
        const int count = int(lines.size());
        QVERIFY2(pages >= (count + 99) / 100 && pages <= (count + 39) / 40,
                 QByteArray::number(pages));
        QVERIFY(viewer.button(1215)->isEnabled());
        QVERIFY(viewer.button(1)->isEnabled());
        if (lineCount < 0 && !qEnvironmentVariable("TORVANE_SHOTS").isEmpty())
            QFile::copy(pdf, qEnvironmentVariable("TORVANE_SHOTS") + QStringLiteral("/print.pdf"));
    }

    void printCancelled()
    {
        ParameterViewDialog viewer;
        viewer.setFile({"a|", "b|"}, path("x.prm"));
        bool asked = false;
        viewer.setPrinterChooser([&](QPrinter &, QWidget *) {
            asked = true;
            return false;
        });
        viewer.print();
        QVERIFY(asked);
        QVERIFY(QDir(m_dir->path()).entryList(QDir::Files).isEmpty());
    }
};

QTEST_MAIN(TestParameterManager)
#include "tst_parametermanager.moc"
