#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;
class VirtualDrive;

// The drive's end of a pseudo-terminal. The tool opens slavePath() (or the
// symbolic link given to setLinkPath()) as its serial port, with QSerialPort
// like any other device. The endpoint keeps its own descriptor of the slave
// open, in raw mode, so that reads on the master never fail with EIO while
// the tool has the port closed.
//
// In-process use (torvane --simulate):
//     auto *drive = new VirtualDrive(this);
//     auto *pty = new PtyEndpoint(this);
//     if (!pty->open(&error)) ...;
//     pty->attach(drive);
//     port name: pty->slavePath()
//
// A hang-up (the drive's disconnect fault, or hangUp()) closes the
// pseudo-terminal so that the tool's open port fails; reopen() (called by
// itself when the drive reconnects) makes a new one, moves the link to it and
// emits reopened().
class PtyEndpoint : public QObject
{
    Q_OBJECT
public:
    explicit PtyEndpoint(QObject *parent = nullptr);
    ~PtyEndpoint() override;

    bool open(QString *error = nullptr);
    // Closes the pseudo-terminal and removes the link.
    void close();
    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // Keeps a symbolic link at `path` to the slave device. An existing file
    // there is replaced only if it is itself a symbolic link.
    bool setLinkPath(const QString &path, QString *error = nullptr);
    QString linkPath() const { return m_linkPath; }

    // Wires the drive both ways, and its hang-up fault to hangUp()/reopen().
    void attach(VirtualDrive *drive);

    // Bytes to the tool. Returns false when the endpoint is closed.
    bool write(const QByteArray &bytes);

    void hangUp();
    bool reopen(QString *error = nullptr);

Q_SIGNALS:
    // Bytes written by the tool.
    void received(const QByteArray &bytes);
    // After a hang-up the line is up again, on `path`.
    void reopened(const QString &path);
    // Emitted with reopened() when the new device has another path.
    void slavePathChanged(const QString &path);
    void errorOccurred(const QString &message);

private:
    void readMaster();
    void flushPending();
    bool updateLink(QString *error);
    void removeLink();

    int m_master = -1;
    int m_slave = -1;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_pending;
    QString m_slavePath;
    QString m_linkPath;
};
