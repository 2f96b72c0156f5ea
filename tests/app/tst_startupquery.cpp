#include "app/appsettings.h"
#include "app/startupquery.h"
#include "link/drivelink.h"
#include "link/memoryport.h"
#include "resources/catalogue.h"
#include "support/linkbench.h"

#include <QSignalSpy>
#include <QTest>

class TestStartupQuery : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<LinkBench> m_bench;
    ScriptedDrive *m_drive = nullptr;
    std::unique_ptr<AppSettings> m_settings;
    std::unique_ptr<StartupQuery> m_query;

    void fullAnswers()
    {
        m_drive->answers = {{"\"pr:22", {"R:2"}},
                            {"\"pr:50", {"R:4"}},
                            {"@44", {"R5Z Kalderon_M2:SIM-0001:K1.20:A3.05:C2.01:E1.10"}},
                            {"\"pr:0", {"R:1"}},
                            {"#201", {"R1D EnglishDisp:1"}}};
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
        m_query.reset();
        m_bench = std::make_unique<LinkBench>(LinkBench::Scripted);
        m_drive = m_bench->scripted.get();
        m_settings = std::make_unique<AppSettings>();
        m_query = std::make_unique<StartupQuery>(m_bench->link, *m_settings);
        m_bench->link.pushOwner(m_query.get());
        m_bench->link.open();
    }

    void fullSequence()
    {
        fullAnswers();
        QSignalSpy finished(m_query.get(), &StartupQuery::finished);
        m_query->start();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QCOMPARE(m_drive->received,
                 (QByteArrayList{"\"pr:22", "\"pr:50", "@44", "\"pr:0", "#201"}));
        QVERIFY(m_query->absAccVisible());
        QCOMPARE(m_query->absAccText(), QStringLiteral("AbsAccComp"));
        QVERIFY(m_settings->homingOption());
        QCOMPARE(m_settings->romVersion(), QStringLiteral("SIM-0001:K1.20:A3.05:C2.01:E1.10"));
        QVERIFY(m_settings->linearMotor());
        QVERIFY(m_settings->englishDisplay());
        QCOMPARE(m_query->state(), StartupQuery::Idle);
    }

    void absAccButton_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<bool>("visible");
        QTest::newRow("0") << QByteArray("R:0") << false;
        QTest::newRow("1") << QByteArray("R:1") << false;
        QTest::newRow("2") << QByteArray("R:2") << true;
        QTest::newRow("no field") << QByteArray("R") << false;
    }
    void absAccButton()
    {
        QFETCH(QByteArray, answer);
        QFETCH(bool, visible);
        fullAnswers();
        m_drive->answers["\"pr:22"] = {answer};
        QSignalSpy finished(m_query.get(), &StartupQuery::finished);
        m_query->start();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QCOMPARE(m_query->absAccVisible(), visible);
    }

    void homingBitTwoOnly()
    {
        fullAnswers();
        m_drive->answers["\"pr:50"] = {"R:3"};
        QSignalSpy finished(m_query.get(), &StartupQuery::finished);
        m_query->start();
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QVERIFY(!m_settings->homingOption());
    }

    void silentDriveEndsQuietly()
    {
        QSignalSpy abandoned(m_query.get(), &StartupQuery::abandoned);
        m_query->start();
        QTRY_COMPARE_WITH_TIMEOUT(abandoned.count(), 1, 5000);
        QCOMPARE(m_query->state(), StartupQuery::Idle);
        QVERIFY(!m_query->absAccVisible());
        QCOMPARE(m_query->absAccText(), QStringLiteral("AbsAccComp"));
        QCOMPARE(m_drive->received, QByteArrayList{"\"pr:22"});
        QVERIFY(m_settings->romVersion().isEmpty());
    }

    void lateReplyStillAdvances()
    {
        fullAnswers();
        m_drive->answers.remove("@44");
        QSignalSpy finished(m_query.get(), &StartupQuery::finished);
        m_query->start();
        QTRY_COMPARE_WITH_TIMEOUT(m_drive->received.size(), 3, 5000);
        // The identification times out; the query keeps waiting in state 20.
        QTest::qWait(1300);
        QCOMPARE(m_query->state(), StartupQuery::AskVersion);
        m_bench->feed("R5Z Kalderon_M2:LATE");
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QCOMPARE(m_settings->romVersion(), QStringLiteral("LATE"));
        QCOMPARE(m_drive->received.size(), 5);
    }
};

QTEST_GUILESS_MAIN(TestStartupQuery)
#include "tst_startupquery.moc"
