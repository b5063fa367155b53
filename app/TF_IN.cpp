#include "app/TF_IN.h"

#include "app/BankConversion.h"
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

#include <stdexcept>

namespace {

// Reading a line the parameters file does not have stops the start-up with this text.
const std::string& Line(const std::vector<std::string>& lines, size_t index) {
    if (index >= lines.size())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return lines[index];
}

const char* const kWorkTable = "Feladas.dbf";
const char* const kEndOfImport = "OK - End of import";
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

} // namespace

TF_IN::TF_IN(TF_INView& view, Component* application)
    : Component("F_IN", application), Button1("Button1", this), DB1("DB1", this),
      TR1(DB1, "TR1", this), SqlLog(application), Posting(DB1, TR1, this, &SqlLog),
      IB1(Posting.JournalQuery), IB2(Posting.LookupQuery), IB3(Posting.DuplicateQuery),
      IB4(Posting.GroupQuery), IB5(Posting.VatQuery), EQ1(Posting.Journals), EQ2(Posting.Lookups),
      EQ3(Posting.Duplicates), EQ4(Posting.Groups), EQ5(Posting.VatAccount),
      SP1(Posting.Identifiers), Dbf1("Dbf1", this), dbfWber("dbfWber", this),
      CmbTipText(ImportType::InitialText()), Engine(Posting, Dbf1, view, RunReport, JournalNumbers),
      Ledger(DB1, TR1), view_(view) {
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
    // The program was called with a drive path; whatever the drive, it reads from c:\.
    // An absolute host path is taken as it is, so the program can be started on this system.
    std::string paramsFile =
        !arg.empty() && arg[0] == '/' ? arg : "c:\\" + (arg.size() > 3 ? arg.substr(3) : "");
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
    if (running_) return;
    running_ = true;
    lastRun_ = {};
    const std::vector<std::string> notices = InputNotices();
    view_.SetButtonsEnabled(false);
    view_.SetBusyCursor(true);
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
    // What a process stopped midway was writing is of no use to anyone.
    fs_win::RemoveUnfinishedWrites(CheckedPath(ExchangeFolder));
    fs_win::RemoveUnfinishedWrites(CheckedPath(ExchangeFolder).Find("in_arch"));
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

    for (const std::string& listed : names) {
        view_.ProcessMessages();
        if (view_.StopRequested()) {
            lastRun_.Stopped = true;
            return;
        }
        std::string name = listed;
        if (!converted.empty() && name != converted) {
            if (!Convert(sender, name, converted)) return;
            name = converted;
        }
        if (!HandleFile(sender, name, archive)) return;
        if (!allInOne) return;
    }
    view_.SetBusyCursor(false);
    ShowMsg(kEndOfImport);
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

bool TF_IN::Convert(Component* sender, const std::string& source, const std::string& output) {
    if (ConvertedTableLeft(output)) {
        // It was not archived, so its postings are not known to be in: it must not be replaced.
        EndRun(sender, W1250("A(z) ") + output +
                           W1250(" egy előző futásból maradt és nem archiválható, ezért a(z) ") +
                           source + W1250(" nem kerül átalakításra; mindkettő a helyén marad."));
        return false;
    }
    if (output == BankConversion::Output)
        SetWorkList(BankConversion(view_, Dbf1, ExchangeFolder).Run(source));
    else
        SetWorkList(PayrollConversion(view_, Dbf1, dbfWber, ExchangeFolder).Run(source));
    return true;
}

bool TF_IN::HandleFile(Component* sender, const std::string& name, const InputArchive& archive) {
    // Each log carries only the records of its own file.
    RunReport.clear();
    resumeNote_.clear();
    std::string failure;
    bool refused = false, endRun = false;
    try {
        archive.Create();
        const std::string key =
            Ledger.Available() ? ContentKey::OfFile(ExchangeFolder + name) : std::string();
        PostFile(name, key);
        return Archive(sender, archive, name, key);
    } catch (const FileLeftAlone& e) {
        ++lastRun_.FilesRefused;
        ShowErrMsg(sender, e.what());
        return true;
    } catch (const FileRefused& e) {
        refused = true;
        failure = e.what();
    } catch (const PostingStopped& e) {
        Dbf1.Close();
        failure = e.what();
        if (e.RowsIn > 0 || e.Requested) {
            const std::string rows = std::to_string(e.RowsIn);
            if (Ledger.Available() || e.RowsIn == 0) {
                lastRun_.Stopped = true;
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
    ++(refused ? lastRun_.FilesRefused : lastRun_.FilesFailed);
    Dbf1.Close();
    const std::string kept = archive.StoreFailed(name);
    if (!kept.empty()) failure += "\r\n" + kept;
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
        ++lastRun_.FilesFailed;
        if (!key.empty()) archive.RemoveLog(true, name);
        std::string failure = name + " was posted, but could not be moved to " + archive.Folder() +
                              "OK_" + name + " (" + e.what() + "); it must not be imported again";
        const std::string kept = archive.StoreFailed(name);
        if (!kept.empty()) failure += "\r\n" + kept;
        ShowErrMsg(sender, failure);
        return WriteRunLog(sender, archive, false, name, failure);
    }
    ++lastRun_.FilesPosted;
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
        if (Ledger.Open(why)) return true;
    } catch (const std::exception&) {
        // The database cannot be reached: every file fails as it always did.
        return false;
    }
    ledgerNotice_ = "The bookkeeping tables INZ_FILE and INZ_ROW are missing and cannot be "
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
        const bool repost = RepostAnswer == Repost::Allow ||
                            (RepostAnswer == Repost::Ask &&
                             ShowMsg(posted + ". Post it again?", "&Nem;&Igen") == 2);
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
        if (!Ledger.Resume(*found))
            throw FileLeftAlone(name + " is being posted by another import (the same content " +
                                "as " + found->Name + "); it is left alone.");
        if (progress.RowsDone > 0)
            resumeNote_ = "Resumed after row " + std::to_string(progress.RowsDone) + " of " +
                          std::to_string(rows) + ": an earlier run started on " +
                          Stamp(found->Started) + " stopped there.\r\n";
        return progress;
    }
    if (!Ledger.Begin(entry, again))
        throw FileLeftAlone(name + " is being posted by another import; it is left alone.");
    return {};
}

void TF_IN::PostFile(const std::string& name, const std::string& key) {
    Dbf1.Close();
    Dbf1.FolderName = ExchangeFolder;
    Dbf1.TableName = name;
    Dbf1.Open();
    const int rows = Dbf1.RecordCount();
    const FileProgress from = key.empty() ? FileProgress{} : TakeUp(name, key, rows);
    view_.SetProgressMax(rows);
    view_.SetProgress(from.RowsDone > 0 ? from.RowsDone : 1);
    Engine.Run(from, key.empty() ? nullptr : &Ledger, key);
    Dbf1.Close();
}

bool TF_IN::WriteRunLog(Component* sender, const InputArchive& archive, bool posted,
                        const std::string& name, const std::string& status) {
    Memo2 = name + "\r\n" + status + "\r\n\r\n" + RunReport + resumeNote_;
    if (!ledgerNotice_.empty()) Memo2 += ledgerNotice_ + "\r\n";
    view_.ShowLog(Memo2);
    try {
        archive.WriteLog(posted, name, Memo2);
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
