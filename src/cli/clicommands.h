#pragma once

#include "link/linkowner.h"

#include <QObject>

class CliSession;

// "send LINE": one command line, its reply line on stdout.
class SendCommand : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    SendCommand(CliSession &session, const QByteArray &line);
    int run();

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

private:
    CliSession &m_session;
    QByteArray m_line;
    int m_exitCode = 0;
};

// "info": the five start-up facts as the main window asks them.
class InfoCommand : public QObject
{
    Q_OBJECT
public:
    explicit InfoCommand(CliSession &session);
    int run();

private:
    CliSession &m_session;
};
