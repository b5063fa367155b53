#pragma once
// An exclusive advisory lock (flock) on a lock file, held for as long as the object lives. The
// kernel releases it when the process ends in any way, so a crash never leaves a stale lock.
#include <optional>
#include <string>

class FolderLock {
public:
    // Creates the lock file at a Windows-style path if needed and locks it without waiting:
    // nothing when another process holds it. Throws std::runtime_error naming the file when it
    // cannot be created or opened.
    static std::optional<FolderLock> TryAcquire(const std::string& path);

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

private:
    explicit FolderLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};
