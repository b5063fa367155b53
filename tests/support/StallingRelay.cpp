#include "tests/support/StallingRelay.h"

#include <netinet/in.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

// -1: refused; else the socket's port (0 asks the kernel for a free one).
int Socket(int port, bool listen) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof(address);
    auto* any = reinterpret_cast<sockaddr*>(&address);
    const bool ok = listen ? ::bind(fd, any, length) == 0 && ::getsockname(fd, any, &length) == 0
                           : ::connect(fd, any, length) == 0;
    ::close(fd);
    return ok ? ntohs(address.sin_port) : -1;
}

} // namespace

StallingRelay::StallingRelay() : port_(Socket(0, true)) {
    const std::string listen = "TCP4-LISTEN:" + std::to_string(port_) + ",bind=127.0.0.1,fork";
    const char* argv[] = {"socat", listen.c_str(), "TCP4:127.0.0.1:3050", nullptr};
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    const int failed =
        posix_spawnp(&group_, "socat", nullptr, &attributes, const_cast<char**>(argv), environ);
    posix_spawnattr_destroy(&attributes);
    if (failed) throw std::runtime_error("socat cannot be started (package socat)");
    // Bounded by the test watchdog; socat says nothing when it listens.
    while (Socket(port_, false) < 0) {
        if (::waitpid(group_, nullptr, WNOHANG) == group_) throw std::runtime_error("socat ended");
        std::this_thread::yield();
    }
}

StallingRelay::~StallingRelay() {
    ::kill(-group_, SIGKILL);
    ::waitpid(group_, nullptr, 0);
}

std::string StallingRelay::Through(const std::string& serverName) const {
    return "127.0.0.1/" + std::to_string(port_) + serverName.substr(serverName.find(':'));
}

void StallingRelay::Stall() {
    ::kill(-group_, SIGSTOP);
}

void StallingRelay::Go() {
    ::kill(-group_, SIGCONT);
}
