#include "cam/camfile.h"
#include "cam/camgraph.h"
#include "cam/camlaw.h"
#include "cam/camtransfer.h"
#include "cam/universalcamfile.h"
#include "resources/catalogue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

CamProfile sampleProfile()
{
    CamProfile profile;
    profile.title = "sample";
    profile.values = {1, 2, 0x1F5,     0x109,      0,        0x1000000,
                      0, 0, 0x1921FB5, 0xFFFFFFFF, 0x13BD3D, 0xFFEC42C3};
    for (int k = 0; k < CamProfile::PointCount; ++k)
        profile.points[k] = k * 100 - 3;
    return profile;
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

CamLaw::Times times(double t1, double t2, double t3, double t4, double t5, double t6,
                    double tcs = 0.0, double tce = 1.0)
{
    return {0.0, t1, t2, t3, t4, t5, t6, 1.0, tcs, tce};
}

} // namespace

class TestCamFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(Catalogue::instance().loadModule(
            QStringLiteral(TORVANE_BIN_DIR "/") +
            Catalogue::moduleFileName(QStringLiteral("Torvane_E_Resource"))));
    }

    // The records as the file holds them: labels in 14 columns, "0x" and
    // lower-case digits, five points a line and point 500 alone.
    void layout()
    {
        const QByteArray bytes = CamFile::compose(sampleProfile(), {"t.cdt"});
        const QByteArrayList lines = bytes.split('\n');
        QCOMPARE(lines.first(), QByteArray("t.cdt                  |\r"));
        QVERIFY(bytes.contains("\r\nTitle         |TT1:sample\r\n"));
        QVERIFY(bytes.contains("\r\nReady         |TI1:0x0001:0x0001\r\n"));
        QVERIFY(bytes.contains("\r\nTag           |TI1:0x0004:0x00000109\r\n"));
        QVERIFY(bytes.contains("\r\nPos_atStart   |TI1:0x000b:0x00000000\r\n"));
        QVERIFY(bytes.contains("\r\nVelMin        |TI1:0x0010:0xffffffff\r\n"));
        QVERIFY(bytes.contains("\r\n [  0\x81\x60  4]   |TD1:000:004:0xfffffffd:0x00000061:"
                               "0x000000c5:0x00000129:0x0000018d\r\n"));
        QVERIFY(bytes.endsWith("\r\n [500     ]   |TD1:500:500:0x0000c34d\r\nEND\r\n"));
        QCOMPARE(bytes.count("|TI1:"), 12);
        QCOMPARE(bytes.count("|TD1:"), 101);

        const QString path = m_dir.filePath(QStringLiteral("layout.cdt"));
        QVERIFY(CamFile::write(path, sampleProfile(), CamFile::header(path, 3)));
        const CamFile::ReadResult read = CamFile::read(path);
        QCOMPARE(read.fault, CamFile::ReadResult::Fault::None);
        QVERIFY(read.profile == sampleProfile());
        QVERIFY(fileBytes(path).contains("Backup Parts   No :  3 |\r\n"));
    }

    void edgeCases_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<bool>("valid");
        const QByteArray last = " [500     ]   |TD1:500:500:0x0000c34d\r\n";
        const QByteArray ready = "Ready         |TI1:0x0001:0x0001\r\n";
        QTest::newRow("100 data lines") << last << QByteArray() << false;
        QTest::newRow("13 item lines") << ready << ready + "Extra         |TI1:0x0005:0x0001\r\n"
                                       << false;
        QTest::newRow("item twice") << ready << ready + ready << false;
        QTest::newRow("field count")
            << QByteArray(":0x0000018d\r\n") << QByteArray("\r\n") << false;
        QTest::newRow("not ending at 500")
            << last << QByteArray(" [500     ]   |TD1:499:499:0x0000c34d\r\n") << false;
        QTest::newRow("16-bit item too wide")
            << ready << QByteArray("Ready         |TI1:0x0001:0x10000\r\n") << false;
        QTest::newRow("lines without a bar skipped")
            << ready << "no bar here\r\n" + ready + "[Header]\r\nempty after bar |\r\n"
            << true;
        QTest::newRow("after END ignored")
            << QByteArray("END\r\n") << QByteArray("END\r\nTD1|TD1:000:000:1\r\n") << true;
        QTest::newRow("decimal fields")
            << last << QByteArray(" [500     ]   |TD1:500:500:50000\r\n") << true;
    }

    void edgeCases()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(bool, valid);
        QByteArray bytes = CamFile::compose(sampleProfile(), {"edge"});
        QVERIFY(bytes.contains(from));
        bytes.replace(from, to);
        const QString path = m_dir.filePath(QStringLiteral("edge.cdt"));
        writeBytes(path, bytes);
        CamProfile profile;
        const QString problem = CamTransfer::loadProfile(path, &profile);
        if (valid) {
            QCOMPARE(problem, QString());
            QCOMPARE(profile.points[0], -3);
        } else {
            QCOMPARE(problem,
                     path + QStringLiteral("\n\nCannot open file. Not a cam profile file."));
        }
    }

    void universalFile()
    {
        const QString path = m_dir.filePath(QStringLiteral("u.unv"));
        const CamLaw::Times t = times(0.125, 0.375, 0.5, 0.6, 0.625, 0.875, 0.1, 0.9);
        const QByteArray bytes = UniversalCamFile::compose(path, t);
        QVERIFY(bytes.startsWith("u.unv                  |\r\n[Universal data]       |\r\n"
                                 "First Prio    |US1: 0:0\r\nT0            |UI1: 0:0.0000000000\r\n"
                                 "T1            |UI1: 1:0.1250000000\r\n"));
        QVERIFY(bytes.endsWith("Tcs           |UI1:11:0.1000000000\r\n"
                               "Tce           |UI1:12:0.9000000000\r\n\r\nEND\r\n"));
        writeBytes(path, bytes);
        QCOMPARE(UniversalCamFile::read(path), std::optional<CamLaw::Times>(t));

        writeBytes(path, QByteArray(bytes).replace("Tce           |UI1:12:0.9000000000\r\n", ""));
        bool opened = false;
        QVERIFY(!UniversalCamFile::read(path, &opened));
        QVERIFY(opened);
    }

    // The seven-segment law: rest to rest from 0 to 1, the velocity without
    // jumps, and the classic laws as members of the family.
    void law_data()
    {
        QTest::addColumn<CamLaw::Times>("t");
        QTest::newRow("cycloid") << times(0.25, 0.25, 0.5, 0.5, 0.75, 0.75);
        QTest::newRow("modified sine") << times(0.125, 0.125, 0.5, 0.5, 0.875, 0.875);
        QTest::newRow("modified trapezoid") << CamLaw::defaultTimes();
        QTest::newRow("constant velocity, dwells") << times(0.1, 0.2, 0.3, 0.7, 0.8, 0.9, 0.2, 0.8);
        QTest::newRow("unequal halves") << times(0.05, 0.05, 0.2, 0.2, 0.6, 0.6);
    }

    void law()
    {
        QFETCH(CamLaw::Times, t);
        const std::optional<CamLaw> law = CamLaw::fromTimes(t);
        QVERIFY(law);
        const CamProfile profile = law->profile();
        QCOMPARE(profile.points[0], 0);
        QCOMPARE(profile.points[500], 1 << 24);
        for (int k = 1; k < CamProfile::PointCount; ++k)
            QVERIFY(profile.points[k] >= profile.points[k - 1]);
        // Between neighbouring points the velocity changes by at most the
        // largest acceleration times a step, and a little for rounding.
        const double accMax = qMax(double(qint32(profile.values[CamProfile::AccMax])),
                                   -double(qint32(profile.values[CamProfile::AccMin]))) /
                              CamProfile::AccelerationScale;
        const double bound = 1.05 * accMax / 500.0 + 1e-4;
        const QList<double> v = CamGraph::velocities(profile);
        for (int k = 1; k < v.size(); ++k)
            QVERIFY2(qAbs(v[k] - v[k - 1]) <= bound, qPrintable(QString::number(k)));
        QVERIFY(qAbs(v.first()) < 1e-3 && qAbs(v.last()) < 1e-3);
        const double vMax = *std::max_element(v.cbegin(), v.cend());
        QVERIFY(qAbs(vMax - profile.values[CamProfile::VelMax] / CamProfile::PositionScale) < 2e-3);
    }

    void cycloidMatchesDrive()
    {
        const CamProfile profile =
            CamLaw::fromTimes(times(0.25, 0.25, 0.5, 0.5, 0.75, 0.75))->profile();
        QCOMPARE(profile.points[1], 1);
        QCOMPARE(profile.points[2], 7);
        QCOMPARE(profile.points[3], 0x18);
        QCOMPARE(profile.points[4], 0x39);
        QCOMPARE(profile.values[CamProfile::VelMax], 0x2000000u);
        QCOMPARE(profile.values[CamProfile::AccMax], 0x1921FBu);
        QCOMPARE(profile.values[CamProfile::AccMin], 0xFFE6DE05u);
        QCOMPARE(CamGraph::readouts(profile).at(2), QStringLiteral("  2.000000"));
        QCOMPARE(CamGraph::readouts(profile).at(5), QStringLiteral(" -6.283184"));
    }

    void save()
    {
        const QString path = m_dir.filePath(QStringLiteral("rise.unv"));
        QString message;
        QVERIFY(!UniversalCamFile::save(path, times(0.3, 0.2, 0.5, 0.5, 0.7, 0.8), &message));
        QCOMPARE(message, Catalogue::instance().string(1160));
        QVERIFY(!QFile::exists(path));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("rise.cdt"))));

        QVERIFY(UniversalCamFile::save(path, CamLaw::defaultTimes(), &message));
        const CamFile::ReadResult profile =
            CamFile::read(m_dir.filePath(QStringLiteral("rise.cdt")));
        QCOMPARE(profile.fault, CamFile::ReadResult::Fault::None);
        QCOMPARE(profile.profile.title, QByteArray("rise"));
        QCOMPARE(UniversalCamFile::read(path), std::optional(CamLaw::defaultTimes()));

        // A profile file that cannot be replaced keeps the earlier unv file.
        const QString blocked = m_dir.filePath(QStringLiteral("blocked.unv"));
        writeBytes(blocked, "old");
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("blocked.cdt")));
        QVERIFY(!UniversalCamFile::save(blocked, CamLaw::defaultTimes(), &message));
        QCOMPARE(fileBytes(blocked), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(TestCamFile)
#include "tst_camfile.moc"
