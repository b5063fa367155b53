#include "tests/support/MixedInputs.h"

#include "tests/support/DbfWriter.h"
#include "tests/support/TestDatabase.h"

#include <fstream>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

std::string Placed(std::string line, std::size_t position, const std::string& value) {
    if (line.size() < position - 1 + value.size()) line.resize(position - 1 + value.size(), ' ');
    line.replace(position - 1, value.size(), value);
    return line;
}

} // namespace

void MixedInputs::LoadReference(TestDatabase& db, long headers, bool refusals) {
    db.Execute("insert into FOKONYV values ('4541','S','Y',2012,'Szallitok');"
               "insert into FOKONYV values ('4542','s','Y',2012,'Szallitok @EUR');"
               "insert into FOKONYV values ('3111','V','Y',2012,'Vevok');"
               "insert into FOKONYV values ('311','V','Y',2012,'Vevok');"
               "insert into FOKONYV values ('3841','B','Y',2012,'Bank');"
               "insert into FOKONYV values ('5211','X','Y',2012,'Anyag');"
               "insert into FOKONYV values ('541','X','Y',2012,'Berek');"
               "insert into FOKONYV values ('471','X','Y',2012,'Fizetendo berek');"
               "insert into FOKONYV values ('466','T','Y',2012,'Elozetes AFA');"
               "insert into FOKONYV values ('467','K','Y',2012,'Fizetendo AFA');"
               "insert into AFA values ('27%',27,2012,'466','467');"
               "insert into AFA values ('5%',5,2012,'466','467');"
               "insert into FELAFA values ('SZLA','A27','27%',null);"
               "insert into FELCSOP values ('ANYAG','4541','5211');");
    if (refusals)
        db.Execute("create exception REFUSED 'voucher refused by the accounting system';"
                   "set term ^ ;"
                   "create trigger FEJLEC_REFUSE for FEJLEC before insert as begin"
                   "  if (new.FE_BIZONYLAT starting with 'REJ') then exception REFUSED; end^"
                   "set term ; ^");
    db.Execute("set term ^ ;"
               "execute block as declare i integer = 0; begin"
               "  while (i < 1000) do begin"
               "    insert into UGYFEL (UG_ID, UG_MOD, UG_ROVID, UG_KARTON, UG_EV)"
               "    values (next value for UG_ID_SEQ, 'S', 'OLD' || :i, '4541', 2012);"
               "    i = i + 1; end end^"
               "execute block as declare i integer = 0; begin"
               "  while (i < " +
               std::to_string(headers) +
               ") do begin"
               "    insert into FEJLEC (FE_ID, FE_MO_CHAR, FE_BIZONYLAT, FE_UG_ID, FE_KARTON,"
               "      FE_TOTAL, FE_EV, FE_STATUS)"
               "    values (next value for FE_ID_SEQ, 'V', 'P' || :i, mod(:i, 1000) + 1, '3111',"
               "      100, 2012, 'N');"
               "    i = i + 1; end end^"
               "set term ; ^");
}

// Vouchers of one to three lines; every seventh row with findings, every fifth voucher in book
// V, some of those repeating a preloaded voucher number; every 97th voucher refused.
void MixedInputs::WritePostingTable(const std::filesystem::path& path, long rows) {
    DbfWriter writer(DbfWriter::PostingColumns());
    long voucher = 0;
    int linesLeft = 0;
    std::map<std::string, std::string> row;
    for (long i = 0; i < rows; ++i) {
        if (linesLeft == 0) {
            ++voucher;
            linesLeft = 1 + voucher % 3;
            const bool bookV = voucher % 5 == 0;
            std::string customer;
            if (voucher % 4 == 1)
                customer = "OLD" + std::to_string(voucher % 1000);
            else if (voucher % 4 == 2)
                customer = "NEW" + std::to_string(voucher);
            else if (voucher % 4 == 3)
                customer = row["U_ROVID"]; // the previous voucher's
            std::string number = "B" + std::to_string(voucher);
            if (bookV && voucher % 10 == 0) number = "P" + std::to_string(voucher);
            if (voucher % 97 == 0) number = "REJ" + std::to_string(voucher);
            row = {{"FELADO", "SZLA"},
                   {"AZON", "A" + std::to_string(voucher)},
                   {"BIZONYLAT", number},
                   {"MO_CHAR", bookV ? "V" : "S"},
                   {"JELLEG", bookV ? "S" : "K"},
                   {"IRANY", "K"},
                   {"US_NEV", "MIXED"},
                   {"TOTAL", std::to_string(100 + voucher)},
                   {"AFATOTAL", "27"},
                   {"KARTON", bookV ? "3111" : "4541"},
                   {"DEV", voucher % 9 == 0 ? "EUR" : ""},
                   {"KELTE", "20120315"},
                   {"TELJESIT", "20120316"},
                   {"HATARIDO", "20120330"},
                   {"AFATELJ", "20120317"},
                   {"U_ROVID", customer},
                   // A partner named again under another short name is the same customer.
                   {"U_CEG", customer.empty() ? "" : "Company of " + customer},
                   {"U_ADOSZAM", customer.empty() ? "" : "12345678"},
                   {"MEGJEGY", "mixed"}};
        }
        --linesLeft;
        row["SELF"] = std::to_string(i + 1);
        row["SUMA"] = i % 7 == 3 ? "0" : "100";
        row["AFASUM"] = "27";
        row["ELLEN"] = i % 7 == 5 ? "9999" : "5211";
        row["AF_NEV"] = i % 2 ? "A27" : "5%";
        writer.RowByName(row);
    }
    writer.Save(path);
}

void MixedInputs::WriteStatement(const std::filesystem::path& path, long transactions) {
    std::ofstream out(path, std::ios::binary);
    for (long i = 0; i < transactions; ++i) {
        if (i == 0 || i == transactions / 2)
            out << Placed("PCAA", 193, "2012/" + std::to_string(i == 0 ? 1 : 2)) << "\r\n";
        const bool outgoing = i % 3 == 0;
        const std::string amount = (outgoing ? "-" : "") + std::to_string(1000 + i % 500) + ",50";
        std::string line = Placed("PCDA", 15, "20120315");
        line = Placed(line, 89, std::string(20 - amount.size(), ' ') + amount);
        // Partners come back every 40 transactions: the first time they are new customers.
        line = Placed(line, 201, "Partner " + std::to_string(i % 40));
        line = Placed(line, 236, "11700000-" + std::to_string(10000000 + i % 40));
        line = Placed(line, 271, "REF" + std::to_string(i) + " transfer " + std::to_string(i));
        out << line << "\r\n";
    }
    out << "PCZZ closing record\r\n";
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

void MixedInputs::WritePayroll(const std::filesystem::path& path, long records) {
    DbfWriter writer({{"NAPLK", 'C', 10},
                      {"TSOR", 'C', 6},
                      {"BIZSZ", 'C', 20},
                      {"TK", 'C', 1},
                      {"ERTEK", 'N', 15, 2},
                      {"SZLASZ", 'C', 10},
                      {"KDAT", 'D', 8},
                      {"ELLSZ", 'C', 10},
                      {"AGKOD", 'C', 10},
                      {"KOLTSN", 'C', 10},
                      {"MUNKASZAM", 'C', 10},
                      {"MEGNEV", 'C', 40},
                      {"BIZK", 'C', 10}});
    for (long i = 0; i < records; ++i) {
        // Vouchers of three lines: one per employee.
        const std::string voucher = "BER-" + std::to_string(i / 3);
        writer.Row({"B01", std::to_string(i + 1), voucher, i % 4 == 3 ? "K" : "T",
                    std::to_string(i % 5 == 4 ? -(1000 + i) : 1000 + i) + ".00", "541", "20120131",
                    "471", "ADM", "K10", "M" + std::to_string(i % 7),
                    "Payroll line " + std::to_string(i), "B"});
    }
    writer.Save(path);
}

PostingCounts MixedInputs::Stored(TestDatabase& db, long rows) {
    auto count = [&db](const std::string& sql) { return std::stoi(db.QueryValue(sql)); };
    PostingCounts c;
    c.RowsPosted = count("select count(*) from TETEL");
    c.RowsRejected = static_cast<int>(rows) - c.RowsPosted;
    c.RowsFlagged = count("select count(*) from TETEL t join FEJLEC f on f.FE_ID = t.TE_FE_ID "
                          "where iif(t.TE_ID = (select min(x.TE_ID) from TETEL x "
                          "where x.TE_FE_ID = t.TE_FE_ID), f.FE_ERR <> 0, "
                          "t.TE_ERR <> 0 or coalesce(t.TE_ERROR, '') <> '')");
    c.VouchersCreated = count("select count(*) from FEJLEC");
    c.CustomersCreated = count("select count(*) from UGYFEL") - 1000;
    c.JournalsCreated = count("select count(*) from NAPLO");
    return c;
}
