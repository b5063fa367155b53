// Random SQL-like texts through every editing operation: nothing may crash or read outside the
// text, and the positions must always describe the held text.
#include "db/SqlSegments.h"

#include "platform/Text.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

class SqlNoise {
public:
    explicit SqlNoise(unsigned seed) : rng_(seed) {}

    std::string Text(int tokens) {
        std::string s;
        for (int i = 0; i < tokens; ++i)
            s += Token();
        return s;
    }
    std::string Keyword() { return Pick(kKeywords); }
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

private:
    std::string Token() {
        switch (Below(10)) {
        case 0:
            return std::string(static_cast<std::size_t>(200 + Below(400)), 'x');
        case 1:
            return std::string(1, static_cast<char>(Below(256)));
        case 2:
        case 3:
            return Keyword() + (Below(4) == 0 ? "\t" : " ");
        default:
            return Pick(kBits);
        }
    }
    std::string Pick(const std::vector<std::string>& from) {
        return from[static_cast<std::size_t>(Below(static_cast<int>(from.size())))];
    }

    std::mt19937 rng_;
    const std::vector<std::string> kKeywords{"select", "FROM",     "where",  "Group by", "having",
                                             "union",  "order by", "SELECT", "wHeRe",    "from"};
    const std::vector<std::string> kBits{"A",
                                         "B1",
                                         " ",
                                         ", ",
                                         "(",
                                         ")",
                                         "'",
                                         "\"",
                                         "\r\n",
                                         "\r\n\r\n",
                                         "\r",
                                         "\n",
                                         "\r\r",
                                         " = ",
                                         "1",
                                         "\t",
                                         "count(*)",
                                         "T.K",
                                         " and ",
                                         " or ",
                                         "''",
                                         "xfrom ",
                                         "(select A from T where B = 1)",
                                         "\xE1rv\xED\xBE",
                                         "\x01",
                                         " "};
};

// Every present segment lies inside the held text and starts with its keyword.
void ExpectConsistent(const SqlSegments& s, int& segmentsSeen) {
    const std::string held = s.Parsed();
    ASSERT_LE(held.size(), SqlSegments::kMaxTextLength);
    const std::string upper = text::UpperWin1250(held);
    for (const auto& entry : s.SegmentTable()) {
        if (entry.Start == 0) {
            ASSERT_EQ(entry.Stop, 0);
            continue;
        }
        ASSERT_LT(entry.Start, held.size());
        ASSERT_GE(entry.Stop, entry.Start);
        ASSERT_LE(entry.Stop, held.size());
        ASSERT_EQ(upper.compare(entry.Start - 1, entry.Keyword.size(), entry.Keyword), 0)
            << "segment " << entry.Keyword << " at " << entry.Start;
        ++segmentsSeen;
        const std::string segment = s.GetSegment(entry.Keyword);
        ASSERT_EQ(text::UpperWin1250(segment.substr(0, entry.Keyword.size())), entry.Keyword);
    }
    for (const std::string& line : s.ParsedLines())
        ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos);
}

} // namespace

TEST(SqlSegmentsFuzz, RandomTextsKeepPositionsInsideTheText) {
    SqlNoise noise(20240611);
    int refused = 0;
    int segmentsSeen = 0;
    for (int round = 0; round < 300; ++round) {
        SqlSegments s;
        try {
            s.ParseText("select " + noise.Text(noise.Below(40)));
        } catch (const std::length_error&) {
            ++refused;
        }
        ExpectConsistent(s, segmentsSeen);
        std::vector<std::string> added;
        for (int step = 0; step < 12; ++step) {
            try {
                switch (noise.Below(6)) {
                case 0:
                    s.ParseText(noise.Text(noise.Below(60)));
                    break;
                case 1:
                    s.ChangeSegment(noise.Keyword() + " " + noise.Text(noise.Below(30)));
                    break;
                case 2:
                    s.ChangeSegment(noise.Keyword());
                    break;
                case 3:
                    added.push_back(noise.Text(1 + noise.Below(5)));
                    s.AddToWhere(added.back());
                    break;
                case 4:
                    s.AddOrToWhere(noise.Text(1 + noise.Below(5)));
                    break;
                default:
                    s.DeleteFromWhere(added.empty() ? noise.Text(2) : added.back());
                    if (!added.empty()) added.pop_back();
                }
            } catch (const std::length_error&) {
                ++refused;
            }
            ExpectConsistent(s, segmentsSeen);
            if (HasFatalFailure()) return;
        }
    }
    // A few near the limit, so the refusal path is walked too.
    for (int round = 0; round < 4; ++round) {
        SqlSegments s;
        std::string big = "select A\r\nfrom T\r\nwhere ";
        while (big.size() < SqlSegments::kMaxTextLength - 300)
            big += noise.Text(20);
        try {
            s.ParseText(big);
            for (int step = 0; step < 6; ++step)
                s.AddToWhere(noise.Text(40));
        } catch (const std::length_error&) {
            ++refused;
        }
        ExpectConsistent(s, segmentsSeen);
    }
    EXPECT_GT(refused, 0);
    // The noise must reach the segment code, not only texts without a SELECT.
    EXPECT_GT(segmentsSeen, 2000);
    std::cout << "segments checked: " << segmentsSeen << ", texts refused: " << refused << "\n";
}
