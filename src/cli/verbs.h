#pragma once

#include <QStringList>

class CliSession;
class QCommandLineParser;

// The verbs beyond info and send, each in the file of its feature. args
// holds the words after the verb; the return value is the exit code.
// Each checks args first and returns -1 when they do not fit (a usage
// error), then calls session.connect() (returning 1 when it fails).
int runParamsVerb(CliSession &session, const QStringList &args);   // params upload|download
int runResetComVerb(CliSession &session, const QStringList &args); // reset-com
int runTerminalVerb(CliSession &session, const QStringList &args); // terminal
int runMonitorVerb(CliSession &session, const QStringList &args);  // monitor PARAM...
int runProgramsVerb(CliSession &session, const QStringList &args); // programs list|upload|...
int runIoVerb(CliSession &session, const QStringList &args);       // io upload|download
int runScopeVerb(CliSession &session, const QStringList &args);    // scope items|capture
void addScopeOptions(QCommandLineParser &parser);
int runTableVerb(CliSession &session, const QStringList &args);  // table upload|download|batch-…
int runPointsVerb(CliSession &session, const QStringList &args); // points upload|download
int runCamVerb(CliSession &session,
               const QStringList &args); // cam upload|download|batch-…|universal
int runBackupVerb(CliSession &session, const QStringList &args);       // backup FILE.wha
int runRestoreVerb(CliSession &session, const QStringList &args);      // restore FILE.wha
int runMotorBackupVerb(CliSession &session, const QStringList &args);  // motor-backup FILE.whm
int runMotorRestoreVerb(CliSession &session, const QStringList &args); // motor-restore FILE.whm
int runPortsVerb(CliSession &session, const QStringList &args);        // ports
