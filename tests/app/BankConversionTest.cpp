#include "app/BankConversion.h"

#include "fixtures/DbfWriter.h"
#include "platform/Text.h"
#include "tests/app/ConversionFixture.h"
#include "tests/app/StatementLines.h"

#include <gtest/gtest.h>

#include <filesystem>

using datetime::EncodeDate;
namespace fs = std::filesystem;

namespace {

using statement::Header;
using statement::Transaction;

class BankConversionTest : public ConversionFixture {
protected:
    void SetUp() override {
        // The work table still holds a row of an earlier run.
        DbfWriter(DbfWriter::PostingColumns()).Row({"OLD"}).Save(dir / "in_arch" / "Feladas.dbf");
    }

    void WriteStatement(const std::vector<std::string>& lines) {
        dir.Write("KVF0001.TXT", text::JoinLines(lines));
    }

    std::vector<std::string> Convert() {
        BankConversion conversion(view, Dbf1, exchange);
        return conversion.Run("KVF0001.TXT");
    }
};

TEST_F(BankConversionTest, ConvertsEveryTransactionUnderItsStatementNumber) {
    const std::string partner = W1250("Árvíztűrő Tükörfúrógép Kft");
    const std::string remark = "REF-00000000001 remark-that-runs-on-past-its-full-length-of-49";
    WriteStatement({Transaction("1000,00"), Header("STMT-0001"),
                    Transaction("   -1.234.567,50", partner, remark), "PCZZ closing record",
                    Header("STMT-0002"), Transaction("0,00")});

    EXPECT_EQ(Convert(), std::vector<std::string>{"feladasWBank.dbf"});
    EXPECT_FALSE(fs::exists(dir / "KVF0001.TXT"));
    EXPECT_FALSE(Dbf1.Active());
    ASSERT_FALSE(view.WorkLists.empty());
    EXPECT_EQ(view.WorkLists.front().size(), 6u); // the statement was shown
    EXPECT_EQ(view.ProgressMax, 6);
    EXPECT_EQ(view.Positions, (std::vector<int>{0, 1, 2, 3, 4, 5, 6}));

    DbfTable t;
    OpenInExchange(t, "feladasWBank.dbf");
    ASSERT_EQ(t.RecordCount(), 3); // the earlier row is gone, other record kinds add nothing

    // Before any header: no statement number.
    EXPECT_EQ(S(t, "BIZONYLAT"), "");
    EXPECT_EQ(t.FieldByName("TOTAL").AsFloat(), 1000);
    EXPECT_EQ(S(t, "IRANY") + S(t, "JELLEG") + S(t, "ELLEN"), "TB311");

    t.Next();
    EXPECT_EQ(S(t, "BIZONYLAT"), "STMT-0001");
    EXPECT_EQ(t.FieldByName("TOTAL").AsFloat(), 1234567.5);
    EXPECT_EQ(t.FieldByName("SUMA").AsFloat(), 1234567.5);
    EXPECT_EQ(S(t, "IRANY"), "K");
    EXPECT_EQ(S(t, "JELLEG"), "K");
    EXPECT_EQ(S(t, "ELLEN"), "4541");
    EXPECT_EQ(S(t, "FELADO"), "WBANK");
    EXPECT_EQ(S(t, "MO_CHAR"), "B");
    EXPECT_EQ(S(t, "KARTON"), "3841");
    EXPECT_EQ(S(t, "FUZMOD"), W1250("Atutalás"));
    EXPECT_EQ(S(t, "AZON") + S(t, "SELF") + S(t, "GY_NEV") + S(t, "KO_NEV") + S(t, "MU_NEV"), "");
    for (const char* column : {"KELTE", "TELJESIT", "HATARIDO", "AFATELJ"})
        EXPECT_EQ(t.FieldByName(column).AsDateTime(), EncodeDate(2012, 3, 15)) << column;
    EXPECT_EQ(S(t, "MIKOR"), "2012.03.15.");
    EXPECT_EQ(S(t, "U_ROVID"), partner);
    EXPECT_EQ(S(t, "U_CEG"), partner);
    EXPECT_EQ(S(t, "U_BANKSZAM"), "12345678-87654321");
    EXPECT_EQ(S(t, "HIVATKOZ"), remark.substr(0, 15));
    EXPECT_EQ(S(t, "MEGJEGY"), remark.substr(0, 49));

    t.Next();
    EXPECT_EQ(S(t, "BIZONYLAT"), "STMT-0002");
    EXPECT_EQ(t.FieldByName("TOTAL").AsFloat(), 0);
    EXPECT_EQ(S(t, "IRANY") + S(t, "JELLEG") + S(t, "ELLEN"), "TB311");
}

TEST_F(BankConversionTest, AmountsLoseTheirThousandsSeparators) {
    const FormatSettings& hu = FormatSettings::Default();
    EXPECT_EQ(BankConversion::ReadAmount("   -1.234.567,50    ", hu), -1234567.5);
    EXPECT_EQ(BankConversion::ReadAmount("+1.000", hu), 1000);
    // A leading full stop is not a thousands separator.
    EXPECT_THROW(BankConversion::ReadAmount(".50", hu), ConvertError);
    FormatSettings stops = hu;
    stops.DecimalSeparator = '.';
    EXPECT_EQ(BankConversion::ReadAmount(".50", stops), 0.5);
    EXPECT_THROW(BankConversion::ReadAmount("", hu), ConvertError);
}

TEST_F(BankConversionTest, AnUnreadableLineStopsTheConversionAndKeepsTheStatement) {
    // The second transaction is cut off before its amount.
    WriteStatement({Header("STMT-0001"), Transaction("10,00"), "PCDA000000000020120316"});
    EXPECT_THROW(Convert(), ConvertError);
    EXPECT_TRUE(fs::exists(dir / "KVF0001.TXT"));
    EXPECT_FALSE(fs::exists(dir / "feladasWBank.dbf"));
    EXPECT_FALSE(Dbf1.Active());
    DbfTable t;
    OpenInExchange(t, "FELADAS.DBF", "in_arch\\");
    EXPECT_EQ(t.RecordCount(), 1); // what was stored stays

    // A short date format the date text does not match stops it in the same way.
    t.Close();
    WriteStatement({Transaction("10,00")});
    Dbf1.Settings.ShortDateFormat = "dd/mm/yyyy";
    Dbf1.Settings.DateSeparator = '/';
    EXPECT_THROW(Convert(), ConvertError);
    EXPECT_TRUE(fs::exists(dir / "KVF0001.TXT"));
}

TEST_F(BankConversionTest, AFailedCopyKeepsTheStatement) {
    WriteStatement({Header("STMT-0001"), Transaction("10,00")});
    fs::create_directory(dir / "feladasWBank.dbf"); // nothing can be copied over a folder
    EXPECT_THROW(Convert(), std::runtime_error);
    EXPECT_TRUE(fs::exists(dir / "KVF0001.TXT"));

    fs::remove_all(dir / "in_arch");
    fs::remove(dir / "feladasWBank.dbf");
    EXPECT_THROW(Convert(), std::runtime_error); // no work table
    EXPECT_TRUE(fs::exists(dir / "KVF0001.TXT"));
    EXPECT_FALSE(fs::exists(dir / "feladasWBank.dbf"));
}

} // namespace
