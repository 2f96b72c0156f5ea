#pragma once

#include <QByteArray>
#include <QList>

// What sets the five motion windows and the reference table apart: their
// dialog, drive mode, commands, parameter rows and start options. One
// MotionExchange serves them all.
struct MotionKind
{
    enum class Id { Homing, SignalSearch, Jog, IndexA, IndexB, Reference };

    struct Range
    {
        qint64 min = 0;
        qint64 max = 0;
    };

    Id id = Id::Jog;
    int dialogId = 258;
    int driveMode = 16;
    QByteArray startCommand;        // "@3:3"; the jog starts with @11:±1
    QByteArray stopCommand;         // "@11:0" for the jog, "@1" otherwise
    QByteArray pollCommand;         // "!!@0:0"
    bool readsBoard = true;         // "pr:30 (and #217) before the status
    bool readsHomingItems = false;  // "pr:12 and #358 after the status
    bool pollsFlagPosition = false; // !!!!#318 after each status poll
    QList<int> parameterRows;       // items shown and set in the grid
    QList<Range> options;           // start options; empty: none

    bool isJog() const { return id == Id::Jog; }
    bool hasOptions() const { return !options.isEmpty(); }

    static MotionKind of(Id id);
};
