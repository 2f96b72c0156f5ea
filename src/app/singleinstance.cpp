#include "singleinstance.h"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {
QString runtimeDir()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir;
}
} // namespace

SingleInstance::SingleInstance(const QString &name, QObject *parent)
    : QObject(parent)
    , m_name(name)
{}

SingleInstance::~SingleInstance()
{
    if (m_server)
        m_server->close();
    if (m_lock)
        m_lock->unlock();
}

bool SingleInstance::acquire()
{
    m_lock =
        std::make_unique<QLockFile>(QDir(runtimeDir()).filePath(m_name + QStringLiteral(".lock")));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(100))
        return false;
    m_server = new QLocalServer(this);
    const QString socket = QDir(runtimeDir()).filePath(m_name + QStringLiteral(".socket"));
    QLocalServer::removeServer(socket);
    if (m_server->listen(socket)) {
        connect(m_server, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket *peer = m_server->nextPendingConnection()) {
                connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
                Q_EMIT raiseRequested();
                peer->disconnectFromServer();
            }
        });
    }
    return true;
}

bool SingleInstance::raiseRunning() const
{
    QLocalSocket socket;
    socket.connectToServer(QDir(runtimeDir()).filePath(m_name + QStringLiteral(".socket")));
    if (!socket.waitForConnected(1000))
        return false;
    socket.write("raise\n");
    socket.waitForBytesWritten(500);
    socket.disconnectFromServer();
    return true;
}
