// The working year and the findings of the row check, as they reach the database.
#include "tests/posting/PostingFixture.h"

#include "platform/FormatSettings.h"
#include "platform/Text.h"

namespace {

class RowCheckTest : public PostingFixture {
protected:
    // FE_ERROR, then TE_ERROR, of each voucher in order.
    std::string Findings() {
        return Value("select list(FE_ERROR||'#'||TE_ERROR, '|') from (select FE_ERROR, TE_ERROR "
                     "from FEJLEC join TETEL on TE_FE_ID = FE_ID order by FE_ID)");
    }
};

TEST_F(RowCheckTest, TheYearIsAskedWithTheLatestYearOfTheChartOffered) {
    Db().Execute("insert into FOKONYV values ('', 'X', 'Y', 2099, 'ignored: no number')");
    View.InputAnswers = {std::nullopt};
    Post({Clean()});

    EXPECT_EQ(View.InputQueries,
              std::vector<std::string>{W1250("Mely évbe tölti |Évszám pl 2012 |2012")});
    EXPECT_EQ(Engine.WorkYearValue(), 2012);
    EXPECT_EQ(Engine.WorkYearText(), "2012.0");
    EXPECT_EQ(Value("select FE_ERR||cast(FE_EV as integer)||cast(TE_EV as integer) from FEJLEC "
                    "join TETEL on TE_FE_ID = FE_ID"),
              "020122012");
}

TEST_F(RowCheckTest, AnAnswerThatIsNoNumberStopsTheTable) {
    View.InputAnswers = {std::string("two thousand")};
    EXPECT_THROW(Post({Clean()}), ConvertError);
    Dbf1.Close();
    Db().Execute("delete from FOKONYV");
    View.InputAnswers = {std::nullopt};
    EXPECT_THROW(Post({Clean()}), ConvertError);
    EXPECT_EQ(View.InputQueries.back(), W1250("Mely évbe tölti |Évszám pl 2012 |"));
    Dbf1.Close();
    EXPECT_EQ(Count("FEJLEC"), 0);
}

TEST_F(RowCheckTest, DirectionAmountsBookAndCharacter) {
    Post({Clean({{"SELF", "1"}, {"IRANY", "t"}, {"JELLEG", "x"}, {"MO_CHAR", "s"}}),
          Clean({{"SELF", "2"}, {"BIZONYLAT", "B2"}, {"IRANY", "D"}}),
          Clean({{"SELF", "3"}, {"BIZONYLAT", "B3"}, {"TOTAL", "0"}, {"SUMA", "0"}}),
          Clean({{"SELF", "4"},
                 {"BIZONYLAT", "B4"},
                 {"MO_CHAR", "v"},
                 {"KARTON", "3111"},
                 {"JELLEG", "B"}}),
          Clean({{"SELF", "5"},
                 {"BIZONYLAT", "B5"},
                 {"MO_CHAR", "Q"},
                 {"KARTON", "5211"},
                 {"JELLEG", ""}}),
          Clean({{"SELF", "6"},
                 {"BIZONYLAT", "B6"},
                 {"MO_CHAR", ""},
                 {"KARTON", "5211"},
                 {"IRANY", "T"}}),
          Clean({{"SELF", "7"}, {"BIZONYLAT", "B7"}, {"JELLEG", "A"}, {"IRANY", "T"}}),
          Clean({{"SELF", "8"},
                 {"BIZONYLAT", "B8"},
                 {"MO_CHAR", "V"},
                 {"KARTON", "3111"},
                 {"JELLEG", "?"},
                 {"IRANY", "K"}})});

    EXPECT_EQ(Value("select list(FE_MO_CHAR||FE_JELLEG||FE_IRANY, ' ') from (select * from FEJLEC "
                    "order by FE_ID)"),
              "SXT SSK SSK VSK XKK XST SXT VXK");
    EXPECT_EQ(Findings(), "#|" + W1250("Irány=?K#|Total=?  Ellen_összeg=?# Ellen_összeg=?|#|") +
                              W1250("Könyv=?X JELLEG=?#|Könyv=?X#|JELLEG=?A#|JELLEG=??#"));
    EXPECT_EQ(Value("select list(TE_ERR) from (select * from TETEL order by TE_ID)"),
              "0,1,1,0,1,1,1,1");
}

TEST_F(RowCheckTest, DatesFallBackToTodayOrToTheIssueDate) {
    const std::string today =
        FormatSettings::Default().FormatDateTime("yyyy-mm-dd", datetime::Date());
    Post({Clean({{"SELF", "1"}, {"KELTE", ""}, {"TELJESIT", ""}, {"AFATELJ", "20110101"}}),
          Clean({{"SELF", "2"}, {"BIZONYLAT", "B2"}, {"HATARIDO", "20111231"}})});

    EXPECT_EQ(Value("select list(cast(FE_KELTE as date)||' '||cast(FE_TELJESIT as date)||' '||"
                    "cast(FE_HATARIDO as date)||' '||cast(FE_AFATELJ as date), '|') from "
                    "(select * from FEJLEC order by FE_ID)"),
              today + " " + today + " 2012-03-30 " + today +
                  "|2012-03-15 2012-03-16 2012-03-15 2012-03-17");
    EXPECT_EQ(Findings(),
              W1250("Kelte=? Teljesítés=? Áfatelj=?2011.01.01.#|Határidö=?2011.12.31.#"));
}

TEST_F(RowCheckTest, AnUnreadableDateInAYearStillToComeIsReportedTwice) {
    std::vector<DbfColumn> columns = DbfWriter::PostingColumns();
    for (DbfColumn& c : columns)
        if (c.Name == "KELTE") c = {"KELTE", 'C', 10};
    Db().Execute("insert into FOKONYV select FO_KARTON, FO_TYP, FO_COMPLET, 2999, FO_MEGNEV from "
                 "FOKONYV where FO_EV = 2012; insert into AFA values ('27%',27,2999,'466','467')");
    Post({Clean({{"KELTE", "soon"}})}, columns);

    // Today lies before the working year: the unreadable date falls back to it and is still
    // too early; the readable ones are reported once.
    EXPECT_EQ(Findings(), W1250("Kelte=?soon Kelte=?soon Teljesítés=?2012.03.16. "
                                "Határidö=?2012.03.30. Áfatelj=?2012.03.17.#"));
}

TEST_F(RowCheckTest, AccountsComeFromThePostingGroupOrAreCheckedInTheChart) {
    Post({Clean({{"SELF", "1"}, {"CSOPORT", " anyag"}, {"KARTON", ""}, {"ELLEN", ""}}),
          Clean({{"SELF", "2"}, {"BIZONYLAT", "B2"}, {"CSOPORT", "ROVID"}, {"KARTON", "311"}}),
          Clean({{"SELF", "3"}, {"BIZONYLAT", "B3"}, {"KARTON", "4541"}, {"MO_CHAR", "V"}}),
          Clean({{"SELF", "4"},
                 {"BIZONYLAT", "B4"},
                 {"KARTON", "123456789012345"},
                 {"ELLEN", "8888"},
                 {"IRANY", "D"}})},
         Widened("KARTON", 20));

    EXPECT_EQ(Value("select list(FE_KARTON||'/'||TE_ELLEN, '|') from (select * from FEJLEC join "
                    "TETEL on TE_FE_ID = FE_ID order by FE_ID)"),
              "4541/5211|? 311/5211|? 4541/5211|? 12345678901234/? 8888");
    // Account 311 is of book V, 4541 of book S: the type must match the book.
    EXPECT_EQ(Findings(), W1250("#|Karton=?311#|Karton=?4541#|Karton=?123456789012345  "
                                "Irány=?K Ellen_számla=?8888#Ellen_számla=?8888 "));
}

} // namespace
