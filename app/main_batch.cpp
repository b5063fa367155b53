// inzefor-batch: one import run from the command line, for scheduled jobs and scripts.
#include "app/BatchRunner.h"

#include <iostream>
#include <vector>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return BatchRunner(std::cout, std::cerr).Run(args);
}
