#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// torvane-drivesim started as its own process for end-to-end tests: it
// prints the pseudo-terminal's path on its first line of output.
class DriveSimProcess
{
public:
    explicit DriveSimProcess(const QStringList &arguments = {})
    {
        m_process.setProgram(QStringLiteral(TORVANE_BIN_DIR "/torvane-drivesim"));
        m_process.setArguments(QStringList{QStringLiteral("--profile"), QStringLiteral("test")} +
                               arguments);
        m_process.setProcessChannelMode(QProcess::SeparateChannels);
        m_process.start();
        if (!m_process.waitForStarted(5000))
            return;
        while (!m_process.canReadLine() && m_process.waitForReadyRead(5000)) {
        }
        m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~DriveSimProcess()
    {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
        m_process.waitForFinished(3000);
    }

    QString path() const { return m_path; }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QString m_path;
};

struct CliResult
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs torvane-cli with the given arguments and optional standard input.
inline CliResult runCli(const QStringList &arguments, const QByteArray &input = {},
                        int timeoutMs = 30000)
{
    QProcess cli;
    cli.setProgram(QStringLiteral(TORVANE_BIN_DIR "/torvane-cli"));
    cli.setArguments(arguments);
    cli.start();
    CliResult result;
    if (!cli.waitForStarted(5000))
        return result;
    if (!input.isEmpty())
        cli.write(input);
    cli.closeWriteChannel();
    if (!cli.waitForFinished(timeoutMs)) {
        cli.kill();
        cli.waitForFinished(3000);
        return result;
    }
    result.exitCode = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    result.out = cli.readAllStandardOutput();
    result.err = cli.readAllStandardError();
    return result;
}
