#include "app/appsettings.h"
#include "app/dialogtexts.h"
#include "app/mainmenuwindow.h"
#include "app/profilestore.h"
#include "app/startupquery.h"
#include "app/versiondialog.h"
#include "link/commmodewindow.h"
#include "link/commstringwindow.h"
#include "link/comportselectwindow.h"
#include "link/drivelink.h"
#include "link/memoryport.h"
#include "link/portmap.h"
#include "resources/catalogue.h"
#include "sim/virtualdrive.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

// The main window on an in-memory port, optionally wired to a virtual drive.
class TestMainMenu : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ProfileStore> m_profile;
    std::unique_ptr<DriveLink> m_link;
    std::unique_ptr<VirtualDrive> m_drive;
    PortMap m_map;
    QList<MemoryPort *> m_ports;

    void makeLink(bool withDrive)
    {
        m_link = std::make_unique<DriveLink>();
        if (withDrive) {
            m_drive = std::make_unique<VirtualDrive>();
            m_drive->setProfile(VirtualDrive::Profile::Test);
        }
        m_link->setPortFactory([this](int comPort) -> std::unique_ptr<PortIo> {
            auto port = std::make_unique<MemoryPort>(QStringLiteral("COM%1").arg(comPort));
            if (m_drive) {
                connect(port.get(), &MemoryPort::written, m_drive.get(), &VirtualDrive::receive);
                connect(m_drive.get(), &VirtualDrive::transmit, port.get(), &MemoryPort::feed);
            }
            m_ports.append(port.get());
            return port;
        });
    }

    static void loadModule(const char *name)
    {
        QVERIFY(Catalogue::instance().loadModule(QStringLiteral(TORVANE_BIN_DIR "/") +
                                                 Catalogue::moduleFileName(QLatin1String(name))));
    }

private Q_SLOTS:
    void init()
    {
        loadModule("Torvane_E_Resource");
        m_profile = std::make_unique<ProfileStore>(m_dir.filePath(QStringLiteral("p.ini")));
        AppSettings::instance() = AppSettings(m_profile.get());
        m_ports.clear();
        m_drive.reset();
    }
    void cleanup()
    {
        m_link.reset();
        m_drive.reset();
    }

    void startupAgainstDrive_data()
    {
        QTest::addColumn<int>("param22");
        QTest::addColumn<bool>("visible");
        QTest::newRow("absacc 2") << 2 << true;
        QTest::newRow("absacc 0") << 0 << false;
    }
    void startupAgainstDrive()
    {
        QFETCH(int, param22);
        QFETCH(bool, visible);
        makeLink(true);
        for (MachineEntry &entry : m_drive->state().machine) {
            if (entry.group == MachineEntry::Group::Com && entry.slot == 22)
                entry.value = param22;
        }
        MainMenuWindow window(*m_link, m_map, m_profile.get());
        window.initialise({false, true});
        QSignalSpy finished(window.startupQuery(), &StartupQuery::finished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        QPushButton *absAcc = window.button(1009);
        QCOMPARE(!absAcc->isHidden(), visible);
        if (visible)
            QCOMPARE(absAcc->text(), QStringLiteral("AbsAccComp"));
        QVERIFY(!AppSettings::instance().romVersion().isEmpty());
        // Every line went through the traffic log window.
        QVERIFY(window.trafficWindow()->shownText().contains(QStringLiteral("-> #201")));
        QCOMPARE(m_link->owner(), static_cast<LinkOwner *>(&window));
    }

    void noDriveLeavesButtonsWorking()
    {
        makeLink(false);
        MainMenuWindow window(*m_link, m_map, m_profile.get());
        int opened = 0;
        window.setFeature(1002, [&opened](QWidget *parent) {
            auto *d = new QDialog(parent);
            QObject::connect(d, &QDialog::finished, [&opened] { ++opened; });
            return d;
        });
        window.initialise({false, true});
        QSignalSpy abandoned(window.startupQuery(), &StartupQuery::abandoned);
        QTRY_COMPARE_WITH_TIMEOUT(abandoned.count(), 1, 5000);
        QVERIFY(window.button(1009)->isHidden());
        // A feature without a dialog yet stays visible and disabled.
        QVERIFY(!window.button(1003)->isEnabled());
        QVERIFY(!window.button(1003)->isHidden());
        QVERIFY(window.button(1002)->isEnabled());
        window.show();
        QVERIFY(!window.portChooser()->isHidden());
        bool chooserHiddenMeanwhile = false;
        QTimer::singleShot(50, [&] {
            chooserHiddenMeanwhile = window.portChooser()->isHidden();
            QApplication::activeModalWidget()->close();
        });
        window.button(1002)->click();
        QCOMPARE(opened, 1);
        QVERIFY(chooserHiddenMeanwhile);
        QVERIFY(!window.portChooser()->isHidden());
    }

    void commModeNeedsBitmap217()
    {
        makeLink(false);
        // The test module lacks bitmap 217.
        QVERIFY(Catalogue::instance().loadModule(QStringLiteral(TORVANE_TEST_MODULE)));
        QVERIFY(Catalogue::instance().bitmapPath(217).isEmpty());
        MainMenuWindow window(*m_link, m_map, m_profile.get());
        window.initialise({false, true});
        QVERIFY(!window.commModeShown());
        QVERIFY(window.commModeWindow()->isHidden());
        showCommModeWindow(true);
        QVERIFY(window.commModeWindow()->isHidden());
    }

    void portChooserReopensSelectedPort()
    {
        makeLink(false);
        AppSettings::instance().setComPort(3);
        MainMenuWindow window(*m_link, m_map, m_profile.get());
        window.initialise({false, true});
        QCOMPARE(window.portChooser()->selected(), 3);
        QCOMPARE(m_link->comPort(), 3);
        const int portsBefore = int(m_ports.size());
        window.portChooser()->choose(3);
        // The same number again closes the port and opens a new one.
        QCOMPARE(int(m_ports.size()), portsBefore + 1);
        QVERIFY(m_link->isOpen());
        QCOMPARE(m_link->ownerCount(), 1);
        window.portChooser()->choose(5);
        QCOMPARE(ProfileStore(m_profile->path())
                     .readInt(QStringLiteral("COMPORT"), QStringLiteral("ComPort"), 0),
                 5);
    }

    void stationChooserSetsUnit()
    {
        makeLink(false);
        MainMenuWindow window(*m_link, m_map, m_profile.get());
        window.initialise({false, true});
        QCOMPARE(m_link->unit(), 0);
        window.commModeWindow()->choose(5);
        QCOMPARE(m_link->unit(), 5);
        QCOMPARE(currentUnit(), 5);
        window.commModeWindow()->choose(0);
        QCOMPARE(currentUnit(), 0);
    }

    // Renders the windows in both languages; with TORVANE_SHOTS set the
    // pictures are kept there for a look.
    void grabWindows_data()
    {
        QTest::addColumn<QString>("module");
        QTest::newRow("english") << QStringLiteral("Torvane_E_Resource");
        QTest::newRow("japanese") << QStringLiteral("Torvane_J_Resource");
    }
    void grabWindows()
    {
        QFETCH(QString, module);
        QVERIFY(Catalogue::instance().loadModule(QStringLiteral(TORVANE_BIN_DIR "/") +
                                                 Catalogue::moduleFileName(module)));
        makeLink(true);
        MainMenuWindow window(*m_link, m_map, m_profile.get());
        window.setFeature(1001, [](QWidget *) { return nullptr; });
        window.initialise({false, true});
        QSignalSpy finished(window.startupQuery(), &StartupQuery::finished);
        QTRY_COMPARE_WITH_TIMEOUT(finished.count(), 1, 5000);
        window.show();
        QTemporaryDir scratch;
        QString dir = qEnvironmentVariable("TORVANE_SHOTS");
        if (dir.isEmpty())
            dir = scratch.path();
        const QString tag = module.mid(8, 1).toLower();
        const QList<std::pair<QString, QWidget *>> shots{
            {QStringLiteral("mainmenu"), &window},
            {QStringLiteral("commstring"), window.trafficWindow()},
            {QStringLiteral("comportselect"), window.portChooser()},
            {QStringLiteral("commmode"), window.commModeWindow()}};
        for (const auto &[name, widget] : shots) {
            widget->show();
            const QPixmap picture = widget->grab();
            QVERIFY(!picture.isNull());
            QVERIFY(picture.save(dir + QStringLiteral("/%1-%2.png").arg(name, tag)));
        }
        VersionDialog version(&window);
        version.show();
        QVERIFY(version.grab().save(dir + QStringLiteral("/version-%1.png").arg(tag)));
        QVERIFY(!version.windowTitle().isEmpty());
        const auto *title = version.findChild<QLabel *>(QStringLiteral("versionTitle"));
        QVERIFY(title);
        QVERIFY2(title->text().endsWith(QStringLiteral(" " TORVANE_VERSION)),
                 qPrintable(title->text()));
    }

    void versionTitleUsesBuildVersion_data()
    {
        QTest::addColumn<QString>("resource");
        QTest::addColumn<QString>("expected");
        QTest::newRow("older number") << QStringLiteral("Torvane Version 0.0.9")
                                      << QStringLiteral("Torvane Version " TORVANE_VERSION);
        QTest::newRow("no number") << QStringLiteral("Torvane Version")
                                   << QStringLiteral("Torvane Version " TORVANE_VERSION);
    }
    void versionTitleUsesBuildVersion()
    {
        QFETCH(QString, resource);
        QFETCH(QString, expected);
        QCOMPARE(VersionDialog::titleText(resource), expected);
    }

    void textsStayWithTheirWindow()
    {
        makeLink(false);
        MainMenuWindow window(*m_link, m_map, m_profile.get());
        window.initialise({false, true});
        // The tool windows are children of the main window and use numbers
        // the main window uses too; applying the main window's texts again
        // must leave theirs alone.
        DialogTexts::apply(&window, 102);
        auto *group = window.commModeWindow()->findChild<QGroupBox *>();
        QVERIFY(group);
        QCOMPARE(group->title(), QStringLiteral("Multi-channel Add"));
        QCOMPARE(window.windowTitle(), QStringLiteral("MainMenu"));
    }

    void closeBoxWritesWhatExitWrites_data()
    {
        QTest::addColumn<bool>("viaExit");
        QTest::newRow("exit") << true;
        QTest::newRow("close box") << false;
    }
    void closeBoxWritesWhatExitWrites()
    {
        QFETCH(bool, viaExit);
        makeLink(false);
        MainMenuWindow window(*m_link, m_map, m_profile.get());
        window.initialise({false, false});
        AppSettings::instance().setRomVersion(QStringLiteral("K1.20"));
        AppSettings::instance().setEnglishDisplay(true);
        QTimer::singleShot(0, &window, [&] {
            if (viaExit)
                window.button(1)->click();
            else
                window.close();
        });
        window.runUntilClosed();
        const ProfileStore written(m_profile->path());
        QCOMPARE(written.readString(QStringLiteral("ROM"), QStringLiteral("RomVerStr")),
                 QStringLiteral("K1.20"));
        QVERIFY(
            !written.readString(QStringLiteral("DATADIR"), QStringLiteral("DataDir")).isEmpty());
        QCOMPARE(written.readInt(QStringLiteral("COMPORT"), QStringLiteral("ComPort"), 0), 1);
        QCOMPARE(written.readInt(QStringLiteral("ENGLISH DSP"), QStringLiteral("EnglishDsp"), 0),
                 1);
    }
};

QTEST_MAIN(TestMainMenu)
#include "tst_mainmenu.moc"
