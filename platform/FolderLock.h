#pragma once
// An exclusive advisory lock (flock) on a lock file, held for as long as the object lives. The
// kernel releases it when the process ends in any way, so a crash never leaves a stale lock.
#include <chrono>
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

    // Writes this process's id into the lock file and returns the modification time the folder's
    // file system gave it: now on the folder's clock, which on a share may differ from ours. The
    // local clock when the write fails.
    std::chrono::system_clock::time_point Touch() const;

private:
    explicit FolderLock(int fd) : fd_(fd) {}
    int fd_ = -1;
};
