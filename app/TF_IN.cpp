#include "app/TF_IN.h"

#include "app/BankConversion.h"
#include "app/ImportType.h"
#include "app/PayrollConversion.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

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

} // namespace

TF_IN::TF_IN(TF_INView& view, Component* application)
    : Component("F_IN", application), Button1("Button1", this), DB1("DB1", this),
      TR1(DB1, "TR1", this), SqlLog(application), Posting(DB1, TR1, this, &SqlLog),
      IB1(Posting.JournalQuery), IB2(Posting.LookupQuery), IB3(Posting.DuplicateQuery),
      IB4(Posting.GroupQuery), IB5(Posting.VatQuery), EQ1(Posting.Journals), EQ2(Posting.Lookups),
      EQ3(Posting.Duplicates), EQ4(Posting.Groups), EQ5(Posting.VatAccount),
      SP1(Posting.Identifiers), Dbf1("Dbf1", this), dbfWber("dbfWber", this),
      CmbTipText(ImportType::InitialText()), Engine(Posting, Dbf1, view, RunReport, JournalNumbers),
      view_(view) {
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
        Dbf1.TableName = name;
        // Each log carries only the records of its own file.
        RunReport.clear();
        try {
            PostFile(name, archive);
            ++lastRun_.FilesPosted;
        } catch (const std::exception& e) {
            ++lastRun_.FilesFailed;
            Dbf1.Close();
            fs_win::RenameFile(ExchangeFolder + name, archive + "Err_" + name);
            ShowErrMsg(sender, e.what());
            WriteRunLog(archive + "Err_" + name + ".log", name, e.what());
        }
        if (!allInOne) return;
    }
    view_.SetBusyCursor(false);
    ShowMsg(kEndOfImport);
}

void TF_IN::PostFile(const std::string& name, const std::string& archive) {
    if (!fs_win::ForceDirectories(archive))
        throw std::runtime_error("Cannot create folder " + archive);
    Dbf1.Open();
    view_.SetProgressMax(Dbf1.RecordCount());
    view_.SetProgress(1);
    Engine.Run();
    Dbf1.Close();
    if (fs_win::FileExists(archive + "OK_" + name)) fs_win::DeleteFile(archive + "OK_" + name);
    // A posted input left in the exchange folder would be posted again by the next run.
    if (!fs_win::RenameFile(ExchangeFolder + name, archive + "OK_" + name))
        throw std::runtime_error(name + " was posted, but could not be moved to " + archive +
                                 "OK_" + name + "; it must not be imported again");
    WriteRunLog(archive + "OK_" + name + ".log", name, kEndOfImport);
}

void TF_IN::WriteRunLog(const std::string& path, const std::string& name,
                        const std::string& status) {
    Memo2 = name + "\r\n" + status + "\r\n\r\n" + RunReport;
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
