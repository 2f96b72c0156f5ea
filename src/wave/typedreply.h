#pragma once

#include <QByteArray>
#include <QList>

// A logging reply of the drive: "R" and one type letter per value ("D"
// decimal, "1"/"2"/"4" hexadecimal, "S" text), a blank, a label and the
// values, all separated by ":" ("RDD STS:1:0"). "R" alone carries no values;
// "E…" is the drive's refusal. The status reply "R " (R and one blank) reads
// as two zero values.
class TypedReply
{
public:
    enum class Kind {
        Accepted,  // well formed, values read
        Refused,   // begins with "E"
        Malformed, // anything else
    };

    explicit TypedReply(const QByteArray &line);

    Kind kind() const { return m_kind; }
    bool isAccepted() const { return m_kind == Kind::Accepted; }
    // The number of values the reply declared.
    int count() const { return int(m_values.size()); }
    // Value i as a number (text values and absent trailing values read as 0).
    qint64 value(int i) const { return i >= 0 && i < m_values.size() ? m_values.at(i) : 0; }
    QByteArray text(int i) const
    {
        return i >= 0 && i < m_texts.size() ? m_texts.at(i) : QByteArray();
    }
    // The status reply "R " exactly.
    bool isBareStatus() const { return m_bareStatus; }

private:
    Kind m_kind = Kind::Malformed;
    QList<qint64> m_values;
    QList<QByteArray> m_texts;
    bool m_bareStatus = false;
};
