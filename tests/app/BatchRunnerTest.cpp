#include "app/BatchRunner.h"
#include "fixtures/DbfWriter.h"
#include "fixtures/TempDir.h"
#include "tests/support/DatabaseTest.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <fstream>
#include <pty.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class Batch : public DatabaseTest {
protected:
    static void SetUpTestSuite() {
        CreateDatabase("insert into FOKONYV values ('4541','S','Y',2012,'Szallitok');"
                       "insert into FOKONYV values ('5211','X','Y',2013,'Anyag');");
    }

    int Run(const std::vector<std::string>& args) {
        out.str({});
        err.str({});
        return BatchRunner(out, err).Run(args);
    }
    std::string Params(const std::vector<std::string>& lines) {
        std::string content;
        for (const auto& l : lines)
            content += l + "\r\n";
        return dir.Write("params.txt", content).string();
    }
    std::string Params() { return Params({"Test db", dir.Folder(), db_->Path(), "start"}); }
    // A table of `rows` one-line vouchers voucher1, voucher2, ... (just voucher for one row).
    void WriteTable(const std::string& name, const std::string& voucher, int rows = 1) {
        DbfWriter writer(DbfWriter::PostingColumns());
        for (int i = 1; i <= rows; ++i)
            writer.RowByName({{"BIZONYLAT", rows == 1 ? voucher : voucher + std::to_string(i)},
                              {"MO_CHAR", "S"},
                              {"IRANY", "K"},
                              {"TOTAL", "10"},
                              {"SUMA", "10"},
                              {"KARTON", "4541"},
                              {"KELTE", "20130110"}});
        writer.Save(dir / name);
    }
    int Headers(const std::string& where) {
        return std::stoi(db_->QueryValue("select count(*) from FEJLEC where " + where));
    }

    TempDir dir;
    std::ostringstream out, err;
};

} // namespace

TEST_F(Batch, UsageAndStartUpFailuresExitWithTwo) {
    EXPECT_EQ(Run({}), 2);
    EXPECT_NE(err.str().find("Parameters error"), std::string::npos);
    EXPECT_EQ(Run({"--type=BANK3", Params()}), 2);
    EXPECT_NE(err.str().find("Unknown import type: BANK3"), std::string::npos);
    EXPECT_EQ(Run({"--year=20x2", Params()}), 2);
    EXPECT_EQ(Run({"--all", Params()}), 2);
    EXPECT_EQ(Run({"--db-timeout=0", Params()}), 2);
    EXPECT_EQ(Run({(dir / "missing.txt").string()}), 2);
    EXPECT_NE(err.str().find("file nem létezik!"), std::string::npos);
    EXPECT_EQ(Run({Params({"a", "b", "c"})}), 2);
    EXPECT_NE(err.str().find("List index out of bounds (3)"), std::string::npos);
}

TEST_F(Batch, RunAnswersTheQuestionsAndPrintsDialogsAndLogs) {
    WriteTable("feladas1.dbf", "B1");
    WriteTable("feladas2.dbf", "B2");
    EXPECT_EQ(Run({"--year=2013", Params()}), 0) << err.str();
    const std::string printed = out.str();
    EXPECT_NE(printed.find("Confirmation: Minden feladást egy naplóba tegyek?!\n  -> Igen"),
              std::string::npos)
        << printed;
    EXPECT_NE(printed.find("Mely évbe tölti: Évszám pl 2012 -> 2013"), std::string::npos);
    EXPECT_NE(printed.find("Log:\n  feladas1.dbf\n  OK - End of import"), std::string::npos);
    EXPECT_NE(printed.find("Message:\n  OK - End of import\n  Files: 2 posted, 0 failed"),
              std::string::npos);
    EXPECT_EQ(Headers("FE_BIZONYLAT in ('B1','B2') and FE_EV = 2013"), 2);
    EXPECT_TRUE(err.str().empty()) << err.str();
}

TEST_F(Batch, FirstOnlyLeavesTheRestAndTheOfferedYearIsTheDefault) {
    WriteTable("feladas1.dbf", "F1");
    WriteTable("feladas2.dbf", "F2");
    EXPECT_EQ(Run({"--first-only", "--type=SZLA1", Params()}), 0) << err.str();
    EXPECT_NE(out.str().find("-> Nem"), std::string::npos);
    EXPECT_EQ(out.str().find("Message: OK - End of import"), std::string::npos);
    // MAX(FO_EV) is offered and taken.
    EXPECT_EQ(Headers("FE_BIZONYLAT in ('F1','F2') and FE_EV = 2013"), 1);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              3); // one table left, the archive folder and the parameters file
}

TEST_F(Batch, FailedFileExitsWithOneAndReportsOnTheErrorStream) {
    dir.Write("feladas1.dbf", "no table");
    dir.Write("feladas|2.dbf", "no input");
    EXPECT_EQ(Run({Params()}), 1);
    EXPECT_NE(err.str().find("Error:\n  "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("( .F_IN - "), std::string::npos);
    EXPECT_NE(err.str().find("Notice: A(z) feladas|2.dbf nem átvehető"), std::string::npos);
    // An empty work list is no failure.
    EXPECT_EQ(Run({"--type=PENZ1", Params()}), 0);
    EXPECT_NE(out.str().find("Message: Nincs átveendő állomány!"), std::string::npos);
}

TEST_F(Batch, HelpVersionAndWhatIsNoUsage) {
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find("Exit status: 0 every row"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("--check"), std::string::npos);
    EXPECT_TRUE(err.str().empty());
    EXPECT_EQ(Run({"-h", "--bogus"}), 0);
    EXPECT_EQ(Run({"--version"}), 0);
    EXPECT_EQ(out.str(), "inzefor-batch ver. 2.3\n");

    // Nothing is posted on a usage error.
    WriteTable("feladas1.dbf", "U1");
    const std::vector<std::vector<std::string>> refused = {
        {"--year=2012", "--year=2013"},
        {"--type=SZLA1", "--type=PENZ1"},
        {"--quiet", "--quiet"},
        {"--quiet=yes"},
        {"--settle=soon"},
        {"--report"},
        {"--check", "--repost"},
        {"--report=" + (dir / "no" / "such" / "r.json").string()},
        {"--report=" + dir.Path().string()},
        {Params(), "extra.txt"}};
    for (std::vector<std::string> args : refused) {
        args.push_back(Params());
        EXPECT_EQ(Run(args), 2) << args.front();
        EXPECT_NE(err.str().find("usage: inzefor-batch"), std::string::npos) << args.front();
    }
    EXPECT_EQ(Run({"--year=1", "--year=2", Params()}), 2);
    EXPECT_NE(err.str().find("Option given twice: --year"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir / "feladas1.dbf"));
    EXPECT_FALSE(fs::exists(dir / "no"));
    EXPECT_EQ(Headers("FE_BIZONYLAT = 'U1'"), 0);
}

TEST_F(Batch, RelativeParametersFileAndQuietRuns) {
    Params();
    const fs::path before = fs::current_path();
    fs::current_path(dir.Path());
    // Nothing to do: nothing printed at all.
    EXPECT_EQ(Run({"--quiet", "params.txt"}), 0);
    EXPECT_EQ(out.str() + err.str(), "");
    // Something done: only the summary.
    WriteTable("feladas1.dbf", "Q1");
    EXPECT_EQ(Run({"--quiet", "--year=2013", "./params.txt"}), 0);
    fs::current_path(before);
    const std::string printed = out.str();
    EXPECT_EQ(printed.rfind("Summary:\n"
                            "  Files: 1 posted, 0 failed, 0 refused, 0 to be continued\n"
                            "  Rows: 1 read, 1 posted (1 with findings), 0 rejected\n"
                            "  Created: 1 voucher, 0 customers, ",
                            0),
              0u)
        << printed;
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 4) << printed;
    EXPECT_EQ(err.str(), "");
    EXPECT_EQ(Headers("FE_BIZONYLAT = 'Q1'"), 1);
}

TEST_F(Batch, OnATerminalTheProgressLineIsAlwaysEndedByALineEnd) {
    WriteTable("feladas1.dbf", "T", 40);
    const std::string params = Params();
    // The runner opens the database itself; an embedded one takes one process.
    db_->Db().Disconnect();
    int terminal = -1;
    const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        execl(INZEFOR_BATCH, INZEFOR_BATCH, "--year=2013", params.c_str(), nullptr);
        _exit(127);
    }
    std::string shown;
    char buffer[4096];
    for (ssize_t n; (n = read(terminal, buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break; // EIO: the runner has ended and closed the terminal
        shown.append(buffer, n);
    }
    close(terminal);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << shown;

    EXPECT_NE(shown.find("\rfile 1/1 feladas1.dbf  row 40/40"), std::string::npos) << shown;
    EXPECT_TRUE(shown.ends_with("\r\n")) << shown;
    // Whatever comes after a progress line starts on a line of its own.
    std::size_t lines = 0;
    for (std::size_t start = 0, end; (end = shown.find("\r\n", start)) != std::string::npos;
         start = end + 2) {
        const std::string line = shown.substr(start, end - start);
        if (line.find("file 1/1 ") == std::string::npos) continue;
        ++lines;
        const std::string last = line.substr(line.rfind('\r') + 1);
        EXPECT_TRUE(last.starts_with("file 1/1 feladas1.dbf  row ")) << line;
    }
    EXPECT_GE(lines, 1u);
    db_->Db().Connect();
    EXPECT_EQ(Headers("FE_BIZONYLAT starting with 'T'"), 40);
}

// Tables older than the settle time are taken with no watch. One whose header announces no
// records over a file that holds some is damaged once it is older than a few minutes; one that
// is cut short but changed only a minute ago may still be being written and is left alone.
TEST_F(Batch, TablesWhoseHeaderLiesAreNeverPosted) {
    WriteTable("feladas1.dbf", "S1");
    WriteTable("feladas2.dbf", "S2", 3);
    WriteTable("feladas3.dbf", "S3", 3);
    std::fstream(dir / "feladas2.dbf", std::ios::in | std::ios::out | std::ios::binary)
        .seekp(4)
        .write("\0\0\0\0", 4);
    fs::resize_file(dir / "feladas3.dbf", fs::file_size(dir / "feladas3.dbf") - 40);
    for (const auto& [name, minutes] :
         {std::pair{"feladas1.dbf", 10}, {"feladas2.dbf", 10}, {"feladas3.dbf", 2}})
        fs::last_write_time(dir / name,
                            fs::file_time_type::clock::now() - std::chrono::minutes(minutes));
    const std::string report = (dir / "r.json").string();
    EXPECT_EQ(Run({"--year=2013", "--settle=60", "--report=" + report, Params()}), 1);
    EXPECT_NE(err.str().find("feladas2.dbf is longer than its header says: its header announces 0 "
                             "records of"),
              std::string::npos)
        << err.str();
    EXPECT_NE(err.str().find("but the file holds 3 whole records"), std::string::npos);
    EXPECT_NE(err.str().find("Notice: feladas3.dbf is truncated: its header announces 3 records"),
              std::string::npos);
    std::map<std::string, std::string> outcomes;
    const nlohmann::json json = nlohmann::json::parse(std::ifstream(report));
    for (const auto& file : json["files"]) {
        outcomes[file["name"]] = file["outcome"];
        EXPECT_FALSE(file["waited_to_settle"]) << file["name"];
    }
    EXPECT_EQ(outcomes,
              (std::map<std::string, std::string>{{"feladas1.dbf", "posted"},
                                                  {"feladas2.dbf", "failed"},
                                                  {"feladas3.dbf", "left for a later run"}}));
    EXPECT_TRUE(fs::exists(dir / "in_arch" / "Err_feladas2.dbf"));
    EXPECT_TRUE(fs::exists(dir / "feladas3.dbf"));
    EXPECT_EQ(Headers("FE_BIZONYLAT starting with 'S'"), 1);
}
