#include "app/safefilewriter.h"
#include "clisession.h"
#include "paramsprompt.h"
#include "verbs.h"
#include "wave/logconditions.h"
#include "wave/monitoritemtable.h"
#include "wave/samplestore.h"
#include "wave/viewerexchange.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// The CLI polls faster than the viewer's one second; the drive does not mind.
constexpr int CliPollMs = 250;

const QString conditionsOption = QStringLiteral("conditions");
const QString outOption = QStringLiteral("out");
const QString csvOption = QStringLiteral("csv");
const QString timeoutOption = QStringLiteral("timeout");

// Beyond the record's own length a single-mode log may wait for its trigger
// this long before it is given up.
constexpr int DefaultTriggerWaitS = 30;

// Runs the viewer's exchange until `done` says so or the exchange gives up.
// The item list is read from the drive into a scratch folder each time: the
// CLI keeps no cache of its own.
class ScopeRun
{
public:
    explicit ScopeRun(CliSession &session)
        : m_session(session)
        , m_prompt(QString(), false)
        , m_exchange(session.link(), m_prompt)
    {
        m_exchange.setBaseDir(m_scratch.path() + QLatin1Char('/'));
        m_exchange.setPollInterval(CliPollMs);
        QObject::connect(&m_exchange, &ViewerExchange::closeRequested, [this] { finish(false); });
        QObject::connect(&m_exchange, &ViewerExchange::wentOffline, [this] { finish(false); });
        QObject::connect(
            &m_exchange, &ViewerExchange::stateChanged, [this](ViewerExchange::State s) {
                // Every unexpected reply ends in Abort with a message: the CLI stops there.
                if (s == ViewerExchange::State::Abort && !m_prompt.messages().isEmpty())
                    finish(false);
            });
    }

    ViewerExchange &exchange() { return m_exchange; }

    bool run()
    {
        DriveLink &link = m_session.link();
        link.pushOwner(&m_exchange);
        m_exchange.open();
        if (!m_ended)
            QCoreApplication::exec();
        m_exchange.close();
        link.reset();
        link.popOwner();
        for (const QString &message : m_prompt.messages())
            CliSession::printError(message);
        return m_ok;
    }

    void finish(bool ok)
    {
        if (m_ended)
            return;
        m_ended = true;
        m_ok = ok;
        m_exchange.stopPolling();
        QCoreApplication::exit(0);
    }

private:
    CliSession &m_session;
    ParamsPrompt m_prompt;
    QTemporaryDir m_scratch;
    ViewerExchange m_exchange;
    bool m_ended = false;
    bool m_ok = false;
};

int scopeItems(CliSession &session)
{
    if (!session.connect())
        return CliSession::Failure;
    ScopeRun run(session);
    QObject::connect(&run.exchange(), &ViewerExchange::stateChanged,
                     [&run](ViewerExchange::State s) {
                         if (s == ViewerExchange::State::PollAfterList)
                             run.finish(true);
                     });
    if (!run.run())
        return CliSession::Failure;
    for (const MonitorItem &item : MonitorItemTable::instance().items()) {
        QByteArray text = item.text;
        while (text.endsWith(' '))
            text.chop(1);
        CliSession::printLine(text);
    }
    return CliSession::Success;
}

bool readConditions(const QString &path)
{
    if (!path.endsWith(QLatin1String("cnd"))) {
        CliSession::printError(path + QStringLiteral("\n\n") + CliSession::text(248));
        return false;
    }
    const auto result = WaveFile::read(path, LogConditions::active(), SampleStore::instance());
    if (result == WaveFile::ReadResult::Read)
        return true;
    CliSession::printError(
        path + QStringLiteral("\n\n") +
        CliSession::text(result == WaveFile::ReadResult::CannotOpen ? 206 : 248));
    return false;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    if (SafeFileWriter::writeWhole(path, bytes))
        return true;
    CliSession::printError(path + QStringLiteral("\n") + CliSession::text(109));
    return false;
}

int scopeCapture(CliSession &session)
{
    const QCommandLineParser &parser = session.parser();
    const QString out = parser.value(outOption);
    const QString csv = parser.value(csvOption);
    if (parser.isSet(conditionsOption) && !readConditions(parser.value(conditionsOption)))
        return CliSession::Failure;
    const LogConditions &conditions = LogConditions::active();
    const StartArguments arguments =
        WaveScale::startArguments(conditions.timeIndex, conditions.triggerPosition);
    int waitS = (arguments.recordLengthMs + 999) / 1000 + DefaultTriggerWaitS;
    if (parser.isSet(timeoutOption)) {
        bool ok = false;
        waitS = parser.value(timeoutOption).toInt(&ok);
        if (!ok || waitS < 1 || waitS > 24 * 3600) {
            CliSession::printError(QStringLiteral("--timeout takes whole seconds, 1 to 86400."));
            return CliSession::Usage;
        }
    }
    if (!session.connect())
        return CliSession::Failure;

    ScopeRun run(session);
    ViewerExchange &exchange = run.exchange();
    enum class Phase { Preparing, Recording, Transferring } phase = Phase::Preparing;
    int polls = 0;
    // A log that never triggers is stopped on the drive once the wait is
    // over; the run ends when the drive has taken the abort.
    QTimer wait;
    wait.setSingleShot(true);
    wait.setInterval(waitS * 1000);
    bool givenUp = false;
    bool aborting = false;
    const auto abortLog = [&] {
        aborting = true;
        exchange.startLogging();
    };
    QObject::connect(&wait, &QTimer::timeout, [&] {
        if (phase != Phase::Recording)
            return;
        givenUp = true;
        CliSession::printError(
            QStringLiteral("No record within %1 s: the log on the drive is aborted.").arg(waitS));
        // Otherwise the set-up is still on its way: the next poll aborts.
        if (exchange.state() == ViewerExchange::State::Logging)
            abortLog();
    });
    QObject::connect(&exchange, &ViewerExchange::stateChanged, [&](ViewerExchange::State s) {
        if (aborting && s == ViewerExchange::State::Idle)
            run.finish(false);
    });
    QObject::connect(&exchange, &ViewerExchange::statusPolled, [&](bool running, bool ready) {
        switch (phase) {
        case Phase::Preparing:
            if (running) {
                exchange.startLogging(); // an earlier log is stopped first
                return;
            }
            exchange.beginConditions();
            exchange.finishConditions(true);
            phase = Phase::Recording;
            wait.start();
            std::fprintf(stderr, "Logging started.\n");
            break;
        case Phase::Recording:
            if (ready && !running) {
                wait.stop();
                phase = Phase::Transferring;
                exchange.acquire();
            } else if (givenUp && !aborting) {
                if (running)
                    abortLog();
                else
                    run.finish(false);
            } else {
                std::fprintf(stderr, "Waiting for the record... %d\n", ++polls);
            }
            break;
        case Phase::Transferring:
            break;
        }
    });
    QObject::connect(&exchange, &ViewerExchange::sampleReceived, [](int count) {
        if (count % 50 == 0)
            std::fprintf(stderr, "Transferred %d samples.\n", count);
    });
    QObject::connect(&exchange, &ViewerExchange::redrawRequested, [&] {
        if (phase == Phase::Transferring && !exchange.transferOpen() &&
            exchange.state() == ViewerExchange::State::Transfer)
            run.finish(true);
    });
    if (!run.run())
        return CliSession::Failure;

    const SampleStore &store = SampleStore::instance();
    if (!writeFile(out, WaveFile::graphBytes(conditions, store)))
        return CliSession::Failure;
    if (!csv.isEmpty()) {
        const MonitorItemTable &table = MonitorItemTable::instance();
        std::array<QByteArray, 4> names;
        for (int c = 0; c < 4; ++c)
            names[c] = table.text(conditions.sourceIndex[c]);
        if (!writeFile(csv, WaveFile::csvBytes(store, names, arguments.intervalMs)))
            return CliSession::Failure;
    }
    std::fprintf(stderr, "Record of %d samples written.\n", store.count());
    return CliSession::Success;
}

} // namespace

void addScopeOptions(QCommandLineParser &parser)
{
    // A name another verb registered already is shared, not doubled.
    parser.addOption({conditionsOption, QStringLiteral("scope capture: the condition file."),
                      QStringLiteral("FILE.cnd")});
    parser.addOption({outOption, QStringLiteral("scope capture: the graph file to write."),
                      QStringLiteral("FILE.gdt")});
    parser.addOption({csvOption, QStringLiteral("scope capture: also the record as CSV."),
                      QStringLiteral("FILE.csv")});
    parser.addOption({timeoutOption,
                      QStringLiteral("scope capture: how long to wait for the record before the "
                                     "log is aborted (default: its length + 30 s)."),
                      QStringLiteral("SECONDS")});
}

// scope items | scope capture [--conditions FILE.cnd] --out FILE.gdt [--csv FILE.csv]
//               [--timeout SECONDS]
int runScopeVerb(CliSession &session, const QStringList &args)
{
    if (args == QStringList{QStringLiteral("items")})
        return scopeItems(session);
    if (args == QStringList{QStringLiteral("capture")} &&
        !session.parser().value(outOption).isEmpty())
        return scopeCapture(session);
    return -1;
}
