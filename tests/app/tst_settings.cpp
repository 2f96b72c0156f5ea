#include "app/appsettings.h"
#include "app/profilestore.h"
#include "link/portmap.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
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
        QCOMPARE(profileBytes(),
                 QByteArray("[ENGLISH DSP]\nEnglishDsp=1\n[OSCSCOPE]\nT1_POS_X=12\n; note\n"
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

    void lineBreakCannotForgeEntries_data()
    {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("value");
        QTest::newRow("firmware text") << QStringLiteral("ROM") << QStringLiteral("RomVerStr")
                                       << QStringLiteral("A3.05\n[DATADIR]\nDataDir=/evil");
        QTest::newRow("cr lf") << QStringLiteral("ROM") << QStringLiteral("RomVerStr")
                               << QStringLiteral("A3.05\r\n[DATADIR]\r\nDataDir=/evil");
        QTest::newRow("folder") << QStringLiteral("DATADIR") << QStringLiteral("DataDir")
                                << QStringLiteral("/srv/a\nDataDir=/evil");
        QTest::newRow("entry name")
            << QStringLiteral("ROM") << QStringLiteral("Rom\n[DATADIR]\nDataDir")
            << QStringLiteral("/evil");
        QTest::newRow("section name") << QStringLiteral("ROM]\n[DATADIR")
                                      << QStringLiteral("DataDir") << QStringLiteral("/evil");
    }
    void lineBreakCannotForgeEntries()
    {
        QFETCH(QString, section);
        QFETCH(QString, entry);
        QFETCH(QString, value);
        writeProfile("[ROM]\nRomVerStr=A3.04\n[DATADIR]\nDataDir=/keep\n");
        const QByteArray before = profileBytes();
        ProfileStore profile(profilePath());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("refused to store")));
        QVERIFY(!profile.writeString(section, entry, value));
        QCOMPARE(profileBytes(), before);
        ProfileStore again(profilePath());
        QCOMPARE(again.readString(QStringLiteral("DATADIR"), QStringLiteral("DataDir")),
                 QStringLiteral("/keep"));
        QCOMPARE(again.readString(QStringLiteral("ROM"), QStringLiteral("RomVerStr")),
                 QStringLiteral("A3.04"));
    }

    void rewriteKeepsOtherBytes_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("not utf-8")
            << QByteArray("[ROM]\nRomVerStr=K\xe9"
                          "1\n")
            << QStringLiteral("COMPORT") << QStringLiteral("ComPort") << QStringLiteral("5")
            << QByteArray("[ROM]\nRomVerStr=K\xe9"
                          "1\n[COMPORT]\nComPort=5\n");
        QTest::newRow("comments and unknown entries")
            << QByteArray("; made by hand\n[COMPORT]\n# old port\nComPort = 2 \n\n"
                          "[UNKNOWN]\nFoo = bar baz \nno entry here\n")
            << QStringLiteral("comport") << QStringLiteral("COMPORT") << QStringLiteral("5")
            << QByteArray("; made by hand\n[COMPORT]\n# old port\nCOMPORT=5\n\n"
                          "[UNKNOWN]\nFoo = bar baz \nno entry here\n");
        QTest::newRow("new entry in its section")
            << QByteArray("[COMPORT]\nComPort=2\n\n[OSCSCOPE]\nA=1\n") << QStringLiteral("COMPORT")
            << QStringLiteral("Other") << QStringLiteral("3")
            << QByteArray("[COMPORT]\nComPort=2\nOther=3\n\n[OSCSCOPE]\nA=1\n");
        QTest::newRow("cr lf") << QByteArray("[COMPORT]\r\nComPort=2\r\n; note\r\n")
                               << QStringLiteral("DATADIR") << QStringLiteral("DataDir")
                               << QStringLiteral("/d")
                               << QByteArray("[COMPORT]\r\nComPort=2\r\n; note\r\n"
                                             "[DATADIR]\r\nDataDir=/d\r\n");
        QTest::newRow("cr lf replaced")
            << QByteArray("[COMPORT]\r\nComPort=2\r\n[X]\r\nY=1\r\n") << QStringLiteral("COMPORT")
            << QStringLiteral("ComPort") << QStringLiteral("6")
            << QByteArray("[COMPORT]\r\nComPort=6\r\n[X]\r\nY=1\r\n");
        QTest::newRow("no final line end")
            << QByteArray("[OSCSCOPE]\nT1_POS_X=12") << QStringLiteral("OSCSCOPE")
            << QStringLiteral("T2") << QStringLiteral("3")
            << QByteArray("[OSCSCOPE]\nT1_POS_X=12\nT2=3\n");
    }
    void rewriteKeepsOtherBytes()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, section);
        QFETCH(QString, entry);
        QFETCH(QString, value);
        QFETCH(QByteArray, expected);
        writeProfile(content);
        ProfileStore profile(profilePath());
        QVERIFY(profile.writeString(section, entry, value));
        QCOMPARE(profileBytes(), expected);
        QCOMPARE(ProfileStore(profilePath()).readString(section, entry), value);
    }

    void valuesRead_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("expected");
        QTest::newRow("blanks around")
            << QByteArray("[S]\nE =  /srv/d \t\n") << QStringLiteral("/srv/d");
        QTest::newRow("cr lf") << QByteArray("[S]\r\nE=/srv/d\r\n") << QStringLiteral("/srv/d");
        QTest::newRow("utf-8") << QByteArray("[S]\nE=/srv/\xc3\xbc\n")
                               << QStringLiteral("/srv/\u00fc");
        QTest::newRow("latin-1") << QByteArray("[S]\nE=K\xe9"
                                               "1\n")
                                 << QString::fromLatin1("K\xe9"
                                                        "1");
        QTest::newRow("after comment")
            << QByteArray("# top\n[S]\n; E=no\nE=yes\n") << QStringLiteral("yes");
    }
    void valuesRead()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, expected);
        writeProfile(content);
        QCOMPARE(ProfileStore(profilePath()).readString(QStringLiteral("S"), QStringLiteral("E")),
                 expected);
    }

    void largeProfileKeptWhole()
    {
        QByteArray content("[OSCSCOPE]\nT1_POS_X=12\n[TRACE]\n");
        const QByteArray filler(100, 'x');
        for (int i = 0; content.size() < 2 * 1024 * 1024; ++i)
            content += "K" + QByteArray::number(i) + '=' + filler + '\n';
        content += "[ROM]\nRomVerStr=R1\n";
        writeProfile(content);
        ProfileStore profile(profilePath());
        QCOMPARE(profile.readString(QStringLiteral("ROM"), QStringLiteral("RomVerStr")),
                 QStringLiteral("R1"));
        QVERIFY(profile.writeInt(QStringLiteral("COMPORT"), QStringLiteral("ComPort"), 4));
        QCOMPARE(profileBytes(), content + "[COMPORT]\nComPort=4\n");
    }

    void unreadableProfileIsNotOverwritten_data()
    {
        QTest::addColumn<bool>("directory");
        QTest::newRow("directory") << true;
        QTest::newRow("no read permission") << false;
    }
    void unreadableProfileIsNotOverwritten()
    {
        QFETCH(bool, directory);
        const QByteArray content("[COMPORT]\nComPort=3\n[KEEP]\nA=1\n");
        if (directory) {
            QVERIFY(QDir().mkpath(profilePath()));
        } else {
            writeProfile(content);
            QVERIFY(QFile::setPermissions(profilePath(), QFileDevice::WriteOwner));
            QFile probe(profilePath());
            if (probe.open(QIODevice::ReadOnly)) {
                QFile::setPermissions(profilePath(),
                                      QFileDevice::ReadOwner | QFileDevice::WriteOwner);
                QSKIP("running with rights that read any file");
            }
        }
        const QRegularExpression warning(QStringLiteral("cannot read the profile"));
        QTest::ignoreMessage(QtWarningMsg, warning); // on load
        QTest::ignoreMessage(QtWarningMsg, warning); // on the write at start
        ProfileStore profile(profilePath());
        AppSettings settings(&profile);
        settings.readStartupEntries();
        QCOMPARE(settings.comPort(), quint16(1));
        if (directory) {
            QVERIFY(QFileInfo(profilePath()).isDir());
            QDir(profilePath()).removeRecursively();
        } else {
            QVERIFY(QFile::setPermissions(profilePath(),
                                          QFileDevice::ReadOwner | QFileDevice::WriteOwner));
            QCOMPARE(profileBytes(), content);
        }
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
