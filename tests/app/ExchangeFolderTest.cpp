// Whole runs against what senders and disks really produce: names that are no file names, links,
// folders, names differing only by case, a converted table left by a crash, an archive on
// another file system, a full disk. Beside the exchange folder lies a folder that no run may
// touch; every test compares it before and after.
#include "app/BankConversion.h"
#include "app/ImportType.h"
#include "app/TF_IN.h"
#include "fixtures/DbfWriter.h"
#include "fixtures/ScriptedView.h"
#include "fixtures/TempDir.h"
#include "fixtures/TestDatabase.h"
#include "fixtures/TmpfsMount.h"
#include "platform/DbfTable.h"
#include "platform/Text.h"
#include "tests/app/StatementLines.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every entry below a folder: file content, "<folder>", or "-> target" for a link.
std::map<std::string, std::string> Snapshot(const fs::path& folder) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const std::string name = fs::relative(entry.path(), folder).string();
        if (entry.is_symlink())
            entries[name] = "-> " + fs::read_symlink(entry.path()).string();
        else if (entry.is_directory())
            entries[name] = "<folder>";
        else
            entries[name] = ReadAll(entry.path());
    }
    return entries;
}

class ExchangeFolder : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        database_ = new TestDatabase;
        database_->Execute("insert into FOKONYV values ('4541','S','Y',2012,'Szallitok');"
                           "insert into FOKONYV values ('5211','X','Y',2012,'Anyag');");
    }
    static void TearDownTestSuite() { delete database_; }

    void SetUp() override {
        fs::create_directories(exchange);
        WriteTable(root.Path() / "outside" / "a.DBF", "OUT-A");
        WriteTable(root.Path() / "outside" / "w.dbf", "OUT-W");
        WriteTable(root.Path() / "outside" / "xHUF.HUF", "OUT-X");
        root.Write("outside/notes.TXT", "PCDA not for this program\r\n");
        outside_ = Snapshot(root.Path() / "outside");
        form.ExchangeFolder = exchange.string() + "/";
        form.DB1.DatabaseName = database_->Path();
    }
    void TearDown() override {
        form.FormClose();
        EXPECT_EQ(Snapshot(root.Path() / "outside"), outside_);
    }

    static void WriteTable(const fs::path& path, const std::string& voucher) {
        DbfWriter(DbfWriter::PostingColumns())
            .RowByName({{"BIZONYLAT", voucher},
                        {"MO_CHAR", "S"},
                        {"JELLEG", "S"},
                        {"IRANY", "K"},
                        {"TOTAL", "100"},
                        {"SUMA", "100"},
                        {"KARTON", "4541"},
                        {"ELLEN", "5211"},
                        {"KELTE", "20120315"}})
            .Save(path);
    }
    void WriteWorkTable() { DbfWriter::CreatePostingTable(exchange / "in_arch" / "Feladas.dbf"); }
    // A statement whose transactions carry the remarks number-T1, number-T2, ...
    std::string WriteStatement(const std::string& name, const std::string& number, int count) {
        std::vector<std::string> lines{statement::Header(number)};
        for (int i = 1; i <= count; ++i)
            lines.push_back(statement::Transaction(std::to_string(i) + ",00", "Partner Kft",
                                                   number + "-T" + std::to_string(i)));
        root.Write("exchange/" + name, text::JoinLines(lines));
        return text::JoinLines(lines);
    }
    void Run(const std::string& code) {
        form.CmbTipChange(ImportType::ForCode(code)->ItemText);
        form.Button1Click(&form.Button1);
    }
    int Count(const std::string& sql) { return std::stoi(database_->QueryValue(sql)); }
    int Headers(const std::string& voucher) {
        return Count("select count(*) from FEJLEC where FE_BIZONYLAT = '" + voucher + "'");
    }
    // Lines of a statement's transactions, and how many different ones.
    std::pair<int, int> Lines(const std::string& number) {
        const std::string where = " from TETEL where TE_MEGJEGY starting with '" + number + "-'";
        return {Count("select count(*)" + where),
                Count("select count(distinct TE_MEGJEGY)" + where)};
    }
    std::string Read(const std::string& name) { return root.Read("exchange/" + name); }
    bool Exists(const std::string& name) { return fs::exists(exchange / name); }
    // Files a write left behind under its own hidden name.
    bool HalfWritten() {
        for (const fs::path& folder : {exchange, exchange / "in_arch"})
            for (const auto& entry : fs::directory_iterator(folder))
                if (entry.path().filename().string().starts_with(".inzefor-")) return true;
        return false;
    }
    std::string LastDialog() { return view.Dialogs.empty() ? "" : view.Dialogs.back().Text; }

    inline static TestDatabase* database_ = nullptr;
    TempDir root;
    const fs::path exchange = root.Path() / "exchange";
    std::map<std::string, std::string> outside_;
    ScriptedView view;
    Component application;
    TF_IN form{view, &application};
};

TEST_F(ExchangeFolder, WhatIsNoInputIsLeftAloneAndToldOncePerRunInEveryType) {
    WriteWorkTable();
    // The folders a crafted name would climb out through.
    for (const char* folder : {"feladas", "winptk", "wber", "KVFd"})
        fs::create_directory(exchange / folder);
    fs::create_directory(exchange / "feladas_dir.dbf");
    fs::create_symlink("../outside/a.DBF", exchange / "feladas_link.dbf");
    fs::create_symlink("../outside/a.DBF", exchange / "FKBER.DBF");
    const std::string tooLong = "feladas" + std::string(242, 'x') + ".dbf"; // 253 bytes
    WriteTable(exchange / tooLong, "LONG");
    const std::map<std::string, std::vector<std::string>> crafted{
        {"SZLA1", {"feladas\\..\\..\\outside\\a.DBF", "feladas\x01.DBF"}},
        {"PENZ1", {"winptk\\..\\..\\outside\\w.dbf", "winptk|1.dbf"}},
        {"BER1", {"wber\\..\\..\\outside\\w.dbf", "wber\"1.dbf"}},
        {"BANK1", {"KVFd\\..\\..\\outside\\notes.TXT", "KVF<1>.TXT", "KVF:1.TXT"}},
        {"BANK2", {"in_arch\\..\\..\\outside\\xHUF.HUF", "x*HUF.HUF", "x?HUF.HUF"}},
        {"FKBER", {}}};
    for (const auto& [code, names] : crafted)
        for (const std::string& name : names)
            root.Write("exchange/" + name, "crafted " + code);
    const std::map<std::string, std::string> before = Snapshot(exchange);
    std::map<std::string, std::vector<std::string>> refused = crafted;
    refused["SZLA1"].insert(refused["SZLA1"].end(),
                            {"feladas_dir.dbf", "feladas_link.dbf", tooLong});
    refused["FKBER"].push_back("FKBER.DBF");

    // The long name twice: it is not posted on the second run either.
    for (const std::string code : {"SZLA1", "SZLA1", "PENZ1", "BER1", "BANK1", "BANK2", "FKBER"}) {
        const size_t told = view.Notices.size();
        Run(code);
        for (const std::string& name : refused[code]) {
            int times = 0;
            for (size_t i = told; i < view.Notices.size(); ++i)
                times += view.Notices[i].find(W1250("A(z) ") + text::Printable(name) +
                                              W1250(" nem átvehető")) == 0;
            EXPECT_EQ(times, 1) << code << ": " << text::Printable(name);
        }
        EXPECT_EQ(view.Notices.size() - told, refused[code].size()) << code;
        EXPECT_EQ(LastDialog(), W1250("Nincs átveendő állomány!")) << code;
    }
    EXPECT_EQ(Snapshot(exchange), before);
    for (const char* voucher : {"OUT-A", "OUT-W", "OUT-X", "LONG"})
        EXPECT_EQ(Headers(voucher), 0) << voucher;
    ASSERT_FALSE(view.Notices.empty());
    EXPECT_NE(view.Notices[0].find(W1250("nem lehet file név")), std::string::npos);

    // An archive folder that is a link to elsewhere is not written through.
    DbfWriter::CreatePostingTable(root.Path() / "outside" / "arch" / "Feladas.dbf");
    outside_ = Snapshot(root.Path() / "outside");
    fs::remove_all(exchange / "in_arch");
    fs::create_directory_symlink("../outside/arch", exchange / "in_arch");
    const std::string statement = WriteStatement("KVF0001.TXT", "L1", 1);
    WriteTable(exchange / "feladas1.dbf", "LINKED");
    Run("BANK1");
    Run("SZLA1");
    EXPECT_EQ(Read("KVF0001.TXT"), statement);
    EXPECT_TRUE(Exists("feladas1.dbf"));
    EXPECT_NE(LastDialog().find("in_arch is a symbolic link"), std::string::npos) << LastDialog();
}

TEST_F(ExchangeFolder, NamesDifferingOnlyByCaseAreTwoInputsWithArchivesOfTheirOwn) {
    WriteWorkTable();
    WriteTable(exchange / "feladas1.dbf", "CASE-1");
    WriteTable(exchange / "FELADAS1.DBF", "CASE-2");
    const std::string lower = Read("feladas1.dbf"), upper = Read("FELADAS1.DBF");
    root.Write("exchange/in_arch/OK_Feladas1.dbf", "an archive of a third spelling");
    Run("SZLA1");

    EXPECT_EQ(Headers("CASE-1"), 1);
    EXPECT_EQ(Headers("CASE-2"), 1);
    EXPECT_EQ(Read("in_arch/OK_feladas1.dbf"), lower);
    EXPECT_EQ(Read("in_arch/OK_FELADAS1.DBF"), upper);
    EXPECT_EQ(Read("in_arch/OK_Feladas1.dbf"), "an archive of a third spelling");
    EXPECT_TRUE(Read("in_arch/OK_FELADAS1.DBF.log").starts_with("FELADAS1.DBF\r\n"));
    EXPECT_TRUE(Read("in_arch/OK_feladas1.dbf.log").starts_with("feladas1.dbf\r\n"));
    ASSERT_EQ(view.Notices.size(), 1u);
    EXPECT_NE(view.Notices[0].find(W1250("csak kis- és nagybetűben")), std::string::npos);
}

TEST_F(ExchangeFolder, AConvertedTableLeftByACrashIsPostedBeforeTheNextStatementIsConverted) {
    WriteWorkTable();
    const std::string first = WriteStatement("KVF0001.TXT", "S1", 3);
    // The run stopped after the conversion, before posting: the converted table stays.
    BankConversion(view, form.Dbf1, form.ExchangeFolder).Run("KVF0001.TXT");
    EXPECT_EQ(Read("in_arch/OK_KVF0001.TXT"), first);
    const std::string second = WriteStatement("KVF0002.TXT", "S2", 4);

    form.CmbTipChange(ImportType::ForCode("BANK1")->ItemText);
    EXPECT_EQ(form.Memo1, (std::vector<std::string>{"feladasWBank.dbf", "KVF0002.TXT"}));
    form.Button1Click(&form.Button1);

    EXPECT_EQ(Lines("S1"), std::make_pair(3, 3));
    EXPECT_EQ(Lines("S2"), std::make_pair(4, 4));
    EXPECT_EQ(Read("in_arch/OK_KVF0002.TXT"), second);
    EXPECT_FALSE(Exists("feladasWBank.dbf"));
    EXPECT_FALSE(Exists("KVF0002.TXT"));
    EXPECT_EQ(text::SplitLines(LastDialog()).front(), "OK - End of import");

    // A leftover that cannot be posted away: it fails, an older Err_ file keeps it in place, and
    // the new statement is not converted over it.
    root.Write("exchange/feladasWBank.dbf", "cut off by the crash");
    root.Write("exchange/in_arch/Err_feladasWBank.dbf", "an older failure");
    const std::string third = WriteStatement("KVF0003.TXT", "S3", 2);
    Run("BANK1");
    EXPECT_EQ(Read("feladasWBank.dbf"), "cut off by the crash");
    EXPECT_EQ(Read("KVF0003.TXT"), third);
    EXPECT_EQ(Lines("S3"), std::make_pair(0, 0));
    EXPECT_TRUE(form.LastRun().EndedEarly);
    ASSERT_FALSE(view.Dialogs.empty());
    EXPECT_EQ(view.Dialogs.back().Kind, TMsgDlgType::mtError);
    EXPECT_NE(LastDialog().find("feladasWBank.dbf"), std::string::npos);
    EXPECT_NE(LastDialog().find("KVF0003.TXT"), std::string::npos);
}

TEST_F(ExchangeFolder, AnArchiveOnAnotherFileSystemTakesEveryFileOnce) {
    TmpfsMount archive(exchange / "in_arch", "4m");
    if (!archive.Failure().empty()) GTEST_SKIP() << archive.Failure();
    WriteWorkTable();
    WriteTable(exchange / "feladas1.dbf", "MOVED-1");
    const std::string table = Read("feladas1.dbf");
    const std::string statement = WriteStatement("KVF0001.TXT", "M1", 2);

    Run("SZLA1");
    Run("SZLA1");
    EXPECT_EQ(Headers("MOVED-1"), 1);
    EXPECT_EQ(LastDialog(), W1250("Nincs átveendő állomány!"));
    EXPECT_EQ(Read("in_arch/OK_feladas1.dbf"), table);
    Run("BANK1");
    Run("BANK1");
    EXPECT_EQ(Lines("M1"), std::make_pair(2, 2));
    EXPECT_EQ(Read("in_arch/OK_KVF0001.TXT"), statement);
    EXPECT_TRUE(Exists("in_arch/OK_feladasWBank.dbf"));
    // Only the archive folder is left.
    EXPECT_EQ(std::distance(fs::directory_iterator(exchange), fs::directory_iterator()), 1);
    EXPECT_FALSE(HalfWritten());
}

TEST_F(ExchangeFolder, AFullDiskStopsAConversionOrARunLogAndLeavesNothingHalfWritten) {
    TmpfsMount disk(exchange, "512k");
    if (!disk.Failure().empty()) GTEST_SKIP() << disk.Failure();
    WriteWorkTable();
    const std::string statement = WriteStatement("KVF0001.TXT", "F1", 20);
    // Room for a few rows of the work table; then room for the whole table but not its copy.
    for (std::uintmax_t room : {4096, 6 * 4096}) {
        disk.Fill("filler", room);
        Run("BANK1");
        EXPECT_TRUE(form.LastRun().EndedEarly) << room;
        ASSERT_FALSE(view.Dialogs.empty());
        EXPECT_EQ(view.Dialogs.back().Kind, TMsgDlgType::mtError);
        EXPECT_NE(LastDialog().find("No space left on device"), std::string::npos) << LastDialog();
        EXPECT_EQ(Read("KVF0001.TXT"), statement);
        EXPECT_FALSE(Exists("feladasWBank.dbf"));
        EXPECT_FALSE(HalfWritten());
        // The work table holds whole records only and opens for the next run.
        DbfTable work;
        work.FolderName = form.ExchangeFolder + "in_arch";
        work.TableName = "Feladas.dbf";
        EXPECT_NO_THROW(work.Open()) << room;
        fs::remove(exchange / "filler");
    }
    ASSERT_EQ(view.Dialogs.size(), 2u);
    EXPECT_NE(view.Dialogs[0].Text.find("Cannot write a record to"), std::string::npos);
    EXPECT_NE(view.Dialogs[1].Text.find("feladasWBank.dbf"), std::string::npos);
    EXPECT_EQ(Lines("F1"), std::make_pair(0, 0));

    // A disk full to the last page: the file is posted, its log cannot be written, so it stays
    // for the next run, which has nothing left to post and archives it with its log.
    fs::remove(exchange / "KVF0001.TXT");
    WriteTable(exchange / "feladas1.dbf", "FULL-1");
    const std::string table = Read("feladas1.dbf");
    disk.Fill("filler");
    Run("SZLA1");
    EXPECT_EQ(Headers("FULL-1"), 1);
    EXPECT_EQ(Read("feladas1.dbf"), table);
    EXPECT_FALSE(Exists("in_arch/OK_feladas1.dbf.log"));
    EXPECT_FALSE(Exists("in_arch/Err_feladas1.dbf.log"));
    EXPECT_FALSE(HalfWritten());
    EXPECT_TRUE(form.LastRun().EndedEarly);
    EXPECT_NE(LastDialog().find("OK_feladas1.dbf.log: No space left on device"), std::string::npos)
        << LastDialog();
    fs::remove(exchange / "filler");
    Run("SZLA1");
    EXPECT_EQ(Headers("FULL-1"), 1);
    EXPECT_EQ(Read("in_arch/OK_feladas1.dbf"), table);
    EXPECT_NE(Read("in_arch/OK_feladas1.dbf.log").find("Resumed after row 1 of 1"),
              std::string::npos);
}

} // namespace
