#pragma once

#include "link/linkowner.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <QString>

class DriveLink;
class UserPrompt;

// The absolute-accuracy table's exchange: register (after string 211,
// @85:n, one "TE1:k:v" per R0P, then @85:0), read (@84, each R2D entry
// acknowledged with R0P until R00) and the communication reset (@98).
//
// The table size is checked (2 to 360) before the question is asked: a
// size of 0 would send @85:0, the command that closes a registration.
class AccuracyTableTransfer : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum Operation : quint16 { NoOperation = 0, Download = 1, Upload = 2, CommunicationReset = 3 };
    enum class Outcome { Succeeded, Failed, Cancelled };
    Q_ENUM(Outcome)

    AccuracyTableTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);

    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }

    void download(const QByteArrayList &entries);
    void upload();
    void resetCommunication();

    bool isBusy() const { return m_busy; }
    Operation operation() const { return m_operation; }
    // The entries of the last reading (at least two).
    const QByteArrayList &entries() const { return m_entries; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

    // The file dialog request for an aac file.
    static QString fileFilter();
    // Reads an aac file; on failure `message` says why.
    static bool loadFile(const QString &path, QByteArrayList *entries, QString *message);
    // Writes an aac file whole; the message is string 121 or 120.
    static bool saveFile(const QString &path, const QByteArrayList &entries, QString *message);

Q_SIGNALS:
    void busyChanged(bool busy);
    void lampToggled();
    void lampIdle();
    void finished(AccuracyTableTransfer::Outcome outcome, const QString &message);

private:
    void begin(Operation operation);
    void end(Outcome outcome, const QString &message, bool tell = true);
    void send(const QByteArray &command);
    void downloadReply(const QByteArray &line);
    void uploadReply(const QByteArray &line);

    DriveLink &m_link;
    UserPrompt *m_prompt;
    Operation m_operation = NoOperation;
    bool m_busy = false;
    bool m_closing = false;
    int m_sent = 0;
    QByteArrayList m_outgoing;
    QByteArrayList m_entries;
};
