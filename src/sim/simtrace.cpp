#include "sim/simtrace.h"

#include "sim/simtext.h"

#include <QFileDevice>
#include <QIODevice>

QByteArray SimTraceEntry::toText() const
{
    QByteArray line = QByteArray::number(ms / 1000.0, 'f', 3).rightJustified(10, '0');
    switch (kind) {
    case Kind::Received:
        line += " RX  ";
        break;
    case Kind::Sent:
        line += " TX  ";
        break;
    case Kind::Fault:
        line += " FLT ";
        break;
    case Kind::Note:
        line += " --  ";
        break;
    }
    if (kind == Kind::Received || kind == Kind::Sent) {
        line += QByteArray::number(station) + ' ';
        line += depth > 0 ? QByteArray(depth, '!') : QByteArray("-");
        line += " \"" + SimText::escaped(text) + '"';
    } else {
        line += SimText::escaped(text);
    }
    return line;
}

void SimTrace::append(const SimTraceEntry &entry)
{
    // Drop a tenth at a time so that a long run does not move the whole
    // list on every entry.
    if (m_limit > 0 && m_entries.size() >= m_limit)
        m_entries.remove(0, qMin(m_entries.size(), qsizetype(m_limit / 10 + 1)));
    m_entries.append(entry);
    if (m_sink) {
        m_sink->write(entry.toText() + '\n');
        if (auto *file = qobject_cast<QFileDevice *>(m_sink))
            file->flush();
    }
}

QList<QByteArray> SimTrace::received() const
{
    QList<QByteArray> lines;
    for (const SimTraceEntry &e : m_entries) {
        if (e.kind == SimTraceEntry::Kind::Received)
            lines.append(e.text);
    }
    return lines;
}

QList<QByteArray> SimTrace::sent() const
{
    QList<QByteArray> lines;
    for (const SimTraceEntry &e : m_entries) {
        if (e.kind == SimTraceEntry::Kind::Sent)
            lines.append(e.text);
    }
    return lines;
}

QByteArray SimTrace::text() const
{
    QByteArray all;
    for (const SimTraceEntry &e : m_entries)
        all += e.toText() + '\n';
    return all;
}
