#include "platform/DbfTable.h"

#include "fixtures/DbfWriter.h"
#include "fixtures/TempDir.h"
#include "platform/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

using datetime::EncodeDate;

namespace {

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

class DbfTableTest : public ::testing::Test {
protected:
    // A table with every column kind, one deleted record among three.
    void WriteSample(const std::string& name = "sample.dbf") {
        DbfWriter w({{"NAME", 'C', 12},
                     {"AMOUNT", 'N', 12, 2},
                     {"RATE", 'F', 10, 4},
                     {"DAY", 'D', 8},
                     {"DAYTEXT", 'C', 11},
                     {"OK", 'L', 1}});
        w.Row({"  lead", "-1234.50", "0.1250", "20120315", "2012.03.15.", "T"});
        w.Row({"gone", "1", "", "", "", ""}, true);
        w.Row({W1250("Árvíztűrő"), "", "", "20120230", "15.03.2012", "F"});
        w.Save(dir / name);
    }

    TempDir dir;
};

TEST_F(DbfTableTest, ReadsRecordsAsTextNumbersAndDates) {
    WriteSample();
    DbfTable t("Dbf1");
    t.FolderName = dir.Folder();
    t.TableName = "sample.dbf";
    t.Open();
    EXPECT_TRUE(t.Active());
    EXPECT_EQ(t.FieldNames(),
              (std::vector<std::string>{"NAME", "AMOUNT", "RATE", "DAY", "DAYTEXT", "OK"}));
    EXPECT_EQ(t.RecordCount(), 2); // the deleted record does not count

    ASSERT_FALSE(t.Eof());
    EXPECT_EQ(t.FieldByName("NAME").AsString(), "  lead"); // leading blanks stay, padding goes
    EXPECT_EQ(t.FieldByName("amount").AsFloat(), -1234.5);
    EXPECT_EQ(t.FieldByName("AMOUNT").AsString(), "-1234,5");
    EXPECT_EQ(t.FieldByName("RATE").AsFloat(), 0.125);
    EXPECT_EQ(t.FieldByName("DAY").AsDateTime(), EncodeDate(2012, 3, 15));
    EXPECT_EQ(t.FieldByName("DAY").AsString(), "2012.03.15.");
    EXPECT_EQ(t.FieldByName("DAYTEXT").AsDateTime(), EncodeDate(2012, 3, 15));
    EXPECT_EQ(t.FieldByName("OK").AsString(), "True");

    t.Next(); // skips the deleted record
    ASSERT_FALSE(t.Eof());
    EXPECT_EQ(t.FieldByName("NAME").AsString(), W1250("Árvíztűrő")); // bytes as stored
    EXPECT_EQ(t.FieldByName("AMOUNT").AsFloat(), 0);                 // empty number
    EXPECT_EQ(t.FieldByName("AMOUNT").AsString(), "");
    EXPECT_EQ(t.FieldByName("DAY").AsDateTime(), 0); // 30 February
    EXPECT_EQ(t.FieldByName("DAY").AsString(), "");
    EXPECT_THROW(t.FieldByName("DAYTEXT").AsDateTime(), ConvertError);
    EXPECT_THROW(t.FieldByName("NAME").AsFloat(), ConvertError);

    t.Next();
    EXPECT_TRUE(t.Eof());
    t.First();
    EXPECT_EQ(t.FieldByName("NAME").AsString(), "  lead");
    t.Close();
    EXPECT_FALSE(t.Active());
}

TEST_F(DbfTableTest, BlankDateReadsDayZeroAndTextDatesFollowTheFormat) {
    DbfWriter({{"DAY", 'D', 8}, {"TXT", 'C', 10}}).Row({"", "15/03/2012"}).Save(dir / "d.dbf");
    DbfTable t;
    t.FolderName = dir.Folder();
    t.TableName = "d.dbf";
    t.Open();
    EXPECT_EQ(t.FieldByName("DAY").AsDateTime(), 0);
    EXPECT_TRUE(t.FieldByName("DAY").IsNull());
    EXPECT_THROW(t.FieldByName("TXT").AsDateTime(), ConvertError);
    t.Settings.ShortDateFormat = "dd/mm/yyyy";
    t.Settings.DateSeparator = '/';
    EXPECT_EQ(t.FieldByName("TXT").AsDateTime(), EncodeDate(2012, 3, 15));
}

TEST_F(DbfTableTest, MissingFieldsAreNamed) {
    WriteSample();
    DbfTable t;
    t.FolderName = dir.Folder();
    t.TableName = "sample.dbf";
    t.Open();
    EXPECT_EQ(t.FindField("AFATELJ"), nullptr);
    EXPECT_NE(t.FindField("name"), nullptr);
    EXPECT_EQ(ErrorOf([&] { t.FieldByName("AFATELJ"); }), "Field 'AFATELJ' not found");
}

TEST_F(DbfTableTest, FindsTheFileWhateverItsLetterCaseOrExtension) {
    std::filesystem::create_directories(dir / "in_arch");
    WriteSample("in_arch/Feladas.dbf");
    WriteSample("20120315HUF.HUF");
    DbfTable t;
    t.FolderName = dir.Path().string() + "\\IN_ARCH\\";
    t.TableName = "FELADAS.DBF";
    t.Open();
    EXPECT_EQ(t.RecordCount(), 2);
    t.Close();
    t.FolderName = dir.Path().string(); // no closing separator
    t.TableName = "20120315huf.huf";
    t.Open();
    EXPECT_EQ(t.FieldByName("NAME").AsString(), "  lead");
}

TEST_F(DbfTableTest, ForeignMissingAndTruncatedFilesGiveClearErrors) {
    dir.Write("KVF0001.TXT", "PCAA0000000000000000000000000000000000000000\r\n");
    WriteSample();
    std::string bytes = dir.Read("sample.dbf");
    dir.Write("cut.dbf", bytes.substr(0, bytes.size() - 40));
    dir.Write("head.dbf", bytes.substr(0, 50));
    dir.Write("tiny.dbf", "\x03");

    DbfTable t;
    t.FolderName = dir.Folder();
    auto openError = [&](const std::string& name) {
        t.TableName = name;
        return ErrorOf([&] { t.Open(); });
    };
    EXPECT_EQ(openError("KVF0001.TXT"), dir.Folder() + "KVF0001.TXT is not a dBase table");
    EXPECT_EQ(openError("tiny.dbf"), dir.Folder() + "tiny.dbf is not a dBase table");
    EXPECT_NE(openError("cut.dbf").find(dir.Folder() + "cut.dbf is truncated"), std::string::npos);
    EXPECT_NE(openError("head.dbf").find("head.dbf is truncated"), std::string::npos);
    EXPECT_EQ(openError("none.dbf"), "Table not found: " + dir.Folder() + "none.dbf");
    EXPECT_FALSE(t.Active());
}

TEST_F(DbfTableTest, ZapKeepsTheColumnsAndAppendedRecordsReadBack) {
    WriteSample("Feladas.dbf");
    DbfTable t;
    t.FolderName = dir.Folder();
    t.TableName = "feladas.dbf";
    t.Open();
    t.Zap();
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_TRUE(t.Eof());
    EXPECT_EQ(t.FieldNames().size(), 6u);

    t.Append();
    t.FieldByName("NAME").SetAsString(W1250("  Átutalás és egy hosszú szöveg"));
    t.FieldByName("AMOUNT").SetAsFloat(1234567.5);
    t.FieldByName("RATE").SetAsString("0,5");
    t.FieldByName("DAY").SetAsString("2012.03.15.");
    t.FieldByName("DAYTEXT").SetAsDateTime(EncodeDate(2012, 3, 16));
    t.FieldByName("OK").SetAsString("F");
    t.Post();
    t.Append();
    t.FieldByName("AMOUNT").SetAsString("");
    EXPECT_THROW(t.FieldByName("DAY").SetAsString("2012.02.30."), ConvertError);
    EXPECT_THROW(t.FieldByName("AMOUNT").SetAsString("12a"), ConvertError);
    EXPECT_THROW(t.FieldByName("AMOUNT").SetAsFloat(1e12), std::runtime_error); // 12 wide
    t.Post();
    t.Close();

    const std::string bytes = dir.Read("Feladas.dbf");
    EXPECT_NE(bytes.find("20120315"), std::string::npos); // dates stored as YYYYMMDD
    EXPECT_NE(bytes.find(" 1234567.50"), std::string::npos);

    t.Open();
    ASSERT_EQ(t.RecordCount(), 2);
    EXPECT_EQ(t.FieldByName("NAME").AsString(), W1250("  Átutalás é")); // cut to 12
    EXPECT_EQ(t.FieldByName("AMOUNT").AsFloat(), 1234567.5);
    EXPECT_EQ(t.FieldByName("RATE").AsFloat(), 0.5);
    EXPECT_EQ(t.FieldByName("DAY").AsDateTime(), EncodeDate(2012, 3, 15));
    EXPECT_EQ(t.FieldByName("DAYTEXT").AsString(), "2012.03.16.");
    EXPECT_EQ(t.FieldByName("OK").AsString(), "False");
    t.Next();
    EXPECT_TRUE(t.FieldByName("AMOUNT").IsNull());
    EXPECT_EQ(t.FieldByName("DAY").AsDateTime(), 0);
    t.Next();
    EXPECT_TRUE(t.Eof());
}

TEST_F(DbfTableTest, FieldsAreWrittenOnlyOnANewRecord) {
    WriteSample();
    DbfTable t;
    t.FolderName = dir.Folder();
    t.TableName = "sample.dbf";
    EXPECT_THROW(t.Append(), std::runtime_error); // not open
    t.Open();
    EXPECT_THROW(t.FieldByName("NAME").SetAsString("x"), std::runtime_error);
    t.Append();
    t.FieldByName("NAME").SetAsString("dropped");
    t.Cancel();
    EXPECT_EQ(t.FieldByName("NAME").AsString(), "  lead");
    t.Close();
    t.Open();
    EXPECT_EQ(t.RecordCount(), 2);
}

TEST_F(DbfTableTest, ReadsDbaseFourTablesWithWideTextColumns) {
    DbfWriter w({{"NOTE", 'C', 254}, {"N", 'N', 3}});
    w.Row({std::string(253, 'x') + "y", "7"});
    w.Save(dir / "wide.dbf", 0x8B);
    DbfTable t;
    t.FolderName = dir.Folder();
    t.TableName = "wide.dbf";
    t.Open();
    EXPECT_EQ(t.FieldByName("NOTE").AsString().size(), 254u);
    EXPECT_EQ(t.FieldByName("N").AsFloat(), 7);
}

} // namespace
