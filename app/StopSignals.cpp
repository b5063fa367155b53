#include "app/StopSignals.h"

#include "db/IBDatabase.h"

#include <csignal>

namespace {

// A signal handler can only reach state of the whole process; these two flags are that state.
volatile std::sig_atomic_t requested = 0;
volatile std::sig_atomic_t lastSignal = 0;

extern "C" void OnSignal(int signal) {
    requested = 1;
    lastSignal = signal;
}

void OnClientShutdown() {
    requested = 1;
}

} // namespace

void StopSignals::Install() {
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        sigaction(signal, &action, nullptr);
    IBDatabase::KeepConnectionsOnSignal(OnClientShutdown);
}

bool StopSignals::Requested() {
    return requested != 0;
}

int StopSignals::Signal() {
    return lastSignal;
}
