#include "platform/FolderLock.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

std::optional<FolderLock> FolderLock::TryAcquire(const std::string& path) {
    const std::string host = fs_win::ToHost(path).string();
    int fd = ::open(host.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        throw std::runtime_error("Cannot create the lock file " + path + ": " +
                                 std::strerror(errno));
    FolderLock lock(fd);
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return lock;
    if (errno == EWOULDBLOCK) return std::nullopt;
    throw std::runtime_error("Cannot lock the file " + path + ": " + std::strerror(errno));
}

FolderLock::FolderLock(FolderLock&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

FolderLock& FolderLock::operator=(FolderLock&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

FolderLock::~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
}

std::chrono::system_clock::time_point FolderLock::Touch() const {
    using namespace std::chrono;
    const std::string id = std::to_string(::getpid()) + "\n";
    struct stat st {};
    if (::ftruncate(fd_, 0) != 0 ||
        ::pwrite(fd_, id.data(), id.size(), 0) != static_cast<ssize_t>(id.size()) ||
        ::fstat(fd_, &st) != 0)
        return system_clock::now();
    return system_clock::time_point(duration_cast<system_clock::duration>(
        seconds(st.st_mtim.tv_sec) + nanoseconds(st.st_mtim.tv_nsec)));
}
