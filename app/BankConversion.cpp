#include "app/BankConversion.h"

#include "app/ConvertedTable.h"

#include "platform/CheckedPath.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <cmath>
#include <stdexcept>

namespace {

// A fixed-column field, position counted from 1; what lies beyond the line is simply missing.
std::string Field(const std::string& line, size_t position, size_t length) {
    return position - 1 < line.size() ? line.substr(position - 1, length) : std::string();
}

} // namespace

BankConversion::BankConversion(TF_INView& view, DbfTable& Dbf1, const std::string& exchangeFolder,
                               const FormatSettings& settings)
    : view_(view), dbf1_(Dbf1), exchangeFolder_(exchangeFolder), settings_(settings) {}

double BankConversion::ReadAmount(const std::string& field, const FormatSettings& settings) {
    std::string number = field;
    if (!number.starts_with('.')) std::erase(number, '.');
    return settings.StrToFloat(number);
}

std::vector<std::string> BankConversion::Run(const std::string& fileName) {
    try {
        ConvertedTable::OpenEmptied(dbf1_, exchangeFolder_, CheckInto);

        // The window shows the statement while it is converted.
        const std::vector<std::string> lines =
            fs_win::ReadLines(CheckedPath(exchangeFolder_).Entry(fileName));
        view_.ShowWorkList(lines);
        view_.SetProgress(0);
        view_.SetProgressMax(static_cast<int>(lines.size()));
        std::string statementNumber;
        int position = 0;
        for (const std::string& line : lines) {
            view_.SetProgress(++position);
            view_.ProcessMessages();
            if (line.starts_with("PCAA"))
                statementNumber = Field(line, 193, 13);
            else if (line.starts_with("PCDA"))
                AppendTransaction(line, statementNumber);
        }
        dbf1_.Close();
    } catch (...) {
        dbf1_.Close();
        throw;
    }

    return ConvertedTable::HandOver(view_, exchangeFolder_, Output, fileName, CheckInto);
}

void BankConversion::AppendTransaction(const std::string& line,
                                       const std::string& statementNumber) {
    const std::string date =
        Field(line, 15, 4) + "." + Field(line, 19, 2) + "." + Field(line, 21, 2) + ".";
    const double amount = ReadAmount(Field(line, 89, 20), settings_);
    const bool incoming = amount >= 0;
    const std::string partner = Field(line, 201, 35);

    dbf1_.Append();
    auto set = [&](const char* column, const std::string& value) {
        dbf1_.FieldByName(column).SetAsString(value);
    };
    set("FELADO", "WBANK");
    set("AZON", "");
    set("SELF", "");
    set("MO_CHAR", "B");
    set("BIZONYLAT", statementNumber);
    set("IRANY", incoming ? "T" : "K");
    dbf1_.FieldByName("TOTAL").SetAsFloat(std::fabs(amount));
    dbf1_.FieldByName("SUMA").SetAsFloat(std::fabs(amount));
    set("JELLEG", incoming ? "B" : "K");
    set("KARTON", "3841");
    set("KELTE", date);
    set("TELJESIT", date);
    set("HATARIDO", date);
    set("FUZMOD", W1250("Atutalás"));
    set("ELLEN", incoming ? "311" : "4541");
    set("U_BANKSZAM", Field(line, 236, 24));
    set("U_ROVID", partner);
    set("U_CEG", partner);
    set("HIVATKOZ", Field(line, 271, 15));
    set("GY_NEV", "");
    set("KO_NEV", "");
    set("MU_NEV", "");
    set("MEGJEGY", Field(line, 271, 49));
    set("MIKOR", date);
    // A posting table may do without the VAT date column.
    if (DbfField* vatDate = dbf1_.FindField("AFATELJ")) vatDate->SetAsString(date);
    dbf1_.Post();
}
