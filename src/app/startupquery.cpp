#include "startupquery.h"

#include "appsettings.h"
#include "link/drivecommands.h"
#include "link/drivelink.h"
#include "link/drivetext.h"
#include "resources/catalogue.h"

StartupQuery::StartupQuery(DriveLink &link, AppSettings &settings, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_settings(settings)
{}

void StartupQuery::start()
{
    m_absAccVisible = false;
    m_absAccText.clear();
    Q_EMIT absAccButtonChanged(false, QString());
    ask(AskAbsAcc, DriveCommand::readShortParam(22));
}

void StartupQuery::ask(State next, const QByteArray &command)
{
    m_state = next;
    m_link.send(command, true, DriveLink::DefaultTimeoutMs);
}

void StartupQuery::onLinkReply(const QByteArray &line)
{
    const ReplyLine reply(line);
    const std::optional<qint64> value = reply.value();
    switch (m_state) {
    case AskAbsAcc:
        if (value && *value != 0 && *value != 1) {
            m_absAccVisible = true;
            m_absAccText = Catalogue::instance().string(246);
            Q_EMIT absAccButtonChanged(true, m_absAccText);
        }
        ask(AskHoming, DriveCommand::readShortParam(50));
        break;
    case AskHoming:
        if (value)
            m_settings.setHomingOption((*value & 0x4) != 0);
        ask(AskVersion, DriveCommand::identification());
        break;
    case AskVersion: {
        const qsizetype colon = line.indexOf(':');
        m_settings.setRomVersion(DriveText::decode(colon < 0 ? line : line.mid(colon + 1)));
        ask(AskLinear, DriveCommand::readShortParam(0));
        break;
    }
    case AskLinear:
        if (value)
            m_settings.setLinearMotor(*value != 0);
        ask(AskEnglish, DriveCommand::readItem(201));
        break;
    case AskEnglish:
        if (value)
            m_settings.setEnglishDisplay(*value != 0);
        m_state = Idle;
        Q_EMIT finished();
        break;
    case Idle:
        break;
    }
}

void StartupQuery::onLinkTimeout()
{
    switch (m_state) {
    case AskAbsAcc:
        // The button gets its text but stays hidden.
        m_absAccText = Catalogue::instance().string(246);
        Q_EMIT absAccButtonChanged(false, m_absAccText);
        m_state = Idle;
        Q_EMIT abandoned();
        break;
    case AskHoming:
        m_state = Idle;
        Q_EMIT abandoned();
        break;
    default:
        // States 20-22 wait on: a late reply still advances the query.
        break;
    }
}
