// What a console run says it did is what the database holds: counts under each file's log, under
// the end message and in the JSON report; failed files and files with rejected rows named with
// their logs; exit statuses 1 and 4.
#include "app/BatchRunner.h"
#include "fixtures/DbfWriter.h"
#include "fixtures/MixedInputs.h"
#include "fixtures/TempDir.h"
#include "fixtures/TestDatabase.h"
#include "platform/ContentKey.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string Count(int n, const std::string& noun) {
    return std::to_string(n) + " " + noun + (n == 1 ? "" : "s");
}

// The counting lines as the console prints them (indented under their heading).
std::string Lines(const PostingCounts& c, int duplicates) {
    return "Rows: " + std::to_string(c.RowsRead()) + " read, " + std::to_string(c.RowsPosted) +
           " posted (" + std::to_string(c.RowsFlagged) + " with findings), " +
           std::to_string(c.RowsRejected) +
           " rejected\n  Created: " + Count(c.VouchersCreated, "voucher") +
           (duplicates ? " (" + std::to_string(duplicates) + " marked as duplicates)" : "") + ", " +
           Count(c.CustomersCreated, "customer") + ", " + Count(c.JournalsCreated, "journal");
}

PostingCounts Read(const nlohmann::json& counts) {
    PostingCounts c;
    c.RowsPosted = counts["rows_posted"];
    c.RowsFlagged = counts["rows_with_findings"];
    c.RowsRejected = counts["rows_rejected"];
    c.VouchersCreated = counts["vouchers_created"];
    c.CustomersCreated = counts["customers_created"];
    c.JournalsCreated = counts["journals_created"];
    EXPECT_EQ(counts["rows_read"], c.RowsRead());
    return c;
}

class RunSummary : public ::testing::Test {
protected:
    void SetUp() override {
        MixedInputs::LoadReference(db);
        DbfWriter::CreatePostingTable(dir / "in_arch" / "Feladas.dbf");
    }
    int Run(std::vector<std::string> args) {
        args.push_back(
            dir.Write("params.txt", "Summary\r\n" + dir.Folder() + "\r\n" + db.Path() + "\r\n\r\n")
                .string());
        return BatchRunner(out, err).Run(args);
    }
    std::string Log(const std::string& archived) const {
        return (dir / "in_arch" / (archived + ".log")).string();
    }

    TestDatabase db;
    TempDir dir;
    std::ostringstream out, err;
};

TEST_F(RunSummary, TheLogsTheEndMessageAndTheReportCountWhatTheDatabaseHolds) {
    MixedInputs::WritePostingTable(dir / "feladas1.dbf", 300);
    MixedInputs::WritePostingTable(dir / "feladas2.dbf", 40);
    const std::string report = (dir / "run.json").string();
    EXPECT_EQ(Run({"--year=2012", "--report=" + report}), 4) << err.str();

    const PostingCounts stored = MixedInputs::Stored(db, 340);
    ASSERT_GT(stored.RowsFlagged, 0);
    ASSERT_GT(stored.RowsRejected, 0);
    ASSERT_GT(stored.CustomersCreated, 0);
    ASSERT_GT(stored.JournalsCreated, 0);
    // The second table repeats vouchers of the first.
    const int duplicates = std::stoi(
        db.QueryValue("select count(*) from FEJLEC where FE_MEGJEGY starting with '?Dupla?'"));
    ASSERT_GT(duplicates, 0);
    const std::string printed = out.str();
    EXPECT_NE(printed.find("Message:\n  OK - End of import\n  Files: 2 posted, 0 failed, 0 "
                           "refused, 0 to be continued\n  " +
                           Lines(stored, duplicates)),
              std::string::npos)
        << printed;
    EXPECT_NE(printed.find("  Rows rejected: feladas1.dbf (" + std::to_string(stored.RowsRejected) +
                           "), log " + Log("OK_feladas1.dbf") + "\n"),
              std::string::npos)
        << printed;

    std::ifstream in(report);
    const nlohmann::json json = nlohmann::json::parse(in);
    EXPECT_EQ(json["exit_status"], 4);
    EXPECT_EQ(json["check"], false);
    EXPECT_EQ(json["type"], "SZLA1");
    const PostingCounts totals = Read(json["totals"]);
    EXPECT_EQ(Lines(totals, 0), Lines(stored, 0));
    EXPECT_EQ(json["totals"]["files_posted"], 2);
    ASSERT_EQ(json["files"].size(), 2u);
    int rejected = 0, findings = 0, customers = 0, journals = 0, repeated = 0;
    for (const nlohmann::json& file : json["files"]) {
        const std::string name = file["name"];
        EXPECT_EQ(file["outcome"], "posted");
        EXPECT_EQ(file["content_key"],
                  ContentKey::OfFile((dir / "in_arch" / ("OK_" + name)).string()));
        EXPECT_EQ(file["log"], Log("OK_" + name));
        EXPECT_LE(file["started"], file["ended"]);
        // Each file's log is followed by its own counts.
        EXPECT_NE(printed.find("Log:\n  " + name + "\n  OK - End of import\n"), std::string::npos);
        EXPECT_NE(printed.find(Lines(Read(file["counts"]), file["duplicates"].size())),
                  std::string::npos)
            << name;
        rejected += static_cast<int>(file["rejected"].size());
        findings += static_cast<int>(file["findings"].size());
        customers += static_cast<int>(file["customers_created"].size());
        journals += static_cast<int>(file["journals_created"].size());
        repeated += static_cast<int>(file["duplicates"].size());
    }
    EXPECT_EQ(rejected, stored.RowsRejected);
    EXPECT_EQ(findings, stored.RowsFlagged);
    EXPECT_EQ(customers, stored.CustomersCreated);
    EXPECT_EQ(journals, stored.JournalsCreated);
    EXPECT_EQ(repeated, duplicates);
}

TEST_F(RunSummary, AFailedFileAndOneWithRejectedRowsAreNamedWithTheirLogs) {
    MixedInputs::WritePostingTable(dir / "feladas1.dbf", 200);
    dir.Write("feladas2.dbf", "no table");
    EXPECT_EQ(Run({"--year=2012"}), 1);

    const std::string printed = out.str();
    const std::size_t end = printed.find("Message:\n  OK - End of import\n  Files: 1 posted, 1 "
                                         "failed, 0 refused, 0 to be continued\n");
    ASSERT_NE(end, std::string::npos) << printed;
    EXPECT_NE(printed.find("  Failed: feladas2.dbf, log " + Log("Err_feladas2.dbf") + "\n", end),
              std::string::npos)
        << printed;
    EXPECT_NE(printed.find("  Rows rejected: feladas1.dbf (", end), std::string::npos);
    EXPECT_NE(err.str().find("Error:\n"), std::string::npos);
}

} // namespace
