#pragma once
// The console runner: start-up as the window does it, the chosen import type, one run (or one
// check), a summary, an optional JSON report, and an exit status (RunOutcome::ExitStatus; 2 for
// a start-up or usage error).
#include "app/ConsoleView.h"
#include "app/ImportType.h"
#include "app/RunOutcome.h"

#include <functional>
#include <optional>
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
    struct Options {
        ConsoleView::Answers Answers;
        bool Repost = false, Check = false, Quiet = false;
        std::string Report; // the JSON report's file, if any
        const ImportType* Type = ImportType::ForCode("SZLA1");
        std::vector<std::string> Positional;
    };

    // Reads the command line into options; an exit status when the program is done with it
    // (help, version, a usage error).
    std::optional<int> ParseOptions(const std::vector<std::string>& args, Options& options);
    // Takes one option's value; what is wrong with it, or empty.
    static std::string TakeOption(const std::string& name, const std::string& value,
                                  Options& options);
    // The start-up and the run; the exit status, and what the run did in run.
    int RunImport(const Options& options, RunOutcome& run);
    // What the window would end with; the run's exit status.
    int Print(ConsoleView& view, const RunOutcome& run, bool quiet);
    // The JSON report; status, or 1 when it cannot be written.
    int WriteReport(const Options& options, RunOutcome run, int status);
    int UsageError(const std::string& problem);

    std::ostream& out_;
    std::ostream& err_;
    bool showProgress_;
    std::function<bool()> stopRequested_;
};
