#include "app/PayrollConversion.h"

#include "app/ConvertedTable.h"

#include "platform/Text.h"

PayrollConversion::PayrollConversion(TF_INView& view, DbfTable& Dbf1, DbfTable& dbfWber,
                                     const std::string& exchangeFolder)
    : view_(view), dbf1_(Dbf1), dbfWber_(dbfWber), exchangeFolder_(exchangeFolder) {}

std::vector<std::string> PayrollConversion::Run(const std::string& fileName) {
    dbfWber_.Close();
    dbfWber_.FolderName = exchangeFolder_;
    dbfWber_.TableName = fileName;
    try {
        ConvertedTable::OpenEmptied(dbf1_, exchangeFolder_, CheckInto);
        dbfWber_.Open();
        for (dbfWber_.First(); !dbfWber_.Eof(); dbfWber_.Next()) {
            view_.ProcessMessages();
            AppendRecord();
        }
        dbf1_.Close();
        dbfWber_.Close();
    } catch (...) {
        dbf1_.Close();
        dbfWber_.Close();
        throw;
    }

    return ConvertedTable::HandOver(view_, exchangeFolder_, Output, fileName, CheckInto);
}

void PayrollConversion::AppendRecord() {
    auto source = [&](const char* column) { return dbfWber_.FieldByName(column).AsString(); };
    const std::string kind = source("TK");
    const double value = dbfWber_.FieldByName("ERTEK").AsFloat();
    // A negative amount turns the side over and is posted as a positive one.
    std::string direction, character;
    if (value >= 0) {
        direction = kind;
        character = kind == "T" ? "B" : "K";
    } else {
        direction = kind == "T" ? "K" : "T";
        character = kind == "T" ? "K" : "B";
    }
    const double amount = value < 0 ? -value : value;
    const std::string date = source("KDAT");

    dbf1_.Append();
    auto set = [&](const char* column, const std::string& text) {
        dbf1_.FieldByName(column).SetAsString(text);
    };
    set("AZON", source("NAPLK"));
    set("SELF", source("TSOR"));
    set("BIZONYLAT", source("BIZSZ"));
    set("IRANY", direction);
    set("JELLEG", character);
    dbf1_.FieldByName("TOTAL").SetAsFloat(amount);
    dbf1_.FieldByName("SUMA").SetAsFloat(amount);
    set("KARTON", source("SZLASZ"));
    set("KELTE", date);
    set("TELJESIT", date);
    set("HATARIDO", date);
    // A posting table may do without the VAT date column.
    if (DbfField* vatDate = dbf1_.FindField("AFATELJ")) vatDate->SetAsString(date);
    set("ELLEN", source("ELLSZ"));
    set("GY_NEV", source("AGKOD"));
    set("KO_NEV", source("KOLTSN"));
    set("MU_NEV", source("MUNKASZAM"));
    set("MEGJEGY", source("MEGNEV"));
    set("MIKOR", source("BIZK"));
    set("FELADO", "WBER");
    set("MO_CHAR", "X");
    set("FUZMOD", W1250("Atutalás"));
    dbf1_.Post();
}
