#include "db/SqlSegments.h"

#include "platform/Text.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const Lines kStatement{"select A, B", "from T", "where A > 1", "order by B"};

std::pair<int, int> Positions(const SqlSegments& s, std::size_t k) {
    return {s.SegmentTable()[k].Start, s.SegmentTable()[k].Stop};
}

// Lines of a segment stored by ChangeSegment: from its keyword line up to the next keyword line.
Lines SegmentLines(const SqlSegments& s, std::size_t firstLine, std::size_t count) {
    const Lines& all = s.ParsedLines();
    return Lines(all.begin() + firstLine, all.begin() + firstLine + count);
}

} // namespace

TEST(SqlSegments, FindsTheClausesWithTheirLineBreaks) {
    SqlSegments s;
    s.Parse(kStatement);
    EXPECT_EQ(Positions(s, 0), std::make_pair(1, 13));
    EXPECT_EQ(Positions(s, 1), std::make_pair(14, 21));
    EXPECT_EQ(Positions(s, 2), std::make_pair(22, 34));
    EXPECT_EQ(Positions(s, 3), std::make_pair(0, 0));
    EXPECT_EQ(Positions(s, 6), std::make_pair(35, 46));
    EXPECT_EQ(s.SegmentTable()[6].Keyword, "ORDER");
    EXPECT_EQ(s.SegmentTable()[7].Keyword, "");

    EXPECT_EQ(s.GetSegment("where"), "where A > 1");
    EXPECT_EQ(s.GetSegment("  Order "), "order by B");
    EXPECT_EQ(s.GetSegment("group"), "");
    EXPECT_EQ(s.GetSegment("limit"), "");
    EXPECT_EQ(s.Parsed(), "select A, B\r\nfrom T\r\nwhere A > 1\r\norder by B\r\n");
}

TEST(SqlSegments, SegmentOverSeveralLinesReadsAsOneLine) {
    SqlSegments s;
    s.ParseText("select A\r\nfrom T\r\nwhere A > 1\r\n   and   B = 2\r\n");
    EXPECT_EQ(s.GetSegment("WHERE"), "where A > 1 and B = 2");
}

TEST(SqlSegments, AddsAndRemovesConditionsJoinedWithAnd) {
    SqlSegments s;
    s.Parse(kStatement);
    s.AddToWhere("B = 2");
    EXPECT_EQ(s.Parsed(), "select A, B\r\nfrom T\r\nwhere (A > 1) and B = 2\r\norder by B\r\n");
    s.AddToWhere("C = 3");
    EXPECT_EQ(s.ParsedLines()[2], "where ((A > 1) and B = 2) and C = 3");

    s.DeleteFromWhere("C = 3");
    EXPECT_EQ(s.ParsedLines()[2], "where (A > 1) and B = 2");
    s.DeleteFromWhere("b = 2"); // letter case counts: not found
    EXPECT_EQ(s.ParsedLines()[2], "where (A > 1) and B = 2");
    s.DeleteFromWhere(" B = 2 ");
    EXPECT_EQ(s.ParsedLines()[2], "where A > 1");
    s.DeleteFromWhere("A > 1");
    EXPECT_EQ(s.ParsedLines(), (Lines{"select A, B", "from T", "order by B"}));
    EXPECT_EQ(s.SegmentTable()[2].Start, 0);

    s.AddToWhere("  ");
    s.DeleteFromWhere("A > 1");
    EXPECT_EQ(s.ParsedLines(), (Lines{"select A, B", "from T", "order by B"}));
}

TEST(SqlSegments, OrConditionsWithoutWhere) {
    SqlSegments s;
    s.Parse(Lines{"select A", "from T", "order by A"});
    s.AddOrToWhere("A = 1");
    EXPECT_EQ(s.ParsedLines(), (Lines{"select A", "from T", "where (A = 1)", "order by A"}));
    s.AddOrToWhere("A = 2");
    EXPECT_EQ(s.ParsedLines()[2], "where ((A = 1)) or (A = 2)");
}

TEST(SqlSegments, ChangeSegmentReplacesInsertsAndDeletes) {
    SqlSegments s;
    s.Parse(kStatement);
    s.ChangeSegment("group by A");
    EXPECT_EQ(s.ParsedLines(),
              (Lines{"select A, B", "from T", "where A > 1", "group by A", "order by B"}));
    s.ChangeSegment("ORDER");
    EXPECT_EQ(s.ParsedLines(), (Lines{"select A, B", "from T", "where A > 1", "group by A"}));
    s.ChangeSegment("  from U u  ");
    EXPECT_EQ(s.ParsedLines(), (Lines{"select A, B", "from U u", "where A > 1", "group by A"}));
    s.ChangeSegment("having"); // absent: nothing to delete
    EXPECT_EQ(s.ParsedLines(), (Lines{"select A, B", "from U u", "where A > 1", "group by A"}));
    s.ChangeSegment("limit 5"); // not a clause keyword
    EXPECT_EQ(s.ParsedLines(), (Lines{"select A, B", "from U u", "where A > 1", "group by A"}));
    s.ChangeSegment("order by B"); // after the nearest earlier clause that is there
    EXPECT_EQ(s.ParsedLines(),
              (Lines{"select A, B", "from U u", "where A > 1", "group by A", "order by B"}));
}

TEST(SqlSegments, CountStatementKeepsFilterAndDropsOrder) {
    SqlSegments s;
    EXPECT_EQ(s.CountStatement(kStatement),
              (Lines{"select Count(*) as xSelCnt", "from T", "where A > 1"}));
    EXPECT_EQ(s.Parsed(), "select Count(*) as xSelCnt\r\nfrom T\r\nwhere A > 1\r\n");

    EXPECT_EQ(
        s.CountStatement(
            Lines{"with X as (select A from T order by A)", "select A", "from X", "order by A"}),
        (Lines{"with X as (select A from T order by A)", "select Count(*) as xSelCnt", "from X"}));

    // Statements that are not queries give nothing to run.
    EXPECT_TRUE(s.CountStatement(Lines{"update T set A = 1", "where B = 2"}).empty());
    EXPECT_TRUE(s.CountStatement(Lines{"update T set xselect = 1 returning A"}).empty());
    EXPECT_TRUE(s.CountStatement(Lines{"execute procedure P"}).empty());
}

TEST(SqlSegments, StatementWithoutOuterSelectHasNoSegments) {
    SqlSegments s;
    const Lines update{"update T set A = 1", "where B = (select max(B) from T)"};
    s.Parse(update);
    for (const auto& entry : s.SegmentTable())
        EXPECT_EQ(entry.Start, 0);
    s.AddToWhere("C = 3");
    s.ChangeSegment("order by A");
    EXPECT_EQ(s.ParsedLines(), update);
    EXPECT_EQ(s.GetSegment("where"), "");
}

TEST(SqlSegments, KeywordsInsideParenthesesOrQuotesAreNotSeen) {
    SqlSegments s;
    s.Parse(Lines{"select A, (select max(X) from U where U.K = T.K) as M", "from T"});
    EXPECT_EQ(s.GetSegment("from"), "from T");
    EXPECT_EQ(s.SegmentTable()[2].Start, 0);

    s.Parse(Lines{"select 'it''s where it is' as C, \"order by\" as D", "from T"});
    EXPECT_EQ(s.GetSegment("from"), "from T");
    EXPECT_EQ(s.SegmentTable()[2].Start, 0);
    EXPECT_EQ(s.SegmentTable()[6].Start, 0);
}

TEST(SqlSegments, KeywordTestLooksOnlyAtTheFollowingCharacter) {
    SqlSegments s;
    // A column ending in FROM, followed by a blank, starts the FROM segment.
    s.Parse(Lines{"select DATEFROM , B", "from T"});
    EXPECT_EQ(s.SegmentTable()[1].Start, 12);
    EXPECT_EQ(s.SegmentTable()[0].Stop, 11);

    // A tab or a parenthesis after the keyword does not make a keyword.
    s.Parse(Lines{"select A from\tT where(A > 1)", "order\tby A"});
    for (std::size_t k = 1; k < 7; ++k)
        EXPECT_EQ(s.SegmentTable()[k].Start, 0) << k;
    s.Parse(Lines{"select", "A from T"});
    EXPECT_EQ(s.GetSegment("select"), "select A");
}

TEST(SqlSegments, ReparsingAndEmptyTexts) {
    SqlSegments s;
    s.ChangeSegment("where A = 1"); // nothing parsed yet
    s.AddToWhere("A = 1");
    EXPECT_TRUE(s.ParsedLines().empty());
    EXPECT_EQ(s.GetSegment("select"), "");

    s.ParseText("select A\r\n\r\n\r\nfrom T\r\n\r\nwhere A = 1\r\r\n");
    EXPECT_EQ(s.ParsedLines(), (Lines{"select A", "from T", "where A = 1"}));
    EXPECT_EQ(s.LastParsedText(), "select A\r\nfrom T\r\nwhere A = 1\r\n");
    const auto before = s.SegmentTable();
    s.ParseText("select A\r\nfrom T\r\n\r\nwhere A = 1\r\n");
    EXPECT_EQ(s.SegmentTable()[2].Start, before[2].Start);
    EXPECT_EQ(s.SegmentTable()[2].Stop, before[2].Stop);

    // After an edit the same text must be parsed again, not skipped.
    s.AddToWhere("B = 2");
    s.ParseText("select A\r\nfrom T\r\nwhere A = 1\r\n");
    EXPECT_EQ(s.GetSegment("where"), "where A = 1");

    // An empty text clears the positions only.
    s.ParseText(" \r\n ");
    EXPECT_EQ(s.GetSegment("where"), "");
    EXPECT_EQ(s.ParsedLines(), (Lines{"select A", "from T", "where A = 1"}));
    s.ParseText("select A\r\nfrom T\r\nwhere A = 1\r\n");
    EXPECT_EQ(s.GetSegment("where"), "where A = 1");
}

TEST(SqlSegments, TextWithoutFinalLineBreakOrWithBareLineFeeds) {
    SqlSegments s;
    s.ParseText("select A\nfrom T\nwhere A = 1");
    EXPECT_EQ(s.GetSegment("from"), "from T");
    s.ChangeSegment("from U");
    EXPECT_EQ(s.Parsed(), "select A\r\nfrom U\r\nwhere A = 1\r\n");
    s.ChangeSegment("where");
    EXPECT_EQ(s.Parsed(), "select A\r\nfrom U\r\n");
}

TEST(SqlSegments, KeywordFurtherThanTenCharactersChangesNothing) {
    SqlSegments s;
    s.Parse(kStatement);
    s.ChangeSegment("where\t\t\t\t\t\tB = 1");
    s.ChangeSegment("selectA,B,C from");
    s.ChangeSegment(W1250("fromélet X"));
    EXPECT_EQ(s.ParsedLines(), kStatement);
}

TEST(SqlSegments, LongSegmentIsStoredInShortLinesBrokenAtOuterBlanksAndCommas) {
    std::string list = "select ";
    for (int i = 0; i < 30; ++i)
        list += "coalesce(COL" + std::to_string(i) + ", 'a b, c') as C" + std::to_string(i) + ", ";
    list += "\"last, col\"";
    ASSERT_GT(list.size(), 3 * SqlSegments::kMaxSegmentLine);

    SqlSegments s;
    s.Parse(Lines{"select A", "from T"});
    s.ChangeSegment(list);
    const std::size_t selectLines = s.ParsedLines().size() - 1;
    ASSERT_GT(selectLines, 3u);
    EXPECT_EQ(s.ParsedLines().back(), "from T");

    std::string joined;
    for (const std::string& line : SegmentLines(s, 0, selectLines)) {
        EXPECT_LE(line.size(), SqlSegments::kMaxSegmentLine);
        joined += line;
        // Every break follows a blank or comma at the outer level, outside quotes.
        int depth = 0;
        bool quoted = false;
        for (char c : joined) {
            if (c == '\'' || c == '"') quoted = !quoted;
            if (!quoted && c == '(') ++depth;
            if (!quoted && c == ')') --depth;
        }
        if (joined.size() < list.size()) {
            EXPECT_TRUE(line.back() == ' ' || line.back() == ',') << line;
            EXPECT_EQ(depth, 0) << line;
            EXPECT_FALSE(quoted) << line;
        }
    }
    EXPECT_EQ(joined, list);
    EXPECT_EQ(s.GetSegment("from"), "from T");
}

TEST(SqlSegments, PieceLongerThanALineStaysWhole) {
    const std::string literal = "'" + std::string(300, 'x') + " y'";
    SqlSegments s;
    s.Parse(Lines{"select A", "from T"});
    s.ChangeSegment("where NAME = " + literal + " and B = 1");
    EXPECT_EQ(s.ParsedLines(),
              (Lines{"select A", "from T", "where NAME = ", literal + " ", "and B = 1"}));
}

TEST(SqlSegments, RefusesTextsLongerThanPositionsReach) {
    SqlSegments s;
    s.Parse(kStatement);

    // Exactly the longest text: held with its CR LF, the last segment stops at 65535.
    const std::string head = "select A\r\nfrom T\r\nwhere A = '";
    const std::string fits =
        head + std::string(SqlSegments::kMaxTextLength - head.size() - 3, 'x') + "'";
    s.ParseText(fits);
    EXPECT_EQ(s.SegmentTable()[2].Stop, SqlSegments::kMaxTextLength);

    EXPECT_THROW(s.ParseText(fits + "x"), std::length_error);
    EXPECT_EQ(s.SegmentTable()[2].Stop, SqlSegments::kMaxTextLength);
    EXPECT_EQ(s.Parsed().size(), SqlSegments::kMaxTextLength);

    // An edit that would grow the text past the limit leaves it as it was.
    try {
        s.ChangeSegment("order by A");
        FAIL() << "growing past the limit was accepted";
    } catch (const std::length_error& e) {
        EXPECT_NE(std::string(e.what()).find("65547"), std::string::npos) << e.what();
    }
    EXPECT_EQ(s.Parsed().size(), SqlSegments::kMaxTextLength);
    EXPECT_EQ(s.GetSegment("from"), "from T");
}
