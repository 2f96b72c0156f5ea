#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <optional>

// Every command line the program sends, built in one place with its exact
// format. Lines carry no station digit and no carriage return: DriveLink adds
// both. Hexadecimal fields are upper case; "%08s"-style fields are padded
// with "0" on the left (the C library would pad them with blanks).
namespace DriveCommand {

// Generic families.
QByteArray function(int number);                                     // @n
QByteArray function(int number, const QByteArray &args);             // @n:args
QByteArray readItem(int number);                                     // #n
QByteArray writeItem(int number, qint64 value);                      // #n=v
QByteArray writeItem(int number, const QByteArray &value);           // #n=text
QByteArray writeKey(const QByteArray &key, qint64 value);            // key=v ("%s=%d")
QByteArray writeKey(const QByteArray &key, const QByteArray &value); // key=text
QByteArray readShortParam(int number);                               // "pr:n
QByteArray tagged(const QByteArray &command, int depth = 1);         // !…command
QByteArray pageAck();                                                // R0P

// Identification, transfer mode and system.
QByteArray identification();      // @44
QByteArray motorType();           // @94
QByteArray interfaceBoard();      // "pr:30
QByteArray communicationReset();  // @98
QByteArray openTransfer();        // @53
QByteArray closeTransfer();       // @54
QByteArray switchToWriting();     // @55
QByteArray restart();             // @96
QByteArray listGroup(int group);  // @40:g
QByteArray commandHelp(int page); // @41:page
QByteArray itemHelp(int page);    // @42:page

// Programs.
QByteArray listPrograms();                                        // @60
QByteArray beginProgram(int program, int blocks, quint16 option); // @61:p:b:XXXX
QByteArray endProgram();                                          // @62
QByteArray readProgram(int program);                              // @63:p
QByteArray deleteProgram(int program);                            // @64:p
QByteArray programStatusPoll();                                   // !@0:0
QByteArray startProgram(int program, int block);                  // @3:4:p:b

// Cam profiles.
QByteArray beginCam(int profile);                                         // @72:n
QByteArray camTitle(const QByteArray &title);                             // TT1:title
QByteArray camItem(quint32 item, quint32 value);                          // TI1:%X:%X
QByteArray camData(quint32 point, quint32 first, const QByteArray &rest); // TD1:%X:%X%s
QByteArray endCam();                                                      // @72:0
QByteArray readCam(int profile);                                          // @73:n
QByteArray readCamTag(const QByteArray &tag);                             // @70:tag
QByteArray readCamPoints(int profile);                                    // @71:n

// Compensation tables.
QByteArray beginIndexTable(int table, int count);    // @66:t:count
QByteArray indexEntry(qint32 value);                 // TC1:%08X
QByteArray endIndexTable();                          // @67
QByteArray readIndexTable(int table);                // @68:t
QByteArray indexTablesPresent();                     // @65
QByteArray beginDivisionTable(int table, int count); // @81:t:count
QByteArray divisionEntry(qint32 value);              // TB1:%08X
QByteArray endDivisionTable();                       // @82
QByteArray readDivisionTable(int table);             // @83:t
QByteArray divisionTablesPresent();                  // @80
QByteArray beginAccuracyTable(int size);             // @85:n
QByteArray accuracyEntry(int entry, qint64 value);   // TE1:%d:%s
QByteArray endAccuracyTable();                       // @85:0
QByteArray readAccuracyTable();                      // @84

// I/O.
QByteArray listLogicWords();                                   // @78
QByteArray ioCounts();                                         // @47
QByteArray enterLogicSetting();                                // @79:1
QByteArray leaveLogicSetting();                                // @79:0
QByteArray inputLogic(quint16 index, quint16 word);            // LIS:%04X:%04X
QByteArray outputLogic(quint16 index, quint16 word);           // LOS:%04X:%04X
QByteArray inputLogicPrefix(const QByteArray &index);          // LIS:%s:
QByteArray outputLogicPrefix(const QByteArray &index);         // LOS:%s:
QByteArray axisAvailability();                                 // @56:0
QByteArray axisState();                                        // @57:0
QByteArray readInputWord(int index);                           // @45:n
QByteArray readOutputWord(int index);                          // @46:n
QByteArray dummyInput(const QByteArray &address, quint8 byte); // "MB:%s:%02X

// Waveform logging.
QByteArray logChannels(qint16 ch1, qint16 ch2, qint16 ch3, qint16 ch4); // "LGCHSU:%hd:%hd:%hd:%hd
QByteArray logTrigger(int mode, int source, int edge, qint32 level);    // "LGTRS:m:s:e:l
QByteArray logStart(qint32 samples, qint32 intervalMs, qint32 postMs);  // "LGSTR:%ld:%ld:%ld
QByteArray logStatus();                                                 // "LGSTS
QByteArray logAbort();                                                  // "LGABR
QByteArray logOpen();                                                   // "LGDOPN
QByteArray logNext();                                                   // "LGDRN
QByteArray logClose();                                                  // "LGDCLS

// Motor data.
QByteArray characteristicWriteOpen(int table);                   // "FWOPN:t
QByteArray characteristicPoint(qint16 a, qint16 b);              // "FDW:%hd:%hd
QByteArray characteristicClose();                                // "FCLS
QByteArray characteristicReadOpen(int table);                    // "FROPN:t
QByteArray characteristicNext();                                 // "FDRN
QByteArray motorStringWrite(char which, const QByteArray &text); // "PSxW:%s
QByteArray motorStringRead(char which);                          // "PSxR
QByteArray machineParamRead(qint16 number);                      // "PR:%hd
QByteArray machineParamWrite(qint16 number, qint32 value);       // "PW:%hd:%ld
QByteArray registerPartB();                                      // "REGBD
QByteArray registerPartA();                                      // "REGAD

// Zero-pads on the left to width ("%08s" as the drive expects it).
QByteArray zeroPadded(const QByteArray &text, int width);
// Upper-case hexadecimal of a 32-bit two's complement value, zero-padded.
QByteArray hex32(qint32 value, int width = 8);

} // namespace DriveCommand

// One reply line as DriveLink delivers it (no station prefix, no CR).
class ReplyLine
{
public:
    enum class Kind {
        Empty,
        Done,     // R00
        NextLine, // R0P
        Data,     // R + digit + letter (R1D, R1Z, R2H, R5Z, …)
        Short,    // R followed directly by values, or R alone
        Typed,    // R + type letters (D, 1, 2, 4, S) + blank + label and values
        Alarm,    // ALM + number
        Error,    // ERR + number
        Other
    };

    explicit ReplyLine(const QByteArray &line);

    const QByteArray &raw() const { return m_raw; }
    // The number of leading "!" tags and the line without them.
    int tagDepth() const { return m_tagDepth; }
    const QByteArray &body() const { return m_body; }
    Kind kind() const { return m_kind; }

    bool isDone() const { return m_kind == Kind::Done; }
    bool isRefusal() const { return m_kind == Kind::Alarm || m_kind == Kind::Error; }
    bool startsWith(const char *code) const { return m_body.startsWith(code); }
    // "R1D", "R2Z", …: the first three characters of a data line.
    QByteArray code() const;
    // The alarm or error number as written ("62", "17.1").
    QByteArray refusalNumber() const;

    QByteArrayList fields() const { return m_body.split(':'); }
    // The second ":"-field read as a decimal or hexadecimal integer; empty
    // when the line has no second field or it is not a number.
    std::optional<qint64> value() const;
    std::optional<qint64> hexValue() const;
    // The text after the first ":", or the whole line without one.
    QByteArray afterFirstColon() const;
    // The text after the last ":".
    QByteArray afterLastColon() const;

private:
    QByteArray m_raw;
    QByteArray m_body;
    int m_tagDepth = 0;
    Kind m_kind = Kind::Empty;
};

// The second field of a reply as a decimal integer, the way every feature
// reads values; leading and trailing blanks are allowed.
std::optional<qint64> parseDecimal(const QByteArray &text);
std::optional<qint64> parseHex(const QByteArray &text);
