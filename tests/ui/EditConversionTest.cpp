#include "ui/edit/EditConversion.h"

#include "platform/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Converted {
    std::string text;
    bool invalid;
};

Converted Convert(TEStrFormatOptions options, const std::string& s) {
    EditConversion c;
    c.IOTextOptions = options;
    std::string out = c.ConvertIOText(s);
    return {out, c.InvalidFlag};
}

// The members of a parsed set in code order, and the errors met on the way.
struct Parsed {
    std::string members;
    std::vector<std::string> errors;
};

Parsed Parse(const std::string& definition) {
    Parsed r;
    TCharSet set = ParseCharSet(definition, [&](const std::string& m) { r.errors.push_back(m); });
    for (int c = 0; c < 256; ++c)
        if (set.test(c)) r.members += static_cast<char>(c);
    return r;
}

} // namespace

TEST(EditConversion, NoOptionsLeavesTextAndFlagAlone) {
    EditConversion c;
    c.IOTextOptions = {};
    EXPECT_EQ(c.ConvertIOText("  x y  "), "  x y  ");
    EXPECT_FALSE(c.IsInvalid("not a number"));
}

TEST(EditConversion, TrimCutAndBlanks) {
    EXPECT_EQ(Convert({e_Trim}, "  abc  ").text, "abc");
    EXPECT_EQ(Convert({e_ToSpace}, "  12 Budapest").text, "12");
    EXPECT_EQ(Convert({e_ToSpace}, "  1234  ").text, "1234");
    EXPECT_EQ(Convert({e_ToDot}, " 3.14").text, "3");
    EXPECT_EQ(Convert({e_TrimRight}, "  a \t").text, "  a");
    EXPECT_EQ(Convert({e_Spaces2To1}, "a  b   c d").text, "a b c d");
    EXPECT_EQ(DeleteBlanks(" a b\tc "), "ab\tc");
}

TEST(EditConversion, NumericWritesEightDecimals) {
    EXPECT_EQ(Convert({e_Numeric}, "12,5").text, "12.50000000");
    EXPECT_EQ(Convert({e_Numeric}, "-3").text, "-3.00000000");
    auto spaced = Convert({e_Numeric}, "1 234,5");
    EXPECT_EQ(spaced.text, "1234.50000000");
    EXPECT_FALSE(spaced.invalid);
    EXPECT_EQ(Convert({e_Numeric}, "-0,0").text, "0.00000000");

    auto twoCommas = Convert({e_Numeric}, "1,2,3");
    EXPECT_TRUE(twoCommas.invalid) << "only the first comma is a decimal point";
    EXPECT_EQ(twoCommas.text, "1.20000000");
    auto empty = Convert({e_Numeric}, "");
    EXPECT_TRUE(empty.invalid);
    EXPECT_EQ(empty.text, "0.00000000");
    EXPECT_TRUE(Convert({e_Numeric}, "1e999").invalid);
}

TEST(EditConversion, IntegerRoundsHalfAwayFromZero) {
    EXPECT_EQ(Convert({e_Integer}, "0,5").text, "1");
    EXPECT_EQ(Convert({e_Integer}, "-0,5").text, "-1");
    EXPECT_EQ(Convert({e_Integer}, "-2.5").text, "-3");
    EXPECT_EQ(Convert({e_Integer}, "7.49").text, "7");
    EXPECT_EQ(Convert({e_Integer}, "9 223 372 036 854 775 000").text, "9223372036854774784");
    auto letters = Convert({e_Integer}, "abc");
    EXPECT_TRUE(letters.invalid);
    EXPECT_EQ(letters.text, "0");
    auto huge = Convert({e_Integer}, "1e30");
    EXPECT_EQ(huge.text, "0");
    EXPECT_FALSE(huge.invalid) << "an overflow zeroes the text without marking it";
}

TEST(EditConversion, EmptyAndInvalidVerdicts) {
    EditConversion c;
    c.IOTextOptions = {e_Numeric};
    EXPECT_FALSE(c.IsEmpty("")) << "a number field writes a zero";
    c.IOTextOptions = {e_Date};
    c.InvalidFlag = false;
    EXPECT_TRUE(c.IsEmpty(""));
    EXPECT_TRUE(c.InvalidFlag) << "the emptiness check converts, and may mark the text";
    EXPECT_FALSE(c.IsInvalid("2012.01.01."));
}

TEST(EditConversion, DateNeedsFourCharacters) {
    auto ok = Convert({e_Date}, " 1.2. ");
    EXPECT_EQ(ok.text, "1.2.");
    EXPECT_FALSE(ok.invalid) << "no calendar check";
    auto shortText = Convert({e_Date}, "1.2");
    EXPECT_EQ(shortText.text, "");
    EXPECT_TRUE(shortText.invalid);
}

TEST(EditConversion, TimeAndDateTimeFollowTheLocale) {
    EXPECT_EQ(Convert({e_Time}, " 14:30 ").text, "143000");
    auto badTime = Convert({e_Time}, "25:00");
    EXPECT_EQ(badTime.text, "");
    EXPECT_TRUE(badTime.invalid);
    EXPECT_EQ(Convert({e_DateTime}, "2012.05.01.").text, "2012.05.01.");
    EXPECT_EQ(Convert({e_DateTime}, "2012.5.1. 14:30").text, "2012.05.01. 14:30:00");
    EXPECT_TRUE(Convert({e_DateTime}, "2012.02.30.").invalid);

    FormatSettings other;
    other.ShortDateFormat = "mm/dd/yyyy";
    other.DateSeparator = '/';
    other.TimeSeparator = '.';
    other.LongTimeFormat = "hh:nn";
    EditConversion c(other);
    c.IOTextOptions = {e_DateTime};
    EXPECT_EQ(c.ConvertIOText("05/01/2012 9.05"), "05/01/2012 09.05");
    EXPECT_FALSE(c.InvalidFlag);
}

TEST(EditConversion, SeparatorsCaseAndCutting) {
    EXPECT_EQ(Convert({e_DelSepar}, "a;b, c|d").text, "abcd");
    EXPECT_EQ(Convert({e_DelSepar}, "a\tb\r\nc").text, "abc");
    EXPECT_EQ(Convert({e_FirstChar, e_Upper}, "kft").text, "K") << "casing runs before cutting";
    EXPECT_EQ(Convert({e_First2Chars}, "xyz").text, "xy");
    EXPECT_EQ(Convert({e_Lower}, W1250("ÁRVÍZ")).text, W1250("árvíz"));
}

TEST(EditConversion, NationalLettersFold) {
    ASSERT_EQ(NationalChars().size(), 57u);
    ASSERT_EQ(PlainChars().size(), 57u);
    // Four letters appear twice, with the same plain letter both times.
    for (size_t pos : {40u, 41u, 53u, 54u}) {
        size_t first = NationalChars().find(NationalChars()[pos]);
        EXPECT_LT(first, pos);
        EXPECT_EQ(PlainChars()[first], PlainChars()[pos]);
    }
    EXPECT_EQ(Convert({e_Trim, e_Upper, e_NoNational}, W1250("  árvíz tűrő  ")).text, "ARVIZ TURO");
    EXPECT_EQ(FoldNational(W1250("ŐŰőű")), "OUou");
    const std::string untouched = W1250("ĄĘŁŚŻÇËÂÎßŔ");
    EXPECT_EQ(FoldNational(untouched), untouched);
}

TEST(EditConversion, CharSetRangesAndCodes) {
    EXPECT_EQ(Parse("0..9").members, "0123456789");
    EXPECT_EQ(Parse("#48..#57").members, "0123456789");
    EXPECT_EQ(Parse("a,b").members, ",ab");
    EXPECT_EQ(Parse("a;b .").members, ".;ab");
    EXPECT_EQ(Parse("#65,#66").members, "AB");
    EXPECT_EQ(Parse("#").members, "#");
    EXPECT_EQ(Parse("##65").members, "#A");
    EXPECT_EQ(Parse("#300").members, "");
    EXPECT_EQ(Parse("a..").members, "a");
    EXPECT_EQ(Parse("z..a").members, "z") << "a backward range adds nothing";

    const TCharSet letters = ParseCharSet("A..Z a..z #+", nullptr);
    EXPECT_EQ(letters.count(), 52u + 53u) << "the national letters hold four repeats";
    for (char c : "AZaz" + NationalChars())
        EXPECT_TRUE(InSet(letters, c));
    EXPECT_EQ(ParseCharSet("#P", nullptr).count(), 58u) << "A to z with the signs between";
}

TEST(EditConversion, CharSetBadNumbersAreReportedAndSkipped) {
    auto bad = Parse("#1x");
    EXPECT_EQ(bad.errors, std::vector<std::string>{"Error char set on position:2"});
    EXPECT_EQ(bad.members, "");
    auto classEnd = Parse("a..#P");
    EXPECT_EQ(classEnd.errors, std::vector<std::string>{"Error char set on position:5"});
    EXPECT_EQ(classEnd.members, "a");
    auto goesOn = Parse("x #12a y");
    EXPECT_EQ(goesOn.errors, std::vector<std::string>{"Error char set on position:4"});
    EXPECT_EQ(goesOn.members, "xy") << "parsing goes on after the error";
}

TEST(EditConversion, CharSetsExcludeEachOther) {
    EditConversion c;
    c.SetCharSet("0..9", nullptr);
    EXPECT_TRUE(c.RefusesTyped('a'));
    EXPECT_FALSE(c.RefusesTyped('\b')) << "control keys pass";
    EXPECT_EQ(c.Filter("1a2"), "12");
    c.SetCharSetDisabled("x", nullptr);
    EXPECT_EQ(c.CharSet(), "");
    EXPECT_FALSE(c.RefusesTyped('a')) << "no restriction on allowed characters is left";
    EXPECT_EQ(c.Filter("1axb"), "1ab");
}
