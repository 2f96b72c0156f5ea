#include "terminalwindow.h"

#include "app/dialogprompt.h"
#include "app/dialogtexts.h"
#include "drivelink.h"
#include "drivetext.h"
#include "io/axisstatuswindow.h"
#include "io/erroralarmwindow.h"
#include "params/helpwindow.h"
#include "params/monitorwindow.h"
#include "resources/catalogue.h"
#include "sessionlogmenu.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
// Monitor radio buttons by control number; Hide is -1 in the group.
constexpr int monitorIds[] = {1323, 1324, 1325, 1326};
constexpr int helpIds[] = {1328, 1329};

QRadioButton *radio(QWidget *parent, int id, const char *fallback)
{
    auto *b = new QRadioButton(QString::fromUtf8(fallback), parent);
    DialogTexts::tag(b, id);
    return b;
}

QPushButton *pushButton(QWidget *parent, int id, const char *fallback)
{
    auto *b = new QPushButton(QString::fromUtf8(fallback), parent);
    DialogTexts::tag(b, id);
    b->setAutoDefault(false);
    return b;
}

QLabel *arrowPicture(QWidget *parent, int bitmapId)
{
    auto *picture = new QLabel(parent);
    const QString path = Catalogue::instance().bitmapPath(bitmapId);
    if (!path.isEmpty())
        picture->setPixmap(QPixmap(path));
    picture->setFixedSize(17, 17);
    return picture;
}
} // namespace

TerminalWindow::MonitorFactory &TerminalWindow::ioMonitorFactory()
{
    static MonitorFactory factory;
    return factory;
}

void TerminalWindow::setIoMonitorFactory(MonitorFactory factory)
{
    ioMonitorFactory() = std::move(factory);
}

TerminalWindow::TerminalWindow(DriveLink &link, QWidget *parent)
    : TerminalWindow(link, TerminalSession::Variant::Full, 206, parent)
{}

TerminalWindow::TerminalWindow(DriveLink &link, TerminalSession::Variant variant, int dialogId,
                               QWidget *parent)
    : QDialog(parent)
    , m_variant(variant)
    , m_dialogId(dialogId)
    , m_session(std::make_unique<TerminalSession>(link, variant))
    , m_prompt(std::make_unique<DialogPrompt>(this))
{
    m_session->setPrompt(m_prompt.get());
    build();
    // The texts of this dialog first: the hosted windows set their own.
    DialogTexts::apply(this, m_dialogId);
    if (m_variant == TerminalSession::Variant::Full)
        buildChildren();

    connect(m_session.get(), &TerminalSession::outputChanged, this, &TerminalWindow::refresh);
    // The conversation can go to a file, a time on every line, until Exit.
    m_sessionLog = new SessionLogMenu(
        m_output, [this] { return SessionLog::entryBodies(m_session->lines().lines()); });
    connect(m_session.get(), &TerminalSession::lineAdded, m_sessionLog, &SessionLogMenu::append);
    connect(m_session.get(), &TerminalSession::busyChanged, this, &TerminalWindow::onBusyChanged);
    connect(m_session.get(), &TerminalSession::monitorVisibilityChanged, this,
            [this](int monitor, bool shown) {
                QWidget *w = m_monitorWindows.at(monitor);
                if (!w)
                    return;
                if (shown) {
                    placeChild(w, monitor);
                    w->show();
                    w->raise();
                } else {
                    w->hide();
                }
                bool any = false;
                for (int m = 0; m < TerminalSession::MonitorCount; ++m)
                    any = any || m_session->isMonitorShown(TerminalSession::Monitor(m));
                if (shown)
                    m_monitorButtons->button(monitorIds[monitor])->setChecked(true);
                else if (!any)
                    m_monitorButtons->button(1322)->setChecked(true);
            });
    connect(m_session.get(), &TerminalSession::helpVisibilityChanged, this,
            [this](int mode, bool shown) {
                QWidget *w = helpWindow(TerminalSession::HelpMode(mode));
                if (!w)
                    return;
                if (shown) {
                    placeChild(w, TerminalSession::MonitorCount + mode);
                    w->show();
                    w->raise();
                    m_helpButtons->button(helpIds[mode - 1])->setChecked(true);
                } else {
                    w->hide();
                    if (!m_session->isHelpShown(TerminalSession::ParameterHelp) &&
                        !m_session->isHelpShown(TerminalSession::CommandHelp))
                        m_helpButtons->button(1327)->setChecked(true);
                }
            });
    connect(m_session.get(), &TerminalSession::helpEnded, this,
            [this] { m_helpButtons->button(1327)->setChecked(true); });
}

TerminalWindow::~TerminalWindow()
{
    m_session->close();
    // The hosted windows refer to the session: they go first.
    for (QWidget *&w : m_monitorWindows) {
        delete w;
        w = nullptr;
    }
    delete m_parameterHelp;
    delete m_commandHelp;
}

void TerminalWindow::build()
{
    m_output = new QPlainTextEdit(this);
    DialogTexts::tag(m_output, 1072);
    m_output->setReadOnly(true);
    m_output->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_output->setFont(QFont(QStringLiteral("Monospace"), 9));
    m_output->setFocusPolicy(Qt::ClickFocus);
    const QFontMetrics metrics(m_output->font());
    const int rows = m_variant == TerminalSession::Variant::Full ? 30 : 12;
    m_output->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('M')) * 64,
                             metrics.lineSpacing() * rows + 12);

    m_input = new QLineEdit(this);
    DialogTexts::tag(m_input, 1049);
    m_input->setFont(m_output->font());
    // Longer lines are noise to the drive and the link alike.
    m_input->setMaxLength(DriveLink::MaxLineLength);

    m_enter = pushButton(this, 1048, "Enter");
    m_enter->setDefault(true);
    m_exit = pushButton(this, 1, "Exit(&X)");
    m_reEdit = pushButton(this, 1051, "Re-edit(&P)");
    m_resend = pushButton(this, 1052, "Resend(&R)");

    m_monitorGroup = new QGroupBox(QStringLiteral("Monitor"), this);
    DialogTexts::tag(m_monitorGroup, 1501);
    m_monitorButtons = new QButtonGroup(this);
    auto *monitorLayout = new QVBoxLayout(m_monitorGroup);
    for (auto [id, text] : {std::pair{1322, "Hide(&D)"},
                            {1323, "Param/Mon(&M)"},
                            {1324, "I/O Monitor(&I)"},
                            {1325, "Axis signal(&A)"},
                            {1326, "Error/Alarm(&S)"}}) {
        QRadioButton *b = radio(m_monitorGroup, id, text);
        m_monitorButtons->addButton(b, id);
        monitorLayout->addWidget(b);
    }
    m_monitorButtons->button(1322)->setChecked(true);

    m_helpGroup = new QGroupBox(QStringLiteral("List"), this);
    DialogTexts::tag(m_helpGroup, 1502);
    m_helpButtons = new QButtonGroup(this);
    auto *helpLayout = new QVBoxLayout(m_helpGroup);
    for (auto [id, text] :
         {std::pair{1327, "Hide(&L)"}, {1328, "Param help(&H)"}, {1329, "Command help(&C)"}}) {
        QRadioButton *b = radio(m_helpGroup, id, text);
        m_helpButtons->addButton(b, id);
        helpLayout->addWidget(b);
    }
    m_helpButtons->button(1327)->setChecked(true);

    // The history keys, explained beside their arrows.
    auto *keys = new QGridLayout;
    auto *prev = new QLabel(QStringLiteral(":Prev"), this);
    DialogTexts::tag(prev, 1503);
    auto *next = new QLabel(QStringLiteral(":Next"), this);
    DialogTexts::tag(next, 1504);
    keys->addWidget(arrowPicture(this, 3000), 0, 0);
    keys->addWidget(prev, 0, 1);
    keys->addWidget(arrowPicture(this, 3001), 1, 0);
    keys->addWidget(next, 1, 1);
    keys->setColumnStretch(1, 1);

    auto *side = new QVBoxLayout;
    side->addWidget(m_exit);
    side->addWidget(m_reEdit);
    side->addWidget(m_resend);
    side->addSpacing(6);
    side->addWidget(m_monitorGroup);
    side->addWidget(m_helpGroup);
    side->addStretch(1);
    side->addLayout(keys);

    auto *inputRow = new QHBoxLayout;
    inputRow->addWidget(m_input, 1);
    inputRow->addWidget(m_enter);

    auto *layout = new QGridLayout(this);
    layout->addWidget(m_output, 0, 0);
    layout->addLayout(inputRow, 1, 0);
    layout->addLayout(side, 0, 1, 2, 1);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(0, 1);

    connect(m_enter, &QPushButton::clicked, this, &TerminalWindow::enter);
    connect(m_resend, &QPushButton::clicked, this, &TerminalWindow::resend);
    connect(m_reEdit, &QPushButton::clicked, this, &TerminalWindow::reEdit);
    connect(m_exit, &QPushButton::clicked, this, [this] {
        finish();
        accept();
    });
    connect(m_monitorButtons, &QButtonGroup::idClicked, this, &TerminalWindow::chooseMonitor);
    connect(m_helpButtons, &QButtonGroup::idClicked, this, &TerminalWindow::chooseHelp);

    if (m_variant == TerminalSession::Variant::Simple) {
        // Tagged replies are the simple terminal's own: it hosts no monitors.
        m_monitorGroup->hide();
        m_helpGroup->hide();
    }
    setSizeGripEnabled(true);
    // The history keys work wherever the focus is in this window, ahead of
    // the buttons' and boxes' own use of the arrows.
    installEventFilter(this);
    for (QWidget *w : findChildren<QWidget *>())
        w->installEventFilter(this);
}

void TerminalWindow::buildChildren()
{
    TerminalSession &s = *m_session;
    m_monitorWindows[TerminalSession::ParameterMonitor] = new MonitorWindow(s, this);
    if (const MonitorFactory &factory = ioMonitorFactory())
        m_monitorWindows[TerminalSession::IoMonitor] = factory(s, this);
    m_monitorWindows[TerminalSession::AxisSignal] = new AxisStatusWindow(s, this);
    m_monitorWindows[TerminalSession::ErrorAlarm] = new ErrorAlarmWindow(s, this);
    m_parameterHelp = new HelpWindow(s, HelpPager::ParameterHelp, this);
    m_commandHelp = new HelpWindow(s, HelpPager::CommandHelp, this);
    for (QWidget *w : m_monitorWindows) {
        if (w)
            w->hide();
    }
    m_parameterHelp->hide();
    m_commandHelp->hide();
    // The I/O monitor's button works once its window exists.
    m_monitorButtons->button(1324)->setEnabled(m_monitorWindows[TerminalSession::IoMonitor]);
}

QWidget *TerminalWindow::monitorWindow(TerminalSession::Monitor monitor) const
{
    return m_monitorWindows.at(monitor);
}

QWidget *TerminalWindow::helpWindow(TerminalSession::HelpMode mode) const
{
    if (mode == TerminalSession::ParameterHelp)
        return m_parameterHelp;
    if (mode == TerminalSession::CommandHelp)
        return m_commandHelp;
    return nullptr;
}

QAbstractButton *TerminalWindow::button(int controlId) const
{
    switch (controlId) {
    case 1048:
        return m_enter;
    case 1:
        return m_exit;
    case 1051:
        return m_reEdit;
    case 1052:
        return m_resend;
    default:
        break;
    }
    if (QAbstractButton *b = m_monitorButtons->button(controlId))
        return b;
    return m_helpButtons->button(controlId);
}

void TerminalWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_session->isOpen())
        openSession();
}

void TerminalWindow::openSession()
{
    m_session->open();
    m_monitorButtons->button(1322)->setChecked(true);
    m_helpButtons->button(1327)->setChecked(true);
    m_input->clear();
    onBusyChanged(false);
    focusInput();
}

void TerminalWindow::finish()
{
    m_session->close();
    m_sessionLog->stop();
}

void TerminalWindow::closeEvent(QCloseEvent *event)
{
    // Like Exit, which is disabled while a listing runs.
    if (m_session->isBusy()) {
        event->ignore();
        return;
    }
    finish();
    QDialog::closeEvent(event);
}

void TerminalWindow::reject()
{
    if (m_session->isBusy())
        return;
    finish();
    QDialog::reject();
}

bool TerminalWindow::eventFilter(QObject *watched, QEvent *event)
{
    // Only this window's own widgets: the hosted monitors and help windows
    // are windows of their own with their own keys.
    const auto *widget = qobject_cast<QWidget *>(watched);
    if (event->type() == QEvent::KeyPress && widget && widget->window() == this) {
        const auto *keyEvent = static_cast<QKeyEvent *>(event);
        const int key = keyEvent->key();
        if ((key == Qt::Key_Up || key == Qt::Key_Down) &&
            !(keyEvent->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            const std::optional<QByteArray> text =
                key == Qt::Key_Up ? m_session->browseUp() : m_session->browseDown();
            if (text)
                m_input->setText(DriveText::decode(*text));
            if (widget != m_input)
                focusInput();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TerminalWindow::enter()
{
    if (m_session->enter(DriveText::encode(m_input->text())))
        m_input->clear();
    focusInput();
}

void TerminalWindow::resend()
{
    m_session->resend();
    focusInput();
}

void TerminalWindow::reEdit()
{
    m_input->setText(DriveText::decode(m_session->current()));
    focusInput();
}

void TerminalWindow::focusInput()
{
    activateWindow();
    m_input->setFocus(Qt::OtherFocusReason);
}

void TerminalWindow::refresh()
{
    // Each entry carries its CR LF; the box wants plain line breaks.
    QString text = m_session->visibleText();
    text.remove(QLatin1Char('\r'));
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1);
    m_output->setPlainText(text);
    m_output->verticalScrollBar()->setValue(m_output->verticalScrollBar()->maximum());
}

void TerminalWindow::onBusyChanged(bool busy)
{
    for (QAbstractButton *b :
         {static_cast<QAbstractButton *>(m_enter), static_cast<QAbstractButton *>(m_exit),
          static_cast<QAbstractButton *>(m_reEdit), static_cast<QAbstractButton *>(m_resend)})
        b->setEnabled(!busy);
    for (QAbstractButton *b : m_monitorButtons->buttons()) {
        const bool available = DialogTexts::controlId(b) != 1324 ||
                               m_monitorWindows[TerminalSession::IoMonitor] != nullptr;
        b->setEnabled(!busy && available);
    }
    for (QAbstractButton *b : m_helpButtons->buttons())
        b->setEnabled(!busy);
}

void TerminalWindow::chooseMonitor(int id)
{
    if (id == 1322) {
        m_session->hideMonitors();
    } else {
        for (int m = 0; m < TerminalSession::MonitorCount; ++m) {
            if (monitorIds[m] != id)
                continue;
            const auto monitor = TerminalSession::Monitor(m);
            m_session->showMonitor(monitor);
            if (QWidget *w = m_monitorWindows.at(m))
                w->raise();
        }
    }
    focusInput();
}

void TerminalWindow::chooseHelp(int id)
{
    if (id == 1327)
        m_session->hideHelp();
    else
        m_session->showHelp(id == 1328 ? TerminalSession::ParameterHelp
                                       : TerminalSession::CommandHelp);
    focusInput();
}

void TerminalWindow::placeChild(QWidget *child, int index)
{
    // Beside the terminal, cascading a little so that none hides another.
    const QRect frame = frameGeometry();
    child->move(frame.right() + 8 + 16 * (index % 3), frame.top() + 24 * index);
}
