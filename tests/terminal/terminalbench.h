#pragma once

#include "app/userprompt.h"
#include "link/drivelink.h"
#include "link/linkowner.h"
#include "link/memoryport.h"
#include "resources/catalogue.h"
#include "sim/virtualdrive.h"
#include "support/linkbench.h"

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

// The shared bench with an owner below whatever the test puts on top.
class TerminalBench : public LinkBench
{
public:
    explicit TerminalBench(Far far = Virtual)
        : LinkBench(far)
    {
        link.pushOwner(&bottom);
        link.open();
    }

    BottomOwner bottom;
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
