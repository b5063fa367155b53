#pragma once
// The console runner: start-up as the window does it, the chosen import type, one run (or one
// check), a summary, an optional JSON report, and an exit status (RunOutcome::ExitStatus; 2 for
// a start-up or usage error).
#include <functional>
#include <ostream>
#include <string>
#include <vector>

class BatchRunner {
public:
    // stopRequested is asked between rows; a stop leaves the file to the next run.
    BatchRunner(std::ostream& out, std::ostream& err, bool showProgress = false,
                std::function<bool()> stopRequested = {});
    int Run(const std::vector<std::string>& args);

    static const char* Usage();
    static const char* Help();

private:
    int UsageError(const std::string& problem);

    std::ostream& out_;
    std::ostream& err_;
    bool showProgress_;
    std::function<bool()> stopRequested_;
};
