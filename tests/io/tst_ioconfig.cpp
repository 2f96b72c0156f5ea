#include "io/ioconfigtransfer.h"
#include "params/scriptedprompt.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Outcome = IoConfigTransfer::Outcome;

namespace {

// The seed drive's listing as an upload files it.
const QByteArray seedFile = "R3H :0000:0000:FFFF:\r\n"
                            "R3H :0000:0001:FF0F:\r\n"
                            "R3H :0000:0002:FFFF:\r\n"
                            "R3H :0001:0000:FFFF:\r\n"
                            "R3H :0001:0001:FFFF:\r\n";

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

class Bottom : public LinkOwner
{
public:
    void onLinkTimeout() override {}
    void onLinkReply(const QByteArray &) override {}
};

} // namespace

// The I/O configuration transfer against the virtual drive.
class TestIoConfig : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    std::unique_ptr<IoConfigTransfer> m_transfer;
    std::unique_ptr<QTemporaryDir> m_dir;
    ScriptedPrompt m_prompt;
    Bottom m_bottom;

    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    VirtualDrive &drive() { return *m_bench->drive; }

    Outcome run(void (IoConfigTransfer::*start)(), const QString &file)
    {
        m_prompt.files = {file};
        QSignalSpy finished(m_transfer.get(), &IoConfigTransfer::finished);
        (m_transfer.get()->*start)();
        if (finished.isEmpty() && !finished.wait(10000))
            return Outcome::Cancelled;
        return finished.last().at(0).value<Outcome>();
    }
    // What the drive heard from the first @55 on.
    QByteArrayList downloadCommands() const
    {
        const QByteArrayList all = m_bench->received();
        return all.mid(all.indexOf("@55"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Catalogue::instance().loadModule(
            QStringLiteral(TORVANE_BIN_DIR "/") +
            Catalogue::moduleFileName(QStringLiteral("Torvane_E_Resource"))));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_bench = std::make_unique<LinkBench>();
        m_bench->link.pushOwner(&m_bottom);
        m_bench->link.open();
        m_prompt = ScriptedPrompt();
        m_transfer = std::make_unique<IoConfigTransfer>(m_bench->link, m_prompt);
        m_bench->link.pushOwner(m_transfer.get());
    }

    void cleanup()
    {
        m_transfer.reset();
        m_bench.reset();
    }

    // A busy drive answers @78 with its counts twice; the file is the
    // listing's lines as received, each with ":" and CR LF.
    void upload()
    {
        QVERIFY(drive().setKnob(QStringLiteral("io_busy_count"), QStringLiteral("2")));
        QCOMPARE(run(&IoConfigTransfer::upload, path("io.ioc")), Outcome::Succeeded);
        QCOMPARE(fileBytes(path("io.ioc")), seedFile);
        QCOMPARE(m_bench->count("@78"), 3);
        QCOMPARE(m_prompt.messages, QStringList{QStringLiteral("Upload completed.")});
        QCOMPARE(m_prompt.requests.value(0).filter,
                 QStringLiteral("I/O Configuration File (*.ioc)"));
    }

    // A failed upload leaves an earlier file as it was and no partial file.
    void failedUpload_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("refused mid-listing")
            << QStringLiteral("match=^R0P$,occurrence=2,replace=ERR1")
            << QStringLiteral("Error occured.");
        QTest::newRow("no answer mid-listing")
            << QStringLiteral("match=^R0P$,occurrence=3,drop") << QStringLiteral("Timeout error.");
    }
    void failedUpload()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        writeBytes(path("io.ioc"), "earlier\r\n");
        QVERIFY(drive().addFault(fault));
        QCOMPARE(run(&IoConfigTransfer::upload, path("io.ioc")), Outcome::Failed);
        QCOMPARE(m_prompt.messages, QStringList{message});
        QCOMPARE(fileBytes(path("io.ioc")), QByteArray("earlier\r\n"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{QStringLiteral("io.ioc")});
    }

    // Field 2 "0000" selects LIS, anything else LOS; index and word go as
    // they stand, and the drive takes them only at @79:0.
    void download_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QByteArrayList>("commands");
        QTest::newRow("empty file")
            << QByteArray() << QByteArrayList{"@55", "@79:1", "@79:0", "@96"};
        QTest::newRow("inputs and outputs")
            << QByteArray("R3H :0000:0001:12ab:\r\nR3H :0001:0000:00FF:\n\r\nR3H :7:0001:0F0F")
            << QByteArrayList{"@55",   "@79:1", "LIS:0001:12ab", "LOS:0000:00FF", "LOS:0001:0F0F",
                              "@79:0", "@96"};
    }
    void download()
    {
        QFETCH(QByteArray, file);
        QFETCH(QByteArrayList, commands);
        writeBytes(path("in.ioc"), file);
        QSignalSpy closing(m_transfer.get(), &IoConfigTransfer::closeRequested);
        QCOMPARE(run(&IoConfigTransfer::download, path("in.ioc")), Outcome::Succeeded);
        QCOMPARE(downloadCommands(), commands);
        QCOMPARE(m_prompt.messages,
                 QStringList{QStringLiteral("Download completed.\nReset driver.")});
        QCOMPARE(closing.size(), 1);
        QTRY_VERIFY(!drive().isRestarting());
        if (commands.contains("LIS:0001:12ab")) {
            QCOMPARE(drive().state().io.inputLogic[1], quint16(0x12AB));
            QCOMPARE(drive().state().io.outputLogic[1], quint16(0x0F0F));
        }
    }

    // A bad line refuses the whole file before anything is sent.
    void refusedLine_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("three fields") << QByteArray("R3H :0000:0001");
        QTest::newRow("short index") << QByteArray("R3H :0000:001:FFFF:");
        QTest::newRow("word not hexadecimal") << QByteArray("R3H :0000:0001:FFFG:");
        QTest::newRow("long word") << QByteArray("R3H :0000:0001:FFFFF:");
    }
    void refusedLine()
    {
        QFETCH(QByteArray, line);
        writeBytes(path("bad.ioc"), "R3H :0000:0000:FFFF:\r\n" + line + "\r\n");
        QCOMPARE(run(&IoConfigTransfer::download, path("bad.ioc")), Outcome::Failed);
        QCOMPARE(m_prompt.messages,
                 QStringList{path("bad.ioc") +
                             QStringLiteral("\nLine 2 is not an I/O configuration line: it needs "
                                            "four fields, the index and the word as four "
                                            "hexadecimal digits each.\n") +
                             QString::fromLatin1(line)});
        QVERIFY(m_bench->received().isEmpty());
    }

    // Inside the logic-setting mode a failure leaves it with @98: the drive
    // keeps its logic, and the user is told to reset it.
    void failureInsideMode_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("refused line") << QStringLiteral("match=^LOS,replace=ERR2")
                                      << QStringLiteral("Error occured.\nReset driver.");
        QTest::newRow("no answer")
            << QStringLiteral("match=^LOS,drop") << QStringLiteral("Timeout error.\nReset driver.");
    }
    void failureInsideMode()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        writeBytes(path("in.ioc"), "R3H :0000:0000:0000:\r\nR3H :0001:0000:0000:\r\n");
        QVERIFY(drive().addFault(fault));
        QCOMPARE(run(&IoConfigTransfer::download, path("in.ioc")), Outcome::Failed);
        QCOMPARE(m_prompt.messages, QStringList{message});
        QCOMPARE(m_bench->received().last(), QByteArray("@98"));
        QVERIFY(!m_bench->received().contains("@96"));
        QCOMPARE(drive().state().io.inputLogic[0], quint16(0xFFFF));
    }

    void modeChangeRefused()
    {
        writeBytes(path("in.ioc"), seedFile);
        QVERIFY(drive().addFault(QStringLiteral("match=^@55,refuse=ERR3")));
        QCOMPARE(run(&IoConfigTransfer::download, path("in.ioc")), Outcome::Failed);
        QCOMPARE(m_prompt.messages, QStringList{QStringLiteral("Mode change error.")});
        QCOMPARE(m_bench->received(), QByteArrayList{"@55"});
    }
};

QTEST_GUILESS_MAIN(TestIoConfig)
#include "tst_ioconfig.moc"
