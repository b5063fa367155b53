#include "app/TF_IN.h"

#include "app/BankConversion.h"
#include "app/CheckFolder.h"
#include "app/ConversionPlan.h"
#include "app/FileRun.h"
#include "app/ImportType.h"
#include "app/InputListing.h"
#include "app/PayrollConversion.h"
#include "app/SqlLogOff.h"
#include "platform/CheckedPath.h"
#include "platform/FileSystem.h"
#include "platform/FolderLock.h"
#include "platform/Text.h"
#include "platform/WriteError.h"

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
const char* const kLockFile = "InZEFOR.lock";

} // namespace

TF_IN::TF_IN(TF_INView& view, Component* application)
    : Component("F_IN", application), Button1("Button1", this), Button3("Button3", this),
      DB1("DB1", this), TR1(DB1, "TR1", this), SqlLog(application),
      Posting(DB1, TR1, this, &SqlLog), IB1(Posting.JournalQuery), IB2(Posting.LookupQuery),
      IB3(Posting.DuplicateQuery), IB4(Posting.GroupQuery), IB5(Posting.VatQuery),
      EQ1(Posting.Journals), EQ2(Posting.Lookups), EQ3(Posting.Duplicates), EQ4(Posting.Groups),
      EQ5(Posting.VatAccount), SP1(Posting.Identifiers), Dbf1("Dbf1", this),
      dbfWber("dbfWber", this), CmbTipText(ImportType::InitialText()),
      Engine(Posting, Dbf1, view, JournalNumbers), Ledger(DB1, TR1), view_(view) {
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
    const std::string paramsFile = ParamsFilePath(args.front());
    if (!fs_win::FileExists(paramsFile)) {
        view_.MessageBox(W1250("ParametersFile error! A(z) ") + paramsFile +
                         W1250(" file nem létezik!"));
        view_.Close();
        return StartResult::Closed;
    }
    try {
        ReadParamsFile(paramsFile);
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

std::string TF_IN::ParamsFilePath(const std::string& arg) {
    // A drive path is read from c:\ whatever the drive; an absolute host path is taken as it is;
    // anything else is relative to the working folder (the rule for drive paths would cut its
    // first three characters off).
    const bool drivePath = arg.size() >= 3 && std::isalpha(static_cast<unsigned char>(arg[0])) &&
                           arg[1] == ':' && (arg[2] == '\\' || arg[2] == '/');
    if (drivePath) return "c:\\" + arg.substr(3);
    if (!arg.empty() && arg[0] == '/') return arg;
    std::error_code noFolder;
    const std::string here = std::filesystem::current_path(noFolder).string();
    return here.empty() ? arg : here + "/" + arg;
}

void TF_IN::ReadParamsFile(const std::string& paramsFile) {
    std::vector<std::string> lines = fs_win::ReadLines(paramsFile);
    view_.ShowDatabaseText(Line(lines, 0));
    ExchangeFolder = text::Trim(Line(lines, 1));
    view_.ShowExchangeFolder(ExchangeFolder);
    SetWorkList(ListFiles(ExchangeFolder, "feladas*.dbf"));
    view_.ShowDatabaseName(text::Trim(Line(lines, 2)));
    if (DB1.Connected()) DB1.Disconnect();
    DB1.DatabaseName = Line(lines, 2);
    runWord_ = text::Trim(Line(lines, 3));
    if (lines.size() <= 4) return;
    DB1.Params.assign(lines.begin() + 4, lines.end());
    std::string exe = ExePath;
    for (char& c : exe)
        if (c == '/') c = '\\';
    if (text::LowerWin1250(exe).find("\\d_projects\\_zefor") == std::string::npos)
        fs_win::DeleteFile(paramsFile);
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
    if (!type->Converted.empty() && ConversionPlan::TableLeft(ExchangeFolder, type->Converted))
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
    lastRun_ = {};
    lastRun_.Check = check;
    if (const ImportType* type = ImportType::ForText(CmbTipText)) lastRun_.Type = type->Code;
    lastRun_.Started = std::chrono::system_clock::now();
    const std::vector<std::string> notices = InputNotices();
    view_.SetButtonsEnabled(false);
    view_.SetBusyCursor(true);
    {
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
            lastRun_.EndEarly(e.what());
        }
        EndTransactions();
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
    lastRun_.Ended = std::chrono::system_clock::now();
    running_ = false;
}

void TF_IN::EndTransactions() {
    try {
        if (TR1.InTransaction()) TR1.Commit();
    } catch (const std::exception& e) {
        lastRun_.EndEarly(e.what());
    }
    try {
        // A file stopped midway is free for whichever run comes next.
        Ledger.Release();
    } catch (const std::exception&) {
        // Only a lost connection fails to let go, and it holds nothing any more.
    }
}

void TF_IN::RunFiles(Component* sender) {
    const InputArchive archive(ExchangeFolder);
    Dbf1.Close();
    Dbf1.FolderName = archive.Folder();
    Dbf1.TableName = kWorkTable;
    if (!fs_win::FileExists(archive.Folder() + kWorkTable))
        ShowMsg(W1250("Nem létezik az IN_ARCH mappa vagy a benne levő FELADAS.DBF file-t"));
    if (Memo1.empty()) return NothingToDo();
    const std::optional<FolderLock> lock = LockFolder(sender, archive);
    if (!lock) return;
    if (!lastRun_.Check) {
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
    if (Memo1.empty()) return NothingToDo();
    OpenLedger();
    const ConversionPlan plan(ExchangeFolder, CmbTipText, Memo1);
    const std::string& converted = plan.Output();
    const std::vector<std::string> names = plan.Files();
    const bool allInOne = names.size() >= 2 &&
                          ShowMsg(W1250("Minden feladást egy naplóba tegyek?!"), "&Igen;&Nem") == 1;
    if (!RunList(sender, archive, names, converted, allInOne)) return;
    // A check always ends with what it found; a run with one file handled ends with its log.
    if (!allInOne && !lastRun_.Check) return;
    view_.SetBusyCursor(false);
    lastRun_.Completed = true;
    ShowMsg(std::string(lastRun_.Check ? FileRun::EndOfCheck : FileRun::EndOfImport) + "\r\n" +
            lastRun_.Summary());
}

void TF_IN::NothingToDo() {
    view_.SetBusyCursor(false);
    ShowMsg(W1250("Nincs átveendő állomány!"));
}

std::optional<FolderLock> TF_IN::LockFolder(Component* sender, const InputArchive& archive) {
    // One run per exchange folder: a second one moves, posts and deletes nothing.
    std::optional<FolderLock> lock;
    try {
        archive.Create();
        lock = FolderLock::TryAcquire(archive.Folder() + kLockFile);
    } catch (const std::exception& e) {
        EndRun(sender, std::string(e.what()) + "; nothing is posted.");
        return std::nullopt;
    }
    if (!lock) {
        lastRun_.Locked = true;
        ShowErrMsg(sender, "Another import is running on the exchange folder " + ExchangeFolder +
                               "; this run posts, moves and deletes nothing.");
    }
    return lock;
}

bool TF_IN::RunList(Component* sender, const InputArchive& archive,
                    const std::vector<std::string>& names, const std::string& converted,
                    bool allInOne) {
    const int count = allInOne ? static_cast<int>(names.size()) : 1;
    int number = 0;
    // Where a check converts, for as long as it posts what it converted.
    std::optional<CheckFolder> checkFolder;
    for (const std::string& listed : names) {
        view_.ProcessMessages();
        if (view_.StopRequested()) {
            lastRun_.Stopped = true;
            return false;
        }
        ++number;
        std::string name = listed;
        std::string folder = ExchangeFolder;
        if (!converted.empty() && name != converted) {
            view_.ShowFile(number, count, name);
            if (lastRun_.Check && !checkFolder) checkFolder.emplace(ExchangeFolder);
            if (checkFolder) folder = checkFolder->Folder();
            if (!Convert(sender, name, converted, checkFolder ? folder : std::string()))
                return false;
            name = converted;
        }
        const bool goOn = HandleFile(sender, archive, folder, name, number, count);
        if (name != listed) lastRun_.Files.back().Source = listed;
        if (!goOn) return false;
        if (!allInOne) break;
    }
    return true;
}

bool TF_IN::Convert(Component* sender, const std::string& source, const std::string& output,
                    const std::string& checkFolder) {
    // A check leaves the table an earlier run left where it is and converts elsewhere.
    if (checkFolder.empty() && ConversionPlan::TableLeft(ExchangeFolder, output)) {
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

bool TF_IN::HandleFile(Component* sender, const InputArchive& archive, const std::string& folder,
                       const std::string& name, int number, int count) {
    view_.ShowFile(number, count, name);
    FileRun run({view_, sender, Dbf1, Engine, Ledger, archive, lastRun_.Check, RepostAnswer,
                 CmbTipText.substr(0, 5), ledgerNotice_});
    FileRun::Outcome done = run.Take(folder, name);
    // Each log carries only the records of its own file.
    RunReport = done.ErrorRecords;
    if (!done.Log.empty()) Memo2 = done.Log;
    // The log pane: the file's log as written (or what stopped it), then what it did.
    const std::string log =
        done.Log.empty() ? name + "\r\n" + done.File.Message + "\r\n\r\n" : done.Log;
    const RunOutcome::File& file = lastRun_.Add(std::move(done.File));
    view_.ShowLog(log + lastRun_.FileReport(file));
    if (!done.RunFailure.empty()) lastRun_.EndEarly(done.RunFailure);
    return done.RunGoesOn;
}

bool TF_IN::OpenLedger() {
    ledgerNotice_.clear();
    std::string why;
    try {
        // A check creates nothing, the bookkeeping tables neither.
        if (Ledger.Open(why, !lastRun_.Check)) return true;
    } catch (const std::exception&) {
        // The database cannot be reached: every file fails as it always did.
        return false;
    }
    ledgerNotice_ = FileRun::LedgerMissing(lastRun_.Check, why);
    ShowMsg(ledgerNotice_);
    return false;
}

void TF_IN::EndRun(Component* sender, const std::string& text) {
    lastRun_.EndEarly(text);
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
