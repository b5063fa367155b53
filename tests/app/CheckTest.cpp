// A check runs the listed files through posting and leaves no trace: the database as it was
// (only identifier generators move), no file moved or written in the exchange folder, no run log,
// no SQL log, nothing left in the temporary folder; and a run after it posts what it reported.
#include "app/ImportType.h"
#include "app/TF_IN.h"
#include "db/IBQuery.h"
#include "fixtures/DbfWriter.h"
#include "fixtures/MixedInputs.h"
#include "fixtures/PostingSnapshot.h"
#include "fixtures/ScriptedView.h"
#include "fixtures/TempDir.h"
#include "fixtures/TestDatabase.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <tuple>

namespace fs = std::filesystem;

namespace {

using Result = RunOutcome::File::Result;

auto Tied(const PostingCounts& c) {
    return std::make_tuple(c.RowsPosted, c.RowsFlagged, c.RowsRejected, c.VouchersCreated,
                           c.CustomersCreated, c.JournalsCreated);
}

class Check : public ::testing::Test {
protected:
    void SetUp() override {
        MixedInputs::LoadReference(db);
        DbfWriter::CreatePostingTable(Exchange() / "in_arch" / "Feladas.dbf");
        fs::create_directories(dir / "Logs" / "ExecSql");
        for (TEQuery* query : {&form.EQ1, &form.EQ2, &form.EQ3, &form.EQ4, &form.EQ5})
            query->LogFolder = dir.Folder() + "Logs\\ExecSql\\";
        // The check's own folder is made in the temporary folder.
        fs::create_directories(dir / "tmp");
        setenv("TMPDIR", (dir / "tmp").c_str(), 1);
        form.ExchangeFolder = Exchange().string() + "/";
        form.DB1.DatabaseName = db.Path();
    }
    void TearDown() override {
        form.FormClose();
        unsetenv("TMPDIR");
    }

    fs::path Exchange() const { return dir / "exchange"; }
    void Run(const std::string& code, bool check) {
        form.CmbTipChange(ImportType::ForCode(code)->ItemText);
        check ? form.Button3Click(&form.Button3) : form.Button1Click(&form.Button1);
    }
    // Every file of the exchange folder with its size and time of last change.
    std::map<std::string, std::string> Files() const {
        std::map<std::string, std::string> files;
        for (const auto& entry : fs::recursive_directory_iterator(Exchange()))
            if (entry.is_regular_file() && entry.path().filename() != "InZEFOR.lock")
                files[entry.path().string()] =
                    std::to_string(entry.file_size()) + "@" +
                    std::to_string(entry.last_write_time().time_since_epoch().count());
        return files;
    }
    // What the database holds of postings, and of the bookkeeping of input files.
    std::vector<std::string> Tables() {
        std::vector<std::string> rows = PostingSnapshot(db);
        rows.push_back(db.QueryValue("select (select count(*) from INZ_FILE) || '/' || "
                                     "(select count(*) from INZ_ROW) from RDB$DATABASE"));
        return rows;
    }
    // The rows that reached the database marked, as row number and findings: the posted rows in
    // table order are the lines in identifier order; the row that opened a voucher carries its
    // findings in the header, the others theirs in the line.
    std::vector<std::pair<int, std::string>> StoredFindings(int rows, const PostingNotes& notes) {
        std::vector<int> posted;
        for (int row = 1, next = 0; row <= rows; ++row) {
            if (next < static_cast<int>(notes.Rejected.size()) &&
                notes.Rejected[next].Number == row) {
                ++next;
                continue;
            }
            posted.push_back(row);
        }
        IBQuery q(db.Db(), db.Tr(), "FINDINGS");
        q.SetSQLText("select trim(iif(t.TE_ID = (select min(x.TE_ID) from TETEL x where "
                     "x.TE_FE_ID = t.TE_FE_ID), iif(f.FE_ERR <> 0, f.FE_ERROR, ''), "
                     "iif(t.TE_ERR <> 0 or coalesce(t.TE_ERROR, '') <> '', '(line)', ''))) "
                     "from TETEL t join FEJLEC f on f.FE_ID = t.TE_FE_ID order by t.TE_ID");
        q.Open();
        std::vector<std::pair<int, std::string>> found;
        std::size_t line = 0;
        for (bool more = !q.IsEmpty(); more; more = q.Next(), ++line)
            if (const std::string text = q.Fields().at(0)->AsString(); !text.empty())
                found.emplace_back(line < posted.size() ? posted[line] : -1, text);
        q.Close();
        db.Tr().Commit();
        EXPECT_EQ(line, posted.size());
        return found;
    }

    TestDatabase db;
    TempDir dir;
    ScriptedView view;
    Component application;
    TF_IN form{view, &application};
};

TEST_F(Check, AMixedTableLeavesNoTraceAndARunThenStoresWhatTheCheckFound) {
    MixedInputs::WritePostingTable(Exchange() / "feladas1.dbf", 300);
    const auto files = Files();
    const std::vector<std::string> tables = Tables();
    Run("SZLA1", true);
    const RunOutcome checked = form.LastRun();

    ASSERT_EQ(checked.Files.size(), 1u);
    const RunOutcome::File& file = checked.Files[0];
    EXPECT_EQ(file.Outcome, Result::Posted);
    EXPECT_EQ(Tables(), tables);
    EXPECT_EQ(Files(), files);
    EXPECT_TRUE(fs::is_empty(dir / "Logs" / "ExecSql"));
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
    EXPECT_EQ(checked.ExitStatus(), 4);
    // The pane names the rows; a check ends with its summary even for one file.
    EXPECT_NE(view.Log.find("ErrRec"), std::string::npos);
    EXPECT_NE(view.Log.find("Rows with findings:\r\n  row "), std::string::npos);
    EXPECT_EQ(
        view.Dialogs.back().Text.rfind("OK - End of check\r\nCheck only: nothing was posted", 0),
        0u);

    Run("SZLA1", false);
    const RunOutcome posted = form.LastRun();
    ASSERT_EQ(posted.Files.size(), 1u);
    EXPECT_EQ(Tied(file.Counts), Tied(posted.Files[0].Counts));
    EXPECT_EQ(Tied(file.Counts), Tied(MixedInputs::Stored(db, 300)));
    ASSERT_GT(file.Counts.RowsRejected, 0);
    ASSERT_GT(file.Counts.CustomersCreated, 0);
    ASSERT_GT(file.Counts.JournalsCreated, 0);
    EXPECT_EQ(file.Notes.Customers, posted.Files[0].Notes.Customers);
    EXPECT_EQ(file.Notes.Journals.size(), posted.Files[0].Notes.Journals.size());
    // Exactly the rows the check named carry findings, and a header the same text.
    const std::vector<std::pair<int, std::string>> stored = StoredFindings(300, file.Notes);
    ASSERT_EQ(stored.size(), file.Notes.Findings.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        EXPECT_EQ(stored[i].first, file.Notes.Findings[i].Number);
        if (stored[i].second != "(line)") {
            EXPECT_EQ(stored[i].second, file.Notes.Findings[i].Text.substr(0, 254));
        }
    }

    // The same content again: the check says it would be refused, and claims nothing.
    fs::copy_file(Exchange() / "in_arch" / "OK_feladas1.dbf", Exchange() / "feladas9.dbf");
    const std::vector<std::string> after = Tables();
    Run("SZLA1", true);
    ASSERT_EQ(form.LastRun().Files.size(), 1u);
    EXPECT_EQ(form.LastRun().Files[0].Outcome, Result::Refused);
    EXPECT_EQ(form.LastRun().ExitStatus(), 1);
    EXPECT_EQ(Tables(), after);
    EXPECT_TRUE(fs::exists(Exchange() / "feladas9.dbf"));
}

TEST_F(Check, AStatementIsConvertedInTheChecksOwnFolderAndPostedAlikeAfterwards) {
    MixedInputs::WriteStatement(Exchange() / "KVF0001.TXT", 60);
    const auto files = Files();
    const std::vector<std::string> tables = Tables();
    Run("BANK1", true);
    const RunOutcome checked = form.LastRun();

    ASSERT_EQ(checked.Files.size(), 1u);
    EXPECT_EQ(checked.Files[0].Name, "feladasWBank.dbf");
    EXPECT_EQ(checked.Files[0].Source, "KVF0001.TXT");
    EXPECT_EQ(checked.Files[0].Outcome, Result::Posted);
    EXPECT_EQ(Tables(), tables);
    EXPECT_EQ(Files(), files);
    EXPECT_TRUE(fs::is_empty(dir / "tmp"));
    EXPECT_TRUE(fs::is_empty(dir / "Logs" / "ExecSql"));

    Run("BANK1", false);
    ASSERT_EQ(form.LastRun().Files.size(), 1u);
    EXPECT_TRUE(fs::exists(Exchange() / "in_arch" / "OK_KVF0001.TXT"));
    EXPECT_EQ(Tied(checked.Files[0].Counts), Tied(form.LastRun().Files[0].Counts));
    EXPECT_EQ(Tied(checked.Files[0].Counts), Tied(MixedInputs::Stored(db, 60)));
    EXPECT_GT(checked.Files[0].Counts.CustomersCreated, 0);
    // The run wrote its SQL log: the check's silence was its own.
    EXPECT_FALSE(fs::is_empty(dir / "Logs" / "ExecSql"));
}

TEST_F(Check, AStoppedCheckLeavesTheDatabaseAsItWas) {
    MixedInputs::WritePostingTable(Exchange() / "feladas1.dbf", 200);
    const std::vector<std::string> tables = Tables();
    int asked = 0;
    view.Stop = [&asked] { return ++asked > 120; };
    Run("SZLA1", true);

    EXPECT_TRUE(form.LastRun().Stopped);
    EXPECT_EQ(form.LastRun().ExitStatus(), 3);
    EXPECT_EQ(Tables(), tables);
    EXPECT_TRUE(fs::exists(Exchange() / "feladas1.dbf"));
}

} // namespace
