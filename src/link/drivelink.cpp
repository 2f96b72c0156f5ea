#include "drivelink.h"

#include "drivetext.h"
#include "linkowner.h"
#include "portio.h"
#include "resources/catalogue.h"

namespace {
DriveLink *s_instance = nullptr;
int s_currentUnit = 0;

QString logPrefix(int id, const char *fallback)
{
    const QString text = Catalogue::instance().string(id);
    return text.isEmpty() ? QString::fromLatin1(fallback) : text;
}
} // namespace

int currentUnit()
{
    return s_currentUnit;
}

DriveLink::DriveLink(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    // A coarse timer may fire up to 5 % early; the driver is given its full time.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &DriveLink::onTimeout);
}

DriveLink::~DriveLink()
{
    if (s_instance == this)
        s_instance = nullptr;
}

DriveLink *DriveLink::instance()
{
    return s_instance;
}

void DriveLink::setInstance(DriveLink *link)
{
    s_instance = link;
}

void DriveLink::configure(int comPort)
{
    m_comPort = comPort;
    if (m_factory)
        setPort(m_factory(comPort));
}

void DriveLink::setPort(std::unique_ptr<PortIo> port)
{
    if (m_port) {
        m_port->close();
        m_port->disconnect(this);
        // The old port may be the one whose signal is being handled now.
        m_port.release()->deleteLater();
    }
    m_port = std::move(port);
    m_pending.clear();
    m_chunk.clear();
    m_discarding = false;
    m_lastError.clear();
    if (!m_port)
        return;
    connect(m_port.get(), &PortIo::readyRead, this, &DriveLink::onReadyRead);
    connect(m_port.get(), &PortIo::failed, this, &DriveLink::onPortFailed);
}

bool DriveLink::open()
{
    if (m_ownerCount < 2 && !isOpen()) {
        m_wantOpen = true;
        m_lastError.clear();
        ensureOpen();
    }
    return isOpen();
}

void DriveLink::close()
{
    if (m_ownerCount < 2 && isOpen()) {
        m_wantOpen = false;
        m_port->close();
    }
}

bool DriveLink::isOpen() const
{
    return m_port && m_port->isOpen();
}

bool DriveLink::ensureOpen()
{
    if (!m_port)
        return false;
    if (m_port->isOpen())
        return true;
    QString error;
    if (m_port->open(&error)) {
        m_lastError.clear();
        return true;
    }
    // Say it once per failure, not on every command of a polling window.
    if (error != m_lastError) {
        m_lastError = error;
        Q_EMIT portError(error);
    }
    return false;
}

bool DriveLink::pushOwner(LinkOwner *owner)
{
    if (m_ownerCount >= MaxOwners)
        return false;
    m_ownerStack[m_ownerCount++] = owner;
    return true;
}

void DriveLink::popOwner()
{
    if (m_ownerCount < 2) {
        m_ownerStack.fill(nullptr);
        m_ownerCount = 0;
        return;
    }
    m_ownerStack[--m_ownerCount] = nullptr;
}

void DriveLink::addTap(LinkTap *tap)
{
    if (tap && !m_taps.contains(tap))
        m_taps.append(tap);
}

void DriveLink::removeTap(LinkTap *tap)
{
    m_taps.removeAll(tap);
}

void DriveLink::setUnit(int unit)
{
    m_unit = qBound(0, unit, 9);
    s_currentUnit = m_unit;
}

void DriveLink::send(const QByteArray &command, bool arm, int timeoutMs)
{
    QByteArray line;
    if (m_unit != 0)
        line = QByteArray::number(m_unit);
    line += command;
    line += '\r';
    log(logPrefix(127, "-> ") + DriveText::decode(line) + QStringLiteral("\r\n"));
    if (arm)
        armTimer(timeoutMs);
    // A port that failed (a USB adapter pulled out) is tried again here, so
    // the link works again as soon as the device is back. Without a port
    // the line is lost and the owner sees the time-out.
    if (m_wantOpen && ensureOpen())
        m_port->write(line);
}

void DriveLink::armTimer(int timeoutMs)
{
    m_timer.start(timeoutMs);
}

void DriveLink::disarmTimer()
{
    m_timer.stop();
}

void DriveLink::reset()
{
    m_chunk.clear();
    m_pending.clear();
    m_discarding = false;
    ++m_resetCount;
    if (m_port)
        m_port->clearInput();
}

void DriveLink::onReadyRead()
{
    // A message box opened by a callback runs a nested event loop; bytes that
    // arrive meanwhile stay in the port and are read by the outer call, in
    // order, once the callback returns.
    if (!m_port || m_receiving)
        return;
    m_receiving = true;
    for (;;) {
        m_chunk = m_port->readAll();
        if (m_chunk.isEmpty())
            break;
        processChunk();
    }
    m_receiving = false;
}

void DriveLink::processChunk()
{
    const quint64 resetsBefore = m_resetCount;
    const QByteArray chunk = m_chunk;
    for (const char c : chunk) {
        if (c == '\r') {
            if (m_discarding) {
                m_discarding = false;
                continue;
            }
            log(logPrefix(128, " <- ") + DriveText::decode(m_pending) + QStringLiteral("\r\n"));
            m_lastReply = m_pending;
            m_pending.clear();
            dispatch(m_lastReply);
            // A callback that reset the link dropped the rest of this chunk.
            if (m_resetCount != resetsBefore)
                return;
            continue;
        }
        if (m_discarding)
            continue;
        if (m_pending.size() >= MaxLineLength) {
            log(QStringLiteral("(a reply line longer than %1 bytes was dropped)\r\n")
                    .arg(MaxLineLength));
            m_pending.clear();
            m_discarding = true;
            continue;
        }
        m_pending.append(c);
    }
    m_chunk.clear();
}

void DriveLink::dispatch(const QByteArray &line)
{
    QByteArray body = line;
    if (m_unit != 0) {
        const QByteArray prefix = "0" + QByteArray::number(m_unit);
        if (!line.startsWith(prefix))
            return;
        body = line.mid(2);
    }
    // A tap's line answers the tap's command, not the owner's: the owner's
    // reply timer keeps running for the reply it still waits for.
    if (LinkTap *listener = tap(); listener && isSingleTagged(body)) {
        listener->onTappedLine(body);
        return;
    }
    LinkOwner *current = owner();
    if (!current)
        return;
    m_timer.stop();
    current->onLinkReply(body);
}

void DriveLink::onTimeout()
{
    m_timer.stop();
    reset();
    if (LinkOwner *current = owner())
        current->onLinkTimeout();
}

void DriveLink::onPortFailed(const QString &message)
{
    m_pending.clear();
    m_chunk.clear();
    m_discarding = false;
    if (message != m_lastError) {
        m_lastError = message;
        Q_EMIT portError(message);
    }
}

void DriveLink::log(const QString &entry)
{
    m_log.append(entry);
    Q_EMIT logged(entry);
}
