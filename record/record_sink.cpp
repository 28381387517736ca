#include "record/record_sink.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

FileSink::FileSink(std::function<int(int)> sync)
    : m_sync(sync ? std::move(sync) : ::fsync) {}

// Unbuffered: a write that fails leaves nothing behind in a buffer, to be
// written when the file closes.
bool FileSink::open(const QString& path, QString* error) {
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        *error = m_file.errorString();
        return false;
    }
    return true;
}

// A device such as a pipe has no size to cut.
bool FileSink::cut(qint64 size, QString* error) {
    if (m_file.size() > size && ::ftruncate(m_file.handle(), size) != 0) {
        *error = systemError();
        return false;
    }
    return true;
}

// A file that cannot be synchronised, such as a pipe, is taken as written
// once written. What a failed write left of its bytes is cut off again, so
// that the file ends with a whole line.
bool FileSink::write(const QByteArray& bytes, QString* error) {
    const qint64 before = m_file.size();
    if (m_file.write(bytes) == bytes.size() && (m_sync(m_file.handle()) == 0 || errno == EINVAL)) {
        return true;
    }
    *error = m_file.error() != QFileDevice::NoError ? m_file.errorString() : systemError();
    m_file.unsetError();
    QString ignored;
    cut(before, &ignored);
    return false;
}
