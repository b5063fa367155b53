#include "app/TF_IN.h"

#include "app/BankConversion.h"
#include "app/CheckFolder.h"
#include "app/ImportType.h"
#include "app/InputListing.h"
#include "app/PayrollConversion.h"
#include "platform/CheckedPath.h"
#include "platform/ContentKey.h"
#include "platform/FileSystem.h"
#include "platform/FolderLock.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"
#include "platform/WriteError.h"
#include "posting/PostingStopped.h"

#include <cctype>
#include <chrono>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <utility>

namespace {

// Reading a line the parameters file does not have stops the start-up with this text.
const std::string& Line(const std::vector<std::string>& lines, size_t index) {
    if (index >= lines.size())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return lines[index];
}

const char* const kWorkTable = "Feladas.dbf";
const char* const kEndOfImport = "OK - End of import";
const char* const kEndOfCheck = "OK - End of check";
const char* const kLockFile = "InZEFOR.lock";

// A file that this run leaves where it is, untouched: another import has taken it up.
class FileLeftAlone : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file whose content was posted in full before; it takes the error path.
class FileRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string Stamp(datetime::TDateTime when) {
    return FormatSettings::Default().FormatDateTime("yyyy.mm.dd. hh:nn:ss", when);
}

RunOutcome::Time Now() {
    return std::chrono::system_clock::now();
}

// A check writes no SQL log: the posting queries log nowhere while it runs.
class SqlLogOff {
public:
    SqlLogOff(PostingQueries& queries, bool off) {
        if (!off) return;
        for (TEQuery* query : {&queries.Journals, &queries.Lookups, &queries.Duplicates,
                               &queries.Groups, &queries.VatAccount})
            saved_.emplace_back(query, std::exchange(query->LogFolder, std::string()));
    }
    ~SqlLogOff() {
        for (auto& [query, folder] : saved_)
            query->LogFolder = folder;
    }
    SqlLogOff(const SqlLogOff&) = delete;
    SqlLogOff& operator=(const SqlLogOff&) = delete;

private:
    std::vector<std::pair<TEQuery*, std::string>> saved_;
};

} // namespace

TF_IN::TF_IN(TF_INView& view, Component* application)
    : Component("F_IN", application), Button1("Button1", this), Button3("Button3", this),
      DB1("DB1", this), TR1(DB1, "TR1", this), SqlLog(application),
      Posting(DB1, TR1, this, &SqlLog), IB1(Posting.JournalQuery), IB2(Posting.LookupQuery),
      IB3(Posting.DuplicateQuery), IB4(Posting.GroupQuery), IB5(Posting.VatQuery),
      EQ1(Posting.Journals), EQ2(Posting.Lookups), EQ3(Posting.Duplicates), EQ4(Posting.Groups),
      EQ5(Posting.VatAccount), SP1(Posting.Identifiers), Dbf1("Dbf1", this),
      dbfWber("dbfWber", this), CmbTipText(ImportType::InitialText()),
      Engine(Posting, Dbf1, view, RunReport, JournalNumbers), Ledger(DB1, TR1), view_(view) {
    DB1.DefaultTransaction = &TR1;
}

TF_IN::~TF_IN() = default;

void TF_IN::FormCreate(const std::string& exePath) {
    ExePath = exePath;
}

TF_IN::StartResult TF_IN::FormActivate(const std::vector<std::string>& args, bool actOnRunWord) {
    if (activated_) return StartResult::Started;
    activated_ = true;

    if (args.empty()) {
        view_.MessageBox("Parameters error");
        view_.Close();
        return StartResult::Closed;
    }
    const std::string& arg = args.front();
    // A drive path is read from c:\ whatever the drive; an absolute host path is taken as it is;
    // anything else is relative to the working folder (the rule for drive paths would cut its
    // first three characters off).
    const bool drivePath = arg.size() >= 3 && std::isalpha(static_cast<unsigned char>(arg[0])) &&
                           arg[1] == ':' && (arg[2] == '\\' || arg[2] == '/');
    std::error_code noFolder;
    const std::string here = std::filesystem::current_path(noFolder).string();
    std::string paramsFile = drivePath                       ? "c:\\" + arg.substr(3)
                             : !arg.empty() && arg[0] == '/' ? arg
                             : here.empty()                  ? arg
                                                             : here + "/" + arg;
    if (!fs_win::FileExists(paramsFile)) {
        view_.MessageBox(W1250("ParametersFile error! A(z) ") + paramsFile +
                         W1250(" file nem létezik!"));
        view_.Close();
        return StartResult::Closed;
    }

    try {
        std::vector<std::string> lines = fs_win::ReadLines(paramsFile);
        view_.ShowDatabaseText(Line(lines, 0));
        ExchangeFolder = text::Trim(Line(lines, 1));
        view_.ShowExchangeFolder(ExchangeFolder);
        SetWorkList(ListFiles(ExchangeFolder, "feladas*.dbf"));
        view_.ShowDatabaseName(text::Trim(Line(lines, 2)));
        if (DB1.Connected()) DB1.Disconnect();
        DB1.DatabaseName = Line(lines, 2);
        runWord_ = text::Trim(Line(lines, 3));
        if (lines.size() > 4) {
            DB1.Params.assign(lines.begin() + 4, lines.end());
            std::string exe = ExePath;
            for (char& c : exe)
                if (c == '/') c = '\\';
            if (text::LowerWin1250(exe).find("\\d_projects\\_zefor") == std::string::npos)
                fs_win::DeleteFile(paramsFile);
        }
    } catch (const std::exception& e) {
        view_.MessageBox(e.what());
        return StartResult::Failed;
    }
    view_.ProcessMessages();

    if (!Memo1.empty()) {
        try {
            DB1.Connect();
        } catch (const std::exception& e) {
            ShowErrMsg(this, e.what());
        }
        if (actOnRunWord && runWord_ == "start") {
            view_.Minimize();
            view_.ProcessMessages();
            Button1Click(this);
        }
    }
    return StartResult::Started;
}

void TF_IN::CmbTipChange(const std::string& text) {
    CmbTipText = text;
    Memo1.clear();
    const ImportType* type = ImportType::ForText(text);
    if (!type) {
        view_.ShowWorkList(Memo1);
        return;
    }
    std::vector<std::string> names = text::SplitLines(ListFiles(ExchangeFolder, type->Mask));
    // A converted table an earlier run left behind is the type's next file.
    if (!type->Converted.empty() && ConvertedTableLeft(type->Converted))
        names.insert(names.begin(), type->Converted);
    SetWorkList(std::move(names));
}

std::string TF_IN::ListFiles(const std::string& folder, const std::string& mask) {
    const InputListing listing(folder, mask);
    std::string result;
    for (const std::string& name : listing.Names())
        result += name + "\r\n";
    return result;
}

int TF_IN::ShowMsg(const std::string& text, const std::string& buttons) {
    return view_.ShowDialog(MessageKind(buttons), text, buttons);
}

int TF_IN::ShowErrMsg(const Component* sender, const std::string& text,
                      const std::string& buttons) {
    return view_.ShowDialog(TMsgDlgType::mtError, ErrorText(sender, text), buttons);
}

void TF_IN::SetWorkList(const std::string& listText) {
    SetWorkList(text::SplitLines(listText));
}

void TF_IN::SetWorkList(std::vector<std::string> lines) {
    Memo1 = std::move(lines);
    view_.ShowWorkList(Memo1);
}

void TF_IN::Button1Click(Component* sender) {
    Run(sender, false);
}

void TF_IN::Button3Click(Component* sender) {
    Run(sender, true);
}

void TF_IN::Run(Component* sender, bool check) {
    if (running_) return;
    running_ = true;
    check_ = check;
    lastRun_ = {};
    lastRun_.Check = check;
    if (const ImportType* type = ImportType::ForText(CmbTipText)) lastRun_.Type = type->Code;
    lastRun_.Started = Now();
    const std::vector<std::string> notices = InputNotices();
    view_.SetButtonsEnabled(false);
    view_.SetBusyCursor(true);
    const SqlLogOff noSqlLog(Posting, check);
    // A connection the server cut during an earlier run is let go: this one connects anew.
    if (DB1.Lost()) DB1.Disconnect();
    try {
        RunFiles(sender);
    } catch (const WriteError& e) {
        // A disk that cannot take the run's files is for the operator to see.
        EndRun(sender, e.what());
    } catch (const std::exception& e) {
        // Outside the per-file guard a failure ends the run without a message.
        lastRun_.EndedEarly = true;
        lastRun_.Failure = e.what();
    }
    try {
        if (TR1.InTransaction()) TR1.Commit();
    } catch (const std::exception& e) {
        lastRun_.EndedEarly = true;
        lastRun_.Failure = e.what();
    }
    try {
        // A file stopped midway is free for whichever run comes next.
        Ledger.Release();
    } catch (const std::exception&) {
        // Only a lost connection fails to let go, and it holds nothing any more.
    }
    // Told once the run is over, so that no file's log covers them.
    for (const std::string& notice : notices)
        view_.ShowNotice(notice);
    view_.SetBusyCursor(false);
    view_.SetButtonsEnabled(true);
    view_.FocusExitButton();
    SetWorkList(std::vector<std::string>{});
    view_.SetProgress(0);
    view_.ShowFile(0, 0, {});
    lastRun_.Ended = Now();
    running_ = false;
}

void TF_IN::RunFiles(Component* sender) {
    const InputArchive archive(ExchangeFolder);
    Dbf1.Close();
    Dbf1.FolderName = archive.Folder();
    Dbf1.TableName = kWorkTable;
    if (!fs_win::FileExists(archive.Folder() + kWorkTable))
        ShowMsg(W1250("Nem létezik az IN_ARCH mappa vagy a benne levő FELADAS.DBF file-t"));
    if (Memo1.empty()) {
        view_.SetBusyCursor(false);
        ShowMsg(W1250("Nincs átveendő állomány!"));
        return;
    }
    // One run per exchange folder: a second one moves, posts and deletes nothing.
    std::optional<FolderLock> lock;
    try {
        archive.Create();
        lock = FolderLock::TryAcquire(archive.Folder() + kLockFile);
    } catch (const std::exception& e) {
        EndRun(sender, std::string(e.what()) + "; nothing is posted.");
        return;
    }
    if (!lock) {
        lastRun_.Locked = true;
        ShowErrMsg(sender, "Another import is running on the exchange folder " + ExchangeFolder +
                               "; this run posts, moves and deletes nothing.");
        return;
    }
    if (!check_) {
        // What a process stopped midway was writing is of no use to anyone.
        fs_win::RemoveUnfinishedWrites(CheckedPath(ExchangeFolder));
        fs_win::RemoveUnfinishedWrites(CheckedPath(ExchangeFolder).Find("in_arch"));
    }
    // The run that held the folder until now may have archived some of the listed files.
    std::vector<std::string> present = Memo1;
    std::erase_if(present, [this](const std::string& name) {
        return !fs_win::IsFile(CheckedPath(ExchangeFolder).Entry(name));
    });
    SetWorkList(std::move(present));
    if (Memo1.empty()) {
        view_.SetBusyCursor(false);
        ShowMsg(W1250("Nincs átveendő állomány!"));
        return;
    }
    OpenLedger();
    const std::string converted = ConversionOutput();
    const std::vector<std::string> names = converted.empty() ? Memo1 : ConversionList(converted);
    bool allInOne = false;
    if (names.size() >= 2)
        allInOne = ShowMsg(W1250("Minden feladást egy naplóba tegyek?!"), "&Igen;&Nem") == 1;

    fileCount_ = allInOne ? static_cast<int>(names.size()) : 1;
    fileNumber_ = 0;
    // Where a check converts, for as long as it posts what it converted.
    std::optional<CheckFolder> checkFolder;
    for (const std::string& listed : names) {
        view_.ProcessMessages();
        if (view_.StopRequested()) {
            lastRun_.Stopped = true;
            return;
        }
        ++fileNumber_;
        std::string name = listed;
        std::string folder = ExchangeFolder;
        if (!converted.empty() && name != converted) {
            view_.ShowFile(fileNumber_, fileCount_, name);
            if (check_ && !checkFolder) checkFolder.emplace(ExchangeFolder);
            if (checkFolder) folder = checkFolder->Folder();
            if (!Convert(sender, name, converted, checkFolder ? folder : std::string())) return;
            name = converted;
        }
        const bool goOn = HandleFile(sender, name, archive, folder);
        if (name != listed) lastRun_.Files.back().Source = listed;
        if (!goOn) return;
        if (!allInOne) break;
    }
    // A check always ends with what it found; a run with one file handled ends with its log.
    if (!allInOne && !check_) return;
    view_.SetBusyCursor(false);
    lastRun_.Completed = true;
    ShowMsg(std::string(check_ ? kEndOfCheck : kEndOfImport) + "\r\n" + lastRun_.Summary());
}

std::string TF_IN::ConversionOutput() const {
    if (CmbTipText.compare(0, 5, "BANK1") == 0) return BankConversion::Output;
    for (const std::string& name : Memo1)
        if (name != PayrollConversion::Output)
            return text::UpperWin1250(name) == "FKBER.DBF" ? PayrollConversion::Output : "";
    return {};
}

bool TF_IN::ConvertedTableLeft(const std::string& output) const {
    if (text::Trim(ExchangeFolder).empty()) return false;
    try {
        return fs_win::IsFile(CheckedPath(ExchangeFolder).Entry(output));
    } catch (const std::runtime_error&) {
        return false; // a link of that name is none of ours; nothing is written over it either
    }
}

std::vector<std::string> TF_IN::ConversionList(const std::string& output) const {
    std::vector<std::string> names;
    if (ConvertedTableLeft(output)) names.push_back(output);
    for (const std::string& name : Memo1)
        if (name != output) {
            names.push_back(name);
            break;
        }
    return names;
}

bool TF_IN::Convert(Component* sender, const std::string& source, const std::string& output,
                    const std::string& checkFolder) {
    // A check leaves the table an earlier run left where it is and converts elsewhere.
    if (checkFolder.empty() && ConvertedTableLeft(output)) {
        // It was not archived, so its postings are not known to be in: it must not be replaced.
        EndRun(sender, W1250("A(z) ") + output +
                           W1250(" egy előző futásból maradt és nem archiválható, ezért a(z) ") +
                           source + W1250(" nem kerül átalakításra; mindkettő a helyén marad."));
        return false;
    }
    if (output == BankConversion::Output) {
        BankConversion conversion(view_, Dbf1, ExchangeFolder);
        conversion.CheckInto = checkFolder;
        SetWorkList(conversion.Run(source));
    } else {
        PayrollConversion conversion(view_, Dbf1, dbfWber, ExchangeFolder);
        conversion.CheckInto = checkFolder;
        SetWorkList(conversion.Run(source));
    }
    return true;
}

bool TF_IN::HandleFile(Component* sender, const std::string& name, const InputArchive& archive,
                       const std::string& folder) {
    // Each log carries only the records of its own file.
    RunReport.clear();
    resumeNote_.clear();
    file_ = &lastRun_.Files.emplace_back();
    file_->Name = name;
    file_->Started = Now();
    engineStarted_ = logMade_ = false;
    view_.ShowFile(fileNumber_, fileCount_, name);

    const bool goOn = PostAndArchive(sender, name, archive, folder);

    if (engineStarted_) {
        file_->Counts = Engine.Progress().Counts;
        file_->Notes = Engine.Notes();
    }
    file_->Ended = Now();
    // The log pane: the file's log as written (or what stopped it), then what it did.
    const std::string log = logMade_ ? Memo2 : name + "\r\n" + file_->Message + "\r\n\r\n";
    view_.ShowLog(log + lastRun_.FileReport(*file_));
    file_ = nullptr;
    return goOn;
}

void TF_IN::Finished(RunOutcome::File::Result result, const std::string& message) {
    using Result = RunOutcome::File::Result;
    file_->Outcome = result;
    file_->Message = message;
    if (result == Result::Posted) ++lastRun_.FilesPosted;
    if (result == Result::Failed) ++lastRun_.FilesFailed;
    if (result == Result::Refused) ++lastRun_.FilesRefused;
    if (result == Result::Stopped) lastRun_.Stopped = true;
}

bool TF_IN::PostAndArchive(Component* sender, const std::string& name, const InputArchive& archive,
                           const std::string& folder) {
    using Result = RunOutcome::File::Result;
    std::string failure;
    bool refused = false, endRun = false;
    try {
        if (!check_) archive.Create();
        file_->Key = Ledger.Available() ? ContentKey::OfFile(folder + name) : std::string();
        PostFile(folder, name, file_->Key);
        if (!check_) return Archive(sender, archive, name, file_->Key);
        Finished(Result::Posted);
        return WriteRunLog(sender, archive, true, name, kEndOfCheck);
    } catch (const FileLeftAlone& e) {
        Finished(Result::Refused, e.what());
        ShowErrMsg(sender, e.what());
        return true;
    } catch (const FileRefused& e) {
        refused = true;
        failure = e.what();
    } catch (const PostingStopped& e) {
        Dbf1.Close();
        failure = e.what();
        const std::string rows = std::to_string(e.RowsIn);
        if (check_ && e.Requested) {
            Finished(Result::Stopped, failure);
            ShowErrMsg(sender, failure + "\r\nThe check of " + name + " stopped after row " + rows +
                                   "; nothing was posted.");
            return false;
        }
        if (!check_ && (e.RowsIn > 0 || e.Requested)) {
            if (Ledger.Available() || e.RowsIn == 0) {
                Finished(Result::Stopped, failure);
                ShowErrMsg(sender, failure + "\r\n" + name + " stopped after row " + rows + ": " +
                                       rows +
                                       " of its rows are in. It stays in the exchange folder "
                                       "and the next run continues after row " +
                                       rows + ".");
                return false;
            }
            // Left in place, the file would be posted from its first row again.
            failure += "\r\n" + rows + " rows of " + name +
                       " are in; without the bookkeeping tables the rest cannot be continued: "
                       "post only the rows after row " +
                       rows + ".";
            endRun = true;
        }
        // Nothing of the file is in: as with a database that is down from the start.
    } catch (const std::exception& e) {
        failure = e.what();
    }
    Dbf1.Close();
    if (!check_) {
        const std::string kept = archive.StoreFailed(name);
        if (!kept.empty()) failure += "\r\n" + kept;
    }
    Finished(refused ? Result::Refused : Result::Failed, failure);
    ShowErrMsg(sender, failure);
    return WriteRunLog(sender, archive, false, name, failure) && !endRun;
}

bool TF_IN::Archive(Component* sender, const InputArchive& archive, const std::string& name,
                    const std::string& key) {
    // With the bookkeeping the log goes first: a stop before the input is moved leaves a file
    // that the next run takes up with nothing left to post, and archives with its log.
    if (!key.empty() && !WriteRunLog(sender, archive, true, name, kEndOfImport)) return false;
    try {
        archive.StorePosted(name);
    } catch (const std::exception& e) {
        // A posted input left in the exchange folder would be posted again by the next run.
        if (!key.empty()) archive.RemoveLog(true, name);
        file_->Log.clear();
        std::string failure = name + " was posted, but could not be moved to " + archive.Folder() +
                              "OK_" + name + " (" + e.what() + "); it must not be imported again";
        const std::string kept = archive.StoreFailed(name);
        if (!kept.empty()) failure += "\r\n" + kept;
        Finished(RunOutcome::File::Result::Failed, failure);
        ShowErrMsg(sender, failure);
        return WriteRunLog(sender, archive, false, name, failure);
    }
    Finished(RunOutcome::File::Result::Posted);
    if (key.empty()) return WriteRunLog(sender, archive, true, name, kEndOfImport);
    try {
        Ledger.Finish(key, Engine.Progress().Counts);
    } catch (const std::exception&) {
        // Every row is in and the file archived; an unfinished record only means that the same
        // content, dropped again, is taken up with nothing left to post.
    }
    return true;
}

bool TF_IN::OpenLedger() {
    ledgerNotice_.clear();
    std::string why;
    try {
        // A check creates nothing, the bookkeeping tables neither.
        if (Ledger.Open(why, !check_)) {
            ledgerNotice_ = Ledger.Shortfall();
            if (!ledgerNotice_.empty()) ShowMsg(ledgerNotice_);
            return true;
        }
    } catch (const std::exception&) {
        // The database cannot be reached: every file fails as it always did.
        return false;
    }
    ledgerNotice_ = check_
                        ? "The bookkeeping tables INZ_FILE and INZ_ROW are missing (the first "
                          "run creates them): the check cannot tell whether a file was "
                          "posted before."
                        : "The bookkeeping tables INZ_FILE and INZ_ROW are missing and cannot be "
                          "created (" +
                              why + "): a run that is stopped cannot be resumed.";
    ShowMsg(ledgerNotice_);
    return false;
}

FileProgress TF_IN::TakeUp(const std::string& name, const std::string& key, int rows) {
    ImportLedger::Entry entry;
    entry.Key = key;
    entry.Name = name;
    entry.Type = CmbTipText.substr(0, 5);
    entry.Rows = rows;
    std::optional<ImportLedger::Entry> found = Ledger.Find(key);
    bool again = false;
    if (found && found->Finished) {
        const std::string posted = "The same content as " + name + " was posted on " +
                                   Stamp(found->Started) + " as " + found->Name;
        // A check tells what a run that is not told to post it again does.
        const bool repost = !check_ && (RepostAnswer == Repost::Allow ||
                                        (RepostAnswer == Repost::Ask &&
                                         ShowMsg(posted + ". Post it again?", "&Nem;&Igen") == 2));
        if (!repost) throw FileRefused(posted + "; it is not posted again.");
        again = true;
    } else if (found) {
        const FileProgress& progress = found->Progress;
        if (progress.RowsDone > rows)
            throw std::runtime_error("The bookkeeping record of " + name + " says " +
                                     std::to_string(progress.RowsDone) +
                                     " rows are in, but the table has " + std::to_string(rows) +
                                     "; nothing of it is posted.");
        if (progress.Previous.HeaderId != 0 && !Ledger.HeaderExists(progress.Previous.HeaderId))
            throw std::runtime_error("The bookkeeping record of " + name +
                                     " names the voucher header " +
                                     std::to_string(progress.Previous.HeaderId) +
                                     ", which does not exist; nothing of it is posted.");
        if (check_) {
            // Looked at, not taken up: a run may hold it, and the next one goes on from here.
            if (progress.RowsDone > 0)
                resumeNote_ = "Checked after row " + std::to_string(progress.RowsDone) +
                              ", where an earlier run started on " + Stamp(found->Started) +
                              " stopped.\r\n";
            return progress;
        }
        if (!Ledger.Resume(*found))
            throw FileLeftAlone(name + " is being posted by another import (the same content " +
                                "as " + found->Name + "); it is left alone.");
        if (progress.RowsDone > 0)
            resumeNote_ = "Resumed after row " + std::to_string(progress.RowsDone) + " of " +
                          std::to_string(rows) + ": an earlier run started on " +
                          Stamp(found->Started) + " stopped there.\r\n";
        return progress;
    }
    if (check_) return {};
    if (!Ledger.Begin(entry, again))
        throw FileLeftAlone(name + " is being posted by another import; it is left alone.");
    return {};
}

void TF_IN::PostFile(const std::string& folder, const std::string& name, const std::string& key) {
    Dbf1.Close();
    Dbf1.FolderName = folder;
    Dbf1.TableName = name;
    Dbf1.Open();
    const int rows = Dbf1.RecordCount();
    file_->Rows = rows;
    const FileProgress from = key.empty() ? FileProgress{} : TakeUp(name, key, rows);
    view_.SetProgressMax(rows);
    view_.SetProgress(from.RowsDone > 0 ? from.RowsDone : 1);
    engineStarted_ = true;
    if (check_)
        Engine.Check(from);
    else
        Engine.Run(from, key.empty() ? nullptr : &Ledger, key);
    Dbf1.Close();
}

bool TF_IN::WriteRunLog(Component* sender, const InputArchive& archive, bool posted,
                        const std::string& name, const std::string& status) {
    Memo2 = name + "\r\n" + status + "\r\n\r\n" + RunReport + resumeNote_;
    if (!ledgerNotice_.empty()) Memo2 += ledgerNotice_ + "\r\n";
    logMade_ = true;
    if (check_) return true;
    try {
        archive.WriteLog(posted, name, Memo2);
        file_->Log = archive.LogPath(posted, name);
        return true;
    } catch (const std::exception& e) {
        // Without its log a file's rejected rows go unseen; the next files would fare no better.
        EndRun(sender, e.what());
        return false;
    }
}

void TF_IN::EndRun(Component* sender, const std::string& text) {
    lastRun_.EndedEarly = true;
    lastRun_.Failure = text;
    ShowErrMsg(sender, text);
}

std::vector<std::string> TF_IN::InputNotices() const {
    const ImportType* type = ImportType::ForText(CmbTipText);
    return type ? InputListing(ExchangeFolder, type->Mask).Notices() : std::vector<std::string>{};
}

void TF_IN::FormClose() {
    try {
        if (TR1.InTransaction()) TR1.Commit();
    } catch (...) {
        DB1.Disconnect();
        throw;
    }
    DB1.Disconnect();
}
