#include "app/PayrollConversion.h"

#include "fixtures/DbfWriter.h"
#include "platform/Text.h"
#include "tests/app/ConversionFixture.h"

#include <gtest/gtest.h>

#include <filesystem>

using datetime::EncodeDate;
namespace fs = std::filesystem;

namespace {

DbfWriter PayrollTable(char dateType = 'D') {
    return DbfWriter(DbfWriter::PayrollColumns(dateType));
}

std::vector<std::string> Record(const std::string& tsor, const std::string& tk,
                                const std::string& ertek, const std::string& kdat = "20120315") {
    return {"BER", tsor,   "B-0001", tk,    ertek,  "5411",
            kdat,  "4711", "AG1",    "KH1", "M-12", W1250("Bérek március"),
            "B12"};
}

class PayrollConversionTest : public ConversionFixture {
protected:
    void SetUp() override {
        DbfWriter(DbfWriter::PostingColumns()).Row({"OLD"}).Save(dir / "in_arch" / "Feladas.dbf");
    }

    std::vector<std::string> Convert(const std::string& name) {
        PayrollConversion conversion(view, Dbf1, dbfWber, exchange);
        return conversion.Run(name);
    }

    DbfTable dbfWber{"dbfWber"};
};

TEST_F(PayrollConversionTest, SignAndKindDecideDirectionAndCharacter) {
    PayrollTable()
        .Row(Record("1", "T", "100.00"))
        .Row(Record("2", "K", "100.00"))
        .Row(Record("3", "T", "-100.00"))
        .Row(Record("4", "K", "-100.00"))
        .Row(Record("5", "t", "100.00"))
        .Row(Record("6", "T", "-5.00"), /*deleted=*/true)
        .Save(dir / "fkber.dbf");

    EXPECT_EQ(Convert("fkber.dbf"), std::vector<std::string>{"feladasWBER.dbf"});
    EXPECT_FALSE(fs::exists(dir / "fkber.dbf"));
    EXPECT_FALSE(Dbf1.Active());
    EXPECT_FALSE(dbfWber.Active());
    // The progress bar is not moved by this conversion.
    EXPECT_TRUE(view.Positions.empty());
    EXPECT_EQ(view.ProgressMax, 0);
    EXPECT_EQ(view.ProcessCount, 5);

    DbfTable t;
    OpenInExchange(t, "feladasWBER.dbf");
    ASSERT_EQ(t.RecordCount(), 5);

    // Every column of the first row, then the direction table for all.
    EXPECT_EQ(S(t, "AZON"), "BER");
    EXPECT_EQ(S(t, "SELF"), "1");
    EXPECT_EQ(S(t, "BIZONYLAT"), "B-0001");
    EXPECT_EQ(S(t, "KARTON"), "5411");
    EXPECT_EQ(S(t, "ELLEN"), "4711");
    EXPECT_EQ(S(t, "GY_NEV"), "AG1");
    EXPECT_EQ(S(t, "KO_NEV"), "KH1");
    EXPECT_EQ(S(t, "MU_NEV"), "M-12");
    EXPECT_EQ(S(t, "MEGJEGY"), W1250("Bérek március"));
    EXPECT_EQ(S(t, "MIKOR"), "B12");
    EXPECT_EQ(S(t, "FELADO"), "WBER");
    EXPECT_EQ(S(t, "MO_CHAR"), "X");
    EXPECT_EQ(S(t, "FUZMOD"), W1250("Atutalás"));
    EXPECT_EQ(S(t, "U_ROVID") + S(t, "HIVATKOZ") + S(t, "DEV"), "");
    for (const char* column : {"KELTE", "TELJESIT", "HATARIDO", "AFATELJ"})
        EXPECT_EQ(t.FieldByName(column).AsDateTime(), EncodeDate(2012, 3, 15)) << column;

    const std::vector<std::string> expected = {"T B", "K K", "K K", "T B", "t K"};
    for (const std::string& sides : expected) {
        ASSERT_FALSE(t.Eof());
        EXPECT_EQ(S(t, "IRANY") + " " + S(t, "JELLEG"), sides) << "row " << S(t, "SELF");
        EXPECT_EQ(t.FieldByName("TOTAL").AsFloat(), 100);
        EXPECT_EQ(t.FieldByName("SUMA").AsFloat(), 100);
        t.Next();
    }
    EXPECT_TRUE(t.Eof());
}

TEST_F(PayrollConversionTest, AnEmptySourceGivesAnEmptyTable) {
    PayrollTable().Save(dir / "FKBER.DBF");
    EXPECT_EQ(Convert("FKBER.DBF"), std::vector<std::string>{"feladasWBER.dbf"});
    EXPECT_FALSE(fs::exists(dir / "FKBER.DBF"));
    DbfTable t;
    OpenInExchange(t, "FELADASWBER.DBF");
    EXPECT_EQ(t.RecordCount(), 0);
    EXPECT_TRUE(t.Eof());
}

TEST_F(PayrollConversionTest, AValueTheWorkTableCannotTakeStopsAndKeepsTheSource) {
    PayrollTable('C')
        .Row(Record("1", "T", "100.00", "2012.03.15."))
        .Row(Record("2", "T", "100.00", "2012-03-16"))
        .Save(dir / "FKBER.DBF");
    EXPECT_THROW(Convert("FKBER.DBF"), ConvertError);
    EXPECT_TRUE(fs::exists(dir / "FKBER.DBF"));
    EXPECT_FALSE(fs::exists(dir / "feladasWBER.dbf"));
    EXPECT_FALSE(Dbf1.Active());
    EXPECT_FALSE(dbfWber.Active());
    DbfTable t;
    OpenInExchange(t, "Feladas.dbf", "in_arch\\");
    EXPECT_EQ(t.RecordCount(), 1);
}

TEST_F(PayrollConversionTest, AFailedCopyOrAMissingTableKeepsTheSource) {
    PayrollTable().Row(Record("1", "T", "100.00")).Save(dir / "FKBER.DBF");
    fs::create_directory(dir / "feladasWBER.dbf"); // nothing can be copied over a folder
    EXPECT_THROW(Convert("FKBER.DBF"), std::runtime_error);
    EXPECT_TRUE(fs::exists(dir / "FKBER.DBF"));

    fs::remove(dir / "feladasWBER.dbf");
    fs::remove_all(dir / "in_arch");
    EXPECT_THROW(Convert("FKBER.DBF"), std::runtime_error);
    EXPECT_TRUE(fs::exists(dir / "FKBER.DBF"));
    EXPECT_FALSE(fs::exists(dir / "feladasWBER.dbf"));
}

} // namespace
