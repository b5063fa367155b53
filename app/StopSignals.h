#pragma once
// Stop requests by signal for the console runner: SIGTERM (systemd, a shutdown, timeout), SIGINT
// (Ctrl+C) and SIGHUP (a closed terminal) only note the request, which the posting loop honours
// between rows, so the row in hand commits or rolls back whole and the next run continues.
class StopSignals {
public:
    // Call before the first database call, so the client library's own handlers chain to these.
    static void Install();
    static bool Requested();
    // The number of the signal that asked, 0 when none (or when it is not known).
    static int Signal();
};
