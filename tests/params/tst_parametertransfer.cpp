#include "drivebench.h"
#include "params/parameterfile.h"
#include "params/parametertransfer.h"
#include "resources/catalogue.h"
#include "scriptedprompt.h"
#include "support/smalldisk.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Outcome = ParameterTransfer::Outcome;

namespace {

const QDateTime uploadTime(QDate(2024, 3, 5), QTime(9, 7, 41));

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray golden(const char *name)
{
    return fileBytes(QStringLiteral(TORVANE_TEST_DATA "/golden/") + QLatin1String(name));
}

// Replaces the value of one key in a parameter file's data lines.
QByteArray withValue(QByteArray text, const QByteArray &key, const QByteArray &value)
{
    QByteArrayList lines = text.split('\n');
    for (QByteArray &line : lines) {
        const QByteArray normalised = ParameterFile::normalise(line);
        if (normalised.startsWith(key + '=')) {
            const qsizetype equals = line.indexOf('=');
            line = line.left(equals + 1) + value.rightJustified(12, ' ') + '\r';
        }
    }
    return lines.join('\n');
}

} // namespace

class TestParameterTransfer : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriveBench> m_bench;
    std::unique_ptr<ScriptedPrompt> m_prompt;
    std::unique_ptr<ParameterTransfer> m_transfer;
    std::unique_ptr<QSignalSpy> m_finished;
    std::unique_ptr<QSignalSpy> m_closeRequested;
    std::unique_ptr<QTemporaryDir> m_dir;

    void setUpBench(DriveBench::Far far)
    {
        m_transfer.reset();
        m_bench = std::make_unique<DriveBench>(far);
        m_prompt = std::make_unique<ScriptedPrompt>();
        m_transfer = std::make_unique<ParameterTransfer>(m_bench->link, *m_prompt);
        m_transfer->setClock([] { return uploadTime; });
        m_transfer->setEnglish(true);
        m_bench->link.pushOwner(m_transfer.get());
        m_bench->link.open();
        m_finished = std::make_unique<QSignalSpy>(m_transfer.get(), &ParameterTransfer::finished);
        m_closeRequested =
            std::make_unique<QSignalSpy>(m_transfer.get(), &ParameterTransfer::closeRequested);
    }

    QString path(const char *name) const { return m_dir->filePath(QLatin1String(name)); }

    VirtualDrive &drive() { return *m_bench->drive; }

    // Runs an operation to its end; the outcome.
    Outcome run(void (ParameterTransfer::*operation)(), const QString &file = QString())
    {
        if (!file.isEmpty())
            m_prompt->files.append(file);
        const qsizetype before = m_finished->size();
        (m_transfer.get()->*operation)();
        if (m_finished->size() == before && !m_finished->wait(30000))
            return Outcome::Cancelled;
        return m_finished->last().at(0).value<Outcome>();
    }

    Outcome upload(const QString &file) { return run(&ParameterTransfer::upload, file); }

    // A download runs to the restart's missing answer.
    Outcome download(const QString &file)
    {
        const Outcome outcome = run(&ParameterTransfer::download, file);
        // The drive's restart dead time is short here; let it end.
        QTest::qWait(100);
        return outcome;
    }

    QString lastMessage() const
    {
        return m_prompt->messages.isEmpty() ? QString() : m_prompt->messages.last();
    }

    QString text(int id) const { return Catalogue::instance().string(id); }

    QByteArrayList commandsAfter(const QByteArray &first) const
    {
        const QByteArrayList all = m_bench->received();
        const qsizetype at = all.lastIndexOf(first);
        return at < 0 ? QByteArrayList() : all.mid(at);
    }

    QByteArrayList writes() const
    {
        QByteArrayList result;
        for (const QByteArray &line : m_bench->received()) {
            if (line.startsWith('#') && line.contains('='))
                result.append(line);
        }
        return result;
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
        setUpBench(DriveBench::Virtual);
    }

    void cleanup()
    {
        m_transfer.reset();
        m_bench.reset();
    }

    // --- Upload --------------------------------------------------------------

    void uploadSequence()
    {
        setUpBench(DriveBench::Scripted);
        auto &answers = m_bench->scripted->answers;
        answers = {{"@44", {"R5Z T:ID:K:A:C:E"}},
                   {"@94", {"R2Z M1:M2"}},
                   {"\"pr:30", {"RD B:0"}},
                   {"@53", {"R00"}},
                   {"@40:1", {"R1Z#7H", "R1Z#8"}},
                   {"@40:2", {"R00"}},
                   {"@40:3", {"R1Z#12N"}},
                   {"@40:4", {"R00"}},
                   {"@40:5", {"R00"}},
                   {"#7", {"R1D Trim:-3"}},
                   {"#8", {"R1D Width:100"}},
                   {"#12", {"R1D Gain:5"}},
                   {"@54", {"R00"}}};
        QCOMPARE(upload(path("seq.prm")), Outcome::Succeeded);
        // A listed #7H is read as #7, a listed #8 without type letter as #8.
        QCOMPARE(m_bench->received(),
                 (QByteArrayList{"@44", "@94", "\"pr:30", "@53", "@40:1", "R0P", "R0P", "@40:2",
                                 "@40:3", "R0P", "@40:4", "@40:5", "#7", "#8", "#12", "@54"}));
        QCOMPARE(m_prompt->messages, QStringList{QStringLiteral("Upload completed.")});
        const QByteArray file = fileBytes(path("seq.prm"));
        QVERIFY(file.endsWith("\r\n"
                              "********************   |#  7=          -3\r\n"
                              " Width                 |#  8=         100\r\n"
                              " Gain                  |# 12=           5\r\n"));
        QCOMPARE(file.count('\n'), 18);
    }

    void uploadFileRequest()
    {
        upload(path("a.prm"));
        QCOMPARE(m_prompt->requests.size(), 1);
        const UserPrompt::FileRequest request = m_prompt->requests.first();
        QVERIFY(request.save);
        QCOMPARE(request.filter, QStringLiteral("Parameter file (*.prm)"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("prm"));
    }

    // The virtual drive's seed set, uploaded with the date and time fixed,
    // gives the golden files byte for byte.
    void uploadGolden_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<bool>("english");
        QTest::addColumn<QString>("goldenName");
        QTest::newRow("english") << QStringLiteral("default") << true
                                 << QStringLiteral("default-english.prm");
        QTest::newRow("japanese labels") << QStringLiteral("default+japanese") << false
                                         << QStringLiteral("default-japanese.prm");
    }

    void uploadGolden()
    {
        QFETCH(QString, preset);
        QFETCH(bool, english);
        QFETCH(QString, goldenName);
        QVERIFY(drive().applyPreset(preset));
        m_transfer->setEnglish(english);
        QCOMPARE(upload(path("golden.prm")), Outcome::Succeeded);
        const QByteArray written = fileBytes(path("golden.prm"));
        if (qEnvironmentVariableIsSet("TORVANE_UPDATE_GOLDEN"))
            writeBytes(QStringLiteral(TORVANE_TEST_DATA "/golden/") + goldenName, written);
        QCOMPARE(written, golden(goldenName.toLatin1().constData()));
    }

    // Every listed parameter is uploaded and downloaded, however many.
    void longParameterSet()
    {
        QVERIFY(drive().applyPreset(QStringLiteral("default+big_params")));
        QCOMPARE(upload(path("big.prm")), Outcome::Succeeded);
        const auto lines = ParameterFile::read(path("big.prm"));
        QVERIFY(lines.has_value());
        const int parameters = int(lines->size()) - ParameterFile::InformationLines;
        QVERIFY2(parameters > 740, QByteArray::number(parameters));
        QCOMPARE(lines->last(), QByteArray(" Extra1739             |#1739=        1739"));

        const QByteArray changed = withValue(fileBytes(path("big.prm")), "#1000", "-1000");
        writeBytes(path("big.prm"), changed);
        QCOMPARE(download(path("big.prm")), Outcome::Succeeded);
        QCOMPARE(writes().size(), parameters);
        QCOMPARE(drive().item(1000), std::optional<qint32>(-1000));
        QCOMPARE(writes().last(), QByteArray("#1739=1739"));
    }

    void uploadWithoutParameters()
    {
        QVERIFY(drive().applyPreset(QStringLiteral("default+no_params")));
        QCOMPARE(upload(path("none.prm")), Outcome::Succeeded);
        QCOMPARE(lastMessage(), QStringLiteral("Upload completed."));
        const auto lines = ParameterFile::read(path("none.prm"));
        QCOMPARE(lines->size(), ParameterFile::InformationLines);
        QCOMPARE(commandsAfter("@40:5"), (QByteArrayList{"@40:5", "@54"}));
    }

    void uploadEmptyGroup()
    {
        QVERIFY(drive().applyPreset(QStringLiteral("default+empty_group")));
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        QVERIFY(fileBytes(path("a.prm")).contains("|#  1=           1\r\n"));
    }

    // A failed upload leaves an earlier file of the same name as it was and no
    // other file behind, and says why with the system's texts.
    void uploadFailureKeepsEarlierFile_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unexpected reply")
            << QStringLiteral("match=^@94$,replace=\"ERR1\"") << QStringLiteral("ERR1");
        QTest::newRow("refused read")
            << QStringLiteral("match=^#5$,replace=\"ALM62\"") << QStringLiteral("ALM62");
        QTest::newRow("time-out") << QStringLiteral("match=^#5$,drop")
                                  << QStringLiteral("Timeout error.");
        QTest::newRow("time-out closing")
            << QStringLiteral("match=^@54$,drop") << QStringLiteral("Timeout error.");
        QTest::newRow("hang-up") << QStringLiteral("match=^@40:3$,disconnect")
                                 << QStringLiteral("Timeout error.");
        QTest::newRow("R00 instead of a reading")
            << QStringLiteral("match=^#7$,replace=\"R00\"") << QStringLiteral("R00");
    }

    void uploadFailureKeepsEarlierFile()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        const QString file = path("keep.prm");
        writeBytes(file, "an earlier upload\r\n");
        QVERIFY(drive().addFault(fault) != 0);
        QCOMPARE(upload(file), Outcome::Failed);
        QCOMPARE(lastMessage(), reason +
                                    QStringLiteral("\n\nThe upload failed; the earlier file ") +
                                    file + QStringLiteral(" is unchanged."));
        QCOMPARE(m_prompt->messages.size(), 1);
        QCOMPARE(fileBytes(file), QByteArray("an earlier upload\r\n"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("keep.prm")});
        QVERIFY(!m_transfer->isBusy());
    }

    // A drive that answers the identification with "R00" does not leave the
    // manager waiting for ever.
    void uploadDoneInsteadOfIdentity()
    {
        setUpBench(DriveBench::Scripted);
        m_bench->scripted->answers = {{"@44", {"R00"}}};
        QCOMPARE(upload(path("a.prm")), Outcome::Failed);
        QCOMPARE(lastMessage(), QStringLiteral("R00\n\nDeleting ") + path("a.prm") + u'.');
    }

    void uploadCannotCreate()
    {
        const QString file = path("no/such/folder/a.prm");
        QCOMPARE(upload(file), Outcome::Failed);
        QCOMPARE(lastMessage(),
                 file + QStringLiteral("\nFile does not exist or illegal file name."));
        QVERIFY(m_bench->received().isEmpty());
    }

    // A folder that exists but takes no temporary file is named as such.
    void uploadIntoReadOnlyFolder()
    {
        SmallDisk disk(64 * 1024);
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.skipReason()));
        const QString file = disk.filePath(QStringLiteral("a.prm"));
        writeBytes(file, "earlier\r\n");
        if (!disk.makeReadOnly())
            QSKIP("the small disk cannot be made read-only here");
        QCOMPARE(upload(file), Outcome::Failed);
        QCOMPARE(lastMessage(), file +
                                    QStringLiteral("\nNo temporary file can be created in the "
                                                   "folder ") +
                                    disk.path() + u'.');
        QVERIFY(m_bench->received().isEmpty());
        QCOMPARE(fileBytes(file), QByteArray("earlier\r\n"));
    }

    void uploadCancelled()
    {
        QCOMPARE(upload(QString()), Outcome::Cancelled);
        QVERIFY(m_bench->received().isEmpty());
        QVERIFY(m_prompt->messages.isEmpty());
    }

    // --- Download --------------------------------------------------------------

    // Upload, change one value, download, upload again: the change is there.
    void roundTrip()
    {
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        writeBytes(path("a.prm"), withValue(fileBytes(path("a.prm")), "#8", "250"));
        QCOMPARE(download(path("a.prm")), Outcome::Succeeded);
        QVERIFY(m_prompt->questions.isEmpty());
        // #199 is refused by the drive and never reported.
        QVERIFY(writes().contains("#199=3"));
        QCOMPARE(m_prompt->messages.last(), QStringLiteral("Download completed.\n\nReset driver."));
        QCOMPARE(m_closeRequested->size(), 1);
        QCOMPARE(m_bench->received().last(), QByteArray("@96"));
        QVERIFY(!m_transfer->hasRejected());

        QCOMPARE(upload(path("b.prm")), Outcome::Succeeded);
        QVERIFY(fileBytes(path("b.prm")).contains(" InPositionWidth       |#  8=         250\r\n"));
        QCOMPARE(fileBytes(path("b.prm")), fileBytes(path("a.prm")));
    }

    void downloadSequence()
    {
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        const int parameters = int(m_transfer->names().size());
        drive().trace().clear();
        QCOMPARE(download(path("a.prm")), Outcome::Succeeded);
        const QByteArrayList sent = m_bench->received();
        QCOMPARE(sent.mid(0, 9), (QByteArrayList{"#213", "#202", "#208", "#209", "#210", "#212",
                                                 "@53", "@55", "#1=1"}));
        QCOMPARE(sent.size(), 6 + 2 + parameters + 2);
        const QByteArray lastLine =
            ParameterFile::normalise(ParameterFile::read(path("a.prm"))->last());
        QCOMPARE(sent.mid(sent.size() - 3), (QByteArrayList{lastLine, "@54", "@96"}));
    }

    // Refused values are reported with string 168; the rest are written.
    void refusedValues()
    {
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        QByteArray text = fileBytes(path("a.prm"));
        text = withValue(text, "#12", "7");
        text = withValue(text, "#40", "99999");
        text = withValue(text, "#8", "333");
        writeBytes(path("a.prm"), text);
        QCOMPARE(download(path("a.prm")), Outcome::Succeeded);
        QVERIFY(m_transfer->hasRejected());
        QCOMPARE(m_transfer->rejectedKeys(), QByteArray("#12, #40, "));
        QCOMPARE(m_prompt->messages.last(),
                 QStringLiteral("Download completed.\nAs the data or parameter no. is out of "
                                "range, parameters could not be downloaded.\n#12, #40, "
                                "\n\nReset driver."));
        QCOMPARE(drive().item(8), std::optional<qint32>(333));
        QCOMPARE(drive().item(12), std::optional<qint32>(0));
        QCOMPARE(writes().last(),
                 ParameterFile::normalise(ParameterFile::read(path("a.prm"))->last()));
    }

    // A file with a line that cannot be written is refused whole before the
    // drive hears of it; the message names the line and shows it.
    void refusedFile_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("shown");
        QTest::newRow("command") << QByteArray("Restart                |@96")
                                 << QStringLiteral("Restart                |@96");
        QTest::newRow("no equals") << QByteArray("Broken                 |#  8  444")
                                   << QStringLiteral("Broken                 |#  8  444");
        QTest::newRow("begins with the bar") << QByteArray("|#  9=1") << QStringLiteral("|#  9=1");
        QTest::newRow("no bar") << QByteArray("#  9=1") << QStringLiteral("#  9=1");
        QTest::newRow("hexadecimal value") << QByteArray("X                      |#  8=0x10")
                                           << QStringLiteral("X                      |#  8=0x10");
        QTest::newRow("longer than a command line") << QByteArray("X|#1=" + QByteArray(77, '1'))
                                                    << QStringLiteral("X|#1=") + QString(77, u'1');
    }

    void refusedFile()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, shown);
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        QByteArray text = withValue(fileBytes(path("a.prm")), "#8", "444");
        const int lineNumber = int(text.count('\n')) + 1;
        writeBytes(path("a.prm"), text + line + "\r\n");
        drive().trace().clear();
        QCOMPARE(download(path("a.prm")), Outcome::Failed);
        const QString message =
            QStringLiteral("Line %1 is not a parameter line:\n").arg(lineNumber) + shown;
        QCOMPARE(lastMessage(), message);
        QCOMPARE(m_finished->last().at(1).toString(), message);
        QVERIFY(m_bench->received().isEmpty());
        QVERIFY(!m_transfer->isBusy());
        QCOMPARE(drive().item(8), std::optional<qint32>(100));
        QCOMPARE(m_closeRequested->size(), 0);
    }

    // Bytes that are no parameter file never reach the drive.
    void randomBytesRefused()
    {
        QRandomGenerator random(20240601);
        QByteArray bytes(20 * 1024, Qt::Uninitialized);
        for (char &byte : bytes)
            byte = char(random.bounded(256));
        writeBytes(path("noise.prm"), bytes);
        QCOMPARE(download(path("noise.prm")), Outcome::Failed);
        QVERIFY(lastMessage().contains(QStringLiteral(" is not a parameter line:\n")));
        QVERIFY(lastMessage().startsWith(QStringLiteral("Line ")));
        QVERIFY(m_bench->received().isEmpty());
        QCOMPARE(m_closeRequested->size(), 0);
    }

    // CR alone ends a line as CR LF and LF do: every parameter is written.
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("lineEnd");
        QTest::newRow("CR") << QByteArray("\r");
        QTest::newRow("LF") << QByteArray("\n");
    }

    void lineEnds()
    {
        QFETCH(QByteArray, lineEnd);
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        const int parameters = int(m_transfer->names().size());
        QByteArray text = withValue(fileBytes(path("a.prm")), "#8", "250");
        text.replace("\r\n", lineEnd);
        writeBytes(path("a.prm"), text);
        drive().trace().clear();
        QCOMPARE(download(path("a.prm")), Outcome::Succeeded);
        QCOMPARE(writes().size(), parameters);
        QCOMPARE(drive().item(8), std::optional<qint32>(250));
    }

    // A Shift-JIS label whose second byte is 0x7C keeps its parameter.
    void japaneseLabelRoundTrip()
    {
        QVERIFY(drive().applyPreset(QStringLiteral("default+japanese")));
        const QByteArray label = "\x83\x7C\x83\x93\x83\x76"; // "ポンプ"
        drive().state().items.find(8)->japanese = label;
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        QVERIFY(fileBytes(path("a.prm"))
                    .contains(' ' + label + QByteArray(16, ' ') + "|#  8=         100\r\n"));
        writeBytes(path("a.prm"), withValue(fileBytes(path("a.prm")), "#8", "250"));
        QCOMPARE(download(path("a.prm")), Outcome::Succeeded);
        QVERIFY(writes().contains("#8=250"));
        QCOMPARE(drive().item(8), std::optional<qint32>(250));
        QVERIFY(!m_transfer->hasRejected());
    }

    void notAParameterFile_data()
    {
        QTest::addColumn<bool>("view");
        QTest::newRow("download") << false;
        QTest::newRow("view") << true;
    }

    void notAParameterFile()
    {
        QFETCH(bool, view);
        const QString file = path("A.PRM");
        writeBytes(file, "x\r\n");
        m_prompt->files.append(file);
        if (view)
            QVERIFY(!m_transfer->loadFileForView());
        else
            m_transfer->download();
        QCOMPARE(lastMessage(),
                 file + QStringLiteral("\n\nCan not open file.  Not a parameter file."));
        QVERIFY(m_bench->received().isEmpty());
        QVERIFY(!m_transfer->isBusy());
    }

    void missingFile_data() { notAParameterFile_data(); }

    void missingFile()
    {
        QFETCH(bool, view);
        const QString file = path("none.prm");
        m_prompt->files.append(file);
        if (view)
            QVERIFY(!m_transfer->loadFileForView());
        else
            m_transfer->download();
        QCOMPARE(lastMessage(),
                 file + QStringLiteral("\nFile does not exist or illegal file name."));
        QVERIFY(m_bench->received().isEmpty());
    }

    void viewFile()
    {
        writeBytes(path("v.prm"), "one|\r\ntwo|#  1=1\r\n");
        m_prompt->files.append(path("v.prm"));
        QVERIFY(m_transfer->loadFileForView());
        QCOMPARE(m_transfer->lines(), (QByteArrayList{"one|", "two|#  1=1"}));
        QCOMPARE(m_transfer->filePath(), path("v.prm"));
        QVERIFY(m_bench->received().isEmpty());
    }

    // A file of the information block or less writes nothing, but still
    // opens and closes the transfer and restarts the drive.
    void shortFile_data()
    {
        QTest::addColumn<int>("lineCount");
        QTest::newRow("15 lines") << 15;
        QTest::newRow("3 lines") << 3;
        QTest::newRow("empty") << 0;
    }

    void shortFile()
    {
        QFETCH(int, lineCount);
        QByteArray text;
        for (int i = 0; i < lineCount; ++i)
            text += "X                      |#  8=           1\r\n";
        writeBytes(path("short.prm"), text);
        QCOMPARE(download(path("short.prm")), Outcome::Succeeded);
        QCOMPARE(commandsAfter("@53"), (QByteArrayList{"@53", "@55", "@54", "@96"}));
        QCOMPARE(m_prompt->messages,
                 QStringList{QStringLiteral("Download completed.\n\nReset driver.")});
    }

    // The original layout's 16-line block (three motor-type lines) downloads.
    void sixteenLineInformationBlock()
    {
        QVERIFY(drive().setKnob(QStringLiteral("motor_type_fields"), QStringLiteral("3")));
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        QCOMPARE(ParameterFile::read(path("a.prm"))->at(11),
                 QByteArray("REV-B                  |"));
        writeBytes(path("a.prm"), withValue(fileBytes(path("a.prm")), "#1", "5"));
        QCOMPARE(download(path("a.prm")), Outcome::Succeeded);
        QVERIFY(writes().contains("#1=5"));
        QCOMPARE(drive().item(1), std::optional<qint32>(5));
    }

    // --- The safety check -----------------------------------------------------

    void guardedDifferences_data()
    {
        QTest::addColumn<bool>("sibling");
        QTest::addColumn<QList<int>>("changed");
        QTest::addColumn<QString>("differences");
        QTest::addColumn<QByteArrayList>("reads");
        const QByteArrayList all{"#213", "#202", "#208", "#209", "#210", "#212"};
        QTest::newRow("none") << false << QList<int>{} << QString() << all;
        QTest::newRow("one") << false << QList<int>{213} << QStringLiteral("#213 : 1060") << all;
        // In the order of the file.
        QTest::newRow("two") << false << QList<int>{213, 212}
                             << QStringLiteral("#212 : 3000,\n#213 : 1060") << all;
        QTest::newRow("sibling checks two")
            << true << QList<int>{212, 209} << QString() << QByteArrayList{"#213", "#202"};
        QTest::newRow("sibling difference") << true << QList<int>{202} << QStringLiteral("#202 : 0")
                                            << QByteArrayList{"#213", "#202"};
    }

    void guardedDifferences()
    {
        QFETCH(bool, sibling);
        QFETCH(QList<int>, changed);
        QFETCH(QString, differences);
        QFETCH(QByteArrayList, reads);
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        for (int n : changed)
            QVERIFY(drive().setItem(n, *drive().item(n) + 1));
        m_transfer->setSiblingVariant(sibling);
        m_prompt->answers = {false};
        drive().trace().clear();
        const Outcome outcome = download(path("a.prm"));
        if (differences.isEmpty()) {
            QVERIFY(m_prompt->questions.isEmpty());
            QCOMPARE(outcome, Outcome::Succeeded);
            QCOMPARE(m_bench->received().mid(0, reads.size() + 1), reads + QByteArrayList{"@53"});
            return;
        }
        QCOMPARE(m_prompt->questions,
                 QStringList{QStringLiteral(
                                 "This parameter value is not same as the current set.\nWhen this "
                                 "parameter is changed,wrong opration may occur.\nParameter change "
                                 "OK?\n\n") +
                             differences});
        // Cancel: nothing is written.
        QCOMPARE(outcome, Outcome::Cancelled);
        QCOMPARE(m_bench->received(), reads);
        QVERIFY(!m_transfer->isBusy());
        QCOMPARE(m_prompt->messages.size(), 1); // "Upload completed." only
    }

    void guardedDifferenceAccepted()
    {
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        QVERIFY(drive().setItem(213, 1061));
        m_prompt->answers = {true};
        QCOMPARE(download(path("a.prm")), Outcome::Succeeded);
        QCOMPARE(m_prompt->questions.size(), 1);
        QCOMPARE(drive().item(213), std::optional<qint32>(1060));
    }

    void checkTimeout()
    {
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        QVERIFY(drive().addFault(QStringLiteral("match=^#208$,drop")) != 0);
        drive().trace().clear();
        QCOMPARE(download(path("a.prm")), Outcome::Failed);
        QCOMPARE(lastMessage(), QStringLiteral("Timeout error."));
        QCOMPARE(m_bench->received(), (QByteArrayList{"#213", "#202", "#208"}));
        QVERIFY(!m_transfer->isBusy());
    }

    // A guarded read answered with anything but "R1D" leaves the drive's
    // value unknown: the file's value is listed as a difference.
    void checkUnknownValue_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::newRow("alarm") << QStringLiteral("ALM62");
        QTest::newRow("done") << QStringLiteral("R00");
        QTest::newRow("other data") << QStringLiteral("R1H Poles:10");
        QTest::newRow("no number") << QStringLiteral("R1D PolePairs:");
    }

    void checkUnknownValue()
    {
        QFETCH(QString, reply);
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        QVERIFY(drive().addFault(QStringLiteral("match=^#209$,replace=\"%1\"").arg(reply)) != 0);
        m_prompt->answers = {false};
        QCOMPARE(download(path("a.prm")), Outcome::Cancelled);
        QCOMPARE(m_prompt->questions.size(), 1);
        QVERIFY(m_prompt->questions.first().endsWith(QStringLiteral("OK?\n\n#209 : 10")));
    }

    // --- Download failures and the end ---------------------------------------

    void downloadAborts_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("lastSent");
        QTest::newRow("error reply")
            << QStringLiteral("match=^#8=,replace=\"ERR2\"")
            << QStringLiteral("ERR2\n\nReset driver.") << QByteArray("#8=100");
        QTest::newRow("time-out writing")
            << QStringLiteral("match=^#8=,drop")
            << QStringLiteral("Timeout error.\n\nReset driver.") << QByteArray("#8=100");
        QTest::newRow("time-out closing")
            << QStringLiteral("match=^@54$,drop")
            << QStringLiteral("Timeout error.\n\nReset driver.") << QByteArray("@54");
        QTest::newRow("alarm opening")
            << QStringLiteral("match=^@53$,replace=\"ALM62\"")
            << QStringLiteral("ALM62\n\nReset driver.") << QByteArray("@53");
    }

    void downloadAborts()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QFETCH(QByteArray, lastSent);
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        QVERIFY(drive().addFault(fault) != 0);
        QCOMPARE(download(path("a.prm")), Outcome::Failed);
        QCOMPARE(lastMessage(), message);
        QCOMPARE(m_bench->received().last(), lastSent);
        QCOMPARE(m_closeRequested->size(), 0);
        QVERIFY(!m_transfer->isBusy());
    }

    // A drive that answers "R00" to the restart leaves the manager open and
    // ready.
    void restartAnswered()
    {
        QVERIFY(drive().setKnob(QStringLiteral("reply_to_restart"), QStringLiteral("1")));
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        QCOMPARE(download(path("a.prm")), Outcome::Succeeded);
        QCOMPARE(m_bench->received().last(), QByteArray("@96"));
        QTest::qWait(1300);
        QCOMPARE(m_closeRequested->size(), 0);
        QVERIFY(!m_transfer->isBusy());
    }

    // --- Communication reset ------------------------------------------------

    void communicationReset_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::addColumn<Outcome>("outcome");
        QTest::newRow("ok") << QString() << QStringLiteral("Communications reset OK.")
                            << Outcome::Succeeded;
        QTest::newRow("refused") << QStringLiteral("match=^@98$,replace=\"ERR1\"")
                                 << QStringLiteral("Communications reset failed.")
                                 << Outcome::Failed;
        QTest::newRow("R00 with more")
            << QStringLiteral("match=^@98$,replace=\"R00 \"")
            << QStringLiteral("Communications reset failed.") << Outcome::Failed;
        QTest::newRow("time-out") << QStringLiteral("match=^@98$,drop")
                                  << QStringLiteral("Timeout error.") << Outcome::Failed;
    }

    void communicationReset()
    {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        QFETCH(Outcome, outcome);
        if (!fault.isEmpty())
            QVERIFY(drive().addFault(fault) != 0);
        QSignalSpy lampIdle(m_transfer.get(), &ParameterTransfer::lampIdle);
        QCOMPARE(run(&ParameterTransfer::resetCommunication), outcome);
        QCOMPARE(m_bench->received(), QByteArrayList{"@98"});
        QCOMPARE(m_prompt->messages, QStringList{message});
        QCOMPARE(lampIdle.size(), 1);
    }

    // A line that arrives when no operation runs changes nothing.
    void lateLineIgnored()
    {
        QCOMPARE(run(&ParameterTransfer::resetCommunication), Outcome::Succeeded);
        m_transfer->onLinkReply("R1D Late:1");
        m_transfer->onLinkReply("R00");
        m_transfer->onLinkTimeout();
        QCOMPARE(m_bench->received(), QByteArrayList{"@98"});
        QCOMPARE(m_prompt->messages.size(), 1);
    }

    // Busy from the first command to the end; the lamp blinks on each line.
    void busyAndLamp()
    {
        QSignalSpy busy(m_transfer.get(), &ParameterTransfer::busyChanged);
        QSignalSpy lamp(m_transfer.get(), &ParameterTransfer::lampToggled);
        QCOMPARE(upload(path("a.prm")), Outcome::Succeeded);
        QCOMPARE(busy.size(), 2);
        QCOMPARE(busy.at(0).at(0).toBool(), true);
        QCOMPARE(busy.at(1).at(0).toBool(), false);
        QVERIFY(lamp.size() > m_transfer->names().size());
    }
};

QTEST_GUILESS_MAIN(TestParameterTransfer)
#include "tst_parametertransfer.moc"
