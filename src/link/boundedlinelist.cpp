#include "boundedlinelist.h"

void BoundedLineList::append(const QString &line)
{
    m_lines.append(line);
    if (m_capacity >= 0 && m_lines.size() > m_capacity + 10)
        m_lines.removeFirst();
}

QStringList BoundedLineList::visibleLines() const
{
    if (m_capacity < 0 || m_lines.size() <= m_capacity)
        return m_lines;
    return m_lines.mid(m_lines.size() - m_capacity);
}

QString BoundedLineList::visibleText() const
{
    return visibleLines().join(QString());
}
