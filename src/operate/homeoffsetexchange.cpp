#include "homeoffsetexchange.h"

#include "app/userprompt.h"
#include "drivestatus.h"
#include "link/drivelink.h"
#include "resources/catalogue.h"

HomeOffsetExchange::HomeOffsetExchange(DriveLink &link, QObject *parent)
    : QObject(parent)
    , m_link(link)
{}

HomeOffsetExchange::~HomeOffsetExchange()
{
    close();
}

void HomeOffsetExchange::open()
{
    if (m_owner)
        return;
    m_owner = m_link.pushOwner(this);
    if (m_owner)
        send('#' + QByteArray::number(OffsetItem), ReadOffset);
}

void HomeOffsetExchange::close()
{
    if (!m_owner)
        return;
    m_link.reset();
    m_link.popOwner();
    m_owner = false;
    m_state = Closed;
}

void HomeOffsetExchange::send(const QByteArray &command, State state)
{
    m_state = state;
    m_link.send(command);
    emit changed();
}

bool HomeOffsetExchange::enter(const QByteArray &offset)
{
    if (m_state != Idle)
        return false;
    const QByteArray t = offset.trimmed();
    if (!commandInteger(t, -999999999, 999999999)) {
        if (m_prompt)
            m_prompt->message(Catalogue::instance().string(189));
        return false;
    }
    m_written = t;
    send('#' + QByteArray::number(OffsetItem) + '=' + t, WriteOffset);
    return true;
}

void HomeOffsetExchange::abort()
{
    if (m_state == Idle)
        send("@1", Abort);
}

void HomeOffsetExchange::onLinkReply(const QByteArray &line)
{
    const Catalogue &c = Catalogue::instance();
    if (m_state == ReadOffset && line.startsWith("R1D")) {
        m_offset = afterColon(line).trimmed();
    } else if (m_state == WriteOffset && line.startsWith("R00")) {
        m_offset = m_written;
    } else if (isRefusal(line) && m_prompt) {
        m_prompt->message((line.startsWith("ALM") ? c.string(221) : c.string(126)) + u'\n' +
                          QString::fromLatin1(line));
    }
    if (m_state != Closed)
        m_state = Idle;
    emit changed();
}

void HomeOffsetExchange::onLinkTimeout()
{
    const Catalogue &c = Catalogue::instance();
    if (m_prompt)
        m_prompt->captionedMessage(c.string(218), c.string(159) + u'\n' + c.string(217));
    if (m_state != Closed)
        m_state = Idle;
    emit changed();
}
