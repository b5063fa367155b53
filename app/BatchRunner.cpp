#include "app/BatchRunner.h"

#include "app/ConsoleView.h"
#include "app/ImportType.h"
#include "app/TF_IN.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <unistd.h>

namespace {

bool StartsWith(const std::string& s, const std::string& prefix) {
    return s.compare(0, prefix.size(), prefix) == 0;
}

std::string ExecutablePath() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).string();
}

} // namespace

BatchRunner::BatchRunner(std::ostream& out, std::ostream& err, bool showProgress,
                         std::function<bool()> stopRequested)
    : out_(out), err_(err), showProgress_(showProgress || isatty(STDOUT_FILENO)),
      stopRequested_(std::move(stopRequested)) {}

const char* BatchRunner::Usage() {
    return "usage: inzefor-batch [--type=CODE] [--year=YEAR] [--first-only] [--repost] "
           "PARAMS_FILE\n"
           "  CODE: SZLA1 (default), PENZ1, BER1, BANK1, BANK2, FKBER\n";
}

int BatchRunner::Run(const std::vector<std::string>& args) {
    ConsoleView::Answers answers;
    bool repost = false;
    const ImportType* type = ImportType::ForCode("SZLA1");
    std::vector<std::string> positional;
    for (const std::string& arg : args) {
        if (StartsWith(arg, "--type=")) {
            type = ImportType::ForCode(arg.substr(7));
            if (!type) {
                err_ << "Unknown import type: " << arg.substr(7) << "\n" << Usage();
                return 2;
            }
        } else if (StartsWith(arg, "--year=")) {
            std::string year = arg.substr(7);
            if (year.empty() || !std::all_of(year.begin(), year.end(),
                                             [](unsigned char c) { return std::isdigit(c); })) {
                err_ << "Not a year: " << year << "\n" << Usage();
                return 2;
            }
            answers.Year = year;
        } else if (arg == "--first-only") {
            answers.FirstOnly = true;
        } else if (arg == "--repost") {
            repost = true;
        } else if (StartsWith(arg, "--")) {
            err_ << "Unknown option: " << arg << "\n" << Usage();
            return 2;
        } else {
            positional.push_back(arg);
        }
    }

    ConsoleView view(out_, err_, answers, showProgress_, stopRequested_);
    Component application;
    TF_IN form(view, &application);
    form.RepostAnswer = repost ? TF_IN::Repost::Allow : TF_IN::Repost::Refuse;
    form.FormCreate(ExecutablePath());
    if (form.FormActivate(positional, false) != TF_IN::StartResult::Started) return 2;

    int status = 0;
    try {
        form.CmbTipChange(type->ItemText);
        form.Button1Click(&form);
        const TF_IN::RunOutcome& run = form.LastRun();
        if (run.EndedEarly) err_ << "Run ended early: " << text::ToUtf8(run.Failure) << "\n";
        if (run.EndedEarly || run.FilesFailed > 0 || run.FilesRefused > 0 || run.Locked)
            status = 1;
        else if (run.Stopped || (stopRequested_ && stopRequested_()))
            status = 3;
        form.FormClose();
    } catch (const std::exception& e) {
        err_ << "Error: " << text::ToUtf8(e.what()) << "\n";
        status = 1;
    }
    return status;
}
