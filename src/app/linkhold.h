#pragma once

class DriveLink;
class LinkOwner;

// What a feature dialog does with the link while it is open: it takes the
// link for its exchange when it is shown (pushing the owner and opening the
// port), and gives it back when it closes (resetting the link so that no
// reply of its own reaches the window below, closing the port if it was the
// bottom owner, popping). The destructor gives it back too, so a dialog that
// is deleted while open never leaves a dangling owner on the stack.
class LinkHold
{
public:
    LinkHold(DriveLink &link, LinkOwner &owner);
    ~LinkHold();

    LinkHold(const LinkHold &) = delete;
    LinkHold &operator=(const LinkHold &) = delete;

    // Takes the link unless already held; true when this call took it.
    bool take();
    void release();
    bool isHeld() const { return m_held; }

private:
    DriveLink &m_link;
    LinkOwner &m_owner;
    bool m_held = false;
};
