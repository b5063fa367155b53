// Runs the query layer against a Firebird server over TCP ("localhost:/path"), as a site with a
// database server is reached. The server comes from scripts/start-fbserver.sh; without one the
// test is skipped.
#include "db/DbError.h"
#include "db/IBDatabase.h"
#include "db/IBQuery.h"
#include "db/IBStoredProc.h"
#include "db/IBTransaction.h"
#include "db/TEQuery.h"
#include "fixtures/TestDatabase.h"
#include "fixtures/TestServer.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

namespace {

TEST(ServerTest, QueriesAndProceduresOverTcp) {
    if (const std::string missing = TestServer::Missing(); !missing.empty())
        GTEST_SKIP() << missing;

    IBDatabase db("DB1");
    IBTransaction tr(db, "TR1");
    db.DatabaseName = TestServer::DatabaseName("server-test.fdb");
    db.Params = {"user_name=SYSDBA", "password=" + TestServer::Password(), "lc_ctype=WIN1250",
                 "set_db_charset=WIN1250"};
    db.CreateDatabase();
    struct Drop {
        IBDatabase& db;
        ~Drop() {
            try {
                db.DropDatabase();
            } catch (const DbError&) {
            }
        }
    } drop{db};
    for (const std::string& statement : TestDatabase::SplitScript(TestDatabase::SchemaScript())) {
        if (statement == "commit") continue;
        tr.ExecuteImmediate(statement);
        tr.Commit();
    }

    IBQuery ib(db, tr, "IB1");
    TEQuery eq("EQ1");
    eq.SetXQuery(&ib);
    IBStoredProc sp(db, tr, "SP1");

    sp.SetStoredProcName("UG_NEXT");
    sp.ExecProc();
    const int id = sp.ParamByName("G").AsInteger();
    eq.SetSQLText("insert into UGYFEL (UG_ID, UG_ROVID, UG_CEG, UG_EV) values (:ID, :R, :C, :EV)");
    eq.ParamByName("ID")->SetAsInteger(id);
    eq.ParamByName("R")->SetAsString("KFT");
    eq.ParamByName("C")->SetAsString(W1250("Szőlő Kft."));
    eq.ParamByName("EV")->SetAsFloat(2012.0);
    eq.ExecSQL();
    tr.Commit();

    eq.SetSQLText("select UG_ID, UG_CEG from UGYFEL where UG_ROVID = :R and UG_EV = :EV");
    eq.ParamByName("R")->SetAsString("KFT");
    eq.ParamByName("EV")->SetAsFloat(2012.0);
    eq.Open();
    EXPECT_EQ(eq.FieldByName("UG_ID")->AsInteger(), id);
    EXPECT_EQ(eq.FieldByName("UG_CEG")->AsString(), W1250("Szőlő Kft."));

    sp.SetStoredProcName("ACT_NAPLO");
    sp.ParamByName("A").SetAsString("V");
    sp.ParamByName("NP").SetAsInteger(-2);
    sp.ParamByName("OWN").SetAsString("@IMPORT");
    sp.ParamByName("EV").SetAsFloat(2012.0);
    sp.ExecProc();
    EXPECT_GT(sp.ParamByName("N").AsInteger(), 0);
    tr.Commit();

    // A call that waits on a lock three times the timeout is slow, not silent: the server answers
    // a second connection, so the wait runs to its own end.
    IBDatabase other("DB2");
    IBTransaction waiting(other, "TR2");
    other.DatabaseName = db.DatabaseName;
    other.Params = db.Params;
    other.Timeout = std::chrono::seconds(1);
    waiting.Params = {"read_committed", "rec_version", "wait", "lock_timeout=3"};
    const std::string update = "update UGYFEL set UG_CEG = 'X' where UG_ID = " + std::to_string(id);
    tr.ExecuteImmediate(update);
    try {
        waiting.ExecuteImmediate(update);
        ADD_FAILURE();
    } catch (const DbError& e) {
        EXPECT_TRUE(e.Conflict() && !other.Lost()) << e.what();
    }
    tr.Rollback();
    db.Disconnect();
    db.Connect();
}

} // namespace
