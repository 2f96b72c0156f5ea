#pragma once

#include "link/drivelink.h"
#include "link/sessionlog.h"

#include <QCommandLineParser>
#include <QJsonObject>
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
    // --json was given: info and programs list print one JSON object.
    bool json() const;
    static void printJson(const QJsonObject &object);

private:
    QCommandLineParser &m_parser;
    DriveLink m_link;
    SessionLog m_traceFile;
};
