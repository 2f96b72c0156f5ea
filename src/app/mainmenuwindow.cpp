#include "mainmenuwindow.h"

#include "appsettings.h"
#include "dialogtexts.h"
#include "frameplacement.h"
#include "lampimages.h"
#include "link/commmodewindow.h"
#include "link/commstringwindow.h"
#include "link/comportselectwindow.h"
#include "link/drivelink.h"
#include "resources/catalogue.h"
#include "startupquery.h"
#include "versiondialog.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWindow>

namespace {
MainMenuWindow *s_mainWindow = nullptr;
}

void showCommModeWindow(bool show)
{
    if (!s_mainWindow || !s_mainWindow->commModeShown() || !s_mainWindow->commModeWindow())
        return;
    s_mainWindow->commModeWindow()->setVisible(show);
}

MainMenuWindow::MainMenuWindow(DriveLink &link, PortMap &portMap, ProfileStore *profile,
                               QWidget *parent)
    : QDialog(parent)
    , m_link(link)
    , m_portMap(portMap)
    , m_profile(profile)
    , m_query(new StartupQuery(link, AppSettings::instance(), this))
{
    s_mainWindow = this;

    auto *operation = new QGroupBox(QStringLiteral("Operation"), this);
    DialogTexts::tag(operation, 1501);
    auto *opLayout = new QVBoxLayout(operation);
    for (auto [id, text] : {std::pair{1044, "Drive(&D)"},
                            {1008, "Servo Cntl(&S)"},
                            {1002, "Terminal(&T)"},
                            {1043, "Oscilloscope(&O)"},
                            {1010, "Pulse"}})
        opLayout->addWidget(addButton(id, text));

    auto *data = new QGroupBox(QStringLiteral("DataCtrl"), this);
    DialogTexts::tag(data, 1502);
    auto *dataLayout = new QGridLayout(data);
    int row = 0;
    for (auto [id, text] : {std::pair{1001, "Paramater(&M)"},
                            {1003, "Program(&G)"},
                            {1004, "Parts(&C)"},
                            {1005, "I/O Set(&I)"},
                            {1006, "Point Set(&P)"},
                            {1007, "Index Comp(&N)"},
                            {1134, "BackUp(&B)"},
                            {1009, "AbsAccComp(&A)"}}) {
        dataLayout->addWidget(addButton(id, text), row / 2, row % 2);
        ++row;
    }

    auto *action = new QGroupBox(QStringLiteral("Action"), this);
    DialogTexts::tag(action, 1503);
    auto *actionLayout = new QVBoxLayout(action);
    QPushButton *exitButton = addButton(1, "Exit(&X)");
    exitButton->setDefault(true);
    actionLayout->addWidget(exitButton);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QGridLayout(this);
    layout->addWidget(operation, 0, 0, 2, 1);
    layout->addWidget(data, 0, 1);
    layout->addWidget(action, 1, 1);

    // Feature buttons stay visible but disabled until their dialog exists.
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it) {
        if (it.key() != 1)
            it.value()->setEnabled(false);
    }
    connect(m_query, &StartupQuery::absAccButtonChanged, this,
            [this](bool visible, const QString &text) {
                QPushButton *b = m_buttons.value(1009);
                b->setText(text);
                b->setVisible(visible);
            });
    connect(&m_link, &DriveLink::portError, this, &MainMenuWindow::showPortError);
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &MainMenuWindow::showVersion);
}

MainMenuWindow::~MainMenuWindow()
{
    if (s_mainWindow == this)
        s_mainWindow = nullptr;
    if (m_link.owner() == this)
        m_link.popOwner();
    qDeleteAll(m_dialogs);
}

MainMenuWindow *MainMenuWindow::instance()
{
    return s_mainWindow;
}

QPushButton *MainMenuWindow::addButton(int controlId, const char *fallback)
{
    auto *b = new QPushButton(QString::fromUtf8(fallback), this);
    DialogTexts::tag(b, controlId);
    b->setAutoDefault(false);
    b->setMinimumWidth(130);
    m_buttons.insert(controlId, b);
    if (controlId != 1)
        connect(b, &QPushButton::clicked, this, [this, controlId] { openFeature(controlId); });
    return b;
}

void MainMenuWindow::initialise(const Options &options)
{
    AppSettings::instance().initDirectories();
    const QString iconPath = Catalogue::instance().iconPath();
    if (!iconPath.isEmpty())
        setWindowIcon(QIcon(iconPath));
    DialogTexts::apply(this, 102);
    if (options.splash) {
        VersionDialog splash(this);
        m_versionShownOnce = true;
        splash.run(2500);
    }
    setWindowTitle(Catalogue::instance().string(267));
    LampImages::instance().load();

    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1280, 1024);
    m_commMode = new CommModeWindow(m_link, this);
    FramePlacement::place(m_commMode, screen, Qt::AlignLeft | Qt::AlignTop);
    m_commModeShown = options.toolWindows && !Catalogue::instance().bitmapPath(217).isEmpty();
    m_commMode->setVisible(m_commModeShown);

    m_portChooser = new ComPortSelectWindow(m_link, m_portMap, m_profile, this, this);
    m_portChooser->initialise(AppSettings::instance().comPort());
    FramePlacement::place(m_portChooser, screen.adjusted(0, 200, 0, 0),
                          Qt::AlignLeft | Qt::AlignTop);
    m_portChooser->setVisible(options.toolWindows);

    m_traffic = new CommStringWindow(m_link, this);
    FramePlacement::place(m_traffic, screen, Qt::AlignRight | Qt::AlignTop);
    m_traffic->setVisible(options.toolWindows);

    m_link.pushOwner(this);
    m_link.open();

    QPushButton *absAcc = m_buttons.value(1009);
    absAcc->setText(QString());
    absAcc->hide();
    m_query->start();
}

int MainMenuWindow::runUntilClosed()
{
    const int result = exec();
    if (result == QDialog::Accepted || result == QDialog::Rejected)
        AppSettings::instance().writeExitEntries();
    return result;
}

void MainMenuWindow::setFeature(int controlId, DialogFactory factory)
{
    m_factories.insert(controlId, std::move(factory));
    if (QPushButton *b = m_buttons.value(controlId))
        b->setEnabled(true);
}

void MainMenuWindow::openFeature(int controlId)
{
    const DialogFactory factory = m_factories.value(controlId);
    if (!factory)
        return;
    QDialog *dialog = m_dialogs.value(controlId);
    if (!dialog) {
        dialog = factory(this);
        if (!dialog)
            return;
        m_dialogs.insert(controlId, dialog);
    }
    if (m_portChooser)
        m_portChooser->hide();
    dialog->exec();
    if (m_portChooser)
        m_portChooser->show();
    activateWindow();
    setFocus();
}

void MainMenuWindow::showVersion()
{
    VersionDialog dialog(this);
    dialog.run(m_versionShownOnce ? 0 : 2500);
    m_versionShownOnce = true;
}

void MainMenuWindow::contextMenuEvent(QContextMenuEvent *event)
{
    const QString text = Catalogue::instance().string(101);
    if (text.isEmpty())
        return;
    QMenu menu(this);
    menu.addAction(text, this, &MainMenuWindow::showVersion);
    menu.exec(event->globalPos());
}

void MainMenuWindow::onLinkReply(const QByteArray &line)
{
    m_query->onLinkReply(line);
}

void MainMenuWindow::onLinkTimeout()
{
    m_query->onLinkTimeout();
}

void MainMenuWindow::showPortError(const QString &message)
{
    // Not modal: a polling window must not stack boxes, and the user can
    // pick another port in the chooser while the message is shown.
    auto *box = new QMessageBox(QMessageBox::Warning, Catalogue::instance().string(267), message,
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
