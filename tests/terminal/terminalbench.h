#pragma once

#include "app/userprompt.h"
#include "link/drivelink.h"
#include "link/linkowner.h"
#include "link/memoryport.h"
#include "resources/catalogue.h"
#include "sim/virtualdrive.h"

#include <QByteArrayList>
#include <QElapsedTimer>
#include <QHash>
#include <QMap>
#include <QObject>
#include <QTest>

#include <functional>
#include <memory>

// Records what an exchange says; a hook may act while a "box" is open.
class RecordingPrompt : public UserPrompt
{
public:
    QStringList messages;
    std::function<void()> whileOpen;

    void message(const QString &text) override
    {
        messages.append(text);
        if (whileOpen)
            whileOpen();
    }
    bool askOkCancel(const QString &text) override
    {
        messages.append(text);
        return true;
    }
    bool askYesNo(const QString &text) override
    {
        messages.append(text);
        return true;
    }
    QString chooseFile(const FileRequest &) override { return {}; }
};

// The window below a feature on the owner stack: counts what reaches it.
class BottomOwner : public LinkOwner
{
public:
    QByteArrayList replies;
    int timeouts = 0;
    void onLinkReply(const QByteArray &line) override { replies.append(line); }
    void onLinkTimeout() override { ++timeouts; }
};

// A drive that answers from a table, as the real one pages: the first line
// of an answer is the reply, each R0P of the same tag depth brings the next,
// then R00. Tags ("!") are echoed on every line. Unknown commands stay silent.
class ScriptedDrive : public QObject
{
public:
    QHash<QByteArray, QByteArrayList> answers;
    QByteArrayList received;

    explicit ScriptedDrive(MemoryPort *port)
    {
        connect(port, &MemoryPort::written, this, [this, port](const QByteArray &bytes) {
            const QByteArray line = bytes.chopped(1);
            received.append(line);
            int depth = 0;
            while (depth < line.size() && line.at(depth) == '!')
                ++depth;
            const QByteArray tags = line.left(depth);
            const QByteArray body = line.mid(depth);
            QByteArray reply;
            if (body == "R0P") {
                QByteArrayList &pending = m_paging[depth];
                reply = pending.isEmpty() ? QByteArray("R00") : pending.takeFirst();
            } else {
                m_paging.remove(depth);
                const auto it = answers.constFind(body);
                if (it == answers.constEnd() || it->isEmpty())
                    return;
                reply = it->first();
                m_paging[depth] = it->mid(1);
            }
            port->feed(tags + reply + '\r');
        });
    }

private:
    QMap<int, QByteArrayList> m_paging;
};

// A link on an in-memory port with a virtual or a scripted drive behind it,
// and an owner below whatever the test puts on top.
class TerminalBench
{
public:
    enum Far { Virtual, Scripted };

    explicit TerminalBench(Far far = Virtual)
    {
        auto port = std::make_unique<MemoryPort>();
        m_port = port.get();
        link.setPort(std::move(port));
        if (far == Virtual) {
            drive = std::make_unique<VirtualDrive>();
            drive->applyPreset(QStringLiteral("default"));
            drive->setRestartMs(50);
            QObject::connect(m_port, &MemoryPort::written, drive.get(), &VirtualDrive::receive);
            QObject::connect(drive.get(), &VirtualDrive::transmit, m_port, &MemoryPort::feed);
        } else {
            scripted = std::make_unique<ScriptedDrive>(m_port);
        }
        link.pushOwner(&bottom);
        link.open();
    }

    QByteArrayList received() const
    {
        return drive ? QByteArrayList(drive->trace().received()) : scripted->received;
    }
    int count(const QByteArray &line) const { return int(received().count(line)); }

    // Feeds a line from the drive's side directly.
    void feed(const QByteArray &line) { m_port->feed(line + '\r'); }

    DriveLink link;
    BottomOwner bottom;
    std::unique_ptr<VirtualDrive> drive;
    std::unique_ptr<ScriptedDrive> scripted;

private:
    MemoryPort *m_port = nullptr;
};

// Lets the event loop run for a while (polls, pauses, time-outs).
inline void runFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QTest::qWait(qMin<qint64>(20, ms - t.elapsed() + 1));
}

inline bool loadEnglish()
{
    return Catalogue::instance().loadModule(
        QStringLiteral(TORVANE_BIN_DIR "/") +
        Catalogue::moduleFileName(QStringLiteral("Torvane_E_Resource")));
}
