#pragma once

#include "link/linkowner.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

#include <array>

class DriveLink;
class UserPrompt;

// The "Discrete configuration" editor's exchange with the drive: the logic
// (positive or negative) of every discrete input and output, one bit each.
//
// Reading: @47 gives the counts ("R2D :48:24"), @78 lists the logic words
// ("R3H :0000:0001:FF0F": side, word index, word), each answered R0P, until
// "R00". Writing: @55, @79:1, one "LIS:%04X:%04X" per input word and one
// "LOS:%04X:%04X" per output word (each answered R0P), @79:0, the completion
// message and @96, whose missing answer is the normal end.
//
// The words are kept in 16 per side, so at most 256 signals per side: larger
// counts are limited to that, and so are the ranges and the writes. A write
// that fails inside the logic-setting mode leaves it with @98, so that the
// drive keeps its previous logic.
class DiscreteConfigEdit : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    static constexpr int WordsPerSide = 16;
    static constexpr int MaxSignals = WordsPerSide * 16;
    static constexpr int RangeSize = 32;
    static constexpr int MaxRanges = MaxSignals / RangeSize;

    enum Side { Inputs, Outputs };
    enum State { Idle = 0, Writing = 1, Listing = 2, ReadingCounts = 8 };
    enum WriteStep {
        OpeningTransfer = 1,
        WritingInputs = 2,
        WritingOutputs = 8,
        StoringLogic = 9,
        RestartSent = 7,
        LeavingMode = 10, // @98 after a failure inside the mode
    };
    enum class Outcome { Read, Written, Failed };
    Q_ENUM(Outcome)

    DiscreteConfigEdit(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);

    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }

    // The range texts "000-031" … "480-511".
    static QString rangeText(int range);

    // Reads counts and words anew.
    void read();
    // Writes every word back and restarts the drive.
    void write();

    bool isBusy() const { return m_state != Idle; }
    int state() const { return m_state; }
    int writeStep() const { return m_sub; }

    // As the drive reported them, and as far as the words reach.
    int reportedCount(Side side) const { return side == Inputs ? m_inputCount : m_outputCount; }
    int count(Side side) const;
    // The ranges the "Select" list offers.
    int rangeCount() const;
    // Signals of a side within a range (0 to 32).
    int signalsInRange(Side side, int range) const;
    int wordCount(Side side) const { return (count(side) + 15) / 16; }
    quint16 word(Side side, int index) const;
    bool bit(Side side, int signal) const;
    // Positive logic (true) or negative; ignored beyond the count.
    void setBit(Side side, int signal, bool positive);

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

Q_SIGNALS:
    void busyChanged(bool busy);
    void lampToggled();
    // The counts are known: the range list can be filled.
    void countsRead();
    // A word arrived or changed.
    void wordsChanged();
    // Read: the listing ended and the boxes may be used. Written: the drive
    // restarts and the editor closes. Failed: the editor closes.
    void finished(DiscreteConfigEdit::Outcome outcome, const QString &message);

private:
    void send(const QByteArray &command);
    void countsReply(const QByteArray &line);
    void listingReply(const QByteArray &line);
    void writingReply(const QByteArray &line);
    void sendNextWord();
    void fail(const QByteArray &reply);
    void failWith(const QString &reason);
    void end(Outcome outcome, const QString &message);

    DriveLink &m_link;
    UserPrompt *m_prompt;
    int m_state = Idle;
    int m_sub = 0;
    int m_inputCount = 0;
    int m_outputCount = 0;
    std::array<quint16, WordsPerSide> m_inputWords{};
    std::array<quint16, WordsPerSide> m_outputWords{};
    int m_next = 0;
    QString m_pendingMessage;
};
