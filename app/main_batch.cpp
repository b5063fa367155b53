// inzefor-batch: one import run from the command line, for scheduled jobs and scripts.
#include "app/BatchRunner.h"
#include "app/StopSignals.h"

#include <iostream>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    StopSignals::Install();
    return BatchRunner(std::cout, std::cerr, false, StopSignals::Requested).Run(args);
}
