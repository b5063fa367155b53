#include "app/ImportCommands.h"

#include "app/BatchRunner.h"
#include "app/ConsoleView.h"
#include "app/ImportHistory.h"
#include "app/ImportUndo.h"
#include "app/JsonReport.h"
#include "app/TF_IN.h"
#include "platform/Text.h"

#include <fstream>

std::string ImportCommands::Conflict(const Options& options, const std::set<std::string>& given) {
    if (options.History && given.count("--undo")) return "--history and --undo go alone";
    for (const char* run : {"--type", "--year", "--first-only", "--repost", "--settle"})
        if (given.count(run)) return std::string(run) + " belongs to an import run";
    if (options.History && options.Check) return "--check goes with --undo, not --history";
    if (!options.History && !options.Report.empty()) return "--report goes with --history";
    if (!options.Report.empty())
        if (const std::string why = JsonReport::CannotWrite(options.Report); !why.empty())
            return "Cannot write the report: " + why;
    return {};
}

int ImportCommands::Run(const Options& options, const std::set<std::string>& given,
                        const std::vector<std::string>& positional, const std::string& exePath) {
    if (const std::string problem = Conflict(options, given); !problem.empty()) {
        err_ << problem << "\n" << BatchRunner::Usage();
        return 2;
    }
    ConsoleView view(out_, err_, {}, false);
    Component application;
    TF_IN form(view, &application);
    form.FormCreate(exePath);
    if (form.FormActivate(positional, false) != TF_IN::StartResult::Started) return 2;
    int status = 0;
    try {
        if (!form.DB1.Connected()) form.DB1.Connect();
        if (options.History) {
            const std::vector<ImportHistory::Import> imports = ImportHistory::Read(form.DB1);
            for (const ImportHistory::Import& import : imports)
                out_ << text::ToUtf8(ImportHistory::Block(import));
            if (imports.empty()) out_ << "No imports are recorded.\n";
            if (!options.Report.empty()) {
                std::ofstream report(options.Report, std::ios::binary | std::ios::trunc);
                report << ImportHistory::Json(imports, 0);
                report.close();
                if (!report) throw std::runtime_error("Cannot write the report " + options.Report);
            }
        } else {
            ImportUndo undo(form.DB1, &form, &form.SqlLog);
            std::string why;
            const int import = undo.Resolve(options.Undo, why);
            ImportUndo::Result result;
            if (import)
                result = undo.Undo(import, form.ExchangeFolder, options.Check);
            else
                result.Refusal = why;
            (result.Done ? out_ : err_) << text::ToUtf8(result.Text(options.Check)) << "\n";
            status = result.Done ? 0 : 1;
        }
        form.FormClose();
    } catch (const std::exception& e) {
        err_ << "Error: " << text::ToUtf8(e.what()) << "\n";
        status = 1;
    }
    return status;
}
