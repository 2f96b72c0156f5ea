#include "app/appsettings.h"
#include "app/profilestore.h"
#include "link/portmap.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestSettings : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString profilePath() const { return m_dir.filePath(QStringLiteral("torvane.ini")); }
    QByteArray profileBytes() const
    {
        QFile f(profilePath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeProfile(const QByteArray &bytes)
    {
        QFile f(profilePath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

private Q_SLOTS:
    void init() { QFile::remove(profilePath()); }

    void firstStartWritesComPortAtOnce()
    {
        ProfileStore profile(profilePath());
        AppSettings settings(&profile);
        settings.readStartupEntries();
        QCOMPARE(settings.comPort(), quint16(1));
        QVERIFY(!settings.strSetEnglish());
        QCOMPARE(profileBytes(), QByteArray("[COMPORT]\nComPort=1\n"));
    }

    void sectionsKeptExactly()
    {
        writeProfile("[ENGLISH DSP]\nEnglishDsp=1\n[OSCSCOPE]\nT1_POS_X=12\n; note\n");
        ProfileStore profile(profilePath());
        QCOMPARE(profile.readInt(QStringLiteral("ENGLISH DSP"), QStringLiteral("EnglishDsp"), 0),
                 1);
        QVERIFY(profile.writeString(QStringLiteral("DATADIR"), QStringLiteral("DataDir"),
                                    QStringLiteral("/home/a b;c\\d")));
        QCOMPARE(profileBytes(), QByteArray("[ENGLISH DSP]\nEnglishDsp=1\n[OSCSCOPE]\nT1_POS_X=12\n"
                                            "[DATADIR]\nDataDir=/home/a b;c\\d\n"));
        ProfileStore again(profilePath());
        QCOMPARE(again.readString(QStringLiteral("DATADIR"), QStringLiteral("DataDir")),
                 QStringLiteral("/home/a b;c\\d"));
    }

    void garbageGivesDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("comPort");
        QTest::addColumn<bool>("strSetEnglish");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe[[[=\n\x01", 9) << 1 << false;
        QTest::newRow("no sections") << QByteArray("ComPort=5\n") << 1 << false;
        QTest::newRow("not a number") << QByteArray("[COMPORT]\nComPort=abc\n") << 1 << false;
        QTest::newRow("huge") << QByteArray("[COMPORT]\nComPort=99999999999\n") << 1 << false;
        QTest::newRow("valid") << QByteArray("[COMPORT]\nComPort=3\n[OSCSCOPE]\nStrSetEnglish=1\n")
                               << 3 << true;
        QTest::newRow("crlf") << QByteArray("[COMPORT]\r\nComPort=4\r\n") << 4 << false;
    }
    void garbageGivesDefaults()
    {
        QFETCH(QByteArray, content);
        QFETCH(int, comPort);
        QFETCH(bool, strSetEnglish);
        writeProfile(content);
        ProfileStore profile(profilePath());
        AppSettings settings(&profile);
        settings.readStartupEntries();
        QCOMPARE(int(settings.comPort()), comPort);
        QCOMPARE(settings.strSetEnglish(), strSetEnglish);
    }

    void chooserMapsOutOfRangeToCom8()
    {
        QCOMPARE(PortMap::chooserPort(0), 8);
        QCOMPARE(PortMap::chooserPort(7), 7);
        QCOMPARE(PortMap::chooserPort(12), 8);
    }

    void dataDirGetsSeparator_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected");
        QTest::newRow("without") << QStringLiteral("/srv/drives") << QStringLiteral("/srv/drives/");
        QTest::newRow("with") << QStringLiteral("/srv/drives/") << QStringLiteral("/srv/drives/");
        QTest::newRow("empty") << QString() << QString();
    }
    void dataDirGetsSeparator()
    {
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        ProfileStore profile(profilePath());
        if (!stored.isEmpty())
            profile.writeString(QStringLiteral("DATADIR"), QStringLiteral("DataDir"), stored);
        AppSettings settings(&profile);
        settings.initDirectories();
        QVERIFY(settings.baseDir().endsWith(QLatin1Char('/')));
        if (expected.isEmpty())
            expected = settings.baseDir() + QStringLiteral("data/");
        QCOMPARE(settings.dataDir(), expected);
    }

    void longWorkingDirectory()
    {
        // No limit on the length of the working directory.
        QString deep = m_dir.path();
        while (deep.size() < 200)
            deep += QStringLiteral("/a-rather-long-folder-name");
        QVERIFY(QDir().mkpath(deep));
        const QString old = QDir::currentPath();
        QVERIFY(QDir::setCurrent(deep));
        ProfileStore profile(profilePath());
        AppSettings settings(&profile);
        settings.initDirectories();
        QDir::setCurrent(old);
        QCOMPARE(settings.baseDir(), deep + QLatin1Char('/'));
        QCOMPARE(settings.dataDir(), deep + QStringLiteral("/data/"));
    }

    void chosenFileStoresFolderAtOnce()
    {
        ProfileStore profile(profilePath());
        AppSettings settings(&profile);
        settings.rememberChosenFile(QStringLiteral("/srv/drives/line2/axis.prm"));
        QCOMPARE(settings.dataDir(), QStringLiteral("/srv/drives/line2"));
        QCOMPARE(ProfileStore(profilePath())
                     .readString(QStringLiteral("DATADIR"), QStringLiteral("DataDir")),
                 QStringLiteral("/srv/drives/line2"));
        // The next start appends the separator again.
        AppSettings next(&profile);
        next.initDirectories();
        QCOMPARE(next.dataDir(), QStringLiteral("/srv/drives/line2/"));
    }

    void exitNeverWritesEmptyDataDir()
    {
        ProfileStore profile(profilePath());
        profile.writeString(QStringLiteral("DATADIR"), QStringLiteral("DataDir"),
                            QStringLiteral("/keep/me"));
        AppSettings settings(&profile);
        settings.setDataDir(QString());
        settings.setRomVersion(QStringLiteral("SIM-0001:K1.20"));
        settings.setEnglishDisplay(true);
        settings.writeExitEntries();
        ProfileStore after(profilePath());
        QCOMPARE(after.readString(QStringLiteral("DATADIR"), QStringLiteral("DataDir")),
                 QStringLiteral("/keep/me"));
        QCOMPARE(after.readString(QStringLiteral("ROM"), QStringLiteral("RomVerStr")),
                 QStringLiteral("SIM-0001:K1.20"));
        QCOMPARE(after.readInt(QStringLiteral("ENGLISH DSP"), QStringLiteral("EnglishDsp"), -1), 1);
        QCOMPARE(after.readInt(QStringLiteral("COMPORT"), QStringLiteral("ComPort"), -1), 1);
    }

    void portMapPersistsAndOverrides()
    {
        ProfileStore profile(profilePath());
        PortMap map;
        QCOMPARE(map.path(1), QStringLiteral("/dev/ttyUSB0"));
        map.setPath(2, QStringLiteral("/dev/serial/by-id/drive"));
        map.save(profile);
        PortMap loaded;
        loaded.load(profile);
        QCOMPARE(loaded.path(2), QStringLiteral("/dev/serial/by-id/drive"));
        loaded.setOverride(2, QStringLiteral("/dev/pts/7"));
        QCOMPARE(loaded.path(2), QStringLiteral("/dev/pts/7"));
        QCOMPARE(loaded.path(3), PortMap::defaultPath(3));
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
