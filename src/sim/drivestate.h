#pragma once

#include "sim/iofamily.h"
#include "sim/itemstore.h"

#include <QByteArray>
#include <QList>
#include <QMap>

#include <array>

// One entry of the drive's machine parameter table (motor data). The slot of
// a COM entry is the address that `"pr:<slot>` reads.
struct MachineEntry
{
    enum class Group { Com, Rot, Lnr, Adj };

    Group group = Group::Com;
    int number = 0;
    int slot = 0;
    QByteArray label; // COM entries: the label of the `"pr:` reply
    qint32 value = 0;
};

// A program as the drive stores it: its option word and its blocks. A line
// with code and a comment is stored as two blocks, the code with "$"
// appended and then the comment; every other line is one block.
struct SimProgram
{
    quint16 option = 0;
    QList<QByteArray> blocks;

    // Splits program lines into blocks by the drive's rule.
    static SimProgram fromLines(quint16 option, const QList<QByteArray> &lines);
    static QList<QByteArray> blocksOfLine(const QByteArray &line);
};

// The program being executed (@3:4) and where it stands.
struct ProgramRun
{
    enum class Wait {
        None,
        MCode, // an M-code block waits for @9; the block field shows it
        Step,  // step mode: paused before the block the field shows
    };
    bool active = false;
    Wait wait = Wait::None;
    bool stopAfterBlock = false; // @2 while a block runs
    qint64 blockStartedAt = 0;
};

// A test-operation motion: a timed segment from `from` to `to` (homing,
// signal search, index moves, the reference run), a jog at a signed speed
// until stopped, or the oscillation of auto tuning around `from`.
struct AxisMotion
{
    enum class Kind { None, Segment, Jog, Tuning };

    Kind kind = Kind::None;
    bool driveMode = false; // a drive-mode operation (status bit 2)
    qint64 from = 0;
    qint64 to = 0;
    qint64 startMs = 0;
    qint64 durationMs = 0;
    qint64 jogSpeed = 0; // pulses/s, signed

    bool running() const { return kind != Kind::None; }
    qint64 position(qint64 nowMs) const;
    qint64 velocity(qint64 nowMs) const; // pulses/s
};

// A compensation table: index (type A), unequal division (type B) or
// absolute accuracy. Only a registered table answers a read.
struct SimTable
{
    bool registered = false;
    QList<qint32> entries;
};

// A cam profile slot: title, the twelve items in the order of the drive's
// readings (1, 2, 3, 4, B … 12), 501 points and the tag of its registration.
struct SimCam
{
    static constexpr int Count = 16;
    static constexpr int ItemCount = 12;
    static constexpr int PointCount = 501;

    bool registered = false;
    QByteArray title;
    std::array<quint32, ItemCount> items{};
    QList<qint32> points;
    quint32 regTag = 0;
};

// An active error or alarm as @50 lists it.
struct DriveCondition
{
    QByteArray code; // "E31", "A13"
    QByteArray text; // "E31 Soft limit over"
    bool persistent = false;
};

// The drive's data image: everything a command can read or change. Command
// families keep their data here so that a snapshot, a preset or a test sees
// the whole drive in one place. The non-volatile part survives the restart
// (@96); restartReset() and communicationReset() clear the volatile part.
class DriveState
{
public:
    enum class Transfer { Closed, Read, Write };

    DriveState();
    // Back to the seeded image (identity, machine data, items, status).
    void seed();

    // --- Identity and motor data ---------------------------------------
    QByteArray title = "Kalderon_M2";
    QByteArray id = "SIM-0001";
    QByteArray kerVer = "K1.20";
    QByteArray appVer = "A3.05";
    QByteArray cpuFRom = "C2.01";
    QByteArray extFRom = "E1.10";
    bool longIdentity = false; // pads the title so that @44 exceeds 75 characters
    int motorTypeFields = 2;   // 3 adds a third motor-type field to @94
    QByteArray motorStringA = "DM1060B-SIM";
    QByteArray motorStringB = "SN00012345";
    QByteArray motorStringC = "DM1060B-ADJ";
    QByteArray motorStringD = "CAL20240101";
    QList<MachineEntry> machine;

    // --- Items -----------------------------------------------------------
    ItemStore items;

    // --- Status, axis signals, conditions --------------------------------
    quint16 availability = 0x1577; // @56:0
    quint16 axisStateForce = 0;    // ORed into @57:0 (spare bits included)
    bool plcMode = false;
    bool servoReady = true;
    bool autotuneAvailable = true;
    bool encoderDisconnect = false;
    qint64 position = 0;     // actual axis position at rest, pulses
    bool axisWander = false; // the axis sweeps slowly (demo)
    int wanderPeriodMs = 20000;
    qint64 wanderAmplitude = 6000;
    QList<DriveCondition> errors;
    QList<DriveCondition> alarms;
    // With a non-zero period an error (E31, a twentieth of the period) and an
    // alarm (A13, a fiftieth) come and go on their own.
    int conditionCycleMs = 0;

    // --- Discrete I/O -------------------------------------------------------
    DiscreteIo io;
    // --- Compensation tables (seeded by the constructor) ---------------------
    SimTable indexTables[2];    // type A, tables 0 ("A") and 1 ("B")
    SimTable divisionTables[2]; // type B
    SimTable accuracyTable;

    // --- Cam profiles (seeded by the constructor) ----------------------------
    SimCam cams[SimCam::Count]; // profiles 1-16
    int camSequence = 0;        // registrations since the image was made
    bool camOnePhase = false;   // @73 pages the profile itself (knob cam_upload_mode)

    // --- Help texts --------------------------------------------------------
    int helpPageLines = 10;
    int helpLongPage = 3;       // @41 page carrying helpLongPageLines (0: none)
    int helpLongPageLines = 25; // longer than the 21 lines a help window shows
    int helpAlmPage = 0;        // that page of @41/@42 answers ALM62 (0: none)
    int logTimeScale = 1;       // logging time runs this many times faster than the clock

    // --- Programs ----------------------------------------------------------
    // Slots 0-99, in ascending order; the drive holds programCapacity blocks
    // in all. setProgram() replaces a program whole (no capacity check: the
    // registration checks it, presets and tests may overfill on purpose).
    const QMap<int, SimProgram> &programs() const { return m_programs; }
    const SimProgram *program(int number) const;
    void setProgram(int number, const SimProgram &program);
    void setProgram(int number, quint16 option, const QList<QByteArray> &lines)
    {
        setProgram(number, SimProgram::fromLines(option, lines));
    }
    bool removeProgram(int number);
    void clearPrograms() { m_programs.clear(); }
    int usedBlocks() const;
    int freeBlocks() const { return qMax(0, programCapacity - usedBlocks()); }
    int programCapacity = 1024;
    // Entering block `programErrorBlock` of program `programErrorAt` raises
    // E40 and stops the run (-1: never).
    int programErrorAt = -1;
    int programErrorBlock = 0;
    static constexpr int BlockMs = 1000; // each block takes a second

    // Execution. startProgram() needs the program registered and 1 <= block
    // <= its count (0 means 1), else "ERR18"; the general start conditions
    // (serial operation, servo ready, no error or alarm), else "ERR49". While
    // a run is paused it continues that run instead (arguments ignored);
    // while one runs unpaused it is refused with "ERR49". Returns the reply.
    QByteArray startProgram(int number, int block);
    // @9: completes an M-code wait or runs the block a step pause waits before.
    void answerWait();
    // @2: stop after the current block (at once while paused).
    void stopProgramAfterBlock();
    // @1: stop at once. A family that answers @1 or @2 for motions calls
    // these too, so that one command stops whatever runs.
    void abortProgram();
    const ProgramRun &programRun() const { return m_run; }
    bool programRunning() const { return m_run.active; }
    bool stepMode() const; // #82 = 1

    // --- Acknowledgements ----------------------------------------------------
    QByteArray directWriteAck = "R00 "; // item writes outside a write transfer

    // --- Volatile --------------------------------------------------------
    Transfer transfer = Transfer::Closed;
    // The current (or last) program and block of the status reply.
    int programNumber = 0;
    int blockNumber = 0;
    // Bits ORed into the status word (test steering).
    quint32 statusForce = 0;
    qint64 now = 0; // drive clock in ms, set before every command
    // Test operation: the selected drive mode (@43:), test mode (@3:0 / @2)
    // and the running motion.
    int driveMode = 0;
    bool testMode = false;
    AxisMotion motion;
    bool shortTestRecord = false; // @87 blocks lack their last value

    // --- Derived ---------------------------------------------------------
    QByteArray identificationReply() const; // @44
    QByteArray motorTypeReply() const;      // @94
    const MachineEntry *comSlot(int slot) const;
    MachineEntry *machineEntry(MachineEntry::Group group, int number);
    bool english() const;
    QByteArray label(const SimItem &item) const;
    // The value an item read reports now (monitor items follow the axis).
    qint32 itemValue(const SimItem &item) const;

    qint64 commandedPosition() const;
    qint64 actualPosition() const;
    qint64 commandedVelocity() const; // pulses/s
    bool moving() const;
    quint32 statusWord() const;
    quint16 axisSignalWord() const;

    void raise(const DriveCondition &condition); // E… to errors, A… to alarms
    // Advances the drive's own time-driven behaviour to `nowMs`.
    void update(qint64 nowMs);

    void restartReset();
    void communicationReset();

private:
    void enterBlock(int block, qint64 at);
    void finishBlock(qint64 at);
    void stopRun();

    int m_cyclePhase = -1;
    QMap<int, SimProgram> m_programs;
    ProgramRun m_run;
};
