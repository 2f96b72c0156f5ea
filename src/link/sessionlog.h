#pragma once

#include <QDateTime>
#include <QFile>
#include <QString>
#include <QStringList>

// A session written down as it happens: one line per entry, each behind the
// local time it was written ("2026-12-08 13:50:01.234 -> @44"). The file is
// appended to and flushed line by line, so that it survives a crash and can
// be followed with `tail -f` while the session runs; that is why it does not
// go through SafeFileWriter, which only lets a file appear once it is whole.
class SessionLog
{
public:
    SessionLog() = default;
    SessionLog(const SessionLog &) = delete;
    SessionLog &operator=(const SessionLog &) = delete;

    // Opens the file for appending (creating it); false with the reason.
    bool open(const QString &path, QString *error = nullptr);
    void close();
    bool isOpen() const { return m_file.isOpen(); }
    QString path() const { return m_file.fileName(); }

    // One line behind the time now. Control characters (line breaks
    // included) and the backslash are written as escapes, as in printable().
    void write(const QString &text);
    void write(const QString &text, const QDateTime &when);
    // Lines from before the log was opened: their time is not known, so the
    // time column stays blank.
    void writeEarlier(const QStringList &lines);

    // "yyyy-MM-dd HH:mm:ss.zzz", local time.
    static QString stamp(const QDateTime &when);
    // Every control character (NUL included) as "\\xNN" and the backslash
    // doubled, so that no byte is lost or misread.
    static QString printable(QStringView text);
    // A traffic-log entry without its line ends: a sent line carries its own
    // CR before the log's CR LF.
    static QStringView entryBody(const QString &entry);
    static QStringList entryBodies(const QStringList &entries);
    // printable(entryBody(entry)).
    static QString trafficLine(const QString &entry);

private:
    void writeLine(const QString &line);

    QFile m_file;
};
