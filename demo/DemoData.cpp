// inzefor-demo-data EXCHANGE_FOLDER YEAR: fills an exchange folder with the inputs of a demo
// import: two invoice tables, a bank statement, a payroll source table and the work posting
// table in in_arch/.
#include "fixtures/DbfWriter.h"
#include "platform/Text.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

using Row = std::map<std::string, std::string>;

void WriteInvoices(const fs::path& folder, const std::string& year) {
    const std::string day = year + "0115";
    Row base{{"FELADO", "HARVOLEN"},
             {"MO_CHAR", "V"},
             {"JELLEG", "S"},
             {"IRANY", "T"},
             {"US_NEV", "kovacs"},
             {"KARTON", "311"},
             {"ELLEN", "911"},
             {"AF_NEV", "A27"},
             {"KELTE", day},
             {"TELJESIT", day},
             {"AFATELJ", day},
             {"HATARIDO", year + "0130"},
             {"FUZMOD", W1250("Átutalás")}};
    auto row = [&](Row extra) {
        Row r = base;
        for (auto& [k, v] : extra)
            r[k] = v;
        return r;
    };
    DbfWriter sales(DbfWriter::PostingColumns());
    // One voucher of two lines for a customer the database does not know yet.
    sales.RowByName(row({{"AZON", "SZ1"},
                         {"SELF", "1"},
                         {"BIZONYLAT", "SZ-0001"},
                         {"TOTAL", "127000.00"},
                         {"AFATOTAL", "27000.00"},
                         {"SUMA", "60000.00"},
                         {"AFASUM", "16200.00"},
                         {"U_ROVID", W1250("Új Vevő Bt")},
                         {"U_CEG", W1250("Új Vevő Betéti Társaság")},
                         {"U_ADOSZAM", "12345678-2-13"},
                         {"U_HELY", "Szeged"}}));
    sales.RowByName(row({{"AZON", "SZ1"},
                         {"SELF", "2"},
                         {"BIZONYLAT", "SZ-0001"},
                         {"TOTAL", "127000.00"},
                         {"AFATOTAL", "27000.00"},
                         {"SUMA", "40000.00"},
                         {"AFASUM", "10800.00"},
                         {"U_ROVID", W1250("Új Vevő Bt")},
                         {"U_CEG", W1250("Új Vevő Betéti Társaság")},
                         {"U_ADOSZAM", "12345678-2-13"},
                         {"U_HELY", "Szeged"}}));
    // A known customer.
    sales.RowByName(row({{"AZON", "SZ2"},
                         {"SELF", "1"},
                         {"BIZONYLAT", "SZ-0002"},
                         {"TOTAL", "12700.00"},
                         {"AFATOTAL", "2700.00"},
                         {"SUMA", "10000.00"},
                         {"AFASUM", "2700.00"},
                         {"U_ROVID", "Ismert Kft"},
                         {"U_ADOSZAM", "87654321-2-41"}}));
    // Findings: an unknown account, a wrong direction and an unknown VAT code.
    sales.RowByName(row({{"AZON", "SZ3"},
                         {"SELF", "1"},
                         {"BIZONYLAT", "SZ-0003"},
                         {"IRANY", "D"},
                         {"KARTON", "9999"},
                         {"AF_NEV", "XX"},
                         {"TOTAL", "5000.00"},
                         {"SUMA", "5000.00"}}));
    sales.Save(folder / "feladas01.dbf");

    DbfWriter purchases(DbfWriter::PostingColumns());
    base["MO_CHAR"] = "S";
    base["JELLEG"] = "X";
    base["IRANY"] = "K";
    base["CSOPORT"] = "ANYAG";
    purchases.RowByName(row({{"AZON", "BE1"},
                             {"SELF", "1"},
                             {"BIZONYLAT", "B-77/" + year},
                             {"TOTAL", "63500.00"},
                             {"AFATOTAL", "13500.00"},
                             {"SUMA", "50000.00"},
                             {"AFASUM", "13500.00"},
                             {"U_ROVID", "Anyag Zrt"},
                             {"U_KARTON", "454"}}));
    purchases.Save(folder / "feladas02.dbf");
}

std::string Field(std::string line, size_t position, const std::string& value) {
    if (line.size() < position - 1 + value.size()) line.resize(position - 1 + value.size(), ' ');
    line.replace(position - 1, value.size(), value);
    return line;
}

std::string Padded(const std::string& value, size_t width, bool right = false) {
    std::string v = value.substr(0, width);
    std::string pad(width - v.size(), ' ');
    return right ? pad + v : v + pad;
}

void WriteStatement(const fs::path& folder, const std::string& year) {
    std::string header = Field("PCAA", 193, Padded(year + "/0001", 13));
    auto transaction = [&](const std::string& amount, const std::string& partner,
                           const std::string& account, const std::string& reference) {
        std::string line = "PCDA";
        line = Field(line, 15, year + "0120");
        line = Field(line, 89, Padded(amount, 20, true));
        line = Field(line, 201, Padded(partner, 35));
        line = Field(line, 236, Padded(account, 24));
        return Field(line, 271, Padded(reference, 49));
    };
    std::ofstream out(folder / "KVF0001.TXT", std::ios::binary);
    out << header << "\r\n"
        << transaction("127.000,00", "Ismert Kft", "11700000-12345678", "SZ-0002 fizetes") << "\r\n"
        << transaction("-63.500,00", "Anyag Zrt", "10400000-87654321", "B-77 utalas") << "\r\n"
        << "PCZZ closing record\r\n";
}

void WritePayroll(const fs::path& folder, const std::string& year) {
    DbfWriter payroll(DbfWriter::PayrollColumns());
    const std::string day = year + "0131";
    payroll.Row({"B01", "1", "BER-01", "T", "450000.00", "541", day, "471", "ADM", "K10", "M1",
                 W1250("Januári bérek"), "B"});
    payroll.Row({"B01", "2", "BER-01", "T", "-90000.00", "471", day, "462", "ADM", "K10", "M1",
                 W1250("Személyi jövedelemadó"), "B"});
    payroll.Save(folder / "FKBER.DBF");
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: inzefor-demo-data EXCHANGE_FOLDER YEAR\n";
        return 2;
    }
    try {
        fs::path folder = argv[1];
        std::string year = argv[2];
        fs::create_directories(folder / "in_arch");
        DbfWriter::CreatePostingTable(folder / "in_arch" / "Feladas.dbf");
        WriteInvoices(folder, year);
        WriteStatement(folder, year);
        WritePayroll(folder, year);
    } catch (const std::exception& e) {
        std::cerr << "inzefor-demo-data: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
