#include "db/TEQuery.h"
#include "db/DbError.h"
#include "db/IBQuery.h"
#include "tests/support/DatabaseTest.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A dataset of a kind the component does not know, answering everything with non-neutral values
// so that any forwarding would show.
class OtherDataSet : public TDataSet {
public:
    using TDataSet::TDataSet;
    void Open() override { ++calls; }
    void Close() override { ++calls; }
    bool Active() const override { return true; }
    bool First() override { return ++calls, true; }
    bool Next() override { return ++calls, true; }
    bool Prior() override { return ++calls, true; }
    bool Last() override { return ++calls, true; }
    int MoveBy(int d) override { return ++calls, d; }
    bool Eof() const override { return true; }
    bool Bof() const override { return true; }
    bool IsEmpty() const override { return false; }
    int RecordCount() const override { return 7; }
    bool Locate(const std::string&, const std::vector<std::string>&, bool, bool) override {
        return ++calls, true;
    }
    NullableRef<TField> FieldByName(const std::string&) override { return {&field, "F"}; }
    TField* FindField(const std::string&) override { return &field; }
    int FieldCount() const override { return 1; }
    std::vector<TField*> Fields() const override { return {const_cast<TField*>(&field)}; }
    TField field{"F"};
    int calls = 0;
};

void ExpectNeutral(TEQuery& eq) {
    int fired = 0;
    for (TNotifyEvent* e :
         {&eq.BeforeOpen, &eq.AfterOpen, &eq.BeforeFirst, &eq.AfterFirst, &eq.BeforeNext,
          &eq.AfterNext, &eq.AfterMove, &eq.AfterLocate, &eq.BeforeClose, &eq.AfterClose})
        *e = [&](Component*) { ++fired; };
    eq.Params().Add("KEEP").SetAsInteger(3);
    EXPECT_FALSE(eq.Active());
    EXPECT_EQ(eq.SQL(), nullptr);
    eq.SetSQLText("select 1 from RDB$DATABASE");
    EXPECT_EQ(eq.Params().Count(), 1); // the copy is left as it was
    EXPECT_EQ(eq.Params()[0].AsInteger(), 3);
    EXPECT_EQ(eq.ParamByName("KEEP"), nullptr);
    EXPECT_THROW(eq.P("KEEP")->AsString(), DbError); // using a missing one fails clearly
    EXPECT_EQ(eq.ParamCount(), 0);
    EXPECT_EQ(eq.FieldByName("F"), nullptr);
    EXPECT_EQ(eq.FindField("F"), nullptr);
    EXPECT_EQ(eq.FieldCount(), 0);
    EXPECT_TRUE(eq.Fields().empty());
    eq.Open();
    EXPECT_FALSE(eq.Active());
    eq.Close();
    EXPECT_FALSE(eq.Eof());
    EXPECT_FALSE(eq.Bof());
    EXPECT_TRUE(eq.IsEmpty());
    EXPECT_FALSE(eq.Next());
    EXPECT_FALSE(eq.Prior());
    EXPECT_FALSE(eq.First());
    EXPECT_FALSE(eq.Last());
    EXPECT_EQ(eq.MoveBy(3), 0);
    EXPECT_FALSE(eq.Locate("F", {"x"}, false, false));
    EXPECT_FALSE(eq.LocateRec("F", "x"));
    EXPECT_FALSE(eq.LocatePartial("F", "x"));
    EXPECT_FALSE(eq.ReOpen("F", "x"));
    EXPECT_EQ(eq.RecordCount(), 0);
    EXPECT_EQ(eq.RecCount(), -1);
    eq.ExecSQL();
    eq.ExecSQLNoLog();
    EXPECT_EQ(fired, 0);
}

class TEQueryTest : public DatabaseTest {
protected:
    static void SetUpTestSuite() {
        CreateDatabase("insert into FELCSOP values ('x', '1', 'one');"
                       "insert into FELCSOP values ('x', '2', 'two');"
                       "insert into FELCSOP values ('y', '2', 'three');"
                       "insert into FELCSOP values ('x', '0', 'zero');");
    }
    void SetUp() override {
        ib_ = std::make_unique<IBQuery>(db_->Db(), db_->Tr(), "IB1");
        eq_.SetXQuery(ib_.get());
        eq_.SetSQLText("select CS_CSOPORT, CS_KARTON, CS_ELLEN from FELCSOP\r\n"
                       "order by CS_ELLEN");
    }
    // Records the notifications by name.
    void Record() {
        auto add = [this](TNotifyEvent& e, const char* name) {
            e = [this, name](Component* sender) {
                EXPECT_EQ(sender, &eq_);
                log_ += std::string(log_.empty() ? "" : ",") + name;
            };
        };
        add(eq_.BeforeOpen, "BeforeOpen");
        add(eq_.AfterOpen, "AfterOpen");
        add(eq_.BeforeClose, "BeforeClose");
        add(eq_.AfterClose, "AfterClose");
        add(eq_.BeforeNext, "BeforeNext");
        add(eq_.AfterNext, "AfterNext");
        add(eq_.BeforePrior, "BeforePrior");
        add(eq_.AfterPrior, "AfterPrior");
        add(eq_.BeforeFirst, "BeforeFirst");
        add(eq_.AfterFirst, "AfterFirst");
        add(eq_.BeforeLast, "BeforeLast");
        add(eq_.AfterLast, "AfterLast");
        add(eq_.AfterLocate, "AfterLocate");
        add(eq_.AfterMove, "AfterMove");
    }
    std::string Take() { return std::exchange(log_, std::string()); }

    std::unique_ptr<IBQuery> ib_;
    TEQuery eq_{"EQ1"};
    std::string log_;
};

TEST(TEQueryNeutralTest, NoWrappedDatasetGivesNeutralResults) {
    TEQuery eq("EQ1");
    ExpectNeutral(eq);
}

TEST(TEQueryNeutralTest, UnknownKindOfDatasetGivesNeutralResults) {
    OtherDataSet other("Other");
    TEQuery eq("EQ1");
    eq.SetXQuery(&other);
    EXPECT_EQ(eq.XQuery(), &other);
    ExpectNeutral(eq);
    EXPECT_EQ(other.calls, 0);
}

TEST(TEQueryNeutralTest, AnotherTEQueryIsRefusedAsWrappedDataset) {
    OtherDataSet other("Other");
    TEQuery eq("EQ1"), eq2("EQ2");
    eq.SetXQuery(&other);
    eq.SetXQuery(&eq2);
    EXPECT_EQ(eq.XQuery(), &other);
    eq.SetXQuery(nullptr);
    EXPECT_EQ(eq.XQuery(), nullptr);
}

TEST(TEQueryNeutralTest, DestroyedDatasetIsForgotten) {
    TEQuery eq("EQ1");
    {
        OtherDataSet other("Other");
        eq.SetXQuery(&other);
    }
    EXPECT_EQ(eq.XQuery(), nullptr);
    EXPECT_TRUE(eq.IsEmpty());
}

TEST(TEQueryNeutralTest, LogFolderComesFromTheOwnerChain) {
    Component app("Application");
    Component window("F_IN", &app);
    Component loose("Loose");
    SqlLogSettings log(&app);
    log.ExeFolder = "/opt/zefor";
    TEQuery owned("EQ1", &window, &log), unowned("EQ2", nullptr, &log),
        elsewhere("EQ3", &loose, &log), withoutLog("EQ6", &window);
    log.ExeFolder = "c:\\zefor\\";
    TEQuery backslash("EQ4", &window, &log);
    log.ExeFolder = "";
    TEQuery empty("EQ5", &app, &log);
    EXPECT_EQ(owned.LogFolder, "/opt/zefor\\Logs\\ExecSql\\");
    EXPECT_EQ(withoutLog.LogFolder, "");
    EXPECT_EQ(unowned.LogFolder, "");
    EXPECT_EQ(elsewhere.LogFolder, "");
    EXPECT_EQ(backslash.LogFolder, "c:\\zefor\\Logs\\ExecSql\\");
    EXPECT_EQ(empty.LogFolder, "Logs\\ExecSql\\");
}

TEST_F(TEQueryTest, CallingPatternOfThePostingEngine) {
    eq_.SetSQL({"select CS_KARTON, CS_ELLEN from FELCSOP", "where CS_CSOPORT = :G and "
                                                           "CS_KARTON = :K"});
    eq_.ParamByName("G")->SetAsString("x");
    eq_.P("K")->SetAsInteger(2);
    eq_.Open();
    EXPECT_EQ(eq_.FieldByName("CS_ELLEN")->AsString(), "two");
    EXPECT_EQ(eq_.F("CS_KARTON")->AsInteger(), 2);
    EXPECT_EQ(eq_.FieldByName("NOT_THERE"), nullptr);

    // Replacing the text closes the query; a look-up that finds nothing reads "" and 0.
    eq_.SetSQLText("select CS_KARTON, CS_ELLEN from FELCSOP where CS_CSOPORT = :G");
    EXPECT_FALSE(eq_.Active());
    EXPECT_EQ(eq_.FieldByName("CS_ELLEN"), nullptr); // closed: none even for a real column
    EXPECT_TRUE(eq_.ParamByName("G")->IsNull());     // values do not survive a replaced text
    eq_.ParamByName("G")->SetAsString("none");
    eq_.Open();
    EXPECT_EQ(eq_.FieldByName("CS_ELLEN")->AsString(), "");
    EXPECT_EQ(eq_.FieldByName("CS_KARTON")->AsInteger(), 0);

    eq_.SetSQLText("insert into FELCSOP values (:G, :K, :E)");
    eq_.ParamByName("G")->SetAsString("new");
    eq_.ParamByName("K")->SetAsString("9");
    eq_.ParamByName("E")->Clear();
    eq_.ExecSQL();
    EXPECT_THROW(eq_.ParamByName("MISSING"), DbError);
    EXPECT_EQ(ib_->RowsAffected(), 1);
}

TEST_F(TEQueryTest, ParamsIsACopyAndAssigningParamsSetsValuesByName) {
    eq_.SetSQLText("select * from FELCSOP where CS_CSOPORT = :G and CS_KARTON = :K");
    eq_.ParamByName("G")->SetAsString("x");
    TParams& copy = eq_.Params();
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy[0].AsString(), "x");
    copy[0].SetAsString("changed");
    EXPECT_EQ(eq_.ParamByName("G")->AsString(), "x");

    TParams given;
    given.Add("K").SetAsString("1");
    given.Add("OTHER").SetAsString("ignored");
    eq_.SetParams(given);
    EXPECT_EQ(eq_.ParamByName("K")->AsString(), "1");
    EXPECT_EQ(eq_.ParamCount(), 2);
    eq_.Open();
    EXPECT_EQ(eq_.FieldByName("CS_ELLEN")->AsString(), "one");
}

TEST_F(TEQueryTest, NotificationOrderOfOpenMovesAndClose) {
    Record();
    eq_.Open();
    EXPECT_EQ(Take(), "BeforeOpen,BeforeFirst,AfterOpen,AfterFirst,AfterMove");
    eq_.Open(); // already open: not run again, nothing fired
    EXPECT_EQ(Take(), "");
    EXPECT_TRUE(eq_.Next());
    EXPECT_EQ(Take(), "BeforeNext,AfterNext,AfterMove");
    EXPECT_TRUE(eq_.Prior());
    EXPECT_EQ(Take(), "BeforePrior,AfterPrior,AfterMove");
    EXPECT_TRUE(eq_.Last());
    EXPECT_EQ(Take(), "BeforeLast,AfterLast,AfterMove");
    EXPECT_FALSE(eq_.Next()); // past the end
    EXPECT_EQ(Take(), "BeforeNext");
    EXPECT_TRUE(eq_.First());
    EXPECT_EQ(Take(), "BeforeFirst,AfterFirst,AfterMove");
    EXPECT_EQ(eq_.MoveBy(2), 2);
    EXPECT_EQ(Take(), "AfterMove");
    EXPECT_EQ(eq_.MoveBy(0), 0);
    EXPECT_EQ(Take(), "");
    EXPECT_TRUE(eq_.Locate("CS_CSOPORT;CS_KARTON", {"y", "2"}, false, false));
    EXPECT_EQ(Take(), "AfterLocate,AfterMove");
    EXPECT_FALSE(eq_.Locate("CS_CSOPORT;CS_KARTON", {"z", "2"}, false, false));
    EXPECT_EQ(Take(), "");
    eq_.Close();
    EXPECT_EQ(Take(), "BeforeClose,AfterClose");
    // A closed query: no before-notification, and the dataset's own failure comes through.
    EXPECT_THROW(eq_.Next(), DbError);
    EXPECT_EQ(Take(), "");
    EXPECT_FALSE(eq_.Locate("CS_CSOPORT", {"x"}, false, false));
    EXPECT_FALSE(eq_.Active());

    eq_.SetSQLText("select * from FELCSOP where 1 = 0");
    eq_.Open();
    EXPECT_EQ(Take(), "BeforeOpen,BeforeFirst,AfterOpen");
    // Replacing the text of an open query closes it through the component.
    eq_.SetSQLText("select * from FELCSOP");
    EXPECT_EQ(Take(), "BeforeClose,AfterClose");
}

TEST_F(TEQueryTest, HandlerExceptionsAreDiscarded) {
    int after = 0;
    eq_.BeforeOpen = [](Component*) { throw std::runtime_error("handler failed"); };
    eq_.AfterOpen = [](Component*) { throw 42; };
    eq_.AfterMove = [&](Component*) { ++after; };
    EXPECT_NO_THROW(eq_.Open());
    EXPECT_TRUE(eq_.Active());
    EXPECT_EQ(after, 1);
}

TEST_F(TEQueryTest, OpenFailurePropagatesWithoutAfterNotifications) {
    Record();
    eq_.SetSQLText("select NOPE from FELCSOP");
    EXPECT_THROW(eq_.Open(), DbError);
    EXPECT_EQ(Take(), "BeforeOpen,BeforeFirst");
}

TEST_F(TEQueryTest, LocateRecTakesMissingOrMarkedValuesFromTheCurrentRow) {
    eq_.Open();
    ASSERT_TRUE(eq_.Locate("CS_ELLEN", {"three"}, false, false)); // y, 2
    Record();
    EXPECT_TRUE(eq_.LocateRec("CS_CSOPORT; CS_KARTON", std::string("x\x01`?`")));
    EXPECT_EQ(Take(), "AfterLocate,AfterMove");
    EXPECT_EQ(eq_.FieldByName("CS_ELLEN")->AsString(), "two");

    // Case-insensitive, and a partial key only through LocatePartial.
    EXPECT_FALSE(eq_.LocateRec("CS_ELLEN", "ON"));
    EXPECT_TRUE(eq_.LocatePartial("CS_ELLEN", "ON"));
    EXPECT_EQ(eq_.FieldByName("CS_ELLEN")->AsString(), "one");
    EXPECT_TRUE(eq_.LocateRec("CS_CSOPORT,CS_KARTON", std::string(" Y \x01 2 ")));
    EXPECT_EQ(eq_.FieldByName("CS_ELLEN")->AsString(), "three");

    // A key field whose current value is wanted but which the result lacks finds nothing.
    EXPECT_FALSE(eq_.LocateRec("CS_CSOPORT;NO_SUCH", "x"));
    EXPECT_FALSE(eq_.LocatePartial("NO_SUCH", ""));
    EXPECT_EQ(eq_.FieldByName("CS_ELLEN")->AsString(), "three");
}

TEST_F(TEQueryTest, LocateRecOnAClosedQueryUsesZeroThenOpens) {
    ASSERT_FALSE(eq_.Active());
    EXPECT_TRUE(eq_.LocateRec("CS_CSOPORT;CS_KARTON", "x"));
    EXPECT_TRUE(eq_.Active());
    EXPECT_EQ(eq_.FieldByName("CS_ELLEN")->AsString(), "zero");
}

TEST_F(TEQueryTest, ReOpenWithEmptyKeysReopensAndReturnsFalse) {
    eq_.Open();
    const int before = eq_.RecordCount();
    IBQuery insert(db_->Db(), db_->Tr(), "IB2");
    insert.SetSQLText("insert into FELCSOP values ('z', '5', 'added')");
    insert.ExecSQL();
    Record();
    EXPECT_FALSE(eq_.ReOpen("", ""));
    EXPECT_EQ(Take(),
              "BeforeClose,AfterClose,BeforeOpen,BeforeFirst,AfterOpen,AfterFirst,AfterMove");
    EXPECT_TRUE(eq_.ReOpenActive());
    EXPECT_EQ(eq_.RecordCount(), before + 1);

    // A reopen that fails is swallowed and clears the flag.
    eq_.SetSQLText("select NOPE from FELCSOP");
    EXPECT_FALSE(eq_.ReOpen("CS_CSOPORT", "x"));
    EXPECT_FALSE(eq_.ReOpenActive());
}

TEST_F(TEQueryTest, RecCountCountsTheWholeResultWithoutOpening) {
    eq_.SetSQLText("select CS_ELLEN from FELCSOP\r\nwhere CS_CSOPORT = :G\r\norder by CS_ELLEN");
    eq_.ParamByName("G")->SetAsString("x");
    EXPECT_EQ(eq_.RecCount(), 3);
    EXPECT_FALSE(eq_.Active());
    EXPECT_NE(eq_.Parsed().find("xSelCnt"), std::string::npos);
    eq_.SetSQLText("select CS_ELLEN from NO_SUCH_TABLE");
    EXPECT_EQ(eq_.RecCount(), -1);
}

TEST_F(TEQueryTest, WrappedQueryDestroyedGivesNeutralResults) {
    eq_.Open();
    ib_.reset();
    EXPECT_EQ(eq_.XQuery(), nullptr);
    EXPECT_FALSE(eq_.Active());
    EXPECT_TRUE(eq_.IsEmpty());
    EXPECT_EQ(eq_.FieldByName("CS_ELLEN"), nullptr);
}

} // namespace
