#pragma once
// The console runner: start-up as the window does it, the chosen import type, one run, and an
// exit status (0 all posted, 1 a file failed or was refused or the run ended early, 2 start-up
// or usage error, 3 stopped midway: the next run continues).
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

private:
    std::ostream& out_;
    std::ostream& err_;
    bool showProgress_;
    std::function<bool()> stopRequested_;
};
