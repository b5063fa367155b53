#pragma once
// A relay (socat) between the program and the test server, in a process group of its own: stopped,
// it forwards nothing and closes nothing, as a network that drops packets or a hung server.
#include <string>
#include <sys/types.h>

class StallingRelay {
public:
    StallingRelay(); // listens once the constructor returns
    ~StallingRelay();
    StallingRelay(const StallingRelay&) = delete;
    StallingRelay& operator=(const StallingRelay&) = delete;

    // The server's "localhost:path" as reached through the relay.
    std::string Through(const std::string& serverName) const;
    void Stall(); // SIGSTOP
    void Go();    // SIGCONT

private:
    int port_ = 0;
    pid_t group_ = 0;
};
