// Vouchers as a posting table turns into them: headers, lines, one transaction per row.
#include "tests/posting/PostingFixture.h"

#include "db/IBDatabase.h"
#include "db/IBTransaction.h"
#include "platform/Text.h"

namespace {

class PostingEngineTest : public PostingFixture {};

TEST_F(PostingEngineTest, RowsOfOneVoucherGoUnderOneHeader) {
    Post({Clean({{"SELF", "1"}}), Clean({{"SELF", "2"}, {"SUMA", "20"}, {"ELLEN", "4661"}}),
          Clean({{"SELF", "3"}, {"AF_NEV", ""}})});

    EXPECT_EQ(Count("FEJLEC"), 1);
    EXPECT_EQ(Count("TETEL", "TE_FE_ID = (select FE_ID from FEJLEC)"), 3);
    EXPECT_EQ(Value("select FE_MO_CHAR||FE_JELLEG||FE_IRANY||'|'||FE_KARTON||'|'||FE_BIZONYLAT||'|'"
                    "||FE_NYOMSZAM||'|'||FE_HIVATKOZ||'|'||FE_MEGJEGY||'|'||FE_US_NEV||'|'||"
                    "FE_STATUS||'|'||FE_ERR||'|'||FE_ERROR||'|'||cast(FE_EV as "
                    "integer)||'|'||cast(FE_TOTAL as integer)||'|'||"
                    "cast(FE_AFATOTAL as integer)||'|'||FE_UG_ID||'|'||FE_DEV from FEJLEC"),
              "SSK|4541|B001|B001|H1|(SZLA-A1/1) megj|@OPERATOR|N|0||2012|127|27|0|");
    EXPECT_EQ(Value("select count(*) from FEJLEC join NAPLO on NA_NO = FE_NAPLO"), "1");
    EXPECT_EQ(
        Value(
            "select list(TE_ELLEN||'/'||TE_AFASZAMLA||'/'||TE_AF_NEV||'/'||TE_AF_ERTEK||'/'"
            "||cast(TE_SUM as integer)||'/'||TE_ERR||'/'||TE_ERROR, ' ') from (select * from TETEL "
            "order by TE_ID)"),
        "5211/466/27%/27/100/0/ 4661/466/27%/27/20/0/ 5211///0/100/0/");
    EXPECT_EQ(RunReport, "");
    EXPECT_EQ(View.Positions, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(View.ProcessCount, 3);
}

TEST_F(PostingEngineTest, AnyChangeOfTheVoucherKeyOpensANewHeader) {
    Post({Clean({{"SELF", "1"}}), Clean({{"SELF", "2"}, {"TOTAL", "200"}}),
          Clean({{"SELF", "3"}, {"TOTAL", "200"}, {"IRANY", "T"}}),
          Clean({{"SELF", "4"}, {"TOTAL", "200"}, {"IRANY", "T"}, {"KELTE", "20120316"}}),
          Clean({{"SELF", "5"}, {"BIZONYLAT", "B002"}}), Clean({{"SELF", "6"}})});

    // Rows 5 and 6 differ from their neighbours, so the voucher number B001 gets a second header.
    EXPECT_EQ(Value("select list(FE_BIZONYLAT||'/'||cast(FE_TOTAL as integer)||FE_IRANY, ' ') from "
                    "(select * from FEJLEC order by FE_ID)"),
              "B001/127K B001/200K B001/200T B001/200T B002/127K B001/127K");
    EXPECT_EQ(Count("TETEL"), 6);
}

TEST_F(PostingEngineTest, ErrorColumnsAndUserNames) {
    // Row 2 continues row 1's voucher: its own header-level finding shows in its line only.
    Post({Clean({{"SELF", "1"}, {"US_NEV", "OPERATOR01"}}),
          Clean({{"SELF", "1b"}, {"JELLEG", "A"}, {"US_NEV", "OPERATOR01"}}),
          Clean({{"SELF", "2"}, {"BIZONYLAT", "B002"}, {"SUMA", "0"}, {"US_NEV", " OPERATOR01"}}),
          Clean({{"SELF", "3"}, {"BIZONYLAT", "B003"}, {"IRANY", "D"}})});

    EXPECT_EQ(Value("select list(FE_ERR||'/'||FE_US_NEV||'/'||FE_ERROR, '|') from (select * from "
                    "FEJLEC order by FE_ID)"),
              "0/@OPERATOR/|2/@OPERATOR/" + W1250("Ellen_összeg=?") + "|2/@OPERATOR/" +
                  W1250("Irány=?K"));
    EXPECT_EQ(Value("select list(TE_ERR||'/'||TE_US_NEV||'/'||TE_ERROR, '|') from (select * from "
                    "TETEL order by TE_ID)"),
              "0/@OPERATOR/|1/@OPERATOR/|0/@ OPERATO/" + W1250(" Ellen_összeg=?") +
                  "|1/@OPERATOR/");
}

TEST_F(PostingEngineTest, AFailingRowLeavesNothingAndTheNextRowFollowsTheLastCommittedOne) {
    const std::string tooLong(50, 'M');
    Post({Clean({{"SELF", "1"}}),
          Clean({{"SELF", "2"}, {"BIZONYLAT", "B002"}, {"U_ROVID", "NEWCO"}, {"MU_NEV", tooLong}}),
          Clean({{"SELF", "3"}})},
         Widened("MU_NEV", 60));

    // The failed row's header and customer are gone; row 3 continues row 1's voucher and its
    // line goes under row 1's header, not under the rolled-back one.
    EXPECT_EQ(Count("FEJLEC"), 1);
    EXPECT_EQ(Count("UGYFEL"), 0);
    EXPECT_EQ(Count("TETEL", "TE_FE_ID = (select FE_ID from FEJLEC)"), 2);
    ASSERT_EQ(RunReport.rfind("ErrRec2. B002 - NEWCO (A1/2)\r\n  ", 0), 0u) << RunReport;
    EXPECT_NE(RunReport.find("truncation"), std::string::npos) << RunReport;
    const std::string message = RunReport.substr(32, RunReport.size() - 36);
    EXPECT_EQ(RunReport.substr(RunReport.size() - 4), "\r\n\r\n");
    EXPECT_EQ(message.find_first_of("\r\n"), std::string::npos) << "one line per message";
    EXPECT_FALSE(Db().Tr().InTransaction());
}

TEST_F(PostingEngineTest, AnEmptyTableAsksForTheYearAndWritesNothing) {
    RunReport = "left over";
    Post({});
    EXPECT_EQ(View.InputQueries.size(), 1u);
    EXPECT_EQ(Count("FEJLEC") + Count("TETEL") + Count("NAPLO"), 0);
    EXPECT_EQ(RunReport, "");
    EXPECT_FALSE(Db().Tr().InTransaction());
}

TEST_F(PostingEngineTest, AMissingColumnFailsEveryRowWithItsName) {
    std::vector<DbfColumn> columns = DbfWriter::PostingColumns();
    std::erase_if(columns, [](const DbfColumn& c) { return c.Name == "HIVATKOZ"; });
    Post({Clean({{"SELF", "1"}, {"U_ROVID", "ACME"}}), Clean({{"SELF", "2"}})}, columns);

    EXPECT_EQ(RunReport, "ErrRec1. B001 - ACME (A1/1)\r\n  Field 'HIVATKOZ' not found\r\n\r\n"
                         "ErrRec2. B001 -  (A1/2)\r\n  Field 'HIVATKOZ' not found\r\n\r\n");
    EXPECT_EQ(Count("FEJLEC") + Count("UGYFEL") + Count("NAPLO"), 0);
}

TEST_F(PostingEngineTest, ARowFailingBeforeItsLabelIsReportedWithThePreviousOnes) {
    std::vector<DbfColumn> columns = DbfWriter::PostingColumns();
    std::erase_if(columns, [](const DbfColumn& c) { return c.Name == "SELF"; });
    Post({Clean()}, columns);
    EXPECT_EQ(RunReport, "ErrRec1.  -  ()\r\n  Field 'SELF' not found\r\n\r\n");
}

TEST_F(PostingEngineTest, TheVatPerformanceDateColumnIsOptionalAndMatchedExactly) {
    Post({Clean()});
    std::vector<DbfColumn> lower = DbfWriter::PostingColumns();
    for (DbfColumn& c : lower)
        if (c.Name == "AFATELJ") c.Name = "afatelj";
    Post({Clean({{"BIZONYLAT", "B002"}, {"afatelj", "20120317"}})}, lower);
    Post({Clean({{"BIZONYLAT", "B003"}})}, DbfWriter::PostingColumns(false));

    EXPECT_EQ(Value("select list(FE_BIZONYLAT||':'||extract(day from FE_AFATELJ), ' ') from "
                    "(select * from FEJLEC order by FE_ID)"),
              "B001:17 B002:16 B003:16");
    EXPECT_EQ(RunReport, "");
}

TEST_F(PostingEngineTest, DuplicateVouchersAreFlaggedInBookVOnly) {
    Db().Execute("insert into FEJLEC (FE_ID, FE_BIZONYLAT, FE_UG_ID) values (-1, 'D100', 0);"
                 "insert into FEJLEC (FE_ID, FE_BIZONYLAT, FE_UG_ID) values (-2, 'D200 ', 0);"
                 "insert into FEJLEC (FE_ID, FE_BIZONYLAT, FE_UG_ID) values (-3, null, 0);");
    auto v = [](const std::string& self, const std::string& voucher) {
        return Clean(
            {{"SELF", self}, {"BIZONYLAT", voucher}, {"MO_CHAR", "V"}, {"KARTON", "3111"}});
    };
    Post({v("1", "D100"), Clean({{"SELF", "2"}, {"BIZONYLAT", "D100"}}), v("3", "d100"),
          v("4", "D200"), v("5", "D300"), v("6", "D301"), v("7", "D300"), v("8", "")});

    // Exact matches only (letter case, trailing blanks), headers of this run included, and an
    // empty voucher number finds a header without one.
    EXPECT_EQ(Value("select list(FE_MEGJEGY, '|') from (select * from FEJLEC where FE_ID > 0 "
                    "order by FE_ID)"),
              "?Dupla?(SZLA-A1) megj|(SZLA-A1/2) megj|(SZLA-A1/3) megj|(SZLA-A1/4) megj|"
              "(SZLA-A1/5) megj|(SZLA-A1/6) megj|?Dupla?(SZLA-A1) megj|?Dupla?(SZLA-A1) megj");
    EXPECT_EQ(Value("select max(FE_ERR) from FEJLEC"), "0");
    std::string named;
    for (const PostingNotes::Row& row : Engine.Notes().Duplicates)
        named += std::to_string(row.Number) + ":" + row.Voucher + " ";
    EXPECT_EQ(named, "1:D100 7:D300 8: ");
}

TEST_F(PostingEngineTest, ARowLockedByAnotherAttachmentFailsAloneAndTheNextGoesOn) {
    IBDatabase other("OTHER");
    other.DatabaseName = Db().Path();
    other.Params = {"user_name=SYSDBA", "password=masterkey", "lc_ctype=WIN1250"};
    other.Connect();
    IBTransaction otherTr(other, "TROTHER");
    IBQuery holder(other, otherTr, "HOLDER");
    // Takes, uncommitted, the header identifier the engine draws next.
    holder.SetSQLText("insert into FEJLEC (FE_ID) values (gen_id(FE_ID_SEQ, 0) + 1)");
    holder.ExecSQL();

    Post({Clean({{"SELF", "1"}}), Clean({{"SELF", "2"}, {"BIZONYLAT", "B002"}})});
    otherTr.Rollback();
    other.Disconnect();

    EXPECT_EQ(RunReport.rfind("ErrRec1. B001 -  (A1/1)\r\n  ", 0), 0u) << RunReport;
    EXPECT_EQ(RunReport.find("ErrRec2"), std::string::npos);
    EXPECT_EQ(Value("select list(FE_BIZONYLAT) from FEJLEC"), "B002");
    EXPECT_EQ(Count("TETEL"), 1);
}

TEST_F(PostingEngineTest, ADatabaseErrorInALookUpFailsThatRowOnly) {
    // An account longer than the chart's column cannot even be compared.
    Post({Clean({{"SELF", "1"}, {"KARTON", std::string(25, '4')}}),
          Clean({{"SELF", "2"}, {"BIZONYLAT", "B002"}})},
         Widened("KARTON", 30));

    EXPECT_EQ(RunReport.rfind("ErrRec1.  -  (A1/1)\r\n  ", 0), 0u) << RunReport;
    EXPECT_EQ(Value("select list(FE_BIZONYLAT) from FEJLEC"), "B002");
}

} // namespace
