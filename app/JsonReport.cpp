#include "app/JsonReport.h"

#include "platform/Text.h"

#include <nlohmann/json.hpp>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <unistd.h>

using nlohmann::json;
namespace fs = std::filesystem;

namespace {

// ISO 8601, local time with its offset: 2024-05-01T10:00:00+02:00.
std::string IsoTime(RunOutcome::Time time) {
    const std::time_t t = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[40];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%S%z", &local);
    std::string text = buffer;
    text.insert(text.size() - 2, ":");
    return text;
}

std::string Utf8(const std::string& win1250) {
    return text::ToUtf8(win1250);
}

json Counts(const PostingCounts& c) {
    return {{"rows_read", c.RowsRead()},
            {"rows_posted", c.RowsPosted},
            {"rows_with_findings", c.RowsFlagged},
            {"rows_rejected", c.RowsRejected},
            {"vouchers_created", c.VouchersCreated},
            {"customers_created", c.CustomersCreated},
            {"journals_created", c.JournalsCreated}};
}

json Rows(const std::vector<PostingNotes::Row>& rows, const char* textName) {
    json list = json::array();
    for (const PostingNotes::Row& row : rows) {
        json entry = {{"row", row.Number}, {"voucher", Utf8(row.Voucher)}};
        if (textName) entry[textName] = Utf8(row.Text);
        list.push_back(entry);
    }
    return list;
}

json Names(const std::vector<std::string>& names) {
    json list = json::array();
    for (const std::string& name : names)
        list.push_back(Utf8(name));
    return list;
}

const char* Outcome(RunOutcome::File::Result result) {
    switch (result) {
    case RunOutcome::File::Result::Posted:
        return "posted";
    case RunOutcome::File::Result::Refused:
    case RunOutcome::File::Result::Held:
        return "refused";
    case RunOutcome::File::Result::Unsettled:
        return "left for a later run";
    case RunOutcome::File::Result::Stopped:
        return "stopped";
    case RunOutcome::File::Result::Failed:
        break;
    }
    return "failed";
}

} // namespace

std::string JsonReport::CannotWrite(const std::string& path) {
    if (path.empty()) return "no report file named";
    const fs::path file(path);
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return "the folder " + folder.string() + " does not exist";
    if (fs::is_directory(file, ec)) return path + " is a folder";
    const bool exists = fs::exists(file, ec);
    if (access((exists ? file : folder).c_str(), W_OK) != 0)
        return (exists ? path : "the folder " + folder.string()) + " cannot be written";
    return {};
}

std::string JsonReport::Text(const RunOutcome& run, int exitStatus) {
    json files = json::array();
    int stopped = 0;
    for (const RunOutcome::File& file : run.Files) {
        stopped += file.Outcome == RunOutcome::File::Result::Stopped;
        files.push_back({{"name", Utf8(file.Name)},
                         {"source", Utf8(file.Source)},
                         {"content_key", file.Key},
                         {"outcome", Outcome(file.Outcome)},
                         {"message", Utf8(file.Message)},
                         {"log", Utf8(file.Log)},
                         {"rows", file.Rows},
                         {"started", IsoTime(file.Started)},
                         {"ended", IsoTime(file.Ended)},
                         {"counts", Counts(file.Counts)},
                         {"findings", Rows(file.Notes.Findings, "findings")},
                         {"duplicates", Rows(file.Notes.Duplicates, nullptr)},
                         {"rejected", Rows(file.Notes.Rejected, "message")},
                         {"customers_created", Names(file.Notes.Customers)},
                         {"journals_created", Names(file.Notes.Journals)}});
    }
    json totals = Counts(run.Totals());
    totals["files_posted"] = run.FilesPosted;
    totals["files_failed"] = run.FilesFailed;
    totals["files_refused"] = run.FilesRefused;
    totals["files_stopped"] = stopped;
    const json report = {{"program", "inzefor-batch"},
                         {"version", INZEFOR_VERSION},
                         {"check", run.Check},
                         {"type", run.Type},
                         {"started", IsoTime(run.Started)},
                         {"ended", IsoTime(run.Ended)},
                         {"exit_status", exitStatus},
                         {"locked", run.Locked},
                         {"ended_early", run.EndedEarly},
                         {"failure", Utf8(run.Failure)},
                         {"files", files},
                         {"totals", totals}};
    return report.dump(2) + "\n";
}

void JsonReport::Write(const std::string& path, const RunOutcome& run, int exitStatus) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << Text(run, exitStatus);
    out.close();
    if (!out) throw std::runtime_error("Cannot write the report " + path);
}
