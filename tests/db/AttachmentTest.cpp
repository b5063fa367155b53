#include "db/DbError.h"
#include "db/IBDatabase.h"
#include "db/IBQuery.h"
#include "db/IBTransaction.h"
#include "db/StatementCache.h"
#include "tests/support/DatabaseTest.h"

#include <gtest/gtest.h>

namespace {

class AttachmentTest : public DatabaseTest {
protected:
    static void SetUpTestSuite() {
        CreateDatabase("insert into UGYFEL (UG_ID, UG_ROVID) values (1, 'ONE')");
        db_->Db().Disconnect();
    }
};

// A second connection to the same file, as another program would have.
struct Other {
    IBDatabase db{"DB2"};
    IBTransaction tr{db, "TR2"};
    explicit Other(const std::string& path) {
        db.DatabaseName = path;
        db.Params = {"user_name=SYSDBA", "password=masterkey", "lc_ctype=WIN1250"};
    }
};

TEST_F(AttachmentTest, FirstStatementConnectsAndStartsTheTransaction) {
    IBDatabase& db = db_->Db();
    ASSERT_FALSE(db.Connected());
    IBQuery q(db, db_->Tr(), "IB1");
    q.SetSQLText("select UG_ROVID from UGYFEL where UG_ID = :ID");
    q.ParamByName("ID").SetAsInteger(1);
    q.Open();
    EXPECT_TRUE(db.Connected());
    EXPECT_TRUE(db_->Tr().InTransaction());
    EXPECT_EQ(q.FieldByName("UG_ROVID")->AsString(), "ONE");
    EXPECT_GT(db.Statements().Size(), 0u);

    // Disconnecting ends the transaction, closes the query and drops the prepared statements.
    db.Disconnect();
    EXPECT_FALSE(q.Active());
    EXPECT_FALSE(db_->Tr().InTransaction());
    EXPECT_EQ(db.Statements().Size(), 0u);
    q.Open();
    EXPECT_EQ(q.FieldByName("UG_ROVID")->AsString(), "ONE");
    db_->Tr().Commit();
}

TEST_F(AttachmentTest, LockedRowMakesAnUpdateFromAnotherConnectionFailAtOnce) {
    Other other(db_->Path());
    IBQuery mine(db_->Db(), db_->Tr(), "IB1");
    mine.SetSQLText("update UGYFEL set UG_CEG = :C where UG_ID = 1");
    mine.ParamByName("C").SetAsString("mine");
    mine.ExecSQL();

    IBQuery theirs(other.db, other.tr, "IB9");
    theirs.SetSQLText("update UGYFEL set UG_CEG = :C where UG_ID = 1");
    theirs.ParamByName("C").SetAsString("theirs");
    try {
        theirs.ExecSQL();
        FAIL() << "the row is locked";
    } catch (const DbError& e) {
        EXPECT_EQ(e.GdsCode, 335544336L) << e.what();
        EXPECT_EQ(e.SqlState, "40001");
        EXPECT_NE(std::string(e.what()).find("update conflicts with concurrent update"),
                  std::string::npos)
            << e.what();
    }
    other.tr.Rollback();
    db_->Tr().Commit();
    EXPECT_EQ(db_->QueryValue("select UG_CEG from UGYFEL where UG_ID = 1"), "mine");
}

TEST_F(AttachmentTest, LostConnectionFailsWithTheDatabasesMessage) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    q.SetSQLText("select current_connection as ID from RDB$DATABASE");
    q.Open();
    const int id = q.FieldByName("ID")->AsInteger();
    q.Close();

    {
        Other other(db_->Path());
        IBQuery kill(other.db, other.tr, "IB9");
        kill.SetSQLText("delete from MON$ATTACHMENTS where MON$ATTACHMENT_ID = :ID");
        kill.ParamByName("ID").SetAsInteger(id);
        kill.ExecSQL();
        other.tr.Commit();
    }
    try {
        q.Open();
        FAIL() << "the connection was shut down";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("shutdown"), std::string::npos) << e.what();
    }
    // Leaving the dead connection and connecting again works.
    db_->Db().Disconnect();
    EXPECT_FALSE(db_->Db().Connected());
    q.Open();
    EXPECT_GT(q.FieldByName("ID")->AsInteger(), id);
    db_->Tr().Commit();
}

} // namespace
