#pragma once

#include "link/drivelink.h"

#include <QCommandLineParser>
#include <QString>

// What every verb of torvane-cli shares: the options, the link to the drive
// and the English texts for messages on stderr.
class CliSession
{
public:
    enum ExitCode { Success = 0, Failure = 1, Usage = 2 };

    explicit CliSession(QCommandLineParser &parser);

    static void addOptions(QCommandLineParser &parser);

    // Opens the port; false after printing the reason on stderr.
    bool connect();
    DriveLink &link() { return m_link; }
    const QCommandLineParser &parser() const { return m_parser; }

    static void printError(const QString &text);
    static void printLine(const QByteArray &bytes);
    static QString text(int id);
    // A traffic-log entry as --trace prints it: one line, its own CR and the
    // log's CR LF taken off, every control character (NUL included) and the
    // backslash written as an escape, so that no byte is lost or misread.
    static QString traceLine(const QString &entry);

private:
    QCommandLineParser &m_parser;
    DriveLink m_link;
};
