#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

// One event on the drive's side of the line.
struct SimTraceEntry
{
    enum class Kind {
        Received, // a complete command line (station digit kept, CR removed)
        Sent,     // a reply line as it went on the wire (line end removed)
        Fault,    // a fault rule fired
        Note,     // restart, line ignored, hang-up, …
    };

    double ms = 0; // drive clock
    Kind kind = Kind::Note;
    int station = 0;
    int depth = 0; // "!" tags of the command
    QByteArray text;

    // "000123.456 RX  3 ! \"@0:0\"": time, direction, station, tags, text.
    QByteArray toText() const;
};

// The record of every line received and sent. Kept in memory for tests (the
// oldest entries go once the limit is reached) and optionally written, one
// entry per line, to a device such as a trace file.
class SimTrace
{
public:
    void append(const SimTraceEntry &entry);
    void clear() { m_entries.clear(); }

    const QList<SimTraceEntry> &entries() const { return m_entries; }
    QList<QByteArray> received() const;
    QList<QByteArray> sent() const;
    // The entries as text, one per line.
    QByteArray text() const;

    void setLimit(int entries) { m_limit = entries; }
    // Each new entry is also written to `device` (not owned) and flushed.
    void setSink(QIODevice *device) { m_sink = device; }

private:
    QList<SimTraceEntry> m_entries;
    int m_limit = 50000;
    QIODevice *m_sink = nullptr;
};
