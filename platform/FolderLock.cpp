#include "platform/FolderLock.h"

#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
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
