#include "sim/faultrule.h"

#include "sim/simtext.h"

namespace {

struct Token
{
    QString key;
    QString value;
    bool hasValue = false;
};

// Splits "a=1,b=\"x,y\",c" at the commas outside double quotes; quotes around
// a value are removed, escapes inside are kept for the caller.
std::optional<QList<Token>> tokenize(const QString &definition, QString *error)
{
    QList<Token> tokens;
    QString current;
    bool quoted = false;
    const auto flush = [&]() {
        const QString part = current.trimmed();
        current.clear();
        if (part.isEmpty())
            return;
        Token t;
        const qsizetype eq = part.indexOf(u'=');
        if (eq < 0) {
            t.key = part;
        } else {
            t.key = part.left(eq).trimmed();
            t.value = part.mid(eq + 1).trimmed();
            t.hasValue = true;
            if (t.value.size() >= 2 && t.value.startsWith(u'"') && t.value.endsWith(u'"'))
                t.value = t.value.mid(1, t.value.size() - 2);
        }
        tokens.append(t);
    };
    for (qsizetype i = 0; i < definition.size(); ++i) {
        const QChar c = definition[i];
        if (c == u'\\' && quoted && i + 1 < definition.size()) {
            current += c;
            current += definition[++i];
        } else if (c == u'"') {
            quoted = !quoted;
            current += c;
        } else if (c == u',' && !quoted) {
            flush();
        } else {
            current += c;
        }
    }
    if (quoted) {
        if (error)
            *error = QStringLiteral("unbalanced quote in \"%1\"").arg(definition);
        return std::nullopt;
    }
    flush();
    return tokens;
}

std::optional<int> number(const Token &t, int min, int max, QString *error)
{
    bool ok = false;
    const int v = t.value.toInt(&ok);
    if (!ok || v < min || v > max) {
        if (error)
            *error = QStringLiteral("%1 needs a number from %2 to %3").arg(t.key).arg(min).arg(max);
        return std::nullopt;
    }
    return v;
}

} // namespace

std::optional<FaultRule> FaultRule::parse(const QString &definition, QString *error)
{
    const auto tokens = tokenize(definition, error);
    if (!tokens)
        return std::nullopt;

    FaultRule rule;
    rule.m_definition = definition;
    bool haveEffect = false;
    const auto setEffect = [&](Effect e) {
        if (haveEffect) {
            if (error)
                *error = QStringLiteral("one effect per rule: \"%1\"").arg(definition);
            return false;
        }
        rule.m_effect = e;
        haveEffect = true;
        return true;
    };
    const auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        return std::nullopt;
    };

    for (const Token &t : *tokens) {
        const QString &k = t.key;
        if (k == u"nth") {
            const auto v = number(t, 1, 1 << 30, error);
            if (!v)
                return std::nullopt;
            rule.m_nth = *v;
        } else if (k == u"match") {
            rule.m_match.setPattern(t.value);
            if (!rule.m_match.isValid())
                return fail(QStringLiteral("bad regular expression \"%1\"").arg(t.value));
        } else if (k == u"occurrence") {
            const auto v = number(t, 1, 1 << 30, error);
            if (!v)
                return std::nullopt;
            rule.m_occurrence = *v;
        } else if (k == u"every" || k == u"persistent") {
            rule.m_remaining = -1;
        } else if (k == u"once") {
            rule.m_remaining = 1;
        } else if (k == u"count") {
            const auto v = number(t, 1, 1 << 30, error);
            if (!v)
                return std::nullopt;
            rule.m_remaining = *v;
        } else if (k == u"in_answer") {
            const auto v = number(t, 1, 1 << 30, error);
            if (!v)
                return std::nullopt;
            rule.m_inAnswer = *v;
        } else if (k == u"at_ms") {
            const auto v = number(t, 0, 1 << 30, error);
            if (!v)
                return std::nullopt;
            rule.m_atMs = *v;
        } else if (k == u"random") {
            bool ok = false;
            rule.m_randomP = t.value.toDouble(&ok);
            if (!ok || rule.m_randomP <= 0 || rule.m_randomP > 1)
                return fail(QStringLiteral("random needs a probability above 0 and up to 1"));
            rule.m_remaining = -1;
        } else if (k == u"seed") {
            const auto v = number(t, 0, 1 << 30, error);
            if (!v)
                return std::nullopt;
            rule.m_random.seed(quint32(*v));
        } else if (k == u"item" || k == u"refuse_item") {
            const auto v = number(t, 0, 1 << 30, error);
            if (!v)
                return std::nullopt;
            rule.m_item = *v;
            if (k == u"refuse_item") {
                if (!setEffect(Effect::Refuse))
                    return std::nullopt;
                if (rule.m_text.isEmpty())
                    rule.m_text = "ALM62";
                rule.m_remaining = -1;
            }
        } else if (k == u"on") {
            if (t.value == u"read")
                rule.m_access = ItemAccess::Read;
            else if (t.value == u"write")
                rule.m_access = ItemAccess::Write;
            else if (t.value == u"both")
                rule.m_access = ItemAccess::Both;
            else
                return fail(QStringLiteral("on must be read, write or both"));
        } else if (k == u"code") {
            rule.m_text = SimText::unescaped(t.value);
        } else if (k == u"drop") {
            if (!setEffect(Effect::Drop))
                return std::nullopt;
        } else if (k == u"lose") {
            if (!setEffect(Effect::Lose))
                return std::nullopt;
        } else if (k == u"delay") {
            const auto v = number(t, 0, 600000, error);
            if (!v || !setEffect(Effect::Delay))
                return std::nullopt;
            rule.m_delayMs = *v;
        } else if (k == u"replace" || k == u"refuse" || k == u"noise_prefix" ||
                   k == u"unsolicited") {
            const Effect e = k == u"replace"        ? Effect::Replace
                             : k == u"refuse"       ? Effect::Refuse
                             : k == u"noise_prefix" ? Effect::NoisePrefix
                                                    : Effect::Unsolicited;
            if (!setEffect(e))
                return std::nullopt;
            rule.m_text = SimText::unescaped(t.value);
        } else if (k == u"garbage") {
            const auto v = number(t, 0, 1 << 24, error);
            if (!v || !setEffect(Effect::Garbage))
                return std::nullopt;
            rule.m_length = *v;
        } else if (k == u"charset") {
            if (t.value == u"printable")
                rule.m_charset = Charset::Printable;
            else if (t.value == u"binary")
                rule.m_charset = Charset::Binary;
            else if (t.value == u"high")
                rule.m_charset = Charset::High;
            else
                return fail(QStringLiteral("charset must be printable, binary or high"));
        } else if (k == u"truncate") {
            const auto v = number(t, 0, 1 << 20, error);
            if (!v || !setEffect(Effect::Truncate))
                return std::nullopt;
            rule.m_length = *v;
        } else if (k == u"chunk") {
            if (!setEffect(Effect::Chunk))
                return std::nullopt;
            QString list = t.value;
            list.remove(u'[').remove(u']');
            for (const QString &part :
                 list.split(QRegularExpression(QStringLiteral("[/: ]+")), Qt::SkipEmptyParts)) {
                bool ok = false;
                const int size = part.toInt(&ok);
                if (!ok || size < 1)
                    return fail(QStringLiteral("chunk sizes must be positive numbers"));
                rule.m_sizes.append(size);
            }
            if (rule.m_sizes.isEmpty())
                return fail(QStringLiteral("chunk needs at least one size"));
        } else if (k == u"gap_ms") {
            const auto v = number(t, 0, 60000, error);
            if (!v)
                return std::nullopt;
            rule.m_gapMs = *v;
        } else if (k == u"cr_separate") {
            rule.m_crSeparate = true;
        } else if (k == u"before") {
            rule.m_before = true;
        } else if (k == u"after") {
            rule.m_before = false;
        } else if (k == u"duplicate") {
            if (!setEffect(Effect::Duplicate))
                return std::nullopt;
        } else if (k == u"station_prefix") {
            if (!setEffect(Effect::StationPrefix))
                return std::nullopt;
            rule.m_text = t.value == u"none" ? QByteArray() : t.value.toLatin1();
            if (t.value.size() == 1 && t.value[0].isDigit())
                rule.m_text = "0" + t.value.toLatin1();
        } else if (k == u"tag") {
            const auto v = number(t, 0, 16, error);
            if (!v || !setEffect(Effect::Tag))
                return std::nullopt;
            rule.m_tagDepth = *v;
        } else if (k == u"echo") {
            if (!setEffect(Effect::Echo))
                return std::nullopt;
        } else if (k == u"disconnect" || k == u"hangup") {
            if (!setEffect(Effect::Disconnect))
                return std::nullopt;
        } else if (k == u"for_ms") {
            const auto v = number(t, 0, 1 << 30, error);
            if (!v)
                return std::nullopt;
            rule.m_forMs = *v;
        } else if (k == u"restart") {
            if (!setEffect(Effect::Restart))
                return std::nullopt;
        } else {
            return fail(QStringLiteral("unknown fault key \"%1\"").arg(k));
        }
    }
    if (!haveEffect)
        return fail(QStringLiteral("no effect in \"%1\"").arg(definition));
    if (rule.m_inAnswer > 0 && !rule.m_match.isValid())
        return fail(QStringLiteral("in_answer needs match"));
    if (rule.m_inAnswer > 0 && rule.m_match.pattern().isEmpty())
        return fail(QStringLiteral("in_answer needs match"));
    return rule;
}

bool FaultRule::fires(const QByteArray &command, qint64 nowMs)
{
    if (m_remaining == 0)
        return false;
    if (!selected(command, nowMs))
        return false;
    if (m_remaining > 0)
        --m_remaining;
    return true;
}

bool FaultRule::selected(const QByteArray &command, qint64 nowMs)
{
    ++m_lines;
    const bool hasMatch = !m_match.pattern().isEmpty();
    const auto matches = [&]() {
        return m_match.match(QString::fromLatin1(command)).hasMatch();
    };

    if (m_inAnswer > 0) {
        if (m_armed) {
            if (++m_answerLines == m_inAnswer) {
                m_armed = false;
                return true;
            }
            return false;
        }
        if (matches()) {
            ++m_matches;
            if (m_occurrence == 0 || m_matches == m_occurrence) {
                m_armed = true;
                m_answerLines = 0;
            }
        }
        return false;
    }
    if (m_item >= 0) {
        if (!command.startsWith('#'))
            return false;
        const qsizetype eq = command.indexOf('=');
        const bool write = eq >= 0;
        const auto n = SimText::parseDecimal(command.mid(1, write ? eq - 1 : -1), 0, 1 << 30);
        if (!n || *n != m_item)
            return false;
        if ((write && m_access == ItemAccess::Read) || (!write && m_access == ItemAccess::Write))
            return false;
        return true;
    }
    if (hasMatch) {
        if (!matches())
            return false;
        ++m_matches;
        return m_occurrence == 0 || m_matches == m_occurrence;
    }
    if (m_nth > 0)
        return m_lines == m_nth;
    if (m_atMs >= 0)
        return nowMs >= m_atMs;
    if (m_randomP > 0)
        return m_random.generateDouble() < m_randomP;
    return true;
}

QByteArray FaultRule::garbage()
{
    QByteArray bytes;
    bytes.reserve(m_length);
    for (int i = 0; i < m_length; ++i) {
        char c;
        switch (m_charset) {
        case Charset::Printable:
            c = char(0x20 + m_random.bounded(0x5F));
            break;
        case Charset::High:
            c = char(0x80 + m_random.bounded(0x80));
            break;
        case Charset::Binary:
        default:
            c = char(m_random.bounded(0x100));
            // A carriage return would end the line early.
            if (c == '\r')
                c = '\0';
            break;
        }
        bytes.append(c);
    }
    return bytes;
}
