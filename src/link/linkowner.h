#pragma once

#include <QByteArray>

// The callback interface of every window or exchange that talks to the drive.
// DriveLink calls the owner on top of its owner stack.
class LinkOwner
{
public:
    virtual ~LinkOwner() = default;

    // No reply came within the time-out; the link has already been reset.
    virtual void onLinkTimeout() = 0;
    // One complete reply line, without its carriage return and without the
    // station prefix, as bytes exactly as the drive sent them.
    virtual void onLinkReply(const QByteArray &line) = 0;
};

// A listener beside the owner: the simple terminal that a feature window
// opens next to itself. It hears the lines tagged with a single "!" (its
// own commands' echoes) before the owner does; the owner keeps everything
// else, its reply timer and its time-outs.
class LinkTap
{
public:
    virtual ~LinkTap() = default;

    // One line tagged with a single "!", tag included, station prefix removed.
    virtual void onTappedLine(const QByteArray &line) = 0;
};
