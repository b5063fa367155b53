#include "app/BatchRunner.h"
#include "tests/support/DatabaseTest.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <sstream>

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
    void WriteTable(const std::string& name, const std::string& voucher) {
        DbfWriter writer(DbfWriter::PostingColumns());
        writer.RowByName({{"BIZONYLAT", voucher},
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
    EXPECT_NE(printed.find("Message: OK - End of import"), std::string::npos);
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
