#pragma once
// A small tmpfs mounted over an empty folder for one test: a disk that fills up, or a folder on
// another file system. Only root may mount; Failure() then says why the test has to skip.
// Unmounted, with everything on it, when the object goes.
#include <filesystem>
#include <string>

class TmpfsMount {
public:
    // size as mount takes it, e.g. "512k".
    TmpfsMount(const std::filesystem::path& at, const std::string& size);
    ~TmpfsMount();
    TmpfsMount(const TmpfsMount&) = delete;
    TmpfsMount& operator=(const TmpfsMount&) = delete;

    // Empty when mounted.
    const std::string& Failure() const { return failure_; }
    // Fills the file system with one file until it is full but for `leave` bytes (whole pages).
    void Fill(const std::string& fileName, std::uintmax_t leave = 0) const;

private:
    std::filesystem::path at_;
    std::string failure_;
};
