#include "app/appsettings.h"
#include "app/startupquery.h"
#include "link/drivelink.h"
#include "link/linkowner.h"
#include "link/serialportio.h"
#include "resources/catalogue.h"
#include "sim/ptyendpoint.h"
#include "sim/virtualdrive.h"

#include <QSignalSpy>
#include <QTest>

namespace {
class RecordingOwner : public LinkOwner
{
public:
    QList<QByteArray> replies;
    int timeouts = 0;
    void onLinkReply(const QByteArray &line) override { replies.append(line); }
    void onLinkTimeout() override { ++timeouts; }
};
} // namespace

// The link over a real pseudo-terminal, the virtual drive on its far end.
class TestLinkPty : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<VirtualDrive> m_drive;
    std::unique_ptr<PtyEndpoint> m_pty;
    std::unique_ptr<DriveLink> m_link;
    RecordingOwner m_owner;

    QByteArray exchange(const QByteArray &command)
    {
        const qsizetype before = m_owner.replies.size();
        const int timeoutsBefore = m_owner.timeouts;
        m_link->send(command);
        if (!QTest::qWaitFor(
                [&] {
                    return m_owner.replies.size() > before || m_owner.timeouts > timeoutsBefore;
                },
                5000))
            return "(no callback)";
        return m_owner.replies.size() > before ? m_owner.replies.last() : "(timeout)";
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
        m_drive = std::make_unique<VirtualDrive>();
        m_drive->setProfile(VirtualDrive::Profile::Test);
        m_pty = std::make_unique<PtyEndpoint>();
        QString error;
        QVERIFY2(m_pty->open(&error), qPrintable(error));
        m_pty->attach(m_drive.get());
        m_link = std::make_unique<DriveLink>();
        m_link->setPort(std::make_unique<SerialPortIo>(m_pty->slavePath()));
        m_owner = RecordingOwner();
        m_link->pushOwner(&m_owner);
        QVERIFY(m_link->open());
    }
    void cleanup()
    {
        m_link.reset();
        m_pty.reset();
        m_drive.reset();
    }

    void identification()
    {
        const QByteArray reply = exchange("@44");
        QVERIFY2(reply.startsWith("R5Z"), reply.constData());
    }

    void stationThree()
    {
        m_drive->setStation(3);
        m_link->setUnit(3);
        QVERIFY(exchange("@44").startsWith("R5Z"));
        QCOMPARE(m_drive->trace().received().last(), QByteArray("3@44"));
    }

    void wrongStationPrefixTimesOut()
    {
        m_drive->setStation(3);
        m_link->setUnit(3);
        QVERIFY(m_drive->addFault(QStringLiteral("nth=1,station_prefix=04")) > 0);
        QCOMPARE(exchange("@44"), QByteArray("(timeout)"));
        // The link is usable right after.
        QVERIFY(exchange("@44").startsWith("R5Z"));
    }

    void chunkedReplyDeliveredOnce()
    {
        QVERIFY(m_drive->addFault(QStringLiteral("nth=1,chunk=1/2/3,gap_ms=20,cr_separate")) > 0);
        const QByteArray reply = exchange("@44");
        QVERIFY2(reply.startsWith("R5Z"), reply.constData());
        QCOMPARE(m_owner.replies.size(), 1);
    }

    void silenceTimesOut()
    {
        QVERIFY(m_drive->addFault(QStringLiteral("nth=1,drop")) > 0);
        QCOMPARE(exchange("@44"), QByteArray("(timeout)"));
    }

    void startupQueryOverPty()
    {
        AppSettings settings;
        StartupQuery query(*m_link, settings);
        m_link->pushOwner(&query);
        QSignalSpy finished(&query, &StartupQuery::finished);
        query.start();
        QVERIFY(finished.wait(5000));
        QVERIFY(!settings.romVersion().isEmpty());
        QCOMPARE(m_drive->trace().received(),
                 (QList<QByteArray>{"\"pr:22", "\"pr:50", "@44", "\"pr:0", "#201"}));
    }

    void hangUpIsReportedAndRecovered()
    {
        QSignalSpy errors(m_link.get(), &DriveLink::portError);
        m_pty->hangUp();
        // The far end is gone: the device reports an error or the reply
        // times out; either way the program keeps running.
        exchange("@44");
        QString error;
        QVERIFY2(m_pty->reopen(&error), qPrintable(error));
        m_link->setPort(std::make_unique<SerialPortIo>(m_pty->slavePath()));
        m_link->popOwner();
        m_link->pushOwner(&m_owner);
        QVERIFY(m_link->open());
        QVERIFY(exchange("@44").startsWith("R5Z"));
    }
};

QTEST_GUILESS_MAIN(TestLinkPty)
#include "tst_linkpty.moc"
