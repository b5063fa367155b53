#include "db/DbError.h"
#include "db/IBQuery.h"
#include "db/TEQuery.h"
#include "fixtures/TempDir.h"
#include "platform/DateTime.h"
#include "tests/support/DatabaseTest.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// The program's folder is a temporary one; the component is owned by the main window, which the
// application owns, so it logs into <folder>/Logs/ExecSql when that folder exists.
class ExecSqlLogTest : public DatabaseTest {
protected:
    static void SetUpTestSuite() {
        CreateDatabase("create table T (A integer, B varchar(20), AB integer)");
    }
    void SetUp() override {
        log_.ExeFolder = exe_.Path().string();
        log_.LogClock = [] {
            return datetime::EncodeDate(2026, 3, 3) + datetime::EncodeTime(14, 5, 59);
        };
        eq_ = std::make_unique<TEQuery>("EQ1", &window_, &log_);
        eq_->SetXQuery(&ib_);
        logs_ = exe_.Path() / "Logs" / "ExecSql";
        fs::create_directories(logs_);
    }
    std::string Log(const std::string& name) const {
        std::ifstream in(logs_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    TempDir exe_;
    fs::path logs_;
    Component app_{"Application"};
    SqlLogSettings log_{&app_};
    Component window_{"F_IN", &app_};
    IBQuery ib_{db_->Db(), db_->Tr(), "IB1", &window_};
    std::unique_ptr<TEQuery> eq_;
};

TEST_F(ExecSqlLogTest, SucceedingStatementIsLoggedWithItsValuesFilledIn) {
    eq_->SetSQL({"insert into T (A,B)", "values (:A,:B)"});
    eq_->ParamByName("A")->SetAsInteger(5);
    eq_->ParamByName("B")->SetAsString("O'Neil");
    eq_->ExecSQL();
    EXPECT_EQ(Log("sql.log"), "/* 03.03 14:05 F_IN.EQ1*/\r\n"
                              "insert into T (A,B) values ('5' ,'O''Neil' ) \r\n");
    EXPECT_FALSE(fs::exists(logs_ / "sqlerr.log"));
    EXPECT_EQ(db_->QueryValue("select B from T where A = 5"), ""); // not committed yet
    db_->Tr().Commit();
    EXPECT_EQ(db_->QueryValue("select B from T where A = 5"), "O'Neil");
}

TEST_F(ExecSqlLogTest, MarkersAreFilledOnlyWhereFollowedByBlankCommaOrParenthesis) {
    eq_->SetSQLText("insert into T (A, AB, B) values (:A, :AB, :b)");
    eq_->ParamByName("A")->SetAsInteger(1);
    eq_->ParamByName("AB")->SetAsInteger(2);
    eq_->ExecSQL(); // B is null
    eq_->SetSQLText("update T set B = 'z' where :A=A and AB = :AB");
    eq_->ParamByName("A")->SetAsInteger(1);
    eq_->ParamByName("AB")->SetAsFloat(2.5);
    eq_->ExecSQL();
    // A value with line breaks still leaves the entry one line long.
    eq_->SetSQLText("update T set B = :B where A = 1");
    eq_->ParamByName("B")->SetAsString("two\r\nlines\nor\rthree");
    eq_->ExecSQL();
    EXPECT_EQ(Log("sql.log"), "/* 03.03 14:05 F_IN.EQ1*/\r\n"
                              "insert into T (A, AB, B) values ('1' , '2' , '' ) \r\n"
                              "/* 03.03 14:05 F_IN.EQ1*/\r\n"
                              "update T set B = 'z' where :A=A and AB = '2,5' \r\n"
                              "/* 03.03 14:05 F_IN.EQ1*/\r\n"
                              "update T set B = 'two lines or three' where A = 1 \r\n");
}

TEST_F(ExecSqlLogTest, FailingStatementWritesThreeLinesAndStillFails) {
    eq_->SetSQLText("update T set B = :B;\r\nwhere A = 1");
    eq_->ParamByName("B")->SetAsString("x");
    std::string message;
    try {
        eq_->ExecSQL();
        FAIL() << "the statement is not valid";
    } catch (const DbError& e) {
        message = e.what();
    }
    ASSERT_NE(message.find('\n'), std::string::npos); // the caller's message is untouched
    std::string flat = message;
    for (char& c : flat)
        if (c == '\n' || c == '\r') c = ' ';
    EXPECT_EQ(Log("sqlerr.log"), "/*Err 03.03 14:05 F_IN.EQ1*/\r\n"
                                 "update T set B = :B; where A = 1 \r\n"
                                 "/*ErrMsg " +
                                     flat + " */\r\n");
    EXPECT_FALSE(fs::exists(logs_ / "sql.log"));
}

TEST_F(ExecSqlLogTest, BackquotePairsBecomeApostrophesAndStayInTheQuery) {
    eq_->SetSQLText("insert into T (A, B) values (7, ``it````s``)");
    eq_->ExecSQL();
    EXPECT_EQ(ib_.SQLText(), "insert into T (A, B) values (7, 'it''s')\r\n");
    EXPECT_EQ(Log("sql.log"), "/* 03.03 14:05 F_IN.EQ1*/\r\n"
                              "insert into T (A, B) values (7, 'it''s') \r\n");
    IBQuery check(db_->Db(), db_->Tr());
    check.SetSQLText("select B from T where A = 7");
    check.Open();
    EXPECT_EQ(check.FieldByName("B")->AsString(), "it's");
}

TEST_F(ExecSqlLogTest, NoLogFolderMeansNoFileAndNoLogWithoutOwner) {
    fs::remove_all(exe_.Path() / "Logs");
    eq_->SetSQLText("insert into T (A) values (:A)");
    eq_->ParamByName("A")->SetAsInteger(8);
    eq_->ExecSQL();
    EXPECT_EQ(ib_.RowsAffected(), 1);
    EXPECT_FALSE(fs::exists(exe_.Path() / "Logs"));

    fs::create_directories(logs_);
    TEQuery loose("EQ9", nullptr, &log_);
    loose.SetXQuery(&ib_);
    loose.ExecSQL();
    EXPECT_FALSE(fs::exists(logs_ / "sql.log"));
    eq_->ExecSQLNoLog();
    EXPECT_FALSE(fs::exists(logs_ / "sql.log"));
    EXPECT_EQ(db_->QueryValue("select count(*) from T where A = 8"), "0");
    db_->Tr().Commit();
    EXPECT_EQ(db_->QueryValue("select count(*) from T where A = 8"), "3");
}

// An installed program logs where the build says, only while that folder exists, never beside
// itself.
TEST_F(ExecSqlLogTest, AnInstalledProgramLogsIntoTheFolderItsBuildNames) {
    TempDir installed;
    log_.InstalledFolder = (installed.Path() / "ExecSql").string();
    TEQuery query("EQ2", &window_, &log_);
    query.SetXQuery(&ib_);
    query.SetSQLText("insert into T (A) values (7)");
    query.ExecSQL();
    EXPECT_FALSE(fs::exists(installed.Path() / "ExecSql"));
    fs::create_directory(installed.Path() / "ExecSql");
    query.ExecSQL();
    EXPECT_NE(installed.Read("ExecSql/sql.log").find("values (7)"), std::string::npos);
    EXPECT_FALSE(fs::exists(logs_ / "sql.log"));
}

TEST_F(ExecSqlLogTest, SuffixAndCountLine) {
    log_.ExecSqlLogSuffix = "_x";
    log_.ExecSqlCountSql = "select count(*) as RCNT from T where A = 9";
    eq_->SetSQLText("insert into T (A) values (9)");
    eq_->ExecSQL();
    EXPECT_EQ(log_.ExecSqlLastCount, 1);
    // After a failed statement the count line still goes to the success file.
    eq_->SetSQLText("insert into NO_SUCH_TABLE (A) values (9)");
    EXPECT_THROW(eq_->ExecSQL(), DbError);
    const std::string countLine = "/* [1] 03.03 14:05 " + db_->Path() + "*/\r\n";
    EXPECT_EQ(Log("sql_x.log"), "/* 03.03 14:05 F_IN.EQ1*/\r\n"
                                "insert into T (A) values (9) \r\n" +
                                    countLine + countLine);
    EXPECT_EQ(Log("sqlerr_x.log")
                  .rfind("/*Err 03.03 14:05 F_IN.EQ1*/\r\n"
                         "insert into NO_SUCH_TABLE (A) values (9) \r\n/*ErrMsg ",
                         0),
              0u);
}

TEST_F(ExecSqlLogTest, FullFileIsRotatedAfterTheEntryThatCrossedTheLimit) {
    const std::uintmax_t limit = 65667072;
    eq_->SetSQLText("insert into T (A) values (10)");
    const std::string entry = "/* 03.03 14:05 F_IN.EQ1*/\r\ninsert into T (A) values (10) \r\n";

    { std::ofstream(logs_ / "sql.log", std::ios::binary); }
    fs::resize_file(logs_ / "sql.log", limit - 1);
    eq_->ExecSQL();
    EXPECT_EQ(fs::file_size(logs_ / "sql.log"), limit - 1 + entry.size());
    EXPECT_FALSE(fs::exists(logs_ / "sql_1.log"));

    { std::ofstream(logs_ / "sql_1.log", std::ios::binary) << "older generation"; }
    fs::resize_file(logs_ / "sql.log", limit);
    eq_->ExecSQL();
    EXPECT_FALSE(fs::exists(logs_ / "sql.log"));
    EXPECT_EQ(fs::file_size(logs_ / "sql_1.log"), limit + entry.size());

    eq_->ExecSQL(); // the next entry starts a new file
    EXPECT_EQ(Log("sql.log"), entry);

    // The error file turns over the same way, into its own older generation.
    { std::ofstream(logs_ / "sqlerr.log", std::ios::binary); }
    fs::resize_file(logs_ / "sqlerr.log", limit);
    eq_->SetSQLText("insert into NO_SUCH_TABLE (A) values (10)");
    EXPECT_THROW(eq_->ExecSQL(), DbError);
    EXPECT_FALSE(fs::exists(logs_ / "sqlerr.log"));
    EXPECT_GT(fs::file_size(logs_ / "sqlerr_1.log"), limit);
    EXPECT_EQ(Log("sql.log"), entry);
    EXPECT_EQ(fs::file_size(logs_ / "sql_1.log"), limit + entry.size());
}

} // namespace
