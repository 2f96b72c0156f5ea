#include "operate/servotuningexchange.h"
#include "operateprompt.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"

#include <QTest>

namespace {
class BottomOwner : public LinkOwner
{
public:
    void onLinkTimeout() override {}
    void onLinkReply(const QByteArray &) override {}
};
} // namespace

// Servo tuning's exchange against the virtual drive: what it must not send.
class TestServoTuning : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    BottomOwner m_bottom;
    OperatePrompt m_prompt;
    std::unique_ptr<ServoTuningExchange> m_tuning;

    bool openTuning(const QString &preset = QStringLiteral("default"))
    {
        m_bench->drive->applyPreset(preset);
        m_tuning = std::make_unique<ServoTuningExchange>(m_bench->link);
        m_tuning->setPrompt(&m_prompt);
        m_tuning->setPollMs(50);
        m_tuning->open();
        return QTest::qWaitFor([this] { return m_tuning->state() == ServoTuningExchange::Idle; },
                               5000);
    }
    bool settled()
    {
        return QTest::qWaitFor([this] { return !m_tuning->commandPending(); }, 5000);
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
        m_bench = std::make_unique<LinkBench>();
        m_bench->link.pushOwner(&m_bottom);
        QVERIFY(m_bench->link.open());
        m_prompt = OperatePrompt();
    }
    void cleanup()
    {
        m_tuning.reset();
        m_bench.reset();
    }

    void openingAndBoard_data()
    {
        QTest::addColumn<QString>("preset");
        QTest::addColumn<int>("velGain2");
        QTest::newRow("standard board") << "default" << 63;
        QTest::newRow("board 100") << "ifb100" << 49;
    }
    void openingAndBoard()
    {
        QFETCH(QString, preset);
        QFETCH(int, velGain2);
        QVERIFY(openTuning(preset));
        QCOMPARE(m_bench->received().mid(0, 2), (QByteArrayList{"@0:0", "\"pr:30"}));
        QCOMPARE(m_tuning->parameter(4), velGain2);
        QVERIFY(m_tuning->fieldsEnabled());
        QVERIFY(m_tuning->autoTuningEnabled());
    }

    void enterAndSpins()
    {
        QVERIFY(openTuning());
        // No current field: nothing is sent.
        QVERIFY(!m_tuning->enter("120"));
        m_tuning->setCurrentField(2);
        QVERIFY(!m_tuning->enter("1:2"));
        QCOMPARE(m_prompt.messages, QStringList{QStringLiteral("Data invalid or out of range")});
        QVERIFY(m_tuning->enter("120"));
        QVERIFY(settled());
        QTRY_COMPARE(m_bench->count("#51=120"), 1);
        QCOMPARE(*m_bench->drive->item(51), 120);
        QVERIFY(settled());
        QVERIFY(!m_tuning->spinFilter(ServoTuningExchange::FirstLagItem, 49));
        QVERIFY(!m_tuning->spinFilter(ServoTuningExchange::FirstLagItem, 1501));
        QVERIFY(m_tuning->spinFilter(ServoTuningExchange::FirstLagItem, 50));
        // A further step while the first is on its way is not sent.
        QVERIFY(!m_tuning->spinFilter(ServoTuningExchange::FirstLagItem, 51));
        QVERIFY(settled());
        QCOMPARE(m_bench->count("#154=50"), 1);
        QCOMPARE(m_bench->count("#154=51"), 0);
        QCOMPARE(m_bench->count("#154=49"), 0);
    }

    void exitRefusedInTestMode()
    {
        QVERIFY(openTuning());
        m_tuning->toggleTestMode();
        QTRY_VERIFY(m_tuning->testMode());
        QVERIFY(settled());
        QVERIFY(!m_tuning->requestClose());
        QCOMPARE(m_prompt.messages, QStringList{QStringLiteral("Executing Test mode.")});
        m_tuning->toggleTestMode();
        QTRY_VERIFY(!m_tuning->testMode());
        QVERIFY(settled());
        QVERIFY(m_tuning->requestClose());
    }
};

QTEST_GUILESS_MAIN(TestServoTuning)
#include "tst_servotuning.moc"
