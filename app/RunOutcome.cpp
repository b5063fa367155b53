#include "app/RunOutcome.h"

#include <algorithm>

namespace {

std::string Count(int n, const std::string& noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// Up to a handful of names; the whole list is for a check and the JSON report.
std::string Names(const std::vector<std::string>& names) {
    const std::size_t shown = std::min<std::size_t>(names.size(), 10);
    std::string text;
    for (std::size_t i = 0; i < shown; ++i)
        text += (i ? ", " : "") + names[i];
    if (shown < names.size()) text += " and " + std::to_string(names.size() - shown) + " more";
    return text;
}

std::string Lines(const PostingCounts& c, int duplicates,
                  const std::vector<std::string>& journals) {
    std::string text = "Rows: " + std::to_string(c.RowsRead()) + " read, " +
                       std::to_string(c.RowsPosted) + " posted (" + std::to_string(c.RowsFlagged) +
                       " with findings), " + std::to_string(c.RowsRejected) + " rejected\r\n";
    text += "Created: " + Count(c.VouchersCreated, "voucher");
    if (duplicates > 0) text += " (" + std::to_string(duplicates) + " marked as duplicates)";
    text +=
        ", " + Count(c.CustomersCreated, "customer") + ", " + Count(c.JournalsCreated, "journal");
    if (!journals.empty()) text += " (" + Names(journals) + ")";
    return text + "\r\n";
}

std::string RowList(const std::string& heading, const std::vector<PostingNotes::Row>& rows) {
    if (rows.empty()) return {};
    std::string text = heading + ":\r\n";
    for (const PostingNotes::Row& row : rows)
        text += "  row " + std::to_string(row.Number) + ", voucher " + row.Voucher +
                (row.Text.empty() ? "" : ": " + row.Text) + "\r\n";
    return text;
}

std::string LogOf(const RunOutcome::File& file) {
    return file.Log.empty() ? std::string() : ", log " + file.Log;
}

} // namespace

const RunOutcome::File& RunOutcome::Add(File file) {
    switch (file.Outcome) {
    case File::Result::Posted:
        ++FilesPosted;
        break;
    case File::Result::Failed:
        ++FilesFailed;
        break;
    case File::Result::Refused:
    case File::Result::Held:
        ++FilesRefused;
        break;
    case File::Result::Stopped:
        Stopped = true;
        break;
    case File::Result::Unsettled:
        break;
    }
    return Files.emplace_back(std::move(file));
}

PostingCounts RunOutcome::Totals() const {
    PostingCounts totals;
    for (const File& file : Files)
        totals += file.Counts;
    return totals;
}

int RunOutcome::ExitStatus(bool stopRequested) const {
    if (EndedEarly || Locked || FilesFailed > 0 || FilesRefused > 0) return 1;
    if (Stopped || stopRequested) return 3;
    return Totals().RowsRejected > 0 ? 4 : 0;
}

std::string RunOutcome::FileReport(const File& file) const {
    std::string text;
    if (Check)
        text += RowList("Rows with findings", file.Notes.Findings) +
                RowList("Vouchers marked as duplicates", file.Notes.Duplicates);
    text += Lines(file.Counts, static_cast<int>(file.Notes.Duplicates.size()), file.Notes.Journals);
    if (file.Notes.Customers.empty()) return text;
    if (!Check) return text + "New customers: " + Names(file.Notes.Customers) + "\r\n";
    text += "New customers:\r\n";
    for (const std::string& name : file.Notes.Customers)
        text += "  " + name + "\r\n";
    return text;
}

std::string RunOutcome::Summary() const {
    std::string text;
    if (Check) text += "Check only: nothing was posted, moved or logged. A run would do this:\r\n";
    const int stopped = static_cast<int>(std::count_if(
        Files.begin(), Files.end(), [](auto& f) { return f.Outcome == File::Result::Stopped; }));
    text += "Files: " + std::to_string(FilesPosted) + " posted, " + std::to_string(FilesFailed) +
            " failed, " + std::to_string(FilesRefused) + " refused, " + std::to_string(stopped) +
            " to be continued\r\n";
    std::vector<std::string> journals;
    int duplicates = 0;
    for (const File& file : Files) {
        journals.insert(journals.end(), file.Notes.Journals.begin(), file.Notes.Journals.end());
        duplicates += static_cast<int>(file.Notes.Duplicates.size());
    }
    text += Lines(Totals(), duplicates, journals);
    for (const File& file : Files) {
        if (file.Outcome == File::Result::Failed)
            text += "Failed: " + file.Name + LogOf(file) + "\r\n";
        else if (file.Outcome == File::Result::Refused || file.Outcome == File::Result::Held)
            text += "Refused: " + file.Name + LogOf(file) + "\r\n";
        else if (file.Outcome == File::Result::Stopped)
            text += "To be continued: " + file.Name + "\r\n";
        else if (file.Counts.RowsRejected > 0)
            text += "Rows rejected: " + file.Name + " (" +
                    std::to_string(file.Counts.RowsRejected) + ")" + LogOf(file) + "\r\n";
    }
    return text;
}
