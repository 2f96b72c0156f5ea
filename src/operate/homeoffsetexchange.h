#pragma once

#include "link/linkowner.h"

#include <QByteArray>
#include <QObject>

class DriveLink;
class UserPrompt;

// The exchange of the home-offset window: reads the home offset (#15) when
// the window opens, writes a new one with Enter, and stops the motion with
// Abort (@1).
class HomeOffsetExchange : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum State { Closed = 0, Idle = 1, ReadOffset = 2, WriteOffset = 3, Abort = 4 };
    static constexpr int OffsetItem = 15;

    explicit HomeOffsetExchange(DriveLink &link, QObject *parent = nullptr);
    ~HomeOffsetExchange() override;

    void setPrompt(UserPrompt *prompt) { m_prompt = prompt; }
    void open();
    void close();
    // Refused with string 189 (nothing sent) unless an integer.
    bool enter(const QByteArray &offset);
    void abort();

    State state() const { return m_state; }
    QByteArray offset() const { return m_offset; }

    void onLinkTimeout() override;
    void onLinkReply(const QByteArray &line) override;

Q_SIGNALS:
    void changed();

private:
    void send(const QByteArray &command, State state);

    DriveLink &m_link;
    UserPrompt *m_prompt = nullptr;
    State m_state = Closed;
    bool m_owner = false;
    QByteArray m_offset;
    QByteArray m_written;
};
