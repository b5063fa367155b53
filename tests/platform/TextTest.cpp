#include "platform/Text.h"

#include <gtest/gtest.h>

TEST(Text, TrimRemovesControlCharactersAndBlanksOnly) {
    EXPECT_EQ(text::Trim(" \t\r\n abc \x01\x1f"), "abc");
    EXPECT_EQ(text::TrimLeft("  a b  "), "a b  ");
    EXPECT_EQ(text::TrimRight("  a b  "), "  a b");
    // Byte 0xA0 (no-break space in Windows-1250) is above 32 and stays.
    EXPECT_EQ(text::Trim("\xA0x"), "\xA0x");
}

TEST(Text, UpperCasingAsciiOrWin1250) {
    std::string word = W1250("árvíztűrő tükörfúrógép");
    EXPECT_EQ(text::UpperAscii(word), W1250("áRVíZTűRő TüKöRFúRóGéP"));
    EXPECT_EQ(text::UpperWin1250(word), W1250("ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP"));
    EXPECT_EQ(text::LowerWin1250(W1250("ŠŁŽ")), W1250("šłž"));
}

TEST(Text, Win1250RoundTripThroughUtf8) {
    std::string w = W1250("Bér feladás ő ű");
    EXPECT_EQ(w.size(), std::string("Ber feladas o u").size());
    EXPECT_EQ(text::ToUtf8(w), "Bér feladás ő ű");
    // A character without a Windows-1250 form does not stop the conversion.
    EXPECT_EQ(text::FromUtf8("a€b✓c").substr(0, 3), "a\x80"
                                                    "b");
}

TEST(Text, LinesSplitAtAnyBreakWithoutTrailingEmptyLine) {
    EXPECT_EQ(text::SplitLines("a\r\nb\nc\rd\r\n"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(text::SplitLines("a\r\n\r\nb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(text::SplitLines("").empty());
    EXPECT_EQ(text::JoinLines({"x", "y"}), "x\r\ny\r\n");
}
