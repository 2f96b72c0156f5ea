#pragma once

#include <QByteArray>

// A window that talks to the drive through Terminal mode: the four monitors,
// the two help windows and the error/alarm listing. The terminal starts it
// when it is shown, stops it when it is hidden and hands it the replies that
// belong to it.
class TerminalClient
{
public:
    virtual ~TerminalClient() = default;

    virtual void start() = 0;
    virtual void stop() = 0;
    // A monitor gets its reply without the leading "!"; a help window gets
    // the lines of its listing unchanged.
    virtual void onTerminalReply(const QByteArray &line) = 0;
    // A listing of this client got no reply in time; the terminal has
    // already told the user.
    virtual void onTerminalTimeout() {}
};
