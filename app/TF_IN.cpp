#include "app/TF_IN.h"

#include "app/BankConversion.h"
#include "app/ImportType.h"
#include "app/PayrollConversion.h"
#include "db/DbError.h"
#include "platform/ContentKey.h"
#include "platform/FileSystem.h"
#include "platform/FolderLock.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"
#include "posting/PostingStopped.h"

#include <stdexcept>

namespace {

// Reading a line the parameters file does not have stops the start-up with this text.
const std::string& Line(const std::vector<std::string>& lines, size_t index) {
    if (index >= lines.size())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return lines[index];
}

const char* const kArchive = "in_arch\\";
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

// The queries find their SQL log folder through their owners up to the application object, so
// it must be known before they are built.
Component* RegisterApplication(Component* application) {
    TEQuery::Application = application;
    return application;
}

} // namespace

TF_IN::TF_IN(TF_INView& view, Component* application)
    : Component("F_IN", RegisterApplication(application)), Button1("Button1", this),
      DB1("DB1", this), TR1(DB1, "TR1", this), IB1(DB1, TR1, "IB1", this),
      IB2(DB1, TR1, "IB2", this), IB3(DB1, TR1, "IB3", this), IB4(DB1, TR1, "IB4", this),
      IB5(DB1, TR1, "IB5", this), EQ1("EQ1", this), EQ2("EQ2", this), EQ3("EQ3", this),
      EQ4("EQ4", this), EQ5("EQ5", this), SP1(DB1, TR1, "SP1", this), Dbf1("Dbf1", this),
      dbfWber("dbfWber", this), CmbTipText(ImportType::InitialText()),
      Engine(EQ1, EQ2, EQ3, EQ4, EQ5, SP1, TR1, Dbf1, view, RunReport, JournalNumbers),
      Ledger(DB1, TR1), view_(view) {
    DB1.DefaultTransaction = &TR1;
    EQ1.SetXQuery(&IB1);
    EQ2.SetXQuery(&IB2);
    EQ3.SetXQuery(&IB3);
    EQ4.SetXQuery(&IB4);
    EQ5.SetXQuery(&IB5);
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
    if (const ImportType* type = ImportType::ForText(text))
        SetWorkList(ListFiles(ExchangeFolder, type->Mask));
    else
        view_.ShowWorkList(Memo1);
}

std::string TF_IN::ListFiles(const std::string& folder, const std::string& mask) {
    std::string dir = text::Trim(folder);
    if (!dir.empty() && dir.back() == '\\') dir.pop_back();
    if (dir.empty()) return {};
    std::string result;
    for (const std::string& name : fs_win::ListEntries(dir, mask))
        if (name[0] != '.') result += name + "\r\n";
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
    view_.SetButtonsEnabled(false);
    view_.SetBusyCursor(true);
    try {
        RunFiles(sender);
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
    view_.SetBusyCursor(false);
    view_.SetButtonsEnabled(true);
    view_.FocusExitButton();
    SetWorkList(std::vector<std::string>{});
    view_.SetProgress(0);
    running_ = false;
}

void TF_IN::RunFiles(Component* sender) {
    const std::string archive = ExchangeFolder + kArchive;
    Dbf1.Close();
    Dbf1.FolderName = archive;
    Dbf1.TableName = kWorkTable;
    if (!fs_win::FileExists(archive + kWorkTable))
        ShowMsg(W1250("Nem létezik az IN_ARCH mappa vagy a benne levő FELADAS.DBF file-t"));
    if (Memo1.empty()) {
        view_.SetBusyCursor(false);
        ShowMsg(W1250("Nincs átveendő állomány!"));
        return;
    }
    // One run per exchange folder: a second one moves, posts and deletes nothing.
    std::optional<FolderLock> lock;
    try {
        if (!fs_win::ForceDirectories(archive))
            throw std::runtime_error("Cannot create folder " + archive);
        lock = FolderLock::TryAcquire(archive + kLockFile);
    } catch (const std::exception& e) {
        ShowErrMsg(sender, std::string(e.what()) + "; nothing is posted.");
        throw;
    }
    if (!lock) {
        lastRun_.Locked = true;
        ShowErrMsg(sender, "Another import is running on the exchange folder " + ExchangeFolder +
                               "; this run posts, moves and deletes nothing.");
        return;
    }
    // The run that held the folder until now may have archived some of the listed files.
    std::vector<std::string> present = Memo1;
    std::erase_if(present, [this](const std::string& name) {
        return !fs_win::FileExists(ExchangeFolder + name);
    });
    SetWorkList(std::move(present));
    if (Memo1.empty()) {
        view_.SetBusyCursor(false);
        ShowMsg(W1250("Nincs átveendő állomány!"));
        return;
    }
    const bool resumable = OpenLedger();
    if (CmbTipText.compare(0, 5, "BANK1") == 0) {
        BankConversion conversion(view_, Dbf1, ExchangeFolder);
        SetWorkList(conversion.Run(Memo1.front()));
    }
    if (!Memo1.empty() && text::UpperWin1250(Memo1.front()) == "FKBER.DBF") {
        PayrollConversion conversion(view_, Dbf1, dbfWber, ExchangeFolder);
        SetWorkList(conversion.Run(Memo1.front()));
    }
    bool allInOne = false;
    if (Memo1.size() >= 2)
        allInOne = ShowMsg(W1250("Minden feladást egy naplóba tegyek?!"), "&Igen;&Nem") == 1;
    Dbf1.Close();
    Dbf1.FolderName = ExchangeFolder;

    const std::vector<std::string> names = Memo1;
    for (const std::string& name : names) {
        view_.ProcessMessages();
        if (view_.StopRequested()) {
            lastRun_.Stopped = true;
            return;
        }
        Dbf1.TableName = name;
        // Each log carries only the records of its own file.
        RunReport.clear();
        resumeNote_.clear();
        try {
            PostFile(name, archive);
            ++lastRun_.FilesPosted;
        } catch (const FileLeftAlone& e) {
            ++lastRun_.FilesRefused;
            ShowErrMsg(sender, e.what());
        } catch (const FileRefused& e) {
            ++lastRun_.FilesRefused;
            FailFile(sender, name, archive, e.what());
        } catch (const PostingStopped& e) {
            Dbf1.Close();
            const std::string rows = std::to_string(e.RowsIn);
            if (e.RowsIn == 0 && !e.Requested) {
                // Nothing of the file is in: as with a database that is down from the start.
                ++lastRun_.FilesFailed;
                FailFile(sender, name, archive, e.what());
            } else if (!resumable) {
                // Left in place, the file would be posted from its first row again.
                ++lastRun_.FilesFailed;
                FailFile(sender, name, archive,
                         std::string(e.what()) + "\r\n" + rows + " rows of " + name +
                             " are in; without the bookkeeping tables the rest cannot be "
                             "continued: post only the rows after row " +
                             rows + ".");
                return;
            } else {
                lastRun_.Stopped = true;
                ShowErrMsg(sender, std::string(e.what()) + "\r\n" + name + " stopped after row " +
                                       rows + ": " + rows +
                                       " of its rows are in. It stays in the exchange folder "
                                       "and the next run continues after row " +
                                       rows + ".");
                return;
            }
        } catch (const std::exception& e) {
            ++lastRun_.FilesFailed;
            FailFile(sender, name, archive, e.what());
        }
        if (!allInOne) return;
    }
    view_.SetBusyCursor(false);
    ShowMsg(kEndOfImport);
}

void TF_IN::FailFile(Component* sender, const std::string& name, const std::string& archive,
                     const std::string& failure) {
    Dbf1.Close();
    fs_win::RenameFile(ExchangeFolder + name, archive + "Err_" + name);
    ShowErrMsg(sender, failure);
    WriteRunLog(archive + "Err_" + name + ".log", name, failure);
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
    ledgerNotice_ = "The bookkeeping tables INZ_FILE and INZ_REJECT are missing and cannot be "
                    "created (" +
                    why + "): a run that is stopped cannot be resumed.";
    ShowMsg(ledgerNotice_);
    return false;
}

FileProgress TF_IN::TakeUp(const std::string& name, const std::string& key, int rows) {
    ImportLedger::Entry entry{key, name, CmbTipText.substr(0, 5), rows};
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
        if (Ledger.HeldByOther(*found))
            throw FileLeftAlone(name + " is being posted by another import (the same content " +
                                "as " + found->Name + "); it is left alone.");
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
            throw FileLeftAlone(name + " was taken up by another import meanwhile; it is left "
                                       "alone.");
        if (progress.RowsDone > 0)
            resumeNote_ = "Resumed after row " + std::to_string(progress.RowsDone) + " of " +
                          std::to_string(rows) + ": an earlier run started on " +
                          Stamp(found->Started) + " stopped there.\r\n";
        return progress;
    }
    if (!Ledger.Begin(entry, again))
        throw FileLeftAlone(name + " was taken up by another import meanwhile; it is left alone.");
    return {};
}

void TF_IN::PostFile(const std::string& name, const std::string& archive) {
    if (!fs_win::ForceDirectories(archive))
        throw std::runtime_error("Cannot create folder " + archive);
    const std::string key =
        Ledger.Available() ? ContentKey::OfFile(ExchangeFolder + name) : std::string();
    Dbf1.Open();
    const int rows = Dbf1.RecordCount();
    const FileProgress from = Ledger.Available() ? TakeUp(name, key, rows) : FileProgress{};
    view_.SetProgressMax(rows);
    view_.SetProgress(from.RowsDone > 0 ? from.RowsDone : 1);
    Engine.Run(from, Ledger.Available() ? &Ledger : nullptr, key);
    Dbf1.Close();
    if (fs_win::FileExists(archive + "OK_" + name)) fs_win::DeleteFile(archive + "OK_" + name);
    // A posted input left in the exchange folder would be posted again by the next run.
    if (!fs_win::RenameFile(ExchangeFolder + name, archive + "OK_" + name))
        throw std::runtime_error(name + " was posted, but could not be moved to " + archive +
                                 "OK_" + name + "; it must not be imported again");
    WriteRunLog(archive + "OK_" + name + ".log", name, kEndOfImport);
    try {
        if (Ledger.Available()) Ledger.Finish(key);
    } catch (const std::exception&) {
        // Every row is in and the file archived; an unfinished record only means that the same
        // content, dropped again, is taken up with nothing left to post.
    }
}

void TF_IN::WriteRunLog(const std::string& path, const std::string& name,
                        const std::string& status) {
    Memo2 = name + "\r\n" + status + "\r\n\r\n" + RunReport + resumeNote_;
    if (!ledgerNotice_.empty()) Memo2 += ledgerNotice_ + "\r\n";
    view_.ShowLog(Memo2);
    fs_win::WriteText(path, Memo2);
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
