#pragma once

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QString>

#include <optional>

// A fault the drive plays on the line: a selector that says on which command
// it fires and one effect. Rules are written as comma-separated keys, e.g.
//   nth=3,drop                         no reply to the 3rd command
//   match=^@44$,replace="ERR1"          "ERR1" instead of the identification
//   match=^@40,in_answer=5,disconnect,for_ms=3000
//   nth=2,chunk=1/2/3,gap_ms=5,cr_separate
//   refuse_item=207,on=write,code=ALM65
// Selectors: nth=N, match=REGEX [occurrence=K | every], in_answer=K,
// at_ms=T, random=P [seed=S], item=N [on=read|write|both];
// count=C | once | persistent (default: once).
// Effects: drop (no reply; the command still takes effect), lose (the line
// never arrives), delay=MS, replace=TEXT, refuse=CODE (refusal, no effect),
// garbage=LEN [charset=printable|binary|high], noise_prefix=TEXT,
// truncate=K, chunk=SIZES [gap_ms=G] [cr_separate], unsolicited=TEXT
// [before|after], duplicate, station_prefix=D|none|XY, tag=K, echo,
// disconnect [for_ms=D] (hang-up), restart (power glitch).
// Texts may be quoted and take the escapes \r \n \\ \" \xHH.
class FaultRule
{
public:
    enum class Effect {
        Drop,
        Lose,
        Delay,
        Replace,
        Refuse,
        Garbage,
        NoisePrefix,
        Truncate,
        Chunk,
        Unsolicited,
        Duplicate,
        StationPrefix,
        Tag,
        Echo,
        Disconnect,
        Restart,
    };
    enum class Charset { Printable, Binary, High };
    enum class ItemAccess { Read, Write, Both };

    static std::optional<FaultRule> parse(const QString &definition, QString *error = nullptr);

    // Called for every command line the drive accepts (station digit and
    // "!" tags removed); true when the rule fires on it.
    bool fires(const QByteArray &command, qint64 nowMs);
    bool retired() const { return m_remaining == 0; }

    Effect effect() const { return m_effect; }
    QString definition() const { return m_definition; }
    int id() const { return m_id; }
    void setId(int id) { m_id = id; }

    int delayMs() const { return m_delayMs; }
    QByteArray text() const { return m_text; }
    int length() const { return m_length; }
    Charset charset() const { return m_charset; }
    const QList<int> &sizes() const { return m_sizes; }
    int gapMs() const { return m_gapMs; }
    bool crSeparate() const { return m_crSeparate; }
    bool before() const { return m_before; }
    int tagDepth() const { return m_tagDepth; }
    int forMs() const { return m_forMs; }
    // Random bytes for the garbage effect, from the rule's own seeded source.
    QByteArray garbage();

private:
    bool selected(const QByteArray &command, qint64 nowMs);

    QString m_definition;
    int m_id = 0;

    int m_nth = 0;
    QRegularExpression m_match;
    int m_occurrence = 0;
    int m_inAnswer = 0;
    qint64 m_atMs = -1;
    double m_randomP = 0;
    int m_item = -1;
    ItemAccess m_access = ItemAccess::Both;
    int m_remaining = 1; // -1: persistent

    Effect m_effect = Effect::Drop;
    int m_delayMs = 0;
    QByteArray m_text;
    int m_length = 0;
    Charset m_charset = Charset::Printable;
    QList<int> m_sizes;
    int m_gapMs = 0;
    bool m_crSeparate = false;
    bool m_before = true;
    int m_tagDepth = 0;
    int m_forMs = 0;

    int m_lines = 0;
    int m_matches = 0;
    bool m_armed = false;
    int m_answerLines = 0;
    QRandomGenerator m_random{1};
};
