#include "drivebench.h"
#include "params/machineparameteredit.h"
#include "resources/catalogue.h"
#include "scriptedprompt.h"

#include <QSignalSpy>
#include <QTest>

using Outcome = MachineParameterEdit::Outcome;
using Answers = QHash<QByteArray, QByteArrayList>;

namespace {

const QString refusedRows = QStringLiteral(
    "As the data or parameter no. is out of range, parameters could not be downloaded.");

// A drive whose group 1 lists an N entry, an H entry and one without a letter.
Answers groupOne()
{
    return {
        {"@40:1", {"R1Z#1N", "R1Z#7H", "R1Z#12"}},
        {"#1", {"R1D ScaleNumerator:1"}},
        {"#7", {"R1D PulsesPerRev:2621440"}},
        {"#12", {"R1D HomeDirection:-5"}},
        {"@55", {"R00"}},
        {"#1=1", {"R00"}},
        {"#7=2621440", {"R00"}},
        {"#7=42", {"R00"}},
        {"#12=-5", {"R00"}},
        {"@54", {"R00"}},
    };
}

} // namespace

class TestMachineParameterEdit : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DriveBench> m_bench;
    std::unique_ptr<MachineParameterEdit> m_edit;
    ScriptedPrompt m_prompt;

    void makeBench(DriveBench::Far far)
    {
        m_edit.reset();
        m_bench = std::make_unique<DriveBench>(far);
        m_edit = std::make_unique<MachineParameterEdit>(m_bench->link, m_prompt);
        m_bench->link.pushOwner(m_edit.get());
        m_bench->link.open();
        m_prompt = ScriptedPrompt();
    }

    // Runs one read or write to its end.
    Outcome run(void (MachineParameterEdit::*operation)())
    {
        QSignalSpy finished(m_edit.get(), &MachineParameterEdit::finished);
        (m_edit.get()->*operation)();
        if (finished.isEmpty() && !finished.wait(10000))
            return Outcome::Failed;
        return finished.last().at(0).value<Outcome>();
    }

    int rowOf(const QByteArray &key) const
    {
        for (int i = 0; i < m_edit->rows().size(); ++i) {
            if (m_edit->rows().at(i).key == key)
                return i;
        }
        return -1;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Catalogue::instance().loadModule(
            QStringLiteral(TORVANE_BIN_DIR "/") +
            Catalogue::moduleFileName(QStringLiteral("Torvane_E_Resource"))));
    }

    void init() { makeBench(DriveBench::Scripted); }

    void cleanup()
    {
        m_edit.reset();
        m_bench.reset();
    }

    void normaliseValue_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("stored"); // empty: refused
        QTest::newRow("leading zeros") << QByteArray("007") << QByteArray("7");
        QTest::newRow("negative zeros") << QByteArray("-007") << QByteArray("-7");
        QTest::newRow("minus zero") << QByteArray("-0") << QByteArray("0");
        QTest::newRow("int32 max") << QByteArray("2147483647") << QByteArray("2147483647");
        QTest::newRow("int32 min") << QByteArray("-2147483648") << QByteArray("-2147483648");
        QTest::newRow("zeros before max")
            << QByteArray("0002147483647") << QByteArray("2147483647");
        QTest::newRow("blanks around") << QByteArray(" 12 ") << QByteArray("12");
        QTest::newRow("lone minus") << QByteArray("-") << QByteArray();
        QTest::newRow("inner minus") << QByteArray("1-2") << QByteArray();
        QTest::newRow("double minus") << QByteArray("--5") << QByteArray();
        QTest::newRow("trailing minus") << QByteArray("5-") << QByteArray();
        QTest::newRow("decimal point") << QByteArray("1.5") << QByteArray();
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("plus sign") << QByteArray("+5") << QByteArray();
        QTest::newRow("above int32") << QByteArray("2147483648") << QByteArray();
        QTest::newRow("below int32") << QByteArray("-2147483649") << QByteArray();
        QTest::newRow("beyond 64 bits") << QByteArray("99999999999999999999") << QByteArray();
    }

    void normaliseValue()
    {
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, stored);
        QCOMPARE(MachineParameterEdit::normaliseValue(typed).value_or(QByteArray()), stored);
    }

    // Group 1 is listed and read outside the transfer mode.
    void readsGroupOne()
    {
        m_bench->scripted->answers = groupOne();
        QSignalSpy rows(m_edit.get(), &MachineParameterEdit::rowsChanged);
        QCOMPARE(run(&MachineParameterEdit::read), Outcome::Succeeded);
        QCOMPARE(m_bench->received(),
                 (QByteArrayList{"@40:1", "R0P", "R0P", "R0P", "#1", "#7", "#12"}));
        QCOMPARE(m_edit->rows().size(), 3);
        const MachineParameterEdit::Row &h = m_edit->rows().at(1);
        QCOMPARE(h.key, QByteArray("#7"));
        QCOMPARE(h.label, QByteArray("PulsesPerRev"));
        QCOMPARE(h.value, QByteArray("2621440"));
        QCOMPARE(m_edit->rows().at(2).key, QByteArray("#12"));
        QCOMPARE(m_edit->rows().at(2).value, QByteArray("-5"));
        QVERIFY(!m_edit->isBusy());
        QVERIFY(m_prompt.messages.isEmpty());
        QVERIFY(rows.count() >= 1);
    }

    void emptyGroup()
    {
        m_bench->scripted->answers = {{"@40:1", {"R00"}}};
        QCOMPARE(run(&MachineParameterEdit::read), Outcome::Succeeded);
        QVERIFY(m_edit->rows().isEmpty());
        QCOMPARE(m_bench->received(), QByteArrayList{"@40:1"});
    }

    void readFailures_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArrayList>("answer"); // empty: no reply
        QTest::addColumn<QString>("message");
        QTest::newRow("listing refused") << QByteArray("@40:1") << QByteArrayList{"ERR3"}
                                         << QStringLiteral("ERR3\n\nParameter read error.");
        QTest::newRow("reading refused") << QByteArray("#7") << QByteArrayList{"ALM62"}
                                         << QStringLiteral("ALM62\n\nParameter read error.");
        QTest::newRow("no reading")
            << QByteArray("#12") << QByteArrayList{} << QStringLiteral("Timeout error.");
    }

    void readFailures()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArrayList, answer);
        QFETCH(QString, message);
        m_bench->scripted->answers = groupOne();
        m_bench->scripted->answers[command] = answer;
        QSignalSpy idle(m_edit.get(), &MachineParameterEdit::lampIdle);
        QCOMPARE(run(&MachineParameterEdit::read), Outcome::Failed);
        QCOMPARE(m_prompt.messages, QStringList{message});
        QVERIFY(!m_edit->isBusy());
        QCOMPARE(idle.count(), 1);
    }

    // Every row is written in grid order, changed or not; refused rows are
    // listed and the rest goes on; the drive is restarted and its silence
    // closes the window.
    void writesEveryRow_data()
    {
        QTest::addColumn<QByteArray>("newValue");    // typed for #7; empty: unchanged
        QTest::addColumn<QByteArrayList>("refused"); // writes the drive refuses
        QTest::addColumn<QByteArrayList>("writes");
        QTest::addColumn<QString>("message");
        const QString done = QStringLiteral("Download completed.\n\nReset driver.");
        QTest::newRow("unchanged") << QByteArray() << QByteArrayList()
                                   << QByteArrayList{"#1=1", "#7=2621440", "#12=-5"} << done;
        QTest::newRow("edited") << QByteArray("0042") << QByteArrayList()
                                << QByteArrayList{"#1=1", "#7=42", "#12=-5"} << done;
        QTest::newRow("refused rows") << QByteArray() << QByteArrayList{"#1=1", "#12=-5"}
                                      << QByteArrayList{"#1=1", "#7=2621440", "#12=-5"}
                                      << QStringLiteral("Download completed.\n") + refusedRows +
                                             QStringLiteral("\n#1, #12, \n\nReset driver.");
    }

    void writesEveryRow()
    {
        QFETCH(QByteArray, newValue);
        QFETCH(QByteArrayList, refused);
        QFETCH(QByteArrayList, writes);
        QFETCH(QString, message);
        m_bench->scripted->answers = groupOne();
        for (const QByteArray &write : refused)
            m_bench->scripted->answers[write] = {write.startsWith("#1=") ? "ALM65" : "ALM62"};
        QCOMPARE(run(&MachineParameterEdit::read), Outcome::Succeeded);
        if (!newValue.isEmpty())
            QVERIFY(m_edit->setValue(1, newValue));
        m_bench->scripted->received.clear();
        QSignalSpy close(m_edit.get(), &MachineParameterEdit::closeRequested);
        QCOMPARE(run(&MachineParameterEdit::write), Outcome::Succeeded);
        const QByteArrayList expected =
            QByteArrayList{"@55"} + writes + QByteArrayList{"@54", "@96"};
        QCOMPARE(m_bench->received(), expected);
        QCOMPARE(m_prompt.messages, QStringList{message});
        QCOMPARE(close.count(), 1);
        QVERIFY(!m_edit->isBusy());
    }

    // A reply that is neither R00 nor a refusal, or none at all, stops the
    // write: the user is told to reset the drive, which is not restarted.
    void writeFailures_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArrayList>("answer"); // empty: no reply
        QTest::addColumn<QString>("message");
        QTest::addColumn<QByteArray>("last");
        QTest::newRow("row garbled")
            << QByteArray("#7=2621440") << QByteArrayList{"ERR3"}
            << QStringLiteral("ERR3\n\nReset driver.") << QByteArray("#7=2621440");
        QTest::newRow("write mode refused")
            << QByteArray("@55") << QByteArrayList{"ALM62"}
            << QStringLiteral("ALM62\n\nReset driver.") << QByteArray("@55");
        QTest::newRow("close refused")
            << QByteArray("@54") << QByteArrayList{"ERR1"}
            << QStringLiteral("ERR1\n\nReset driver.") << QByteArray("@54");
        QTest::newRow("row unanswered")
            << QByteArray("#1=1") << QByteArrayList{}
            << QStringLiteral("Timeout error.\n\nReset driver.") << QByteArray("#1=1");
    }

    void writeFailures()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArrayList, answer);
        QFETCH(QString, message);
        QFETCH(QByteArray, last);
        m_bench->scripted->answers = groupOne();
        QCOMPARE(run(&MachineParameterEdit::read), Outcome::Succeeded);
        m_bench->scripted->answers[command] = answer;
        QSignalSpy close(m_edit.get(), &MachineParameterEdit::closeRequested);
        QCOMPARE(run(&MachineParameterEdit::write), Outcome::Failed);
        QCOMPARE(m_prompt.messages, QStringList{message});
        QCOMPARE(m_bench->received().last(), last);
        QCOMPARE(m_bench->count("@96"), 0);
        QCOMPARE(close.count(), 0);
        QVERIFY(!m_edit->isBusy());
    }

    // Against the virtual drive: an edited value and a refused one are
    // written, the drive restarts, and reading again shows what it kept.
    void endToEnd()
    {
        makeBench(DriveBench::Virtual);
        QCOMPARE(run(&MachineParameterEdit::read), Outcome::Succeeded);
        QVERIFY2(m_edit->rows().size() >= 40, "group 1 scrolls in the grid");
        const int inPosition = rowOf("#8");
        const int rollover = rowOf("#6");
        QVERIFY(inPosition >= 0 && rollover >= 0);
        QCOMPARE(m_edit->rows().at(inPosition).label, QByteArray("InPositionWidth"));
        QVERIFY(m_edit->setValue(inPosition, "0123"));
        QVERIFY(m_edit->setValue(rollover, "5")); // the drive allows 0 and 1
        QCOMPARE(run(&MachineParameterEdit::write), Outcome::Succeeded);
        QCOMPARE(m_prompt.messages.size(), 1);
        QCOMPARE(m_prompt.messages.first(), QStringLiteral("Download completed.\n") + refusedRows +
                                                QStringLiteral("\n#6, \n\nReset driver."));
        QCOMPARE(m_bench->count("#8=123"), 1);
        QCOMPARE(m_bench->count("@53"), 0);

        QTRY_VERIFY_WITH_TIMEOUT(!m_bench->drive->isRestarting(), 5000);
        QCOMPARE(run(&MachineParameterEdit::read), Outcome::Succeeded);
        QCOMPARE(m_edit->rows().at(inPosition).value, QByteArray("123"));
        QCOMPARE(m_edit->rows().at(rollover).value, QByteArray("0"));
    }
};

QTEST_GUILESS_MAIN(TestMachineParameterEdit)
#include "tst_machineparameteredit.moc"
