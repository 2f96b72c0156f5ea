#pragma once

#include "link/linkowner.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QObject>
#include <QString>

class DriveLink;
class UserPrompt;

// The point table's exchange: the 100 point values and their 100 attributes
// are the drive's data registers 600 to 799 (values first). Upload reads
// them with "#n" one by one (R1D replies); download writes all 200 with
// "#n=v", each acknowledged with R00. Every item is checked before the first
// write.
class PointTableTransfer : public QObject, public LinkOwner
{
    Q_OBJECT
public:
    enum Operation : quint16 { NoOperation = 0, Download = 1, Upload = 2 };
    enum class Outcome { Succeeded, Failed, Cancelled };
    Q_ENUM(Outcome)

    static constexpr int Points = 100;
    static constexpr int Items = 2 * Points;
    static constexpr int FirstRegister = 600;

    PointTableTransfer(DriveLink &link, UserPrompt &prompt, QObject *parent = nullptr);

    void setPrompt(UserPrompt &prompt) { m_prompt = &prompt; }

    // items holds the 100 values, then the 100 attributes.
    void download(const QByteArrayList &items);
    void upload();

    bool isBusy() const { return m_busy; }
    Operation operation() const { return m_operation; }
    // The items of the last complete reading.
    const QByteArrayList &items() const { return m_items; }
    // The item being read or written.
    int position() const { return m_index; }

    void onLinkReply(const QByteArray &line) override;
    void onLinkTimeout() override;

Q_SIGNALS:
    void busyChanged(bool busy);
    void lampToggled();
    void lampIdle();
    // Every few items of a transfer: how far it got (0 … Items).
    void progress(int done);
    void finished(PointTableTransfer::Outcome outcome, const QString &message);

private:
    void begin(Operation operation);
    void end(Outcome outcome, const QString &message, bool tell = true);
    void sendNext();

    DriveLink &m_link;
    UserPrompt *m_prompt;
    Operation m_operation = NoOperation;
    bool m_busy = false;
    int m_index = 0;
    QByteArrayList m_pending;
    QByteArrayList m_items;
};
