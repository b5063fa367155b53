#include "platform/FormatSettings.h"

#include <gtest/gtest.h>

using namespace datetime;

TEST(DateTime, DaysCountFromThe30thOfDecember1899) {
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
    EXPECT_EQ(EncodeDate(2012, 3, 15), 40983.0);
    int y, m, d;
    DecodeDate(40983.75, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20120315);
    DecodeDate(EncodeDate(2024, 2, 29), y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, 20240229);
    EXPECT_THROW(EncodeDate(2023, 2, 29), std::runtime_error);
}

TEST(FormatSettings, HungarianDatesAndTimes) {
    const FormatSettings& hu = FormatSettings::Default();
    TDateTime dt = EncodeDate(2012, 3, 5) + EncodeTime(10, 2, 33);
    EXPECT_EQ(hu.DateToStr(dt), "2012.03.05.");
    EXPECT_EQ(hu.TimeToStr(dt), "10:02:33");
    EXPECT_EQ(hu.FormatDateTime("yyyy.mm.dd hh:mm", dt), "2012.03.05 10:02");
    EXPECT_EQ(hu.StrToDate("2012.03.15."), EncodeDate(2012, 3, 15));
    EXPECT_EQ(hu.StrToDate(" 2012.3.5 "), EncodeDate(2012, 3, 5));
    EXPECT_THROW(hu.StrToDate("2012.02.30."), ConvertError);
    EXPECT_THROW(hu.StrToDate("15/03/2012"), ConvertError);
    EXPECT_THROW(hu.StrToDate(""), ConvertError);
}

TEST(FormatSettings, OtherDateOrderAndSeparator) {
    FormatSettings us;
    us.DateSeparator = '/';
    us.ShortDateFormat = "m/d/yyyy";
    EXPECT_EQ(us.StrToDate("3/15/2012"), EncodeDate(2012, 3, 15));
    EXPECT_EQ(us.DateToStr(EncodeDate(2012, 3, 15)), "3/15/2012");
}

TEST(FormatSettings, NumbersUseTheDecimalSeparator) {
    const FormatSettings& hu = FormatSettings::Default();
    EXPECT_DOUBLE_EQ(hu.StrToFloat(" -1234567,50 "), -1234567.5);
    EXPECT_DOUBLE_EQ(hu.StrToFloat("+3"), 3.0);
    EXPECT_DOUBLE_EQ(hu.StrToFloat("1,5E3"), 1500.0);
    EXPECT_THROW(hu.StrToFloat("1.234,5"), ConvertError);
    EXPECT_THROW(hu.StrToFloat("12a"), ConvertError);
    EXPECT_THROW(hu.StrToFloat(""), ConvertError);
    EXPECT_EQ(hu.FloatToStr(2012), "2012");
    EXPECT_EQ(hu.FloatToStr(-0.25), "-0,25");
    EXPECT_EQ(hu.FloatToStr(0.1 + 0.2), "0,3");
}
