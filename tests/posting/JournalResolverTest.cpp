// The import journals of the books: found, created, kept while the program runs.
#include "tests/posting/PostingFixture.h"

namespace {

class JournalResolverTest : public PostingFixture {};

TEST_F(JournalResolverTest, AJournalIsCreatedForTheBookAndYearWhenTodayHasNone) {
    Db().Execute("insert into NAPLO values (77, 'B', 'IMPORT', current_timestamp, 2012);"
                 "insert into NAPLO values (78, 'V', 'IMPORT', current_timestamp - 1, 2012);"
                 "insert into NAPLO values (79, 'S', 'OTHER', current_timestamp, 2012);");
    Post({Clean({{"SELF", "1"}, {"MO_CHAR", "B"}, {"KARTON", "5211"}}),
          Clean({{"SELF", "2"}, {"BIZONYLAT", "B2"}, {"MO_CHAR", "V"}, {"KARTON", "3111"}}),
          Clean({{"SELF", "3"}, {"BIZONYLAT", "B3"}}),
          Clean({{"SELF", "4"}, {"BIZONYLAT", "B4"}, {"MO_CHAR", "V"}, {"KARTON", "3111"}})});

    EXPECT_EQ(Count("NAPLO"), 5);
    EXPECT_EQ(Value("select list(FE_NAPLO||NA_TYP||NA_OWNER||cast(NA_EV as integer), ' ') from "
                    "(select * from FEJLEC join NAPLO on NA_NO = FE_NAPLO order by FE_ID)"),
              "77BIMPORT2012 " + std::to_string(Journals.Get('V')) + "VIMPORT2012 " +
                  std::to_string(Journals.Get('S')) + "SIMPORT2012 " +
                  std::to_string(Journals.Get('V')) + "VIMPORT2012");
    EXPECT_EQ(Journals.Get('B'), 77);
    EXPECT_EQ(Journals.Get('P'), 0);
}

TEST_F(JournalResolverTest, TheJournalOfABookIsKeptForLaterTables) {
    Post({Clean()});
    const int journal = Journals.Get('S');
    Db().Execute("delete from NAPLO");
    Post({Clean({{"BIZONYLAT", "B2"}})});

    EXPECT_EQ(View.InputQueries.size(), 2u);
    EXPECT_EQ(Count("NAPLO"), 0);
    EXPECT_EQ(Value("select list(FE_NAPLO) from FEJLEC"),
              std::to_string(journal) + "," + std::to_string(journal));
}

TEST_F(JournalResolverTest, AJournalCreatedByAFailedRowIsNotKept) {
    Post({Clean({{"SELF", "1"},
                 {"MO_CHAR", "P"},
                 {"KARTON", "5211"},
                 {"MU_NEV", std::string(50, 'M')}}),
          Clean({{"SELF", "2"}, {"MO_CHAR", "P"}, {"KARTON", "5211"}})},
         Widened("MU_NEV", 60));

    EXPECT_NE(RunReport, "");
    EXPECT_EQ(Count("NAPLO"), 1);
    EXPECT_EQ(Value("select FE_NAPLO from FEJLEC join NAPLO on NA_NO = FE_NAPLO"),
              std::to_string(Journals.Get('P')));
}

TEST_F(JournalResolverTest, OnlyTheFiveBooksHaveJournals) {
    Post({});
    EXPECT_EQ(Engine.JournalForBook(""), 0);
    EXPECT_EQ(Engine.JournalForBook("Q"), 0);
    EXPECT_EQ(Engine.JournalForBook("x"), 0);
    EXPECT_GT(Engine.JournalForBook("XYZ"), 0);
    EXPECT_EQ(Count("NAPLO"), 0) << "not committed by a row";
}

} // namespace
