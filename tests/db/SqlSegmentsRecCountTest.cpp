// Counting the rows of a query's statement through the database, with the clause editor turning
// the statement into a count.
#include "db/IBQuery.h"
#include "db/TEQuery.h"
#include "tests/support/DatabaseTest.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class RecCountTest : public DatabaseTest {
protected:
    static void SetUpTestSuite() {
        CreateDatabase("create table CNT_T (A integer, B varchar(10));"
                       "insert into CNT_T values (1, 'x');"
                       "insert into CNT_T values (2, 'y');"
                       "insert into CNT_T values (3, 'z');"
                       "insert into CNT_T values (4, 'z');",
                       false);
    }

    int CountInTransaction(const std::string& sql) {
        IBQuery check(db_->Db(), db_->Tr());
        check.SetSQLText(sql);
        check.Open();
        return check.FieldByName("N")->AsInteger();
    }
};

} // namespace

TEST_F(RecCountTest, CountsTheWholeResultWithParametersWithoutOpening) {
    IBQuery q(db_->Db(), db_->Tr(), "IB1");
    TEQuery eq("EQ1");
    eq.SetXQuery(&q);
    eq.SetSQL({"select A, B", "from CNT_T", "where A > :MINA and B <> :NOTB", "order by B"});
    eq.ParamByName("MINA")->SetAsInteger(1);
    eq.ParamByName("NOTB")->SetAsString("y");

    EXPECT_EQ(eq.RecCount(), 2);
    EXPECT_FALSE(eq.Active());
    EXPECT_FALSE(q.Active());
    EXPECT_EQ(eq.Parsed(),
              "select Count(*) as xSelCnt\r\nfrom CNT_T\r\nwhere A > :MINA and B <> :NOTB\r\n");
    // The query keeps its own statement and values.
    EXPECT_EQ(q.SQL().Count(), 4);
    EXPECT_EQ(q.ParamByName("NOTB").AsString(), "y");

    eq.ParamByName("MINA")->SetAsInteger(0);
    EXPECT_EQ(eq.RecCount(), 3);
    eq.Open();
    EXPECT_EQ(eq.RecordCount(), 3);
}

TEST_F(RecCountTest, FailingOrMissingStatementCountsAsUnknown) {
    TEQuery eq("EQ2");
    EXPECT_EQ(eq.RecCount(), -1);

    IBQuery q(db_->Db(), db_->Tr(), "IB2");
    eq.SetXQuery(&q);
    eq.SetSQL({"select X", "from NO_SUCH_TABLE"});
    EXPECT_EQ(eq.RecCount(), -1);
    eq.SetSQL({"select A from CNT_T where A = :V"}); // a parameter without a value counts nothing
    EXPECT_EQ(eq.RecCount(), 0);
}

TEST_F(RecCountTest, StatementThatChangesDataIsNotRunByCounting) {
    IBQuery q(db_->Db(), db_->Tr(), "IB3");
    TEQuery eq("EQ3");
    eq.SetXQuery(&q);
    eq.SetSQL({"update CNT_T set A = A + 10", "where A = 1"});
    EXPECT_EQ(eq.RecCount(), -1);
    eq.SetSQL({"update CNT_T set A = A + 10", "where A = 1", "returning A"});
    EXPECT_EQ(eq.RecCount(), -1);
    EXPECT_EQ(CountInTransaction("select count(*) as N from CNT_T where A > 10"), 0);
}
