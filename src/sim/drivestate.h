#pragma once

#include "sim/itemstore.h"

#include <QByteArray>
#include <QList>

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

// A compensation table: index (type A), unequal division (type B) or
// absolute accuracy. Only a registered table answers a read.
struct SimTable
{
    bool registered = false;
    QList<qint32> entries;
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

    // --- Compensation tables (seeded by the constructor) ---------------------
    SimTable indexTables[2];    // type A, tables 0 ("A") and 1 ("B")
    SimTable divisionTables[2]; // type B
    SimTable accuracyTable;

    // --- Help texts --------------------------------------------------------
    int helpPageLines = 10;
    int helpLongPage = 3;       // @41 page carrying helpLongPageLines (0: none)
    int helpLongPageLines = 25; // longer than the 21 lines a help window shows
    int helpAlmPage = 0;        // that page of @41/@42 answers ALM62 (0: none)
    int logTimeScale = 1;       // logging time runs this many times faster than the clock

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
    int m_cyclePhase = -1;
};
