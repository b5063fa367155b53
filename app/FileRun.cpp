#include "app/FileRun.h"

#include "app/InputArchive.h"
#include "app/TF_INView.h"
#include "platform/ContentKey.h"
#include "platform/DbfTable.h"
#include "platform/FormatSettings.h"
#include "posting/ImportLedger.h"
#include "posting/PostingEngine.h"
#include "posting/PostingStopped.h"

#include <chrono>
#include <stdexcept>
#include <utility>

const char* const FileRun::EndOfImport = "OK - End of import";
const char* const FileRun::EndOfCheck = "OK - End of check";

namespace {

std::string Stamp(datetime::TDateTime when) {
    return FormatSettings::Default().FormatDateTime("yyyy.mm.dd. hh:nn:ss", when);
}

} // namespace

std::string FileRun::LedgerMissing(bool check, const std::string& why) {
    if (check)
        return "The bookkeeping tables INZ_FILE and INZ_ROW are missing (the first run creates "
               "them): the check cannot tell whether a file was posted before.";
    return "The bookkeeping tables INZ_FILE and INZ_ROW are missing and cannot be created (" + why +
           "): a run that is stopped cannot be resumed.";
}

FileRun::FileRun(Context context) : context_(std::move(context)) {}

FileRun::Outcome FileRun::Take(const std::string& folder, const std::string& name) {
    RunOutcome::File& file = outcome_.File;
    file.Name = name;
    file.Started = std::chrono::system_clock::now();
    try {
        if (!context_.Check) context_.Archive.Create();
        file.Key = context_.Ledger.Available() ? ContentKey::OfFile(folder + name) : std::string();
        if (Post(folder)) {
            if (context_.Check) {
                Finish(Result::Posted);
                WriteRunLog(true, EndOfCheck);
            } else {
                Archive();
            }
        }
    } catch (const PostingStopped& stop) {
        Stopped(stop);
    } catch (const std::exception& e) {
        Fail(e.what());
    }
    if (engineStarted_) {
        const PostingReport& report = context_.Engine.Report();
        file.Counts = report.Counts;
        file.Notes = report.Notes;
    }
    file.Ended = std::chrono::system_clock::now();
    return std::move(outcome_);
}

bool FileRun::Post(const std::string& folder) {
    RunOutcome::File& file = outcome_.File;
    DbfTable& table = context_.Table;
    table.Close();
    table.FolderName = folder;
    table.TableName = file.Name;
    table.Open();
    file.Rows = table.RecordCount();
    std::optional<FileProgress> from = FileProgress{};
    if (!file.Key.empty()) from = TakeUp(file.Rows);
    if (!from) return false;
    context_.View.SetProgressMax(file.Rows);
    context_.View.SetProgress(from->RowsDone > 0 ? from->RowsDone : 1);
    engineStarted_ = true;
    if (context_.Check)
        context_.Engine.Check(*from);
    else
        context_.Engine.Run(*from, file.Key.empty() ? nullptr : &context_.Ledger, file.Key);
    table.Close();
    return true;
}

std::optional<FileProgress> FileRun::TakeUp(int rows) {
    const RunOutcome::File& file = outcome_.File;
    ImportLedger& ledger = context_.Ledger;
    const std::optional<ImportLedger::Entry> found = ledger.Find(file.Key);
    bool again = false;
    if (found && found->Finished) {
        const std::string posted = "The same content as " + file.Name + " was posted on " +
                                   Stamp(found->Started) + " as " + found->Name;
        if (!AskRepost(posted)) {
            Fail(posted + "; it is not posted again.", Result::Refused);
            return std::nullopt;
        }
        again = true;
    } else if (found) {
        const std::optional<FileProgress> from = Continue(found->Progress, found->Started, rows);
        if (from && !context_.Check && !ledger.Resume(*found)) {
            LeaveAlone(file.Name + " is being posted by another import (the same content as " +
                       found->Name + "); it is left alone.");
            return std::nullopt;
        }
        if (from && !context_.Check && from->RowsDone > 0)
            resumeNote_ = "Resumed after row " + std::to_string(from->RowsDone) + " of " +
                          std::to_string(rows) + ": an earlier run started on " +
                          Stamp(found->Started) + " stopped there.\r\n";
        return from;
    }
    if (context_.Check) return FileProgress{};
    ImportLedger::Entry entry;
    entry.Key = file.Key;
    entry.Name = file.Name;
    entry.Type = context_.Type;
    entry.Rows = rows;
    if (!ledger.Begin(entry, again)) {
        LeaveAlone(file.Name + " is being posted by another import; it is left alone.");
        return std::nullopt;
    }
    return FileProgress{};
}

std::optional<FileProgress> FileRun::Continue(const FileProgress& progress, double started,
                                              int rows) {
    const std::string& name = outcome_.File.Name;
    if (progress.RowsDone > rows)
        throw std::runtime_error("The bookkeeping record of " + name + " says " +
                                 std::to_string(progress.RowsDone) +
                                 " rows are in, but the table has " + std::to_string(rows) +
                                 "; nothing of it is posted.");
    if (progress.Previous.HeaderId != 0 &&
        !context_.Ledger.HeaderExists(progress.Previous.HeaderId))
        throw std::runtime_error("The bookkeeping record of " + name +
                                 " names the voucher header " +
                                 std::to_string(progress.Previous.HeaderId) +
                                 ", which does not exist; nothing of it is posted.");
    // A check looks at the file without taking it up: a run may hold it, and the next one goes
    // on from here.
    if (context_.Check && progress.RowsDone > 0)
        resumeNote_ = "Checked after row " + std::to_string(progress.RowsDone) +
                      ", where an earlier run started on " + Stamp(started) + " stopped.\r\n";
    return progress;
}

bool FileRun::AskRepost(const std::string& posted) {
    // A check tells what a run that is not told to post it again does.
    if (context_.Check) return false;
    if (context_.RepostAnswer != Repost::Ask) return context_.RepostAnswer == Repost::Allow;
    return context_.View.ShowDialog(MessageKind("&Nem;&Igen"), posted + ". Post it again?",
                                    "&Nem;&Igen") == 2;
}

void FileRun::Archive() {
    const RunOutcome::File& file = outcome_.File;
    const InputArchive& archive = context_.Archive;
    const bool ledger = !file.Key.empty();
    // With the bookkeeping the log goes first: a stop before the input is moved leaves a file
    // that the next run takes up with nothing left to post, and archives with its log.
    if (ledger) {
        WriteRunLog(true, EndOfImport);
        if (!outcome_.RunGoesOn) return;
    }
    try {
        archive.StorePosted(file.Name);
    } catch (const std::exception& e) {
        // A posted input left in the exchange folder would be posted again by the next run.
        if (ledger) archive.RemoveLog(true, file.Name);
        outcome_.File.Log.clear();
        Fail(file.Name + " was posted, but could not be moved to " + archive.Folder() + "OK_" +
             file.Name + " (" + e.what() + "); it must not be imported again");
        return;
    }
    Finish(Result::Posted);
    if (!ledger) {
        WriteRunLog(true, EndOfImport);
        return;
    }
    try {
        context_.Ledger.Finish(file.Key, context_.Engine.Report().Counts);
    } catch (const std::exception&) {
        // Every row is in and the file archived; an unfinished record only means that the same
        // content, dropped again, is taken up with nothing left to post.
    }
}

void FileRun::Stopped(const PostingStopped& stop) {
    context_.Table.Close();
    const std::string& name = outcome_.File.Name;
    const std::string rows = std::to_string(stop.RowsIn);
    std::string failure = stop.what();
    if (context_.Check && stop.Requested) {
        Finish(Result::Stopped, failure);
        ShowError(failure + "\r\nThe check of " + name + " stopped after row " + rows +
                  "; nothing was posted.");
        outcome_.RunGoesOn = false;
        return;
    }
    // Nothing of the file is in: as with a database that is down from the start.
    if (context_.Check || (stop.RowsIn == 0 && !stop.Requested)) return Fail(failure);
    if (context_.Ledger.Available() || stop.RowsIn == 0) {
        Finish(Result::Stopped, failure);
        ShowError(failure + "\r\n" + name + " stopped after row " + rows + ": " + rows +
                  " of its rows are in. It stays in the exchange folder and the next run "
                  "continues after row " +
                  rows + ".");
        outcome_.RunGoesOn = false;
        return;
    }
    // Left in place, the file would be posted from its first row again.
    Fail(failure + "\r\n" + rows + " rows of " + name +
         " are in; without the bookkeeping tables the rest cannot be continued: post only the "
         "rows after row " +
         rows + ".");
    outcome_.RunGoesOn = false;
}

void FileRun::Fail(std::string failure, Result result) {
    const std::string& name = outcome_.File.Name;
    context_.Table.Close();
    if (!context_.Check) {
        const std::string kept = context_.Archive.StoreFailed(name);
        if (!kept.empty()) failure += "\r\n" + kept;
    }
    Finish(result, failure);
    ShowError(failure);
    WriteRunLog(false, failure);
}

void FileRun::LeaveAlone(const std::string& why) {
    Finish(Result::Held, why);
    ShowError(why);
}

void FileRun::Finish(Result result, const std::string& message) {
    outcome_.File.Outcome = result;
    outcome_.File.Message = message;
}

void FileRun::WriteRunLog(bool posted, const std::string& status) {
    const std::string& name = outcome_.File.Name;
    if (engineStarted_) outcome_.ErrorRecords = context_.Engine.Report().ErrorRecords;
    std::string log = name + "\r\n" + status + "\r\n\r\n" + outcome_.ErrorRecords + resumeNote_;
    if (!context_.LedgerNotice.empty()) log += context_.LedgerNotice + "\r\n";
    outcome_.Log = log;
    if (context_.Check) return;
    try {
        context_.Archive.WriteLog(posted, name, log);
        outcome_.File.Log = context_.Archive.LogPath(posted, name);
    } catch (const std::exception& e) {
        // Without its log a file's rejected rows go unseen; the next files would fare no better.
        EndRun(e.what());
    }
}

void FileRun::EndRun(const std::string& text) {
    outcome_.RunGoesOn = false;
    outcome_.RunFailure = text;
    ShowError(text);
}

void FileRun::ShowError(const std::string& text) {
    context_.View.ShowDialog(TMsgDlgType::mtError, ErrorText(context_.Sender, text), {});
}
