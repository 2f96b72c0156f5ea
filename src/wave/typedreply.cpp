#include "typedreply.h"

TypedReply::TypedReply(const QByteArray &line)
{
    if (line.startsWith('E')) {
        m_kind = Kind::Refused;
        return;
    }
    if (!line.startsWith('R'))
        return;
    if (line == "R ") {
        // The drive's short status while it waits for its trigger.
        m_bareStatus = true;
        m_values = {0, 0};
        m_texts = {QByteArray(), QByteArray()};
        m_kind = Kind::Accepted;
        return;
    }
    const qsizetype blank = line.indexOf(' ');
    if (blank < 0) {
        // "R" and nothing to carry values: an acknowledgement.
        m_kind = Kind::Accepted;
        return;
    }
    const QByteArray types = line.mid(1, blank - 1);
    for (char type : types) {
        if (type != 'D' && type != '1' && type != '2' && type != '4' && type != 'S')
            return;
    }
    const QList<QByteArray> fields = line.mid(blank + 1).split(':');
    // The first field is the label.
    if (fields.size() - 1 > types.size())
        return;
    for (qsizetype i = 0; i < types.size(); ++i) {
        const QByteArray field = i + 1 < fields.size() ? fields.at(i + 1).trimmed() : QByteArray();
        qint64 number = 0;
        if (types.at(i) != 'S' && !field.isEmpty()) {
            bool ok = false;
            number = types.at(i) == 'D' ? field.toLongLong(&ok, 10) : field.toLongLong(&ok, 16);
            if (!ok)
                return;
        }
        m_values.append(number);
        m_texts.append(i + 1 < fields.size() ? fields.at(i + 1) : QByteArray());
    }
    m_kind = Kind::Accepted;
}
