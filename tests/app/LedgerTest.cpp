// The bookkeeping of input files in the database: content posted once, a stop resumed, records and
// locks that cannot be trusted refused with a clear error, and an import that still works where
// the bookkeeping tables cannot be made.
#include "app/BatchRunner.h"
#include "fixtures/DbfWriter.h"
#include "fixtures/TempDir.h"
#include "platform/FolderLock.h"
#include "tests/support/DatabaseTest.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class Ledger : public DatabaseTest {
protected:
    static void SetUpTestSuite() {
        CreateDatabase("insert into FOKONYV values ('4541','S','Y',2012,'Szallitok');"
                       "insert into FOKONYV values ('5211','X','Y',2012,'Anyag');");
    }

    // Stops the run when it asks for the stopAt-th time (0: never).
    int Run(std::vector<std::string> args, int stopAt = 0) {
        out.str({});
        err.str({});
        int asked = 0;
        args.push_back(Params());
        return BatchRunner(out, err, false, [&] { return stopAt > 0 && ++asked >= stopAt; })
            .Run(args);
    }
    std::string Params() const {
        return dir
            .Write("params.txt",
                   "Ledger\r\n" + dir.Folder() + "\r\n" + Db().Path() + "\r\n\r\n" + connection)
            .string();
    }
    // A table of `rows` one-line vouchers named prefix1, prefix2, ...
    void WriteTable(const std::string& name, const std::string& prefix, int rows) {
        DbfWriter writer(DbfWriter::PostingColumns());
        for (int i = 1; i <= rows; ++i)
            writer.RowByName({{"BIZONYLAT", prefix + std::to_string(i)},
                              {"MO_CHAR", "S"},
                              {"IRANY", "K"},
                              {"TOTAL", std::to_string(10 + i)},
                              {"SUMA", "10"},
                              {"KARTON", "4541"},
                              {"ELLEN", "5211"},
                              {"KELTE", "20120110"}});
        writer.Save(dir / name);
    }
    static TestDatabase& Db() { return *db_; }
    int Headers(const std::string& prefix) const {
        return std::stoi(Db().QueryValue("select count(*) from FEJLEC where FE_BIZONYLAT "
                                         "starting with '" +
                                         prefix + "'"));
    }
    bool Exists(const std::string& name) const { return fs::exists(dir / name); }
    std::string Said() const { return out.str() + err.str(); }

    TempDir dir;
    std::string connection; // connection lines of the parameters file
    std::ostringstream out, err;
};

TEST_F(Ledger, SameContentIsPostedOnceUnlessRepostIsAsked) {
    WriteTable("feladas1.dbf", "SAME", 3);
    ASSERT_EQ(Run({"--year=2012"}), 0) << Said();
    ASSERT_EQ(Headers("SAME"), 3);

    // The same bytes under another name, as a sender that delivers twice would drop them.
    fs::copy_file(dir / "in_arch" / "OK_feladas1.dbf", dir / "feladas7.dbf");
    EXPECT_EQ(Run({"--year=2012"}), 1);
    EXPECT_EQ(Headers("SAME"), 3);
    EXPECT_FALSE(Exists("feladas7.dbf"));
    const std::string log = dir.Read("in_arch/Err_feladas7.dbf.log");
    EXPECT_NE(log.find("The same content as feladas7.dbf was posted on "), std::string::npos)
        << log;
    EXPECT_NE(log.find(" as feladas1.dbf; it is not posted again."), std::string::npos) << log;
    EXPECT_NE(err.str().find("it is not posted again"), std::string::npos) << err.str();

    // Put back and asked for again, it is posted again; content that differs is a new file.
    fs::rename(dir / "in_arch" / "Err_feladas7.dbf", dir / "feladas7.dbf");
    EXPECT_EQ(Run({"--year=2012", "--repost"}), 0) << Said();
    EXPECT_EQ(Headers("SAME"), 6);
    WriteTable("feladas1.dbf", "SAME", 2);
    EXPECT_EQ(Run({"--year=2012"}), 0) << Said();
    EXPECT_EQ(Headers("SAME"), 8);
}

TEST_F(Ledger, StopBetweenRowsIsResumedAndUntrustworthyRecordsAreRefused) {
    WriteTable("feladas1.dbf", "STOP", 5);
    // Asked once before the file and once before each row: the stop comes before the third
    // row, so two rows are in and the file stays.
    EXPECT_EQ(Run({"--year=2012"}, 4), 3) << Said();
    EXPECT_EQ(Headers("STOP"), 2);
    EXPECT_TRUE(Exists("feladas1.dbf"));
    EXPECT_NE(err.str().find("feladas1.dbf stopped after row 2: 2 of its rows are in. It stays "
                             "in the exchange folder and the next run continues after row 2."),
              std::string::npos)
        << err.str();

    // Records changed by hand are not trusted: nothing of the file is posted.
    const std::string ofFile = " where IR_KEY = (select IF_KEY from INZ_FILE where IF_NAME = "
                               "'feladas1.dbf' and IF_STATE = 'running')";
    auto putBack = [&] { fs::rename(dir / "in_arch" / "Err_feladas1.dbf", dir / "feladas1.dbf"); };
    Db().Execute("update INZ_ROW set IR_ROW = 9" + ofFile + " and IR_ROW = 2");
    EXPECT_EQ(Run({"--year=2012"}), 1);
    EXPECT_NE(err.str().find("records row 9 after row 1; it cannot be trusted"), std::string::npos)
        << err.str();
    putBack();
    Db().Execute("set term ^ ; execute block as declare i integer = 2; begin"
                 "  while (i < 9) do begin"
                 "    insert into INZ_ROW (IR_KEY, IR_ROW, IR_YEAR, IR_HEADER_ID, IR_IMPORT)"
                 "    select IR_KEY, :i, IR_YEAR, IR_HEADER_ID, IR_IMPORT from INZ_ROW" +
                 ofFile + " and IR_ROW = 9; i = i + 1; end end^ set term ; ^");
    EXPECT_EQ(Run({"--year=2012"}), 1);
    EXPECT_NE(err.str().find("says 9 rows are in, but the table has 5; nothing of it is posted"),
              std::string::npos)
        << err.str();
    putBack();
    Db().Execute("delete from INZ_ROW" + ofFile +
                 " and IR_ROW between 2 and 8;"
                 "update INZ_ROW set IR_ROW = 2" +
                 ofFile +
                 " and IR_ROW = 9;"
                 "update INZ_ROW set IR_HEADER_ID = -5" +
                 ofFile + " and IR_ROW = 2;");
    EXPECT_EQ(Run({"--year=2012"}), 1);
    EXPECT_NE(err.str().find("names the voucher header -5, which does not exist"),
              std::string::npos)
        << err.str();
    EXPECT_EQ(Headers("STOP"), 2);

    // Mended and put back under its name, the file goes on after its second row.
    putBack();
    Db().Execute("update INZ_ROW set IR_HEADER_ID = (select max(FE_ID) from FEJLEC where "
                 "FE_BIZONYLAT = 'STOP2')" +
                 ofFile + " and IR_ROW = 2");
    EXPECT_EQ(Run({"--year=2012"}), 0) << Said();
    EXPECT_EQ(Headers("STOP"), 5);
    EXPECT_EQ(std::stoi(Db().QueryValue("select count(*) from FEJLEC where FE_BIZONYLAT = "
                                        "'STOP3'")),
              1);
    const std::string log = dir.Read("in_arch/OK_feladas1.dbf.log");
    EXPECT_EQ(log, "feladas1.dbf\r\nOK - End of import\r\n\r\nResumed after row 2 of 5: an "
                   "earlier run started on " +
                       log.substr(log.find("started on ") + 11, 20) + " stopped there.\r\n");
}

// Of the rows handled before a stop, only those posted are in; the next run goes on after all.
TEST_F(Ledger, StopMessageCountsOnlyThePostedRowsAsIn) {
    WriteTable("feladas1.dbf", "CNT", 3);
    Db().Execute("create exception REFUSED 'refused'; set term ^ ; create trigger CNT_REFUSE for "
                 "FEJLEC before insert as begin if (new.FE_BIZONYLAT = 'CNT1') then exception "
                 "REFUSED; end^ set term ; ^");
    EXPECT_EQ(Run({"--year=2012"}, 4), 3) << Said();
    EXPECT_NE(err.str().find("feladas1.dbf stopped after row 2: 1 of its rows are in. It stays in "
                             "the exchange folder and the next run continues after row 2."),
              std::string::npos)
        << err.str();
}

TEST_F(Ledger, AFolderHeldOrUnlockableIsLeftAlone) {
    WriteTable("feladas1.dbf", "HELD", 2);
    fs::create_directories(dir / "in_arch");
    {
        // Another run holds the folder: this one touches nothing.
        std::optional<FolderLock> other =
            FolderLock::TryAcquire(dir.Folder() + "in_arch/InZEFOR.lock");
        ASSERT_TRUE(other);
        EXPECT_EQ(Run({"--year=2012"}), 1);
        EXPECT_NE(err.str().find("Another import is running on the exchange folder"),
                  std::string::npos)
            << err.str();
    }
    fs::remove(dir / "in_arch" / "InZEFOR.lock");
    fs::create_directories(dir / "in_arch" / "InZEFOR.lock");
    EXPECT_EQ(Run({"--year=2012"}), 1);
    EXPECT_NE(err.str().find("Cannot create the lock file"), std::string::npos) << err.str();
    EXPECT_TRUE(Exists("feladas1.dbf"));
    EXPECT_EQ(Headers("HELD"), 0);
}

// A database where the bookkeeping tables are missing and the importer's user may not create
// tables: the import works as it always did and says that a stop cannot be resumed.
class LedgerUnavailable : public Ledger {
protected:
    static void SetUpTestSuite() {
        CreateDatabase("drop table INZ_ROW; drop table INZ_FILE; drop table INZ_GUARD;"
                       "drop table INZ_IMPORT; drop table INZ_ROW_DONE; drop sequence "
                       "INZ_IMPORT_ID; commit;" +
                       ClerkGrants({}));
    }
    // The accounting tables, and those given, for a user who may not create tables.
    static std::string ClerkGrants(std::vector<std::string> tables) {
        std::string grants = "insert into FOKONYV values ('4541','S','Y',2012,'Szallitok');";
        for (const char* table :
             {"FOKONYV", "AFA", "FELCSOP", "FELAFA", "NAPLO", "UGYFEL", "FEJLEC", "TETEL"})
            tables.push_back(table);
        for (const std::string& table : tables)
            grants += "grant all on " + table + " to CLERK;";
        for (const char* procedure : {"FE_NEXT", "TE_NEXT", "UG_NEXT", "ACT_NAPLO"})
            grants += std::string("grant execute on procedure ") + procedure + " to CLERK;";
        for (const char* sequence : {"FE_ID_SEQ", "TE_ID_SEQ", "UG_ID_SEQ", "NA_NO_SEQ"})
            grants += std::string("grant usage on sequence ") + sequence + " to CLERK;";
        return grants + "grant execute on function F_DATE to CLERK;";
    }
};

TEST_F(LedgerUnavailable, ImportRunsAndSaysItCannotBeResumed) {
    WriteTable("feladas1.dbf", "CLERK", 2);
    connection = "user_name=CLERK\r\npassword=clerk\r\nlc_ctype=WIN1250\r\n";
    EXPECT_EQ(Run({"--year=2012"}), 0) << Said();
    EXPECT_EQ(Headers("CLERK"), 2);
    const std::string notice = "The bookkeeping tables INZ_FILE and INZ_ROW are missing and "
                               "cannot be created (";
    EXPECT_NE(out.str().find(notice), std::string::npos) << out.str();
    EXPECT_NE(dir.Read("in_arch/OK_feladas1.dbf.log")
                  .find("a run that is stopped cannot be "
                        "resumed"),
              std::string::npos);
    EXPECT_EQ(Db().QueryValue("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME "
                              "starting with 'INZ_'"),
              "0");
}

// A database whose bookkeeping an older version made lacks a table and a column of this one. A
// user who may not add them posts every file as before and is told once; a run of a user who
// may adds them.
class LedgerOutdated : public LedgerUnavailable {
protected:
    static void SetUpTestSuite() {
        CreateDatabase("drop table INZ_GUARD; drop table INZ_ROW_DONE; drop table INZ_IMPORT;"
                       "drop sequence INZ_IMPORT_ID; alter table INZ_FILE drop IF_IMPORT;"
                       "alter table INZ_ROW drop IR_IMPORT, drop IR_LINE_ID, drop IR_LINES,"
                       "drop IR_PRINT, drop IR_USER; commit;" +
                       ClerkGrants({"INZ_FILE", "INZ_ROW"}));
    }
};

TEST_F(LedgerOutdated, MissingObjectsAreAddedWhereAllowedAndToldOnceElsewhere) {
    WriteTable("feladas1.dbf", "OLD", 2);
    WriteTable("feladas2.dbf", "OLDER", 2);
    connection = "user_name=CLERK\r\npassword=clerk\r\nlc_ctype=WIN1250\r\n";
    EXPECT_EQ(Run({"--year=2012"}), 0) << Said();
    EXPECT_EQ(Headers("OLD"), 4);
    const std::string notice = "The bookkeeping objects INZ_FILE.IF_IMPORT, ";
    // Told once, and in the log of each file.
    int told = 0;
    for (std::size_t at = 0; (at = Said().find(notice, at)) != std::string::npos; ++at)
        ++told;
    EXPECT_EQ(told, 3) << Said();

    Db().Execute("alter table INZ_ROW drop IR_JOURNALS");
    WriteTable("feladas3.dbf", "NEWER", 1);
    connection.clear();
    EXPECT_EQ(Run({"--year=2012"}), 0) << Said();
    EXPECT_EQ(Said().find("The bookkeeping objects"), std::string::npos) << Said();
    EXPECT_EQ(Db().QueryValue("select count(*) from RDB$RELATION_FIELDS where "
                              "RDB$RELATION_NAME in ('INZ_GUARD', 'INZ_ROW') and "
                              "RDB$FIELD_NAME in ('IG_KEY', 'IR_JOURNALS')"),
              "2");
}

} // namespace
