// Built into every test program: one that is still running after INZEFOR_TEST_DEADLINE seconds
// (300 by default) prints the stacks of all its threads and of the runners it started, kills
// them and exits 124, so that a hang fails the suite at once and says where it hung.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

struct HangWatch {
    HangWatch() {
        const char* limit = std::getenv("INZEFOR_TEST_DEADLINE");
        const int seconds = limit && std::atoi(limit) > 0 ? std::atoi(limit) : 300;
        std::thread([seconds] {
            std::this_thread::sleep_for(std::chrono::seconds(seconds));
            const std::string self = std::to_string(::getpid());
            // The shell is a child too ($$): it is neither shown nor killed.
            const std::string children = "$(pgrep -P " + self + " | grep -vx $$)";
            const std::string command =
                "for p in " + self + " " + children +
                "; do echo \"--- process $p: $(tr '\\0' ' ' </proc/$p/cmdline)\"; "
                "gdb -p $p -batch -ex 'thread apply all bt' 2>&1 | grep -v '^\\[New LWP'; "
                "done >&2; kill -KILL " +
                children + " 2>/dev/null";
            std::fprintf(stderr, "\nStill running after %d s; the stacks:\n", seconds);
            std::fflush(stderr);
            [[maybe_unused]] const int status = std::system(command.c_str());
            std::_Exit(124);
        }).detach();
    }
} watch;

} // namespace
