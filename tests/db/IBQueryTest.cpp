#include "db/IBQuery.h"
#include "db/DbError.h"
#include "db/IBDatabase.h"
#include "db/IBStoredProc.h"
#include "db/IBTransaction.h"
#include "db/StatementCache.h"
#include "platform/DateTime.h"
#include "platform/Text.h"
#include "tests/support/DatabaseTest.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class IBQueryTest : public DatabaseTest {
protected:
    static void SetUpTestSuite() {
        CreateDatabase("insert into AFA (AF_NEV, AF_ERTEK, AF_EV, AF_VT466, AF_BK467) "
                       "values ('A25', 25, 2012, '466', '467');"
                       "insert into AFA (AF_NEV, AF_ERTEK, AF_EV, AF_VT466, AF_BK467) "
                       "values ('A25', 27, 2013, '466', '467');"
                       "insert into AFA (AF_NEV, AF_ERTEK, AF_EV, AF_VT466, AF_BK467) "
                       "values ('a5', 5, 2013, '466', '467');"
                       "insert into AFA (AF_NEV, AF_ERTEK, AF_EV, AF_VT466, AF_BK467) "
                       "values ('AM', 0, 2013, null, '467');");
    }
};

TEST_F(IBQueryTest, LookUpByParametersReadsTheRowByFieldName) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    q.SetSQL({"select AF_ERTEK, AF_VT466, AF_EV from AFA", "where AF_NEV = :NEV and AF_EV = :EV"});
    ASSERT_EQ(q.ParamCount(), 2);
    q.ParamByName("NEV").SetAsString("A25");
    q.ParamByName("ev").SetAsFloat(2013.0);
    q.Open();
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 27);
    EXPECT_EQ(q.FieldByName("af_vt466")->AsString(), "466");
    EXPECT_DOUBLE_EQ(q.FieldByName("AF_EV")->AsFloat(), 2013.0);
    EXPECT_EQ(q.FieldByName("AF_EV")->AsString(), "2013");
    EXPECT_EQ(q.RecordCount(), 1);

    // The same parameter set as text is converted by the database.
    q.Close();
    q.ParamByName("EV").SetAsString("2012");
    q.Open();
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsString(), "25");
}

TEST_F(IBQueryTest, LookUpFindingNoRowReadsEmptyAndZero) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    q.SetSQLText("select AF_ERTEK, AF_VT466, AF_EV from AFA where AF_NEV = :NEV");
    q.ParamByName("NEV").SetAsString("NONE");
    q.Open();
    EXPECT_TRUE(q.IsEmpty());
    EXPECT_TRUE(q.Eof());
    TField* f = q.FieldByName("AF_VT466");
    EXPECT_TRUE(f->IsNull());
    EXPECT_EQ(f->AsString(), "");
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 0);
    EXPECT_EQ(q.FieldByName("AF_EV")->AsFloat(), 0.0);
    // A null column of a found row reads the same way.
    q.Close();
    q.ParamByName("NEV").SetAsString("AM");
    q.Open();
    EXPECT_FALSE(q.IsEmpty());
    EXPECT_EQ(q.FieldByName("AF_VT466")->AsString(), "");
}

TEST_F(IBQueryTest, TextChangeRebuildsParametersKeepingValuesOfNamesStillThere) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    q.SetSQLText("select * from AFA where AF_NEV = :A and AF_EV = :B and AF_ERTEK = :A");
    ASSERT_EQ(q.ParamCount(), 2);
    q.ParamByName("A").SetAsString("x");
    q.ParamByName("B").SetAsInteger(3);
    q.SetSQLText("select * from AFA where AF_EV = :b and AF_NEV = :C");
    ASSERT_EQ(q.ParamCount(), 2);
    EXPECT_TRUE(text::SameTextAscii(q.Params()[0].Name(), "b"));
    EXPECT_EQ(q.Params()[1].Name(), "C");
    EXPECT_EQ(q.ParamByName("B").AsInteger(), 3);
    EXPECT_TRUE(q.ParamByName("C").IsNull());
    EXPECT_THROW(q.ParamByName("A"), DbError);

    // Markers inside literals, quoted names and comments are text.
    q.SetSQLText("select ':X' as \":Y\" /* :Z */ from RDB$DATABASE -- :W\nwhere 1 = :V");
    ASSERT_EQ(q.ParamCount(), 1);
    EXPECT_EQ(q.Params()[0].Name(), "V");
    q.ParamByName("V").SetAsInteger(1);
    q.Open();
    EXPECT_EQ(q.FieldByName(":Y")->AsString(), ":X");
}

TEST_F(IBQueryTest, EditingTheTextClosesTheQuery) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    q.SetSQLText("select AF_NEV from AFA");
    q.Open();
    ASSERT_TRUE(q.Active());
    q.SQL().Add("order by AF_NEV");
    EXPECT_FALSE(q.Active());
    q.Open();
    EXPECT_EQ(q.RecordCount(), 4);
}

TEST_F(IBQueryTest, NavigationFlagsAndMoveBy) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    q.SetSQLText("select AF_ERTEK from AFA order by AF_ERTEK");
    q.Open();
    EXPECT_TRUE(q.Bof());
    EXPECT_FALSE(q.Eof());
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 0);
    EXPECT_TRUE(q.Next());
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 5);
    EXPECT_EQ(q.MoveBy(10), 2);
    EXPECT_TRUE(q.Eof());
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 27);
    EXPECT_FALSE(q.Next());
    EXPECT_EQ(q.MoveBy(-2), -2);
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 5);
    EXPECT_EQ(q.MoveBy(-5), -1);
    EXPECT_TRUE(q.Bof());
    EXPECT_FALSE(q.Prior());
    EXPECT_TRUE(q.Last());
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 27);
    EXPECT_TRUE(q.First());
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 0);

    q.Close();
    EXPECT_THROW(q.Next(), DbError);
    EXPECT_THROW(q.FieldByName("AF_ERTEK"), DbError);
    EXPECT_EQ(q.FindField("AF_ERTEK"), nullptr);
}

TEST_F(IBQueryTest, LocateOnTwoKeyFieldsWithAndWithoutOptions) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    q.SetSQLText("select AF_NEV, AF_EV, AF_ERTEK from AFA order by AF_ERTEK");
    q.Open();
    EXPECT_TRUE(q.Locate("AF_NEV;AF_EV", {"A25", "2013"}, false, false));
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 27);
    EXPECT_TRUE(q.Locate("AF_NEV; AF_EV", {"A25", "2012"}, false, false));
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 25);

    // Not found: the current row stays.
    EXPECT_FALSE(q.Locate("AF_NEV;AF_EV", {"A5", "2013"}, false, false));
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 25);
    EXPECT_TRUE(q.Locate("AF_NEV;AF_EV", {"A5", "2013"}, true, false));
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 5);
    EXPECT_FALSE(q.Locate("AF_NEV;AF_EV", {"A2", "2012"}, false, false));
    EXPECT_TRUE(q.Locate("AF_NEV;AF_EV", {"A2", "2012"}, false, true));
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 25);
    EXPECT_TRUE(q.Locate("AF_NEV;AF_EV", {"a", "2013"}, true, true));
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 0);

    EXPECT_THROW(q.Locate("AF_NEV;NOPE", {"A25", "1"}, false, false), DbError);
    EXPECT_THROW(q.Locate("AF_NEV;AF_EV", {"A25"}, false, false), DbError);
}

TEST_F(IBQueryTest, InsertsWithExecSqlAndCountsRows) {
    IBQuery q(db_->Db(), db_->Tr(), "IB2");
    q.SetSQLText("insert into FELCSOP (CS_CSOPORT, CS_KARTON, CS_ELLEN) values (:C, :K, :E)");
    for (int i = 0; i < 3; ++i) {
        q.ParamByName("C").SetAsString("G" + std::to_string(i));
        q.ParamByName("K").SetAsString(W1250("Árvíztűrő"));
        q.ParamByName("E").Clear();
        q.ExecSQL();
        EXPECT_EQ(q.RowsAffected(), 1);
    }
    IBQuery u(db_->Db(), db_->Tr(), "IB3");
    u.SetSQLText("update FELCSOP set CS_ELLEN = 'x' where CS_CSOPORT starting with 'G'");
    u.ExecSQL();
    EXPECT_EQ(u.RowsAffected(), 3);

    IBQuery r(db_->Db(), db_->Tr(), "IB4");
    r.SetSQLText("select CS_KARTON, CS_ELLEN from FELCSOP where CS_CSOPORT = 'G1'");
    r.Open();
    EXPECT_EQ(r.FieldByName("CS_KARTON")->AsString(), W1250("Árvíztűrő"));
    EXPECT_EQ(r.FieldByName("CS_ELLEN")->AsString(), "x");
    EXPECT_THROW(r.ExecSQL(), DbError);
}

TEST_F(IBQueryTest, DatesAndNumbersTravelBothWays) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    const datetime::TDateTime day = datetime::EncodeDate(2012, 3, 3);
    const datetime::TDateTime moment = day + datetime::EncodeTime(14, 5, 30);
    q.SetSQLText("select cast(:D as date) as D, cast(:T as timestamp) as T, "
                 "cast(:N as numeric(15,2)) as N, cast(:I as integer) as I from RDB$DATABASE");
    q.ParamByName("D").SetAsDateTime(day);
    q.ParamByName("T").SetAsDateTime(moment);
    q.ParamByName("N").SetAsFloat(1234.5);
    q.ParamByName("I").SetAsString("42");
    q.Open();
    EXPECT_DOUBLE_EQ(q.FieldByName("D")->AsDateTime(), day);
    EXPECT_NEAR(q.FieldByName("T")->AsDateTime(), moment, 1e-8);
    EXPECT_EQ(q.FieldByName("D")->AsString(), "2012.03.03.");
    EXPECT_DOUBLE_EQ(q.FieldByName("N")->AsFloat(), 1234.5);
    EXPECT_EQ(q.FieldByName("N")->AsString(), "1234,5");
    EXPECT_EQ(q.FieldByName("I")->AsInteger(), 42);
}

TEST_F(IBQueryTest, StatementsArePreparedOncePerText) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    StatementCache& cache = db_->Db().Statements();
    q.SetSQLText("select AF_ERTEK from AFA where AF_NEV = :N and 17 = 17");
    q.ParamByName("N").SetAsString("A25");
    q.Open();
    const long prepared = cache.PrepareCount();
    for (int i = 0; i < 5; ++i) {
        // Replacing the text with the same statement, as the posting engine does each row.
        q.SetSQLText("select AF_ERTEK from AFA where AF_NEV = :N and 17 = 17");
        q.ParamByName("N").SetAsString(i % 2 ? "AM" : "A25");
        q.Open();
    }
    EXPECT_EQ(cache.PrepareCount(), prepared);
    EXPECT_EQ(q.FieldByName("AF_ERTEK")->AsInteger(), 25);
}

TEST_F(IBQueryTest, EndingTheTransactionClosesItsQueriesAndKeepsOrDropsRows) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    q.SetSQLText("insert into FELAFA (FA_FELADO, FA_FELAFA) values (:A, 'x')");
    q.ParamByName("A").SetAsString("ROLLED");
    q.ExecSQL();
    IBQuery r(db_->Db(), db_->Tr(), "IB2");
    r.SetSQLText("select count(*) as N from FELAFA where FA_FELADO = 'ROLLED'");
    r.Open();
    EXPECT_EQ(r.FieldByName("N")->AsInteger(), 1);
    // Closing the last open query commits nothing: the row still goes with the rollback.
    r.Close();
    r.Open();
    db_->Tr().Rollback();
    EXPECT_FALSE(r.Active());
    EXPECT_EQ(db_->QueryValue("select count(*) from FELAFA where FA_FELADO = 'ROLLED'"), "0");

    q.ParamByName("A").SetAsString("KEPT");
    q.ExecSQL(); // starts a new transaction by itself
    EXPECT_TRUE(db_->Tr().InTransaction());
    db_->Tr().Commit();
    EXPECT_EQ(db_->QueryValue("select count(*) from FELAFA where FA_FELADO = 'KEPT'"), "1");
}

TEST_F(IBQueryTest, BadInputGivesTheDatabasesMessageOrNamesWhatIsMissing) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    q.SetSQLText("selct * from AFA");
    try {
        q.Open();
        FAIL() << "a syntax error must fail";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("Token unknown"), std::string::npos) << e.what();
        EXPECT_NE(e.GdsCode, 0);
    }
    q.SetSQLText("select * from NO_SUCH_TABLE");
    try {
        q.Open();
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("NO_SUCH_TABLE"), std::string::npos) << e.what();
    }
    q.SetSQLText("select AF_NEV from AFA where AF_NEV = :N");
    try {
        q.ParamByName("NOPE");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("NOPE"), std::string::npos);
    }
    q.Open();
    try {
        q.FieldByName("AF_MISSING");
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("AF_MISSING"), std::string::npos);
    }
    q.Close();
    q.SetSQLText("  ");
    EXPECT_THROW(q.Open(), DbError);
    EXPECT_THROW(q.ExecSQL(), DbError);

    // A value too long for its column: the database's own words.
    q.SetSQLText("insert into FELCSOP (CS_CSOPORT) values (:C)");
    q.ParamByName("C").SetAsString(std::string(30, 'x'));
    try {
        q.ExecSQL();
        FAIL();
    } catch (const DbError& e) {
        EXPECT_EQ(e.SqlState, "22001") << e.what();
        // The statement as sent, without its value; the message stays the database's.
        EXPECT_EQ(e.Sql, "insert into FELCSOP (CS_CSOPORT) values (?)\r\n");
        EXPECT_EQ(std::string(e.what()).find("insert"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("truncation"), std::string::npos) << e.what();
    }
}

// What crosses the network for each kind of call, as the benchmark reports it per row.
TEST_F(IBQueryTest, CountsTheRoundTripsOfEachCall) {
    IBDatabase& db = db_->Db();
    auto trips = [&db, last = db.RoundTrips()]() mutable {
        const long before = last;
        last = db.RoundTrips();
        return last - before;
    };
    IBQuery q(db, db_->Tr(), "IB1");
    q.SetSQLText("select AF_ERTEK from AFA where AF_NEV = :N and 19 = 19");
    q.ParamByName("N").SetAsString("A25");
    q.Open();
    EXPECT_EQ(trips(), 3); // start, prepare, and the open with its one batch
    q.Close();
    q.Open();
    EXPECT_EQ(trips(), 1);

    q.SetSQLText("select first 2500 a.RDB$TYPE from RDB$TYPES a, RDB$TYPES b");
    q.Open();
    EXPECT_EQ(q.RecordCount(), 2500);
    EXPECT_EQ(trips(), 1 + 3); // batches of 1000 narrow rows

    IBQuery insert(db, db_->Tr(), "IB2");
    insert.SetSQLText("insert into FELCSOP (CS_CSOPORT, CS_ELLEN) values (:C, null)");
    insert.ParamByName("C").SetAsString("TRIPS");
    insert.ExecSQL();
    EXPECT_EQ(trips(), 2); // prepare and run
    EXPECT_EQ(insert.RowsAffected(), 1);
    EXPECT_EQ(insert.RowsAffected(), 1);
    EXPECT_EQ(trips(), 1); // the question for the rows it changed, asked once
    // Another query runs the same prepared statement: the first one's count is gone.
    IBQuery again(db, db_->Tr(), "IB3");
    again.SetSQLText(insert.SQLText());
    again.ParamByName("C").SetAsString("TRIPS2");
    insert.ExecSQL();
    again.ExecSQL();
    EXPECT_THROW(insert.RowsAffected(), DbError);
    EXPECT_EQ(again.RowsAffected(), 1);
    trips();

    IBStoredProc proc(db, db_->Tr(), "SP1");
    proc.SetStoredProcName("TE_NEXT");
    proc.ExecProc();
    proc.ExecProc();
    EXPECT_EQ(trips(), 2 + 1 + 2); // its parameters read once, the call prepared once
    db_->Tr().Rollback();
    EXPECT_EQ(trips(), 1);
}

// The statement prepares, then its result turns out unreadable: the prepared statement must go
// with the error. The engine lists every statement an attachment still holds.
TEST_F(IBQueryTest, UnreadableResultFailsAfterPreparingAndLeavesNothingBehind) {
    db_->Execute("create table ARRAYS (ID integer, A integer[3])");
    const std::string held = "select count(*) from MON$STATEMENTS "
                             "where MON$ATTACHMENT_ID = current_connection";
    const std::string before = db_->QueryValue(held);
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    const long prepared = db_->Db().Statements().PrepareCount();
    q.SetSQLText("select ID, A from ARRAYS");
    try {
        q.Open();
        FAIL() << "an array column cannot be read";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("array"), std::string::npos) << e.what();
    }
    EXPECT_EQ(db_->Db().Statements().PrepareCount(), prepared);
    EXPECT_EQ(db_->QueryValue(held), before);
    EXPECT_FALSE(q.Active());
    q.SetSQLText("select count(*) as N from ARRAYS");
    q.Open();
    EXPECT_EQ(q.FieldByName("N")->AsInteger(), 0);
}

TEST_F(IBQueryTest, StoredProceduresGiveIdentifiersAndJournals) {
    IBStoredProc sp(db_->Db(), db_->Tr(), "SP1");
    sp.SetStoredProcName("FE_NEXT");
    sp.ExecProc();
    const int first = sp.ParamByName("G").AsInteger();
    sp.ExecProc();
    EXPECT_EQ(sp.ParamByName("G").AsInteger(), first + 1);

    sp.SetStoredProcName("ACT_NAPLO");
    ASSERT_EQ(sp.Params().Count(), 5);
    EXPECT_EQ(sp.Params()[0].Name(), "A");
    EXPECT_EQ(sp.Params()[4].Name(), "N");
    EXPECT_EQ(sp.Params()[4].ParamType(), TParamType::Output);
    sp.ParamByName("A").SetAsString("B");
    sp.ParamByName("NP").SetAsInteger(-2);
    sp.ParamByName("OWN").SetAsString("@IMPORT");
    sp.ParamByName("EV").SetAsFloat(2012.0);
    sp.ExecProc();
    const int journal = sp.ParamByName("N").AsInteger();
    EXPECT_GT(journal, 0);

    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    q.SetSQLText("select NA_TYP, NA_OWNER from NAPLO where NA_NO = :N "
                 "and F_DATE(NA_TIME, 'yyyy.mm.dd') = F_DATE(current_date, 'yyyy.mm.dd')");
    q.ParamByName("N").SetAsInteger(journal);
    q.Open();
    EXPECT_EQ(q.FieldByName("NA_TYP")->AsString(), "B");
    EXPECT_EQ(q.FieldByName("NA_OWNER")->AsString(), "IMPORT");

    sp.SetStoredProcName("NO_SUCH_PROC");
    try {
        sp.ExecProc();
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("NO_SUCH_PROC"), std::string::npos);
    }
    sp.SetStoredProcName("TE_NEXT");
    EXPECT_THROW(sp.ParamByName("X"), DbError);
}

TEST(IBDatabaseTest, UnknownConnectionParameterNamesItsLine) {
    TempDir dir;
    IBDatabase db("DB1");
    db.DatabaseName = (dir / "x.fdb").string();
    db.Params = {"user_name=SYSDBA", "colour=blue"};
    try {
        db.Connect();
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("colour=blue"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(db.Connected());
    db.Params = {"user_name=SYSDBA", "page_size=big"};
    EXPECT_THROW(db.Connect(), DbError);
    // A file that is not there: the database's message names it.
    db.Params = {"user_name=SYSDBA", "password=x", "lc_ctype=WIN1250"};
    try {
        db.Connect();
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("x.fdb"), std::string::npos) << e.what();
    }
}

TEST(IBTransactionTest, UnknownTransactionParameterNamesItsLine) {
    TestDatabase db(false);
    db.Tr().Params = {"read_committed", "sometimes"};
    try {
        db.Tr().StartTransaction();
        FAIL();
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("sometimes"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(db.Tr().InTransaction());
}

} // namespace
