#include "tests/support/TmpfsMount.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/mount.h>
#include <unistd.h>

TmpfsMount::TmpfsMount(const std::filesystem::path& at, const std::string& size) : at_(at) {
    std::filesystem::create_directories(at);
    if (::geteuid() != 0)
        failure_ = "mounting a tmpfs needs root";
    else if (::mount("tmpfs", at.c_str(), "tmpfs", 0, ("size=" + size).c_str()) != 0)
        failure_ = std::string("cannot mount a tmpfs: ") + std::strerror(errno);
}

TmpfsMount::~TmpfsMount() {
    if (failure_.empty()) ::umount2(at_.c_str(), MNT_DETACH);
}

void TmpfsMount::Fill(const std::string& fileName, std::uintmax_t leave) const {
    const std::filesystem::path path = at_ / fileName;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) throw std::runtime_error("cannot create " + path.string());
    // Page by page, so the file ends on a page and giving back `leave` frees exactly that.
    const std::string page(4096, 'f');
    while (::write(fd, page.data(), page.size()) == static_cast<ssize_t>(page.size())) {
    }
    const int error = errno;
    ::close(fd);
    if (error != ENOSPC) throw std::runtime_error("cannot fill " + path.string());
    std::filesystem::resize_file(path, std::filesystem::file_size(path) - leave);
}
