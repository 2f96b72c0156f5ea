#include "helpwindow.h"

#include "app/dialogtexts.h"
#include "link/terminalsession.h"
#include "resources/catalogue.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

HelpWindow::HelpWindow(TerminalSession &terminal, HelpPager::Kind kind, QWidget *parent)
    : QWidget(parent, Qt::Tool)
    , m_terminal(terminal)
    , m_pager(new HelpPager(terminal, kind, this))
    , m_text(new QPlainTextEdit(this))
    , m_prev(new QPushButton(QStringLiteral("Prev(&P)"), this))
    , m_next(new QPushButton(QStringLiteral("Next(&N)"), this))
{
    DialogTexts::tag(m_text, 1072);
    DialogTexts::tag(m_prev, 1115);
    DialogTexts::tag(m_next, 1116);
    m_text->setReadOnly(true);
    m_text->setFocusPolicy(Qt::NoFocus);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFont(QStringLiteral("Monospace"), 9));
    const QFontMetrics metrics(m_text->font());
    m_text->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('M')) * 46,
                           metrics.lineSpacing() * 21 + 12);
    m_prev->setEnabled(false);
    m_next->setEnabled(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_prev);
    buttons->addWidget(m_next);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text, 1);
    layout->addLayout(buttons);

    connect(m_prev, &QPushButton::clicked, m_pager, &HelpPager::prev);
    connect(m_next, &QPushButton::clicked, m_pager, &HelpPager::next);
    connect(m_pager, &HelpPager::textChanged, this, [this] {
        m_text->setPlainText(m_pager->text().remove(QLatin1Char('\r')));
        m_text->verticalScrollBar()->setValue(m_text->verticalScrollBar()->maximum());
    });
    connect(m_pager, &HelpPager::buttonsChanged, this, &HelpWindow::updateButtons);
    // Another listing (the error list) holds the terminal: no paging meanwhile.
    connect(&terminal, &TerminalSession::busyChanged, this, &HelpWindow::updateButtons);

    terminal.setHelp(TerminalSession::HelpMode(kind), m_pager);
    DialogTexts::apply(this, 212);
    if (kind == HelpPager::CommandHelp)
        setWindowTitle(Catalogue::instance().string(167));
}

HelpWindow::~HelpWindow() = default;

void HelpWindow::updateButtons()
{
    const bool free = !m_terminal.isBusy();
    m_prev->setEnabled(free && m_pager->prevEnabled());
    m_next->setEnabled(free && m_pager->nextEnabled());
}

void HelpWindow::closeEvent(QCloseEvent *event)
{
    // A page on its way keeps the window; otherwise the close box is "Hide(&L)".
    if (m_pager->isReceiving()) {
        event->ignore();
        return;
    }
    m_terminal.hideHelp();
    event->accept();
}
