#pragma once
// The console runner's look at the bookkeeping: `--history` lists the imports, `--undo=NAME`
// takes one back (`--check --undo=NAME` says what that would delete). Start-up is a run's:
// the same parameters file, deletion rule and connection.
#include <ostream>
#include <set>
#include <string>
#include <vector>

class ImportCommands {
public:
    struct Options {
        bool History = false;
        std::string Undo; // the name of the import to undo
        bool Check = false;
        std::string Report; // --history only
    };

    ImportCommands(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}

    // given: every option named on the command line; exePath: the program's. An exit status: 0
    // listed or undone, 1 refused, 2 a start-up or usage error.
    int Run(const Options& options, const std::set<std::string>& given,
            const std::vector<std::string>& positional, const std::string& exePath);

private:
    // A usage problem of the options, or empty.
    static std::string Conflict(const Options& options, const std::set<std::string>& given);

    std::ostream& out_;
    std::ostream& err_;
};
