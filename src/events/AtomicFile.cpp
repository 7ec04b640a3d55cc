#include "AtomicFile.h"

#include "FileIO.h"
#include "RuntimeError.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace tvk {

namespace {

// The folder part of a path with its trailing slash, or empty text for a bare name.
std::string folderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string baseOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return path.substr(slash == std::string::npos ? 0 : slash + 1);
}

// Temporary files are ".NAME.tmp-PID-..." beside the target, so a later save can tell whose they are.
std::string temporaryPrefixFor(const std::string& target) {
    std::string prefix(1, '.');
    prefix.append(baseOf(target)).append(".tmp-");
    return prefix;
}

std::string temporaryNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    return folderOf(target) + temporaryPrefixFor(target) + std::to_string(::getpid()) + "-" +
           std::to_string(counter.fetch_add(1)) + "-" + std::to_string(stamp & 0xFFFFFF);
}

std::string descriptorPath(int fd) {
    return "/proc/self/fd/" + std::to_string(fd);
}

RuntimeError folderError(const std::string& path) {
    return RuntimeError(err::PathFileAccess,
                        std::string(err::describe(err::PathFileAccess)) + ": '" + path + "' (is a folder)");
}

} // namespace

std::string AtomicFile::finalTarget(const std::string& path) {
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat st {};
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
        char link[4096];
        const ssize_t n = ::readlink(current.c_str(), link, sizeof link);
        if (n <= 0 || static_cast<size_t>(n) >= sizeof link) return current;
        const std::string target(link, static_cast<size_t>(n));
        current = target.front() == '/' ? target : folderOf(current) + target;
    }
    return current; // still a link: opening it reports the loop
}

void AtomicFile::removeStaleTemporaries(const std::string& target) {
    const std::string folder = folderOf(target);
    const std::string prefix = temporaryPrefixFor(target);
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return; // the save itself reports an unusable folder
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.substr(0, prefix.size()) != prefix) continue;
        const std::string_view rest = name.substr(prefix.size());
        const size_t digits = rest.find_first_not_of("0123456789");
        if (digits == 0 || digits > 9 || digits == std::string_view::npos || rest[digits] != '-') continue;
        const pid_t pid = static_cast<pid_t>(std::stol(std::string(rest.substr(0, digits))));
        // A process that still runs (or runs under another user) may be saving right now.
        if (pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH) continue;
        (void)::unlinkat(::dirfd(dir), entry->d_name, 0); // best effort: debris, not the user's file
    }
    ::closedir(dir);
}

AtomicFile::AtomicFile(std::string path, Temporary temporary) : m_path(std::move(path)) {
    if (m_path.empty()) throw RuntimeError(err::BadFileName, "Bad file name or number: the file name is empty");
    if (m_path.back() == '/') throw folderError(m_path);
    m_target = finalTarget(m_path);

    struct stat target {};
    const bool exists = ::stat(m_target.c_str(), &target) == 0;
    if (!exists && errno == ELOOP) throw FileIO::errorFor(ELOOP, m_path);
    if (exists && S_ISDIR(target.st_mode)) throw folderError(m_path);
    // A file marked read-only stays protected although its folder would allow replacing it.
    if (exists && ::access(m_target.c_str(), W_OK) != 0 && errno == EACCES) throw FileIO::errorFor(EACCES, m_path);

    removeStaleTemporaries(m_target);
    if (temporary == Temporary::Unnamed) {
        const std::string folder = folderOf(m_target);
        m_fd = ::open(folder.empty() ? "." : folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        // commit() names the file through /proc; without it the file could never be linked.
        if (m_fd >= 0 && ::access(descriptorPath(m_fd).c_str(), F_OK) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    if (m_fd < 0) openNamed();
    if (exists) {
        // Owner and group as far as this process may set them; the mode after, as a change of owner
        // may clear some of its bits. Best effort: the content matters more than its metadata.
        if (::fchown(m_fd, target.st_uid, target.st_gid) != 0)
            (void)::fchown(m_fd, static_cast<uid_t>(-1), target.st_gid);
        (void)::fchmod(m_fd, target.st_mode & 07777);
    }
}

void AtomicFile::openNamed() {
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_tmpPath = temporaryNameFor(m_target);
        m_fd = ::open(m_tmpPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd < 0 && errno != EEXIST) break;
    }
    if (m_fd < 0) {
        const int error = errno;
        m_tmpPath.clear();
        throw FileIO::errorFor(error, m_path);
    }
}

AtomicFile::~AtomicFile() {
    if (m_fd >= 0) ::close(m_fd);
    if (!m_tmpPath.empty()) ::unlink(m_tmpPath.c_str());
}

void AtomicFile::write(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            throw FileIO::errorFor(errno, m_path);
        }
        bytes.remove_prefix(static_cast<size_t>(n));
        // Start the device write of this piece now, so the final data sync overlaps with writing
        // instead of waiting for everything at the end (a hint: failures show at the sync).
        (void)::sync_file_range(m_fd, m_written, n, SYNC_FILE_RANGE_WRITE);
        m_written += n;
    }
}

void AtomicFile::commit() {
    // The data reaches the device before the rename makes it the file, so a crash leaves either the
    // old content or the new, never an empty file.
    if (::fdatasync(m_fd) != 0) throw FileIO::errorFor(errno, m_path);
    // An unnamed file gets its temporary name only now, just before it replaces the target.
    for (int attempt = 0; attempt < 100 && m_tmpPath.empty(); ++attempt) {
        std::string name = temporaryNameFor(m_target);
        if (::linkat(AT_FDCWD, descriptorPath(m_fd).c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) {
            m_tmpPath = std::move(name);
        } else if (errno != EEXIST) {
            throw FileIO::errorFor(errno, m_path);
        }
    }
    if (m_tmpPath.empty()) throw FileIO::errorFor(EEXIST, m_path);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) throw FileIO::errorFor(errno, m_path);
    if (::rename(m_tmpPath.c_str(), m_target.c_str()) != 0) throw FileIO::errorFor(errno, m_path);
    // The rename reaches the device with the folder's next sync: until then a crash leaves the old
    // content, never a broken file, so the save does not wait for it.
    m_tmpPath.clear();
}

} // namespace tvk
