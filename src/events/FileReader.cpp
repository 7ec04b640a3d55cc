#include "FileReader.h"

#include "FileIO.h"
#include "RuntimeError.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tvk {

namespace {

RuntimeError describedError(int number, const std::string& path, const char* detail) {
    return RuntimeError(number, std::string(err::describe(number)) + ": '" + path + "' (" + detail + ")");
}

} // namespace

FileReader::FileReader(const std::string& path) : m_path(path) {
    if (path.empty()) throw RuntimeError(err::BadFileName, "Bad file name or number: the file name is empty");
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is rejected below as not a regular file.
    m_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (m_fd < 0) throw FileIO::errorFor(errno, path);
    struct stat st {};
    const int error = ::fstat(m_fd, &st) != 0 ? errno : 0;
    const char* refusal = error != 0             ? nullptr
                          : S_ISDIR(st.st_mode)  ? "is a folder"
                          : !S_ISREG(st.st_mode) ? "not a regular file"
                                                 : nullptr;
    if (error != 0 || refusal) {
        ::close(m_fd);
        if (error != 0) throw FileIO::errorFor(error, path);
        throw describedError(err::PathFileAccess, path, refusal);
    }
    m_size = static_cast<uint64_t>(st.st_size);
}

FileReader::~FileReader() {
    ::close(m_fd);
}

size_t FileReader::read(char* data, size_t length) {
    size_t filled = 0;
    while (filled < length) {
        const ssize_t n = ::read(m_fd, data + filled, length - filled);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileIO::errorFor(errno, m_path);
        }
        if (n == 0) break;
        filled += static_cast<size_t>(n);
    }
    return filled;
}

} // namespace tvk
