#include "motionkind.h"

MotionKind MotionKind::of(Id id)
{
    MotionKind k;
    k.id = id;
    k.stopCommand = "@1";
    k.pollCommand = "!!@0:0";
    // The index options: station (1 up to the division count), the
    // direction flag and the speed override in percent.
    const QList<Range> indexOptions = {{1, 9999}, {0, 1}, {1, 100}};
    switch (id) {
    case Id::Homing:
        k.dialogId = 256;
        k.driveMode = 3;
        k.startCommand = "@3:3";
        k.readsHomingItems = true;
        k.pollsFlagPosition = true;
        k.parameterRows = {12, 13, 14, 15, 358};
        break;
    case Id::SignalSearch:
        k.dialogId = 257;
        k.driveMode = 5;
        k.startCommand = "@3:5";
        k.parameterRows = {16, 17};
        break;
    case Id::Jog:
        k.dialogId = 258;
        k.driveMode = 16;
        k.stopCommand = "@11:0";
        k.parameterRows = {20, 21};
        break;
    case Id::IndexA:
        k.dialogId = 259;
        k.driveMode = 8;
        k.startCommand = "@3:8";
        k.parameterRows = {29, 30, 31};
        k.options = indexOptions;
        break;
    case Id::IndexB:
        k.dialogId = 260;
        k.driveMode = 9;
        k.startCommand = "@3:9";
        k.parameterRows = {32};
        k.options = indexOptions;
        break;
    case Id::Reference:
        k.dialogId = 261;
        k.driveMode = 10;
        k.startCommand = "@3:10";
        k.pollCommand = "@0:0";
        k.readsBoard = false;
        k.options = {{-1000, 1000}, {0, 1000}, {0, 1000}};
        break;
    }
    return k;
}
