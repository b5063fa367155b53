#include "app/ImportType.h"
#include "app/TF_IN.h"
#include "fixtures/ScriptedView.h"
#include "fixtures/TempDir.h"
#include "platform/Text.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A Windows-style spelling of a host folder, as an operator's parameters file would give it.
std::string WinPath(const std::filesystem::path& p) {
    std::string s = p.string();
    std::replace(s.begin(), s.end(), '/', '\\');
    return "c:" + s;
}

class Startup : public ::testing::Test {
protected:
    TempDir dir;
    ScriptedView view;
    TF_IN form{view};

    std::string Exchange() const { return WinPath(dir.Path()) + "\\exchange\\"; }

    // Writes the parameters file and returns the argument that names it with another drive.
    std::string Params(const std::vector<std::string>& lines) {
        std::string content;
        for (const auto& l : lines)
            content += l + "\r\n";
        dir.Write("run.txt", content);
        return "d:" + WinPath(dir / "run.txt").substr(2);
    }
    bool ParamsFileExists() const { return std::filesystem::exists(dir / "run.txt"); }
    std::string MissingDatabase() const { return (dir / "missing" / "none.fdb").string(); }
};

} // namespace

TEST_F(Startup, NoArgumentOrMissingFileCloses) {
    EXPECT_EQ(form.FormActivate({}), TF_IN::StartResult::Closed);
    EXPECT_EQ(view.MessageBoxes, std::vector<std::string>{"Parameters error"});
    EXPECT_TRUE(view.Closed);

    TF_IN second(view);
    EXPECT_EQ(second.FormActivate({"d:\\x\\p.txt"}), TF_IN::StartResult::Closed);
    EXPECT_EQ(view.MessageBoxes.back(),
              W1250("ParametersFile error! A(z) c:\\x\\p.txt file nem létezik!"));
    // Any other argument is relative to the working folder, not cut after its third character.
    TF_IN third(view);
    third.FormActivate({"p.txt"});
    EXPECT_EQ(view.MessageBoxes.back(), W1250("ParametersFile error! A(z) ") +
                                            std::filesystem::current_path().string() +
                                            W1250("/p.txt file nem létezik!"));
}

TEST_F(Startup, ShortFileReportsTheMissingLineAndStops) {
    std::string arg = Params({"Demo db", " " + Exchange() + " ", "db.fdb"});
    EXPECT_EQ(form.FormActivate({arg}), TF_IN::StartResult::Failed);
    EXPECT_EQ(view.MessageBoxes, std::vector<std::string>{"List index out of bounds (3)"});
    EXPECT_EQ(view.DatabaseText, "Demo db");
    EXPECT_EQ(form.ExchangeFolder, Exchange());
    EXPECT_FALSE(view.Closed);
    EXPECT_TRUE(ParamsFileExists());
}

TEST_F(Startup, FourLinesKeepDefaultsAndTheFileNoInvoiceNoConnection) {
    std::string dbName = "  " + MissingDatabase() + " ";
    std::string arg = Params({" Demo db ", Exchange(), dbName, "start"});
    EXPECT_EQ(form.FormActivate({arg}), TF_IN::StartResult::Started);
    EXPECT_EQ(view.DatabaseText, " Demo db ");
    EXPECT_EQ(view.ExchangeFolder, Exchange());
    EXPECT_EQ(view.DatabaseName, MissingDatabase());
    EXPECT_EQ(form.DB1.DatabaseName, dbName);
    EXPECT_EQ(form.DB1.Params, (std::vector<std::string>{"user_name=SYSDBA", "password=quenbirat",
                                                         "lc_ctype=WIN1250"}));
    EXPECT_TRUE(ParamsFileExists());
    // Nothing to import: no connection attempt and no run even though the word says start.
    EXPECT_TRUE(view.Dialogs.empty());
    EXPECT_FALSE(form.DB1.Connected());
    EXPECT_FALSE(view.Minimized);
}

TEST_F(Startup, MoreLinesReplaceParametersAndDeleteTheFileOutsideTheDevelopmentFolder) {
    std::string arg = Params({"db", Exchange(), "x.fdb", "", "user_name=IMPORT", "password=pw"});
    form.FormCreate("/opt/inzefor/InZEFOR");
    form.FormActivate({arg});
    EXPECT_EQ(form.DB1.Params, (std::vector<std::string>{"user_name=IMPORT", "password=pw"}));
    EXPECT_FALSE(ParamsFileExists());

    TF_IN dev(view);
    arg = Params({"db", Exchange(), "x.fdb", "", "user_name=IMPORT"});
    dev.FormCreate("/home/me/D_Projects/_ZEFOR/InZEFOR");
    dev.FormActivate({arg});
    EXPECT_EQ(dev.DB1.Params, std::vector<std::string>{"user_name=IMPORT"});
    EXPECT_TRUE(ParamsFileExists());
}

TEST_F(Startup, ConnectionFailureIsShownWithTheWindowAsSenderAndStartUpGoesOn) {
    dir.Write("exchange/feladas1.dbf", "");
    std::string arg = Params({"db", Exchange(), MissingDatabase(), "Start"});
    EXPECT_EQ(form.FormActivate({arg}), TF_IN::StartResult::Started);
    EXPECT_EQ(view.WorkList, std::vector<std::string>{"feladas1.dbf"});
    ASSERT_EQ(view.Dialogs.size(), 1u);
    EXPECT_EQ(view.Dialogs[0].Kind, TMsgDlgType::mtError);
    EXPECT_NE(view.Dialogs[0].Text.find("\r\n( .F_IN - "), std::string::npos)
        << view.Dialogs[0].Text;
    EXPECT_NE(view.Dialogs[0].Text.find(MissingDatabase()), std::string::npos);
    // "Start" is not the run word: the letter case counts.
    EXPECT_FALSE(view.Minimized);
    // A second activation does not run the start-up again.
    form.FormActivate({arg});
    EXPECT_EQ(view.Dialogs.size(), 1u);
}

TEST_F(Startup, RunWordIsTrimmedAndStartsARunMinimised) {
    dir.Write("exchange/feladas1.dbf", "not a table");
    std::string arg = Params({"db", Exchange(), MissingDatabase(), "  start  "});
    form.FormActivate({arg});
    EXPECT_TRUE(view.Minimized);
    EXPECT_EQ(form.RunWord(), "start");
    // The run took the input, which is no table, through the error path.
    EXPECT_EQ(form.LastRun().FilesFailed, 1);
    EXPECT_TRUE(std::filesystem::exists(dir / "exchange/in_arch/Err_feladas1.dbf"));
    EXPECT_TRUE(view.WorkList.empty());
    EXPECT_TRUE(view.ButtonsEnabled);
}

TEST(ListFiles, FolderSpellingsMasksAndSkippedNames) {
    TempDir dir;
    for (const char* name : {"feladas1.dbf", "FELADAS2.DBF", "winptk1.dbf", "wber1.dbf",
                             "xwber.dbf", "KVF01.TXT", "aHUF.HUF", ".1HUF.HUF", "FKBER.DBF"})
        dir.Write(name, "");
    std::filesystem::create_directory(dir / "feladas_dir.dbf");
    std::string folder = WinPath(dir.Path());

    auto list = [](const std::string& f, const std::string& mask) {
        std::vector<std::string> names = text::SplitLines(TF_IN::ListFiles(f, mask));
        std::sort(names.begin(), names.end());
        return names;
    };
    // A sub-folder named like an input is no input: it is left alone.
    std::vector<std::string> invoices{"FELADAS2.DBF", "feladas1.dbf"};
    EXPECT_EQ(list(folder, "feladas*.DBF"), invoices);
    EXPECT_EQ(list("  " + folder + "\\  ", "feladas*.DBF"), invoices);
    EXPECT_EQ(TF_IN::ListFiles(folder, "wber*.dbf"), "wber1.dbf\r\n");
    EXPECT_EQ(TF_IN::ListFiles(folder, "*HUF.HUF"), "aHUF.HUF\r\n");
    EXPECT_EQ(TF_IN::ListFiles("   ", "*"), "");
    EXPECT_EQ(TF_IN::ListFiles(folder + "\\missing\\", "*"), "");

    // Every type's mask through the combo box, and a text that names no type.
    ScriptedView view;
    TF_IN form(view);
    form.ExchangeFolder = folder + "\\";
    std::vector<std::pair<std::string, std::vector<std::string>>> expected{
        {"SZLA1", invoices},      {"PENZ1", {"winptk1.dbf"}}, {"BER1", {"wber1.dbf"}},
        {"BANK1", {"KVF01.TXT"}}, {"BANK2", {"aHUF.HUF"}},    {"FKBER", {"FKBER.DBF"}}};
    for (const auto& [code, names] : expected) {
        form.CmbTipChange(ImportType::ForCode(code)->ItemText);
        std::vector<std::string> shown = view.WorkList;
        std::sort(shown.begin(), shown.end());
        EXPECT_EQ(shown, names) << code;
    }
    form.CmbTipChange("BANK3  no such type");
    EXPECT_TRUE(view.WorkList.empty());
    form.CmbTipChange(ImportType::InitialText());
    EXPECT_EQ(view.WorkList.size(), 2u);
    // The same type again relists: a file added meanwhile appears.
    dir.Write("winptk2.dbf", "");
    form.CmbTipChange(ImportType::ForCode("PENZ1")->ItemText);
    EXPECT_EQ(view.WorkList.size(), 2u);
}
