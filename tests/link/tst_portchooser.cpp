#include "app/appsettings.h"
#include "app/profilestore.h"
#include "link/comportselectwindow.h"
#include "link/drivelink.h"
#include "link/linkowner.h"
#include "link/memoryport.h"
#include "link/portmap.h"
#include "link/serialdevices.h"
#include "resources/catalogue.h"

#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {
class ListedDevices : public SerialDeviceSource
{
public:
    QList<SerialDevice> list;
    QList<SerialDevice> devices() const override { return list; }
};

class IdleOwner : public LinkOwner
{
public:
    void onLinkReply(const QByteArray &) override {}
    void onLinkTimeout() override {}
};
} // namespace

// The port chooser's device list, fed from a list of our own, and the
// by-id links that keep an adapter's number.
class TestPortChooser : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<ProfileStore> m_profile;
    DriveLink m_link;
    IdleOwner m_owner;
    ListedDevices m_devices;

    static void loadModule(const QString &name)
    {
        QVERIFY(Catalogue::instance().loadModule(QStringLiteral(TORVANE_BIN_DIR "/") +
                                                 Catalogue::moduleFileName(name)));
    }

    static SerialDevice adapter()
    {
        return {QStringLiteral("/dev/ttyUSB0"),
                QStringLiteral("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3B7Q-if00-port0"),
                QStringLiteral("FT232R USB UART"), QStringLiteral("FTDI"),
                QStringLiteral("A10K3B7Q")};
    }
    static SerialDevice builtinPort()
    {
        return {QStringLiteral("/dev/ttyS0"), QString(), QString(), QString(), QString()};
    }

private Q_SLOTS:
    void init()
    {
        loadModule(QStringLiteral("Torvane_E_Resource"));
        m_profile = std::make_unique<ProfileStore>(m_dir.filePath(QStringLiteral("p.ini")));
        AppSettings::instance() = AppSettings(m_profile.get());
        m_link.setPortFactory([](int comPort) -> std::unique_ptr<PortIo> {
            return std::make_unique<MemoryPort>(QStringLiteral("COM%1").arg(comPort));
        });
        m_devices.list = {adapter(), builtinPort()};
    }

    void stablePath_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("expected");
        QTest::newRow("linked") << QStringLiteral("ttyUSB0") << QStringLiteral("usb-FTDI-port0");
        QTest::newRow("not linked") << QStringLiteral("ttyUSB1") << QString();
        QTest::newRow("missing") << QStringLiteral("ttyUSB9") << QString();
    }
    void stablePath()
    {
        QFETCH(QString, device);
        QFETCH(QString, expected);
        QTemporaryDir dev;
        for (const char *name : {"ttyUSB0", "ttyUSB1"}) {
            QFile file(dev.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir(dev.path()).mkpath(QStringLiteral("serial/by-id")));
        const QString byId = dev.filePath(QStringLiteral("serial/by-id"));
        // udev's links are relative, as here.
        QVERIFY(
            QFile::link(QStringLiteral("../../ttyUSB0"), byId + QStringLiteral("/usb-FTDI-port0")));
        const QString found = SystemSerialDevices::stablePath(dev.filePath(device), byId);
        QCOMPARE(found, expected.isEmpty() ? QString() : byId + QLatin1Char('/') + expected);
    }

    void listsAndMapsDevices()
    {
        PortMap map;
        ComPortSelectWindow window(m_link, map, m_profile.get(), &m_owner, nullptr, &m_devices);
        window.initialise(1);
        QTreeWidget *list = window.deviceList();
        QCOMPARE(list->topLevelItemCount(), 2);
        const QTreeWidgetItem *first = list->topLevelItem(0);
        QCOMPARE(first->text(0), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(first->text(1), QStringLiteral("FT232R USB UART"));
        QCOMPARE(first->text(2), QStringLiteral("FTDI"));
        QCOMPARE(first->text(3), QStringLiteral("A10K3B7Q"));
        QCOMPARE(first->text(4), adapter().stablePath);
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("/dev/ttyS0"));
        QVERIFY(window.noDevicesLabel()->isHidden());

        // The menu beside COM2 offers both; a click maps COM2 to the by-id link.
        QMenu *menu = window.deviceButton(2)->menu();
        QMetaObject::invokeMethod(menu, "aboutToShow");
        const QList<QAction *> actions = menu->actions();
        QCOMPARE(actions.size(), 2);
        QCOMPARE(actions.at(0)->text(),
                 adapter().stablePath +
                     QStringLiteral("  (FT232R USB UART, FTDI, serial A10K3B7Q)"));
        QCOMPARE(actions.at(1)->text(), QStringLiteral("/dev/ttyS0"));
        actions.at(0)->trigger();
        QCOMPARE(map.path(2), adapter().stablePath);
        QCOMPARE(m_profile->readString(QStringLiteral("PORTMAP"), QStringLiteral("COM2")),
                 adapter().stablePath);
        QCOMPARE(map.path(1), PortMap::defaultPath(1));
    }

    void saysWhenThereAreNone()
    {
        m_devices.list.clear();
        PortMap map;
        ComPortSelectWindow window(m_link, map, m_profile.get(), &m_owner, nullptr, &m_devices);
        QVERIFY(window.deviceList()->isHidden());
        QVERIFY(!window.noDevicesLabel()->isHidden());
        QCOMPARE(window.noDevicesLabel()->text(), QStringLiteral("No serial devices found."));
        QMenu *menu = window.deviceButton(5)->menu();
        QMetaObject::invokeMethod(menu, "aboutToShow");
        QCOMPARE(menu->actions().size(), 1);
        QVERIFY(!menu->actions().first()->isEnabled());
    }

    // With TORVANE_SHOTS_DIR set, the window in both languages is kept there.
    void grab_data()
    {
        QTest::addColumn<QString>("module");
        QTest::addColumn<bool>("devices");
        QTest::newRow("english") << QStringLiteral("Torvane_E_Resource") << true;
        QTest::newRow("japanese") << QStringLiteral("Torvane_J_Resource") << true;
        QTest::newRow("english, none") << QStringLiteral("Torvane_E_Resource") << false;
        QTest::newRow("japanese, none") << QStringLiteral("Torvane_J_Resource") << false;
    }
    void grab()
    {
        QFETCH(QString, module);
        QFETCH(bool, devices);
        loadModule(module);
        if (!devices)
            m_devices.list.clear();
        PortMap map;
        ComPortSelectWindow window(m_link, map, m_profile.get(), &m_owner, nullptr, &m_devices);
        window.initialise(1);
        window.show();
        const QPixmap picture = window.grab();
        QVERIFY(!picture.isNull());
        const QString dir = qEnvironmentVariable("TORVANE_SHOTS_DIR");
        if (!dir.isEmpty()) {
            const QString name =
                QStringLiteral("portchooser-%1%2.png")
                    .arg(module.mid(8, 1).toLower(), devices ? QString() : QStringLiteral("-none"));
            QVERIFY(picture.save(QDir(dir).filePath(name)));
        }
    }
};

QTEST_MAIN(TestPortChooser)
#include "tst_portchooser.moc"
