#pragma once

#include "terminalwindow.h"

// "Terminal (Simple)" (dialog 253, or 262 with the same layout): a smaller
// terminal that a feature window opens beside itself, so that the engineer
// can type commands while the feature stays open. Every command goes out
// tagged with "!" and only the tagged replies are shown (without the tag);
// the feature window's own untagged traffic is left alone. It keeps 12 lines
// and hosts no monitors.
//
// Make it a child of the feature window (a modal feature window lets only
// its own children take input) after the feature window has set its texts.
// The feature window stays the link's owner: the terminal only listens
// beside it for the "!" lines, and its commands leave the owner's reply
// timer alone, so the feature keeps hearing its replies and time-outs.
// Close it before the feature window closes.
class SimpleTerminalWindow : public TerminalWindow
{
    Q_OBJECT
public:
    explicit SimpleTerminalWindow(DriveLink &link, QWidget *featureWindow, int dialogId = 253);

    // Shows the terminal at the right edge of the feature window.
    void openBeside();
};
