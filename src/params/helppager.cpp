#include "helppager.h"

#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivetext.h"
#include "link/terminalsession.h"

HelpPager::HelpPager(TerminalSession &terminal, Kind kind, QObject *parent)
    : QObject(parent)
    , m_terminal(terminal)
    , m_kind(kind)
{}

QByteArray HelpPager::command() const
{
    return m_kind == CommandHelp ? DriveCommand::commandHelp(m_page)
                                 : DriveCommand::itemHelp(m_page);
}

HelpPager::~HelpPager()
{
    m_terminal.removeClient(this);
}

QString HelpPager::text() const
{
    return m_lines.lines().join(QStringLiteral("\r\n"));
}

QByteArray HelpPager::layoutKey(const QByteArray &key)
{
    // Keys line up in four columns as in the parameter file: "#5" gives
    // "#  5", "#12" gives "# 12"; anything else stays as it is.
    if (key.size() == 2)
        return "#  " + key.right(1);
    if (key.size() == 3)
        return "# " + key.right(2);
    return key;
}

QByteArray HelpPager::formatLine(const QByteArray &line)
{
    if (line.startsWith("R1Z")) {
        const QByteArray text = line.mid(5);
        const qsizetype blank = text.indexOf(' ');
        const QByteArray syntax = blank < 0 ? text : text.left(blank);
        const QByteArray rest = blank < 0 ? QByteArray() : text.mid(blank + 1);
        // A command of seven or more characters keeps one blank before its
        // description, so that the two never run together.
        return syntax.leftJustified(7, ' ') + (syntax.size() >= 7 ? " " : "") + rest;
    }
    if (line.startsWith("R2Z")) {
        const QByteArray text = line.mid(3);
        const qsizetype colon = text.indexOf(':');
        if (colon < 0)
            return layoutKey(text);
        return layoutKey(text.left(colon)) + text.mid(colon + 1);
    }
    return line;
}

void HelpPager::start()
{
    m_page = 1;
    requestPage();
}

void HelpPager::stop()
{
    // Hidden by the terminal: a listing that was running is over for us.
    m_receiving = false;
    m_resetting = false;
}

void HelpPager::next()
{
    // While another listing runs the page stays as it is.
    if (m_receiving || m_terminal.isBusy())
        return;
    ++m_page;
    requestPage();
}

void HelpPager::prev()
{
    if (m_receiving || m_terminal.isBusy() || m_page <= 1)
        return;
    --m_page;
    requestPage();
}

void HelpPager::requestPage()
{
    m_lines.reset(PageCapacity);
    m_pageLines = 0;
    Q_EMIT textChanged();
    if (m_terminal.sendForHelp(command(), TerminalSession::HelpMode(m_kind)) != 0) {
        // The terminal is busy with another listing; the buttons stay usable.
        pageEnded();
        return;
    }
    m_terminal.setBusy(true);
    m_receiving = true;
    m_prevEnabled = false;
    m_nextEnabled = false;
    Q_EMIT buttonsChanged();
}

void HelpPager::pageEnded()
{
    m_receiving = false;
    m_prevEnabled = m_page >= 2;
    m_nextEnabled = m_pageLines >= FullPageLines;
    Q_EMIT buttonsChanged();
}

void HelpPager::onTerminalReply(const QByteArray &line)
{
    if (m_resetting) {
        // The answer to the communication reset ends the failed page.
        m_resetting = false;
        m_terminal.setBusy(false);
        return;
    }
    if (!m_receiving)
        return;
    if (line.startsWith("R1Z") || line.startsWith("R2Z")) {
        m_lines.append(DriveText::decode(formatLine(line)));
        ++m_pageLines;
        Q_EMIT textChanged();
        m_terminal.sendForHelp(DriveCommand::pageAck(), TerminalSession::HelpMode(m_kind), false);
        return;
    }
    if (line.startsWith("R00")) {
        pageEnded();
        m_terminal.setBusy(false);
        return;
    }
    // An alarm or anything unexpected: say it, then reset the drive's
    // side of the listing.
    pageEnded();
    if (UserPrompt *prompt = m_terminal.prompt())
        prompt->message(DriveText::decode(line));
    m_resetting = true;
    m_terminal.sendForHelp(DriveCommand::communicationReset(), TerminalSession::HelpMode(m_kind),
                           false);
}

void HelpPager::onTerminalTimeout()
{
    m_receiving = false;
    m_resetting = false;
    pageEnded();
}
