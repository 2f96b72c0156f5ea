#pragma once

#include "link/linkowner.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class DriveLink;
class UserPrompt;

// The machine parameter editor's exchange with the drive: it reads the
// drive's parameter group 1 into rows of key, label and value, and writes
// every row back.
//
// Reading: @40:1 (each listed entry acknowledged with R0P until R00), then
// one #n read per listed entry in list order. The listing is read outside the
// parameter transfer mode: no @53 and no @54.
//
// Writing: @55, one "#n=value" per row in row order, changed or not (ALM
// refusals are collected and reported), @54, the completion message and @96,
// which restarts the drive: its missing answer is the normal end and asks the
// window to close.
class MachineParameterEdit : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum Mode : quint16 { Idle = 0, Writing = 1, Reading = 2 };
    enum WriteStep : quint16 {
        WriteStart = 0,
        WritingRows = 1,
        TransferClosed = 2,
        RestartSent = 3
    };
    enum class Outcome { Succeeded, Failed };
    Q_ENUM(Outcome)

    struct Row
    {
        QByteArray key;   // "#8"
        QByteArray label; // as the drive sent it (Shift-JIS in Japanese)
        QByteArray value; // decimal text
    };

    MachineParameterEdit(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);

    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }

    // A value as the drive takes it: an optional minus sign and digits within
    // 32 bits, written back in decimal without leading zeros ("007" -> "7").
    // Nothing for any other text (a lone "-", "1-2", "1.5", 2147483648).
    static std::optional<QByteArray> normaliseValue(const QByteArray &text);

    void read();
    void write();

    bool isBusy() const { return m_mode != Idle; }
    Mode mode() const { return m_mode; }
    int writeStep() const { return m_writeStep; }

    const QList<Row> &rows() const { return m_rows; }
    // Stores a value into a row; false (and nothing stored) for a row that
    // does not exist or a value the drive would not take.
    bool setValue(int row, const QByteArray &value);
    // The keys the drive refused in the last write ("#3, #6, ").
    QByteArray rejectedKeys() const { return m_rejectedKeys; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

Q_SIGNALS:
    void busyChanged(bool busy);
    // A line of the listing, a reading or a row written: the lamp blinks.
    void lampToggled();
    void lampIdle();
    // The rows of group 1 have been read.
    void rowsChanged();
    // The read or the write ended; message is what the user was told.
    void finished(MachineParameterEdit::Outcome outcome, const QString &message);
    // The drive restarted after the write and stays silent: the window closes.
    void closeRequested();

private:
    void begin(Mode mode);
    void end(Outcome outcome, const QString &message);
    void fail(const QString &message);
    void send(const QByteArray &command);
    void readReply(const QByteArray &line);
    void readNextValue();
    void fillRows();
    void writeReply(const QByteArray &line);
    void writeNextRow();
    QString completionMessage() const;

    DriveLink &m_link;
    UserPrompt *m_prompt;

    Mode m_mode = Idle;
    int m_writeStep = WriteStart;
    bool m_readingValues = false;
    int m_index = 0;
    int m_rowCount = 0;
    QByteArray m_currentKey;
    QByteArray m_rejectedKeys;
    bool m_rejected = false;

    QByteArrayList m_names;
    QByteArrayList m_readings;
    QList<Row> m_rows;
};
