#include "app/appsettings.h"
#include "modalscript.h"
#include "params/scriptedprompt.h"
#include "programs/programeditdialog.h"
#include "programs/programindexdialog.h"
#include "programs/programpropertydialog.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Outcome = ProgramTransfer::Outcome;

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

class BottomOwner : public LinkOwner
{
public:
    void onLinkTimeout() override {}
    void onLinkReply(const QByteArray &) override {}
};

} // namespace

class TestProgramEditDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    BottomOwner m_bottom;
    ScriptedPrompt m_prompt;
    std::unique_ptr<ProgramEditDialog> m_dialog;
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }

    // Presses a button whose "Property" is answered with this window,
    // number and options; waits for an exchange when one starts.
    void press(int controlId, int window, int number = 0, quint32 options = 0)
    {
        ModalScript script;
        script.then<ProgramPropertyDialog>([=](ProgramPropertyDialog *dialog) {
            dialog->setWindow(window);
            dialog->setNumber(number);
            dialog->setOptions(options);
            dialog->accept();
        });
        QSignalSpy finished(&m_dialog->transfer(), &ProgramTransfer::finished);
        QTest::mouseClick(m_dialog->button(controlId), Qt::LeftButton);
        if (m_dialog->transfer().isBusy())
            QVERIFY(finished.wait(10000));
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
        m_bench = std::make_unique<LinkBench>(LinkBench::Virtual);
        m_bench->link.pushOwner(&m_bottom);
        m_bench->link.open();
        m_prompt = ScriptedPrompt();
        m_dialog = std::make_unique<ProgramEditDialog>(m_bench->link);
        m_dialog->setPrompt(&m_prompt);
        m_dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog.get()));
    }

    void cleanup()
    {
        m_dialog.reset();
        m_bench.reset();
    }

    // Save checks every line before a file is chosen: a bad line leaves an
    // earlier file as it was.
    void save_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("options");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("file");
        const QString line80 = QString(80, QLatin1Char('A'));
        QTest::newRow("80 characters") << line80 << 0u << QStringLiteral("Save completed.")
                                       << "Option=0000\r\n" + line80.toLatin1() + "\r\n";
        QTest::newRow("81 characters")
            << QStringLiteral("SPD 1\n") + line80 + QStringLiteral("B\nEND") << 0u
            << QStringLiteral("Line 2: Maximum characters allowed in each program lines are 80 "
                              "characters.")
            << QByteArray("old");
        QTest::newRow("both options, final line end")
            << QStringLiteral("MOV 1   'x\n\nEND\n") << 3u << QStringLiteral("Save completed.")
            << QByteArray("Option=0003\r\nMOV 1   'x\r\n\r\nEND\r\n");
        QTest::newRow("empty window") << QString() << 2u << QStringLiteral("Save completed.")
                                      << QByteArray("Option=0002\r\n");
    }

    void save()
    {
        QFETCH(QString, text);
        QFETCH(quint32, options);
        QFETCH(QString, message);
        QFETCH(QByteArray, file);
        writeBytes(path("p.prg"), "old");
        m_dialog->editor(1)->setPlainText(text);
        m_prompt.files.append(path("p.prg"));
        press(1009, 1, 0, options);
        QCOMPARE(m_prompt.messages, QStringList{message});
        QCOMPARE(fileBytes(path("p.prg")), file);
        QCOMPARE(m_prompt.requests.size(), file == "old" ? 0 : 1);
        QCOMPARE(m_dialog->options(1), options);
    }

    // Open: the option line sets the window's flags; without one they stay.
    void open_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<quint32>("options");
        QTest::addColumn<QString>("text");
        QTest::newRow("option 3") << QByteArray("Option=0003\r\nSPD 1  \r\nEND\r\n") << 3u
                                  << QStringLiteral("SPD 1\nEND");
        QTest::newRow("option 2 last")
            << QByteArray("A\nOption=0002\n") << 2u << QStringLiteral("A");
        QTest::newRow("no option line") << QByteArray("A\r\n") << 1u << QStringLiteral("A");
    }

    void open()
    {
        QFETCH(QByteArray, file);
        QFETCH(quint32, options);
        QFETCH(QString, text);
        writeBytes(path("o.prg"), file);
        m_dialog->setOptions(0, 1);
        m_prompt.files.append(path("o.prg"));
        press(1008, 0);
        QCOMPARE(m_dialog->editor(0)->toPlainText(), text);
        QCOMPARE(m_dialog->options(0), options);
        QVERIFY(m_prompt.messages.isEmpty());
    }

    // Down to the drive from one window and back into the other: the
    // comment after one blank, read back at column 30, the flags with it.
    void driveRoundTrip()
    {
        m_dialog->editor(0)->setPlainText(QStringLiteral("  SPD 100      'speed\n'note\nEND"));
        press(1004, 0, 20, 1);
        QCOMPARE(m_prompt.messages, QStringList{QStringLiteral("Registered.")});
        QVERIFY(m_bench->received().contains("@61:20:4:0001"));
        QVERIFY(m_bench->received().contains("SPD 100 'speed"));

        press(1005, 1, 20);
        QCOMPARE(m_dialog->editor(1)->toPlainText(),
                 QStringLiteral("SPD 100                       'speed\n") +
                     QString(30, QLatin1Char(' ')) + QStringLiteral("'note\nEND"));
        QCOMPARE(m_dialog->options(1), 1u);
        QCOMPARE(m_dialog->activeWindow(), 1);

        // A comment too long stops before anything is sent, naming its line.
        m_dialog->editor(0)->setPlainText(QStringLiteral("A\nB ") + QLatin1Char('\'') +
                                          QString(40, QLatin1Char('c')));
        const qsizetype sent = m_bench->received().size();
        press(1004, 0, 21);
        QCOMPARE(m_prompt.messages.last(), QStringLiteral("Line 2: Comment Over."));
        QCOMPARE(m_bench->received().size(), sent);
        QCOMPARE(m_dialog->editor(0)->textCursor().selectedText(),
                 QStringLiteral("B '") + QString(40, QLatin1Char('c')));
    }

    // "Prog Index": the numbers in three columns, the blocks in four, the
    // free blocks apart.
    void index()
    {
        QString shown;
        QString free;
        ModalScript script;
        script.then<ProgramIndexDialog>([&](ProgramIndexDialog *dialog) {
            shown = dialog->text();
            free = dialog->freeBlocks();
            dialog->accept();
        });
        QSignalSpy finished(&m_dialog->transfer(), &ProgramTransfer::finished);
        QTest::mouseClick(m_dialog->button(1007), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(script.done(), 10000);
        QCOMPARE(shown, QStringLiteral("  3:  10\n 12:   8\n 95:   4"));
        QCOMPARE(free, QStringLiteral("1002"));
    }

    // Print to a PDF file; a line too long stops before the printer is asked.
    void print()
    {
        const QString pdf = path("program.pdf");
        bool asked = false;
        m_dialog->setPrinterChooser([&](QPrinter &printer, QWidget *) {
            asked = true;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        m_dialog->editor(0)->setPlainText(QString(81, QLatin1Char('x')));
        press(1215, 0);
        QVERIFY(!asked);
        QCOMPARE(m_prompt.messages.last(),
                 QStringLiteral("Line 1: Maximum characters allowed in each program lines are 80 "
                                "characters."));
        QStringList lines;
        for (int i = 0; i < 150; ++i)
            lines.append(QStringLiteral("MOV %1").arg(i));
        m_dialog->editor(0)->setPlainText(lines.join(QLatin1Char('\n')));
        press(1215, 0);
        QVERIFY(asked);
        QVERIFY(fileBytes(pdf).startsWith("%PDF"));
        if (const QString shots = qEnvironmentVariable("TORVANE_SHOTS_DIR"); !shots.isEmpty())
            QFile::copy(pdf, shots + QStringLiteral("/program-print.pdf"));
        QVERIFY(m_dialog->button(1215)->isEnabled());
    }
};

QTEST_MAIN(TestProgramEditDialog)
#include "tst_programeditdialog.moc"
