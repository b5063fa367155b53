#include "db/DbValue.h"
#include "db/TParams.h"
#include "platform/DateTime.h"
#include "platform/FormatSettings.h"

#include <gtest/gtest.h>

namespace {

TEST(DbValueTest, NullReadsAsEmptyAndZero) {
    DbValue v;
    EXPECT_TRUE(v.IsNull());
    EXPECT_EQ(v.AsString(), "");
    EXPECT_EQ(v.AsInteger(), 0);
    EXPECT_EQ(v.AsFloat(), 0.0);
    EXPECT_EQ(v.AsDateTime(), 0.0);
}

TEST(DbValueTest, ConversionsFollowTheLocale) {
    EXPECT_EQ(DbValue::Float(2012.0).AsString(), "2012");
    EXPECT_EQ(DbValue::Float(-0.25).AsString(), "-0,25");
    EXPECT_DOUBLE_EQ(DbValue::Text(" 12,5 ").AsFloat(), 12.5);
    EXPECT_EQ(DbValue::Float(2.5).AsInteger(), 3);
    EXPECT_EQ(DbValue::Text(" 42 ").AsInteger(), 42);
    EXPECT_EQ(DbValue::Integer(7).AsString(), "7");

    const datetime::TDateTime day = datetime::EncodeDate(2012, 3, 3);
    EXPECT_EQ(DbValue::DateTime(day).AsString(), "2012.03.03.");
    EXPECT_EQ(DbValue::DateTime(day + datetime::EncodeTime(14, 5, 0)).AsString(),
              "2012.03.03. 14:05:00");
    EXPECT_DOUBLE_EQ(DbValue::Text("2012.03.03.").AsDateTime(), day);
    EXPECT_EQ(DbValue::DateTime(day + 0.75).AsInteger(), static_cast<int>(day));
}

TEST(DbValueTest, UnreadableTextNamesItself) {
    try {
        DbValue::Text("12x").AsInteger();
        FAIL();
    } catch (const ConvertError& e) {
        EXPECT_NE(std::string(e.what()).find("'12x'"), std::string::npos);
    }
    EXPECT_THROW(DbValue::Text("").AsInteger(), ConvertError);
    EXPECT_THROW(DbValue::Text("abc").AsFloat(), ConvertError);
    EXPECT_THROW(DbValue::Integer(5000000000LL).AsInteger(), ConvertError);
    EXPECT_EQ(DbValue::Integer(5000000000LL).AsInt64(), 5000000000LL);
}

TEST(TParamsTest, LookUpIgnoresCaseAndRebuildKeepsValues) {
    TParams params;
    params.Add("Name").SetAsString("x");
    params.Add("NAME"); // the same parameter
    EXPECT_EQ(params.Count(), 1);
    EXPECT_EQ(params.ParamByName("name").AsString(), "x");
    params.Rebuild({"Other", "name"});
    ASSERT_EQ(params.Count(), 2);
    EXPECT_TRUE(params[0].IsNull());
    EXPECT_EQ(params[1].AsString(), "x");
    TParams copy = params;
    copy[1].SetAsInteger(1);
    EXPECT_EQ(params[1].AsString(), "x");
}

} // namespace
