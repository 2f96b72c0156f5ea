#pragma once

#include <QList>
#include <QString>

// An ordered list of text lines with a capacity N: it keeps at most N + 10
// lines (appending one more drops the oldest) and shows the newest N.
class BoundedLineList
{
public:
    // A capacity below zero means "no limit": the transfer lists use that so
    // that a drive with a long parameter set is moved whole.
    static constexpr int Unbounded = -1;

    explicit BoundedLineList(int capacity = 700)
        : m_capacity(capacity)
    {}

    void reset(int capacity)
    {
        m_capacity = capacity;
        m_lines.clear();
    }
    void clear() { m_lines.clear(); }
    int capacity() const { return m_capacity; }

    void append(const QString &line);
    int size() const { return int(m_lines.size()); }
    bool isEmpty() const { return m_lines.isEmpty(); }
    const QString &at(int index) const { return m_lines.at(index); }
    const QStringList &lines() const { return m_lines; }

    // The newest `capacity` lines (all of them while there are fewer).
    QStringList visibleLines() const;
    // The visible lines joined as they are (each entry carries its own line end).
    QString visibleText() const;

private:
    int m_capacity;
    QStringList m_lines;
};
