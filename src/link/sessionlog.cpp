#include "sessionlog.h"

QString SessionLog::printable(QStringView body)
{
    QString line;
    line.reserve(body.size());
    for (const QChar c : body) {
        const char16_t u = c.unicode();
        if (u == u'\\')
            line += QLatin1String("\\\\");
        else if (u < 0x20 || u == 0x7f)
            line += QStringLiteral("\\x%1").arg(uint(u), 2, 16, QLatin1Char('0'));
        else
            line += c;
    }
    return line;
}

bool SessionLog::open(const QString &path, QString *error)
{
    close();
    m_file.setFileName(path);
    if (m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        return true;
    if (error)
        *error = m_file.errorString();
    return false;
}

void SessionLog::close()
{
    if (m_file.isOpen())
        m_file.close();
}

void SessionLog::write(const QString &text)
{
    write(text, QDateTime::currentDateTime());
}

void SessionLog::write(const QString &text, const QDateTime &when)
{
    writeLine(stamp(when) + QLatin1Char(' ') + printable(text));
}

void SessionLog::writeEarlier(const QStringList &lines)
{
    const QString blank(stamp(QDateTime::currentDateTime()).size() + 1, QLatin1Char(' '));
    for (const QString &text : lines)
        writeLine(blank + printable(text));
}

QString SessionLog::stamp(const QDateTime &when)
{
    return when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QStringView SessionLog::entryBody(const QString &entry)
{
    QStringView body(entry);
    if (body.endsWith(QLatin1String("\r\n")))
        body.chop(2);
    if (body.endsWith(QLatin1Char('\r')))
        body.chop(1);
    return body;
}

QStringList SessionLog::entryBodies(const QStringList &entries)
{
    QStringList bodies;
    bodies.reserve(entries.size());
    for (const QString &entry : entries)
        bodies.append(entryBody(entry).toString());
    return bodies;
}

QString SessionLog::trafficLine(const QString &entry)
{
    return printable(entryBody(entry));
}

void SessionLog::writeLine(const QString &line)
{
    if (!m_file.isOpen())
        return;
    m_file.write(line.toUtf8() + '\n');
    m_file.flush();
}
