#include "programmonitor.h"

#include "app/userprompt.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "link/hexdigit.h"
#include "programtext.h"
#include "programtransfer.h"
#include "resources/cataloguetext.h"

#include <QVariant>

namespace {

using CatalogueText::text;

int tagDepth(const QByteArray &line)
{
    int depth = 0;
    while (depth < line.size() && line.at(depth) == '!')
        ++depth;
    return depth;
}

// A status field: hexadecimal digits only. A garbled field is no status;
// read up to its first bad digit it would mark a block that does not run.
std::optional<quint32> hexField(const QByteArray &field)
{
    const QByteArray digits = field.trimmed();
    if (digits.isEmpty() || digits.size() > 8)
        return std::nullopt;
    quint32 value = 0;
    for (char c : digits) {
        const int digit = hexDigit(c);
        if (digit < 0)
            return std::nullopt;
        value = (value << 4) | quint32(digit);
    }
    return value;
}

} // namespace

// The reader's messages are kept, not shown: the monitor says what failed
// in its own words.
class ProgramMonitor::QuietPrompt : public UserPrompt
{
public:
    QString last;
    void message(const QString &text) override { last = text; }
    bool askOkCancel(const QString &) override { return false; }
    bool askYesNo(const QString &) override { return false; }
    QString chooseFile(const FileRequest &) override { return {}; }
};

ProgramMonitor::ProgramMonitor(DriveLink &link, UserPrompt &prompt, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_prompt(prompt)
    , m_quiet(std::make_unique<QuietPrompt>())
    , m_reader(std::make_unique<ProgramTransfer>(link, *m_quiet))
{
    // A coarse timer may fire early; the period must not be cut short.
    m_poll.setTimerType(Qt::PreciseTimer);
    m_poll.setSingleShot(true);
    connect(&m_poll, &QTimer::timeout, this, &ProgramMonitor::onPollTimer);
    connect(m_reader.get(), &ProgramTransfer::finished, this,
            [this](ProgramTransfer::Outcome outcome, const QString &) {
                readerFinished(outcome == ProgramTransfer::Outcome::Succeeded);
            });
    connect(m_reader.get(), &ProgramTransfer::lampToggled, this, &ProgramMonitor::lampToggled);
}

ProgramMonitor::~ProgramMonitor() = default;

std::optional<ProgramMonitor::Status> ProgramMonitor::parseStatus(const QByteArray &reply)
{
    if (!reply.startsWith("R3H"))
        return std::nullopt;
    const QByteArrayList fields = reply.mid(5).split(':');
    if (fields.size() < 3)
        return std::nullopt;
    const std::optional<quint32> word = hexField(fields.at(0));
    const std::optional<quint32> program = hexField(fields.at(1));
    const std::optional<quint32> block = hexField(fields.at(2));
    if (!word || !program || !block || *program > 0xFFFF || *block > 0xFFFFFF)
        return std::nullopt;
    return Status{quint32(*word), int(*program), int(*block)};
}

ProgramMonitor::DisplayState ProgramMonitor::displayState(quint32 word)
{
    if (word & ErrorBit)
        return Error;
    if (word & RunBit)
        return word & WaitBit ? Waiting : Running;
    return Idle;
}

int ProgramMonitor::lineOfBlock(const QByteArrayList &lines, int block)
{
    int first = 1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const int blocks = ProgramText::blocksOf(lines.at(i));
        if (block >= first && block < first + blocks)
            return int(i);
        first += blocks;
    }
    return -1;
}

int ProgramMonitor::blockCount(const QByteArrayList &lines)
{
    int count = 0;
    for (const QByteArray &line : lines)
        count += ProgramText::blocksOf(line);
    return count;
}

// --- Reading -----------------------------------------------------------------

void ProgramMonitor::readPrograms(int number)
{
    if (m_phase != Phase::Idle)
        return;
    m_phase = Phase::Reading;
    m_wanted = number;
    m_listing = true;
    m_timedOut = false;
    m_programs.clear();
    m_toRead.clear();
    m_nextRead = 0;
    m_first = -1;
    m_reader->list();
}

void ProgramMonitor::readerFinished(bool ok)
{
    if (m_phase != Phase::Reading)
        return;
    if (m_listing) {
        m_listing = false;
        if (!ok) {
            m_phase = Phase::Idle;
            message(text(m_timedOut ? 159 : 150));
            Q_EMIT readFinished(false);
            return;
        }
        const QList<int> &listed = m_reader->listedNumbers();
        if (m_wanted < 0) {
            m_toRead = listed;
        } else if (listed.contains(m_wanted)) {
            m_toRead = {m_wanted};
        } else {
            m_phase = Phase::Idle;
            message(text(149));
            Q_EMIT readFinished(false);
            return;
        }
        readNext();
        return;
    }
    if (!ok) {
        m_phase = Phase::Idle;
        message(m_timedOut ? text(159) : m_quiet->last);
        Q_EMIT readFinished(false);
        return;
    }
    const int number = m_toRead.at(m_nextRead++);
    const QByteArrayList lines = m_reader->readLines();
    m_programs.insert(number, Program{lines, blockCount(lines)});
    Q_EMIT readProgress(int(m_nextRead), int(m_toRead.size()));
    readNext();
}

void ProgramMonitor::readNext()
{
    if (m_nextRead < m_toRead.size()) {
        m_reader->read(m_toRead.at(m_nextRead));
        return;
    }
    m_phase = Phase::Idle;
    if (m_wanted >= 0)
        m_first = m_wanted;
    else if (!m_programs.isEmpty())
        m_first = m_programs.firstKey();
    Q_EMIT readFinished(true);
}

// --- Watching ------------------------------------------------------------------

void ProgramMonitor::start()
{
    if (m_phase == Phase::Reading)
        return;
    m_state = NoStatus;
    m_status = {};
    m_shown = m_first;
    m_marked = -1;
    if (m_first >= 0)
        m_options.program = m_first;
    Q_EMIT programShown(m_shown);
    resume();
}

void ProgramMonitor::resume()
{
    if (m_phase == Phase::Reading)
        return;
    m_phase = Phase::Watching;
    m_queue.clear();
    m_outstanding = {};
    Q_EMIT statusChanged();
    onPollTimer();
}

void ProgramMonitor::stop()
{
    if (m_phase == Phase::Watching)
        m_phase = Phase::Idle;
    m_poll.stop();
    m_queue.clear();
    m_outstanding = {};
}

QByteArray ProgramMonitor::outstanding() const
{
    return m_outstanding.line;
}

void ProgramMonitor::startProgram()
{
    issue(Kind::Start, DriveCommand::startProgram(m_options.program, m_options.block));
}

void ProgramMonitor::stopProgram()
{
    issue(Kind::Stop, DriveCommand::tagged(DriveCommand::function(2), 2));
}

void ProgramMonitor::abortProgram()
{
    issue(Kind::Abort, DriveCommand::tagged(DriveCommand::function(1), 2));
}

void ProgramMonitor::resetError()
{
    issue(Kind::ErrorReset, DriveCommand::tagged(DriveCommand::function(4), 2));
}

void ProgramMonitor::answerM()
{
    issue(Kind::MAnswer, DriveCommand::function(9));
}

void ProgramMonitor::sendStepMode()
{
    issue(Kind::StepMode,
          DriveCommand::tagged(DriveCommand::writeItem(82, m_options.step ? 1 : 0), 2));
}

void ProgramMonitor::sendTerminal(const QByteArray &typed)
{
    if (typed.isEmpty())
        return;
    issue(Kind::Terminal, DriveCommand::tagged(typed, 2));
}

void ProgramMonitor::issue(Kind kind, const QByteArray &line)
{
    if (m_phase != Phase::Watching)
        return;
    if (m_outstanding.kind != Kind::None) {
        if (m_queue.size() < size_t(MaxQueued))
            m_queue.push_back({kind, line});
        return;
    }
    transmit({kind, line});
}

void ProgramMonitor::transmit(const Command &command)
{
    m_outstanding = command;
    m_link.send(command.line, true, DriveLink::DefaultTimeoutMs);
}

void ProgramMonitor::onPollTimer()
{
    if (m_phase != Phase::Watching || m_outstanding.kind != Kind::None || m_messageOpen)
        return;
    transmit({Kind::Poll, DriveCommand::programStatusPoll()});
}

void ProgramMonitor::afterReply()
{
    if (m_phase != Phase::Watching || m_outstanding.kind != Kind::None)
        return;
    if (!m_queue.empty()) {
        const Command next = m_queue.front();
        m_queue.pop_front();
        transmit(next);
        return;
    }
    if (!m_poll.isActive())
        m_poll.start(PollMs);
}

void ProgramMonitor::onLinkReply(const QByteArray &line)
{
    if (m_phase == Phase::Reading) {
        m_reader->onLinkReply(line);
        return;
    }
    if (m_phase != Phase::Watching)
        return;
    Q_EMIT lampToggled();
    const int depth = tagDepth(line);
    const QByteArray body = line.mid(depth);
    const Kind kind = m_outstanding.kind;
    if (depth == 1 && body.startsWith("R3H")) {
        if (kind == Kind::Poll)
            m_outstanding = {};
        else if (kind != Kind::None)
            m_link.armTimer(); // a late status answer: ours is still to come
        handleStatus(body);
        afterReply();
        return;
    }
    const bool immediate = kind == Kind::Stop || kind == Kind::Abort || kind == Kind::ErrorReset ||
                           kind == Kind::StepMode || kind == Kind::Terminal;
    const bool direct = kind == Kind::Start || kind == Kind::MAnswer;
    if ((immediate && depth == 2) || (direct && depth == 0)) {
        m_outstanding = {};
        completeCommand(kind, body);
        afterReply();
        return;
    }
    // Not the answer we wait for (a late one, or noise): keep waiting.
    if (kind != Kind::None)
        m_link.armTimer();
}

void ProgramMonitor::onLinkTimeout()
{
    if (m_phase == Phase::Reading) {
        m_timedOut = true;
        m_reader->onLinkTimeout();
        return;
    }
    if (m_phase != Phase::Watching)
        return;
    m_outstanding = {};
    message(text(159));
    afterReply();
}

void ProgramMonitor::message(const QString &shown)
{
    // While one box is open the poll waits, so that no second one follows.
    m_messageOpen = true;
    m_prompt.message(shown);
    m_messageOpen = false;
}

void ProgramMonitor::completeCommand(Kind kind, const QByteArray &body)
{
    if (kind == Kind::Terminal) {
        Q_EMIT terminalReply(body);
        return;
    }
    if (body.startsWith("R00"))
        return;
    if (kind == Kind::ErrorReset)
        message(text(156));
    else
        message(DriveText::decode(body));
}

void ProgramMonitor::handleStatus(const QByteArray &body)
{
    const std::optional<Status> status = parseStatus(body);
    if (!status)
        return;
    m_status = *status;
    m_state = displayState(status->word);

    // The text follows the program that runs, and one read at start that
    // the drive names when idle; the number an idle drive reports before
    // anything ran is no reason to complain.
    const bool running = status->word & RunBit;
    const bool stored = m_programs.contains(status->program);
    if (status->program != m_shown && (running || stored)) {
        m_shown = status->program;
        m_marked = -1;
        Q_EMIT programShown(m_shown);
        if (!stored) {
            Q_EMIT statusChanged();
            message(Catalogue::instance().format(153, {m_shown}));
        }
    }

    m_marked = -1;
    if (status->program == m_shown && stored) {
        const Program &program = m_programs.value(m_shown);
        if (status->block > program.blockCount) {
            stop();
            Q_EMIT statusChanged();
            message(text(152));
            Q_EMIT closeRequested();
            return;
        }
        m_marked = lineOfBlock(program.lines, status->block);
    }
    Q_EMIT statusChanged();
}
