#pragma once
// The console runner: start-up as the window does it, the chosen import type, one run, and an
// exit status (0 all posted, 1 a file failed or the run ended early, 2 start-up or usage error).
#include <ostream>
#include <string>
#include <vector>

class BatchRunner {
public:
    BatchRunner(std::ostream& out, std::ostream& err, bool showProgress = false);
    int Run(const std::vector<std::string>& args);

    static const char* Usage();

private:
    std::ostream& out_;
    std::ostream& err_;
    bool showProgress_;
};
