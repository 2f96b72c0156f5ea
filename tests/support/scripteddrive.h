#pragma once

#include "link/memoryport.h"

#include <QByteArrayList>
#include <QHash>
#include <QMap>
#include <QObject>

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
