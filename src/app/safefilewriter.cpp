#include "safefilewriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

thread_local SafeFileWriter::DeferredSync *currentDeferral = nullptr;

QString folderOf(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absolutePath());
}

} // namespace

SafeFileWriter::SafeFileWriter(const QString &path)
    : m_path(path)
{}

SafeFileWriter::~SafeFileWriter()
{
    discard();
}

bool SafeFileWriter::open()
{
    discard();
    m_failure = Failure::None;
    m_errorString.clear();
    auto file = std::make_unique<QSaveFile>(m_path);
    // Writing straight to the target would lose the earlier file on a failure.
    file->setDirectWriteFallback(false);
    if (!file->open(QIODevice::WriteOnly)) {
        m_errorString = file->errorString();
        m_failure = Failure::CannotCreate;
        return false;
    }
    m_file = std::move(file);
    return true;
}

bool SafeFileWriter::isOpen() const
{
    return m_file != nullptr;
}

bool SafeFileWriter::write(const QByteArray &bytes)
{
    if (!m_file || m_failure != Failure::None)
        return false;
    if (m_file->write(bytes) != bytes.size() || m_file->error() != QFileDevice::NoError) {
        fail(Failure::WriteFailed);
        return false;
    }
    return true;
}

bool SafeFileWriter::commit()
{
    if (!m_file) {
        if (m_failure == Failure::None)
            m_failure = Failure::CannotCreate;
        return false;
    }
    if (m_failure != Failure::None) {
        discard();
        return false;
    }
    // The last buffered bytes reach the file here; a full disk shows now.
    if (!m_file->flush() || m_file->error() != QFileDevice::NoError) {
        fail(Failure::WriteFailed);
        return false;
    }
    DeferredSync *deferral = DeferredSync::covering(m_path);
    const int fd = m_file->handle();
    if (!deferral && fd >= 0 && ::fsync(fd) != 0) {
        m_errorString = QString::fromLocal8Bit(std::strerror(errno));
        m_failure = Failure::WriteFailed;
        discard();
        return false;
    }
    if (!m_file->commit()) {
        m_errorString = m_file->errorString();
        m_failure = Failure::CommitFailed;
        m_file.reset();
        return false;
    }
    m_file.reset();
    if (deferral)
        deferral->m_committed.append(m_path);
    return true;
}

void SafeFileWriter::discard()
{
    if (m_file) {
        m_file->cancelWriting();
        m_file.reset(); // QSaveFile removes its temporary when it is destroyed
    }
}

void SafeFileWriter::fail(Failure failure)
{
    m_failure = failure;
    if (m_file)
        m_errorString = m_file->errorString();
    discard();
}

bool SafeFileWriter::writeWhole(const QString &path, const QByteArray &bytes, Failure *failure,
                                QString *errorString)
{
    SafeFileWriter writer(path);
    const bool ok = writer.open() && writer.write(bytes) && writer.commit();
    if (failure)
        *failure = writer.failure();
    if (errorString)
        *errorString = writer.errorString();
    return ok;
}

// --- Deferred sync -----------------------------------------------------------

SafeFileWriter::DeferredSync::DeferredSync(const QString &folder)
    : m_folder(QDir::cleanPath(QFileInfo(folder).absoluteFilePath()))
    , m_outer(currentDeferral)
{
    currentDeferral = this;
}

SafeFileWriter::DeferredSync::~DeferredSync()
{
    DeferredSync **link = &currentDeferral;
    while (*link && *link != this)
        link = &(*link)->m_outer;
    if (*link)
        *link = m_outer;
}

SafeFileWriter::DeferredSync *SafeFileWriter::DeferredSync::covering(const QString &path)
{
    const QString folder = folderOf(path);
    for (DeferredSync *deferral = currentDeferral; deferral; deferral = deferral->m_outer) {
        if (deferral->m_folder == folder)
            return deferral;
    }
    return nullptr;
}

bool SafeFileWriter::DeferredSync::sync(QString *failedPath, QString *errorString)
{
    for (const QString &path : std::as_const(m_committed)) {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT)
            continue; // removed again by its writer: nothing to keep
        const bool ok = fd >= 0 && ::fsync(fd) == 0;
        const int error = errno;
        if (fd >= 0)
            ::close(fd);
        if (!ok) {
            *failedPath = path;
            *errorString = QString::fromLocal8Bit(std::strerror(error));
            return false;
        }
    }
    m_committed.clear();
    return true;
}
