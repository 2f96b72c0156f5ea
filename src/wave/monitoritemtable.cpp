#include "monitoritemtable.h"

#include <QFile>

namespace {

// Lines are read the way the cache was always read: at most 80 characters
// at a time, the rest of a longer line reads as the next line.
constexpr qint64 CacheLineLength = 81;

QByteArray rightAligned(int number, int width)
{
    return QByteArray::number(number).rightJustified(width, ' ');
}

} // namespace

MonitorItemTable &MonitorItemTable::instance()
{
    static MonitorItemTable table;
    return table;
}

QString MonitorItemTable::cachePath(const QString &baseDir)
{
    return baseDir + QStringLiteral("data/Monstr.dat");
}

QByteArray MonitorItemTable::japaneseLanguageEntry()
{
    // "#201:" and "ｴｲｺﾞﾋｮｳｼﾞｾﾝﾀｸ" in single-byte katakana.
    return QByteArray("#201:") + QByteArray("\xB4\xB2\xBA\xDE\xCB\xAE\xB3\xBC\xDE\xBE\xDD\xC0\xB8");
}

int MonitorItemTable::indexContaining(const QByteArray &key) const
{
    for (int i = 0; i < count(); ++i) {
        if (m_items.at(i).text.contains(key))
            return i;
    }
    return -1;
}

QByteArray MonitorItemTable::languageEntry() const
{
    QByteArray last;
    for (const MonitorItem &item : m_items) {
        if (item.code >= 202)
            break;
        last = item.text;
    }
    while (last.endsWith(' '))
        last.chop(1);
    return last;
}

MonitorItemTable::LoadResult MonitorItemTable::load(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return LoadResult::CannotOpen;
    QList<MonitorItem> items;
    while (!file.atEnd()) {
        const QByteArray line = file.readLine(CacheLineLength);
        if (line.isEmpty())
            break;
        if (items.size() == Capacity)
            return LoadResult::TooMany;
        QByteArrayList fields;
        QByteArray field;
        for (char c : line) {
            if (c == ';' || c == ',' || c == '\n') {
                fields.append(field);
                field.clear();
            } else {
                field.append(c);
            }
        }
        if (!field.isEmpty() || !line.endsWith('\n'))
            fields.append(field);
        // A line ends in its line feed, which closes the last field; a CR
        // before it belongs to no field.
        if (fields.size() == 2 && fields.at(1).endsWith('\r'))
            fields[1].chop(1);
        if (fields.size() != 2)
            return LoadResult::BadFormat;
        bool ok = false;
        const QByteArray number = fields.at(1).trimmed();
        const int code = number.toInt(&ok);
        if (!ok || code < 0 || code > 0xFFFF)
            return LoadResult::BadFormat;
        items.append({quint16(code), fields.at(0).left(MaxTextLength)});
    }
    m_items = items;
    return LoadResult::Loaded;
}

QByteArray MonitorItemTable::cacheBytes(const QByteArrayList &listedLines)
{
    QByteArray out;
    for (const QByteArray &line : listedLines) {
        // The drive's line with ":" added, split at ":": the reply code, the
        // tag "#n", the name.
        const QByteArrayList fields = (line + ':').split(':');
        const QByteArray tag = fields.value(1);
        const QByteArray name = fields.value(2);
        out += tag + ':' + name.leftJustified(22, ' ') + ',' + tag.mid(1).rightJustified(28, ' ') +
               '\n';
    }
    const auto range = [&out](int first, int last) {
        for (int n = first; n <= last; ++n)
            out += '#' + QByteArray::number(n).leftJustified(21, ' ') + ',' + rightAligned(n, 28) +
                   '\n';
    };
    range(400, 449);
    range(500, 549);
    range(600, 699);
    return out;
}
