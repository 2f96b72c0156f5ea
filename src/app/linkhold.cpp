#include "linkhold.h"

#include "link/drivelink.h"

LinkHold::LinkHold(DriveLink &link, LinkOwner &owner)
    : m_link(link)
    , m_owner(owner)
{}

LinkHold::~LinkHold()
{
    if (m_held) {
        m_link.reset();
        m_link.popOwner();
    }
}

bool LinkHold::take()
{
    if (m_held)
        return false;
    m_held = m_link.pushOwner(&m_owner);
    m_link.open();
    return m_held;
}

void LinkHold::release()
{
    if (!m_held)
        return;
    m_link.reset();
    m_link.close();
    m_link.popOwner();
    m_held = false;
}
