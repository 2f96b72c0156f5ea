#include "safefilewriter.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

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
    const int fd = m_file->handle();
    if (fd >= 0 && ::fsync(fd) != 0) {
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
