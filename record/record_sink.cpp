#include "record/record_sink.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

bool FileSink::open(const QString& path, QString* error) {
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = m_file.errorString();
        return false;
    }
    return true;
}

// A file that cannot be synchronised, such as a pipe, is taken as written
// once flushed.
bool FileSink::write(const QByteArray& bytes, QString* error) {
    if (m_file.write(bytes) != bytes.size() || !m_file.flush()) {
        *error = m_file.errorString();
        return false;
    }
    if (::fsync(m_file.handle()) != 0 && errno != EINVAL) {
        *error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    return true;
}
