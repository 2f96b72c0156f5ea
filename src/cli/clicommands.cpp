#include "clicommands.h"

#include "app/appsettings.h"
#include "app/startupquery.h"
#include "clisession.h"

#include <QCoreApplication>
#include <QTimer>

SendCommand::SendCommand(CliSession &session, const QByteArray &line)
    : m_session(session)
    , m_line(line)
{}

int SendCommand::run()
{
    DriveLink &link = m_session.link();
    link.pushOwner(this);
    link.send(m_line);
    QCoreApplication::exec();
    link.popOwner();
    return m_exitCode;
}

void SendCommand::onLinkReply(const QByteArray &line)
{
    CliSession::printLine(line);
    m_exitCode = CliSession::Success;
    QCoreApplication::exit(0);
}

void SendCommand::onLinkTimeout()
{
    CliSession::printError(CliSession::text(159));
    m_exitCode = CliSession::Failure;
    QCoreApplication::exit(0);
}

InfoCommand::InfoCommand(CliSession &session)
    : m_session(session)
{}

int InfoCommand::run()
{
    DriveLink &link = m_session.link();
    AppSettings &settings = AppSettings::instance();
    StartupQuery query(link, settings);
    link.pushOwner(&query);
    int exitCode = CliSession::Success;
    // A time-out in the last three steps leaves the query waiting for a late
    // reply, as the main window does; the CLI gives it one more period.
    QTimer lateReply;
    lateReply.setSingleShot(true);
    QObject::connect(&lateReply, &QTimer::timeout, [&] {
        exitCode = CliSession::Failure;
        QCoreApplication::exit(0);
    });
    QObject::connect(&link, &DriveLink::logged, &query, [&](const QString &) {
        if (query.state() != StartupQuery::Idle)
            lateReply.start(2 * DriveLink::DefaultTimeoutMs + 500);
    });
    QObject::connect(&query, &StartupQuery::finished, [] { QCoreApplication::exit(0); });
    QObject::connect(&query, &StartupQuery::abandoned, [&] {
        exitCode = CliSession::Failure;
        QCoreApplication::exit(0);
    });
    query.start();
    QCoreApplication::exec();
    link.popOwner();

    if (m_session.json()) {
        CliSession::printJson({{QStringLiteral("AbsAccComp"), query.absAccVisible()},
                               {QStringLiteral("HomingOption"), settings.homingOption()},
                               {QStringLiteral("RomVersion"), settings.romVersion()},
                               {QStringLiteral("LinearMotor"), settings.linearMotor()},
                               {QStringLiteral("EnglishDisplay"), settings.englishDisplay()},
                               {QStringLiteral("Complete"), exitCode == CliSession::Success}});
    } else {
        const auto flag = [](bool on) {
            return on ? "1" : "0";
        };
        CliSession::printLine(QByteArray("AbsAccComp: ") +
                              (query.absAccVisible() ? "shown" : "hidden"));
        CliSession::printLine(QByteArray("HomingOption: ") + flag(settings.homingOption()));
        CliSession::printLine("RomVersion: " + settings.romVersion().toUtf8());
        CliSession::printLine(QByteArray("LinearMotor: ") + flag(settings.linearMotor()));
        CliSession::printLine(QByteArray("EnglishDisplay: ") + flag(settings.englishDisplay()));
    }
    if (exitCode != CliSession::Success)
        CliSession::printError(CliSession::text(159));
    return exitCode;
}
