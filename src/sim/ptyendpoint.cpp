#include "sim/ptyendpoint.h"

#include "sim/virtualdrive.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

// Bytes the tool has not read yet are kept up to this much; beyond it the
// oldest go, as they would from a real driver's full send buffer.
constexpr qsizetype MaxPending = 1 << 20;

QString systemError(const char *what)
{
    return QStringLiteral("%1: %2").arg(QString::fromLatin1(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyEndpoint::PtyEndpoint(QObject *parent)
    : QObject(parent)
{}

PtyEndpoint::~PtyEndpoint()
{
    close();
}

bool PtyEndpoint::open(QString *error)
{
    if (isOpen())
        return true;
    const auto fail = [&](const char *what) {
        const QString message = systemError(what);
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
        m_slave = m_master = -1;
        if (error)
            *error = message;
        return false;
    };

    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
        return fail("posix_openpt");
    if (::grantpt(m_master) != 0)
        return fail("grantpt");
    if (::unlockpt(m_master) != 0)
        return fail("unlockpt");
    char name[128];
    if (::ptsname_r(m_master, name, sizeof name) != 0)
        return fail("ptsname");
    m_slavePath = QString::fromLocal8Bit(name);

    // Our own descriptor of the slave keeps the line up while the tool has
    // the port closed; raw mode so that nothing is echoed or translated.
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0)
        return fail("open slave");
    termios tio;
    if (::tcgetattr(m_slave, &tio) != 0)
        return fail("tcgetattr");
    ::cfmakeraw(&tio);
    ::cfsetispeed(&tio, B9600);
    ::cfsetospeed(&tio, B9600);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0)
        return fail("tcsetattr");

    const int flags = ::fcntl(m_master, F_GETFL);
    if (flags < 0 || ::fcntl(m_master, F_SETFL, flags | O_NONBLOCK) != 0)
        return fail("fcntl");
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slave, F_SETFD, FD_CLOEXEC);

    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, &PtyEndpoint::readMaster);
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, &PtyEndpoint::flushPending);

    if (!m_linkPath.isEmpty())
        updateLink(nullptr);
    return true;
}

void PtyEndpoint::close()
{
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_slave = m_master = -1;
    m_pending.clear();
    removeLink();
}

bool PtyEndpoint::setLinkPath(const QString &path, QString *error)
{
    removeLink();
    m_linkPath = path;
    if (path.isEmpty() || !isOpen())
        return true;
    if (!updateLink(error)) {
        m_linkPath.clear();
        return false;
    }
    return true;
}

bool PtyEndpoint::updateLink(QString *error)
{
    const QFileInfo existing(m_linkPath);
    if (existing.exists() && !existing.isSymLink()) {
        if (error)
            *error = QStringLiteral("%1 exists and is not a symbolic link").arg(m_linkPath);
        return false;
    }
    // Made under a temporary name and renamed over the old link, so that the
    // path never dangles half-way.
    const QByteArray target = QFile::encodeName(m_slavePath);
    const QByteArray link = QFile::encodeName(m_linkPath);
    const QByteArray temp = link + ".new" + QByteArray::number(::getpid());
    ::unlink(temp.constData());
    if (::symlink(target.constData(), temp.constData()) != 0 ||
        ::rename(temp.constData(), link.constData()) != 0) {
        const QString message = systemError("symlink") + QStringLiteral(" (%1)").arg(m_linkPath);
        ::unlink(temp.constData());
        if (error)
            *error = message;
        emit errorOccurred(message);
        return false;
    }
    return true;
}

void PtyEndpoint::removeLink()
{
    if (m_linkPath.isEmpty())
        return;
    const QFileInfo info(m_linkPath);
    if (info.isSymLink())
        QFile::remove(m_linkPath);
}

void PtyEndpoint::attach(VirtualDrive *drive)
{
    connect(this, &PtyEndpoint::received, drive, &VirtualDrive::receive);
    connect(drive, &VirtualDrive::transmit, this, &PtyEndpoint::write);
    connect(drive, &VirtualDrive::disconnected, this, &PtyEndpoint::hangUp);
    connect(drive, &VirtualDrive::reconnected, this, [this]() { reopen(); });
}

bool PtyEndpoint::write(const QByteArray &bytes)
{
    if (!isOpen())
        return false;
    m_pending += bytes;
    if (m_pending.size() > MaxPending)
        m_pending.remove(0, m_pending.size() - MaxPending);
    flushPending();
    return true;
}

void PtyEndpoint::flushPending()
{
    while (!m_pending.isEmpty() && m_master >= 0) {
        const ssize_t n = ::write(m_master, m_pending.constData(), size_t(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: the tool is not reading; wait until it does
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_pending.isEmpty());
}

void PtyEndpoint::readMaster()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            emit received(QByteArray(buffer, qsizetype(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            // With our own slave descriptor open this does not happen; should
            // it, stop listening rather than spin.
            const QString message = systemError("read");
            if (m_readNotifier)
                m_readNotifier->setEnabled(false);
            emit errorOccurred(message);
        }
        return;
    }
}

void PtyEndpoint::hangUp()
{
    if (!isOpen())
        return;
    // Closing both ends hangs the line up: the tool's reads and writes fail.
    delete m_readNotifier;
    delete m_writeNotifier;
    m_readNotifier = m_writeNotifier = nullptr;
    ::close(m_slave);
    ::close(m_master);
    m_slave = m_master = -1;
    m_pending.clear();
}

bool PtyEndpoint::reopen(QString *error)
{
    const QString before = m_slavePath;
    hangUp();
    if (!open(error))
        return false;
    emit reopened(m_slavePath);
    if (m_slavePath != before)
        emit slavePathChanged(m_slavePath);
    return true;
}
