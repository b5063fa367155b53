#include "app/BatchRunner.h"

#include "app/ConsoleView.h"
#include "app/ImportType.h"
#include "app/JsonReport.h"
#include "app/TF_IN.h"
#include "platform/Text.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <unistd.h>

namespace {

std::string ExecutablePath() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).string();
}

bool IsYear(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

} // namespace

BatchRunner::BatchRunner(std::ostream& out, std::ostream& err, bool showProgress,
                         std::function<bool()> stopRequested)
    : out_(out), err_(err), showProgress_(showProgress || isatty(STDOUT_FILENO)),
      stopRequested_(std::move(stopRequested)) {}

const char* BatchRunner::Usage() {
    return "usage: inzefor-batch [--type=CODE] [--year=YEAR] [--first-only] [--check | --repost] "
           "[--quiet] [--report=FILE] PARAMS_FILE\n"
           "       inzefor-batch --help | --version\n";
}

const char* BatchRunner::Help() {
    return "usage: inzefor-batch [OPTIONS] PARAMS_FILE\n"
           "       inzefor-batch --help | --version\n"
           "\n"
           "One import run without the window: reads the parameters file, posts the input files\n"
           "of one import type from the exchange folder into the database and archives each in\n"
           "in_arch as OK_name or Err_name, with its run log beside it.\n"
           "\n"
           "Import types (--type=CODE):\n"
           "  SZLA1  invoice postings, feladas*.dbf (the default)\n"
           "  PENZ1  petty-cash postings, winptk*.dbf\n"
           "  BER1   payroll postings, wber*.dbf\n"
           "  BANK1  Raiffeisen bank statement, KVF*.TXT, converted first\n"
           "  BANK2  OTP bank statement, *HUF.HUF\n"
           "  FKBER  payroll source table FKBER.DBF, converted first\n"
           "\n"
           "Options:\n"
           "  --type=CODE    the import type\n"
           "  --year=YEAR    the working year; default: the latest fiscal year of the chart\n"
           "  --first-only   post only the first listed file\n"
           "  --check        post nothing: every file goes through the same checks and inserts\n"
           "                 in a transaction that is rolled back, and the run tells what\n"
           "                 posting would do (findings, rejected rows, new customers and\n"
           "                 journals, duplicates, files refused as posted before). No file is\n"
           "                 moved, renamed or deleted and no run log or SQL log is written; the\n"
           "                 database stays as it was, except that its identifier generators\n"
           "                 advance. The exit status is the one a run would end with.\n"
           "  --repost       post a file whose content was posted before (else it is refused)\n"
           "  --quiet        print only errors, refused and failed files, and the summary;\n"
           "                 nothing at all when there is nothing to do\n"
           "  --report=FILE  write what the run did, per file and in total, as JSON to FILE\n"
           "  -h, --help     this text\n"
           "  --version      the program's version\n"
           "\n"
           "The parameters file (Windows-1250, CR LF): line 1 the database's display text,\n"
           "2 the exchange folder, 3 the database (a file path, or host:path for a server),\n"
           "4 the run word (not acted on here), 5 and on connection lines name=value (a file\n"
           "with such lines is deleted once read). PARAMS_FILE is an absolute path, a drive path\n"
           "(X:\\dir\\file, read from c:\\ whatever the drive) or a path relative to the working\n"
           "folder.\n"
           "\n"
           "Exit status: 0 every row of every handled file posted, or nothing to do; 1 a file\n"
           "failed or was refused, or the run ended early; 2 a start-up or usage error; 3 the\n"
           "run was stopped, the next run continues; 4 every file posted, but rows were\n"
           "rejected. Where several apply, the first of 2, 1, 3, 4.\n";
}

int BatchRunner::UsageError(const std::string& problem) {
    err_ << problem << "\n" << Usage();
    return 2;
}

int BatchRunner::Run(const std::vector<std::string>& args) {
    Options options;
    if (const std::optional<int> done = ParseOptions(args, options)) return *done;
    RunOutcome run;
    int status = RunImport(options, run);
    if (!options.Report.empty()) status = WriteReport(options, std::move(run), status);
    return status;
}

std::optional<int> BatchRunner::ParseOptions(const std::vector<std::string>& args,
                                             Options& options) {
    for (const std::string& arg : args)
        if (arg == "--help" || arg == "-h") {
            out_ << Help();
            return 0;
        }
    if (std::find(args.begin(), args.end(), "--version") != args.end()) {
        out_ << "inzefor-batch ver. " INZEFOR_VERSION "\n";
        return 0;
    }
    std::set<std::string> given;
    for (const std::string& arg : args) {
        if (arg.size() < 2 || arg[0] != '-') {
            options.Positional.push_back(arg);
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : arg.substr(equals + 1);
        const bool takesValue = name == "--type" || name == "--year" || name == "--report";
        const bool flag =
            name == "--first-only" || name == "--repost" || name == "--check" || name == "--quiet";
        if (!takesValue && !flag) return UsageError("Unknown option: " + arg);
        if (takesValue == (equals == std::string::npos))
            return UsageError(takesValue ? "Option " + name + " needs =VALUE"
                                         : "Option " + name + " takes no value");
        if (!given.insert(name).second) return UsageError("Option given twice: " + name);
        if (const std::string problem = TakeOption(name, value, options); !problem.empty())
            return UsageError(problem);
    }
    if (options.Positional.size() > 1)
        return UsageError("Extra argument: " + options.Positional[1]);
    if (options.Check && options.Repost)
        return UsageError("--check posts nothing, so --repost cannot go with it");
    if (!options.Report.empty())
        if (const std::string why = JsonReport::CannotWrite(options.Report); !why.empty())
            return UsageError("Cannot write the report: " + why);
    return std::nullopt;
}

std::string BatchRunner::TakeOption(const std::string& name, const std::string& value,
                                    Options& options) {
    if (name == "--type") {
        options.Type = ImportType::ForCode(value);
        if (!options.Type) return "Unknown import type: " + value;
    } else if (name == "--year") {
        if (!IsYear(value)) return "Not a year: " + value;
        options.Answers.Year = value;
    } else if (name == "--report") {
        options.Report = value;
    } else {
        (name == "--first-only" ? options.Answers.FirstOnly
         : name == "--repost"   ? options.Repost
         : name == "--check"    ? options.Check
                                : options.Quiet) = true;
    }
    return {};
}

int BatchRunner::RunImport(const Options& options, RunOutcome& run) {
    ConsoleView view(out_, err_, options.Answers, showProgress_, stopRequested_, options.Quiet);
    Component application;
    TF_IN form(view, &application);
    form.RepostAnswer = options.Repost ? TF_IN::Repost::Allow : TF_IN::Repost::Refuse;
    form.FormCreate(ExecutablePath());
    int status = 2;
    if (form.FormActivate(options.Positional, false) == TF_IN::StartResult::Started) {
        try {
            form.CmbTipChange(options.Type->ItemText);
            if (options.Check)
                form.Button3Click(&form);
            else
                form.Button1Click(&form);
            status = Print(view, form.LastRun(), options.Quiet);
            form.FormClose();
        } catch (const std::exception& e) {
            err_ << "Error: " << text::ToUtf8(e.what()) << "\n";
            status = 1;
        }
    }
    run = form.LastRun();
    return status;
}

int BatchRunner::Print(ConsoleView& view, const RunOutcome& run, bool quiet) {
    if (run.EndedEarly) err_ << "Run ended early: " << text::ToUtf8(run.Failure) << "\n";
    // The end message carries the summary when it was shown.
    if (!run.Files.empty() && (quiet || !run.Completed)) view.ShowSummary(run.Summary());
    return run.ExitStatus(stopRequested_ && stopRequested_());
}

int BatchRunner::WriteReport(const Options& options, RunOutcome run, int status) {
    run.Check = options.Check;
    run.Type = options.Type->Code;
    if (run.Started == RunOutcome::Time{}) run.Started = run.Ended = RunOutcome::Time::clock::now();
    try {
        JsonReport::Write(options.Report, run, status);
    } catch (const std::exception& e) {
        err_ << "Error: " << text::ToUtf8(e.what()) << "\n";
        if (status != 2) status = 1;
    }
    return status;
}
