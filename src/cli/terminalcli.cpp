#include "terminalcli.h"

#include "app/userprompt.h"
#include "clisession.h"
#include "link/drivetext.h"
#include "link/terminalsession.h"
#include "params/monitorpoller.h"
#include "resources/catalogue.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {
// What an exchange would ask in a box goes to stderr; questions are
// answered "no" since nobody is there to answer them.
class StderrPrompt : public UserPrompt
{
public:
    void message(const QString &text) override { CliSession::printError(text); }
    bool askOkCancel(const QString &text) override
    {
        CliSession::printError(text);
        return false;
    }
    bool askYesNo(const QString &text) override
    {
        CliSession::printError(text);
        return false;
    }
    QString chooseFile(const FileRequest &) override { return {}; }
};

int s_signalFds[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    // Nothing else is safe in a signal handler.
    [[maybe_unused]] const ssize_t n = ::write(s_signalFds[0], &byte, 1);
}
} // namespace

StdinLineReader::StdinLineReader(QObject *parent)
    : QObject(parent)
{}

StdinLineReader::~StdinLineReader()
{
    // The thread ends at the end of input; a reader still blocked on a
    // terminal is left to the end of the process.
    if (m_thread.joinable())
        m_thread.detach();
}

void StdinLineReader::start()
{
    m_thread = std::thread([this] { run(); });
}

void StdinLineReader::run()
{
    QByteArray line;
    // A line past the limit is read to its end but not kept: memory stays
    // bounded whatever comes down the pipe.
    bool overlong = false;
    for (;;) {
        const int c = std::fgetc(stdin);
        if (c == EOF)
            break;
        if (c == '\n') {
            if (line.endsWith('\r'))
                line.chop(1);
            if (overlong || line.size() > MaxLineBytes)
                Q_EMIT lineRefused();
            else
                Q_EMIT lineRead(line);
            line.clear();
            overlong = false;
            continue;
        }
        if (overlong)
            continue;
        // One byte over, for the CR of a CR LF line end.
        if (line.size() > MaxLineBytes) {
            overlong = true;
            line.clear();
            continue;
        }
        line.append(char(c));
    }
    if (overlong || line.size() > MaxLineBytes)
        Q_EMIT lineRefused();
    else if (!line.isEmpty())
        Q_EMIT lineRead(line);
    Q_EMIT finished();
}

TerminalCommand::TerminalCommand(CliSession &session, bool simple)
    : m_session(session)
    , m_simple(simple)
{}

int TerminalCommand::run()
{
    StderrPrompt prompt;
    TerminalSession terminal(m_session.link(), m_simple ? TerminalSession::Variant::Simple
                                                        : TerminalSession::Variant::Full);
    terminal.setPrompt(&prompt);
    StdinLineReader reader;
    QList<QByteArray> queue;
    bool endOfInput = false;

    const auto sendNext = [&] {
        if (terminal.awaitingReply())
            return;
        if (!queue.isEmpty()) {
            terminal.enter(queue.takeFirst());
            return;
        }
        if (endOfInput)
            QCoreApplication::exit(0);
    };
    connect(&terminal, &TerminalSession::replyShown, this,
            [](const QByteArray &line) { CliSession::printLine(line); });
    // No monitor runs here: a reply tagged for one is still the user's.
    connect(&terminal, &TerminalSession::replyDropped, this,
            [](const QByteArray &line) { CliSession::printLine(line); });
    connect(&terminal, &TerminalSession::replyTimedOut, this,
            [] { CliSession::printError(CliSession::text(159)); });
    connect(&terminal, &TerminalSession::replyEnded, this, sendNext, Qt::QueuedConnection);
    connect(&reader, &StdinLineReader::lineRead, this, [&](const QByteArray &line) {
        queue.append(line);
        sendNext();
    });
    connect(&reader, &StdinLineReader::lineRefused, this, [] {
        CliSession::printError(
            Catalogue::instance().format(1026, {QVariant(StdinLineReader::MaxLineBytes)}));
    });
    connect(&reader, &StdinLineReader::finished, this, [&] {
        endOfInput = true;
        sendNext();
    });

    terminal.open();
    reader.start();
    QCoreApplication::exec();
    terminal.close();
    return CliSession::Success;
}

MonitorCommand::MonitorCommand(CliSession &session, const QList<int> &numbers)
    : m_session(session)
    , m_numbers(numbers)
{}

bool MonitorCommand::parseNumber(const QString &text, int *number)
{
    QString digits = text;
    if (digits.startsWith(QLatin1Char('#')))
        digits.remove(0, 1);
    bool ok = false;
    const int n = digits.toInt(&ok);
    if (!ok || n < MonitorPoller::MinNumber || n > MonitorPoller::MaxNumber)
        return false;
    *number = n;
    return true;
}

int MonitorCommand::run()
{
    StderrPrompt prompt;
    TerminalSession terminal(m_session.link());
    terminal.setPrompt(&prompt);
    MonitorPoller poller(terminal);
    poller.setRows(m_numbers);
    poller.setRoundPeriodMs(1000);
    terminal.setMonitor(TerminalSession::ParameterMonitor, &poller);

    connect(&poller, &MonitorPoller::rowRead, this, [&](int row) {
        const MonitorPoller::Row &r = poller.row(row);
        QByteArray text = '#' + QByteArray::number(r.number) + ' ' + r.label;
        if (!r.value.isEmpty())
            text += ": " + r.value;
        CliSession::printLine(text);
    });
    connect(&poller, &MonitorPoller::rowTimedOut, this, [&](int row) {
        CliSession::printError(
            QStringLiteral("#%1: %2").arg(poller.row(row).number).arg(CliSession::text(159)));
    });

    // SIGINT and SIGTERM end the watch cleanly through the event loop.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, s_signalFds) != 0) {
        CliSession::printError(QStringLiteral("monitor: cannot watch for signals."));
        return CliSession::Failure;
    }
    QSocketNotifier notifier(s_signalFds[1], QSocketNotifier::Read);
    connect(&notifier, &QSocketNotifier::activated, this, [] {
        char byte = 0;
        [[maybe_unused]] const ssize_t n = ::read(s_signalFds[1], &byte, 1);
        QCoreApplication::exit(0);
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    struct sigaction oldInt = {};
    struct sigaction oldTerm = {};
    sigaction(SIGINT, &action, &oldInt);
    sigaction(SIGTERM, &action, &oldTerm);

    terminal.open();
    terminal.showMonitor(TerminalSession::ParameterMonitor);
    QCoreApplication::exec();
    terminal.close();

    sigaction(SIGINT, &oldInt, nullptr);
    sigaction(SIGTERM, &oldTerm, nullptr);
    notifier.setEnabled(false);
    ::close(s_signalFds[0]);
    ::close(s_signalFds[1]);
    s_signalFds[0] = s_signalFds[1] = -1;
    return CliSession::Success;
}
