#include "posting/RowCheck.h"

#include "db/TEQuery.h"
#include "platform/DbfTable.h"
#include "platform/FormatSettings.h"
#include "platform/Text.h"
#include "posting/JournalResolver.h"
#include "posting/LookupMemory.h"
#include "posting/QuerySteps.h"
#include "posting/VatAccounts.h"

#include <algorithm>

using namespace query_steps;

RowCheck::RowCheck(TEQuery& EQ2, TEQuery& EQ4, DbfTable& Dbf1, const WorkYear& year,
                   JournalResolver& journals, VatAccounts& vat, LookupMemory& memory)
    : EQ2_(EQ2), EQ4_(EQ4), Dbf1_(Dbf1), year_(year), journals_(journals), vat_(vat),
      memory_(memory) {}

void RowCheck::DetectVatDateColumn() {
    const std::vector<std::string>& names = Dbf1_.FieldNames();
    hasVatDate_ = std::find(names.begin(), names.end(), "AFATELJ") != names.end();
}

std::string RowCheck::Text(const char* column) const {
    return Dbf1_.FieldByName(column).AsString();
}

datetime::TDateTime RowCheck::CheckedDate(const char* column, const std::string& finding,
                                          datetime::TDateTime fallback, std::string& errors) const {
    DbfField& field = Dbf1_.FieldByName(column);
    datetime::TDateTime value;
    try {
        value = field.AsDateTime();
    } catch (const ConvertError&) {
        errors += finding + field.AsString();
        value = fallback;
    }
    // Throws for a working year outside the calendar, which fails the row.
    if (value < datetime::EncodeDate(year_.DateYear, 1, 1)) {
        value = fallback;
        errors += finding + field.AsString();
    }
    return value;
}

void RowCheck::Check(PostingRow& row) {
    row.RowLabel = Text("AZON") + "/" + Text("SELF");
    row.Group = text::UpperWin1250(text::Trim(Text("CSOPORT")));
    row.Sender = text::UpperWin1250(text::Trim(Text("FELADO")));
    row.Currency = text::UpperWin1250(text::Trim(Text("DEV")));
    if (row.Currency.size() < 3) row.Currency.clear();
    row.HeaderErrors.clear();
    row.LineErrors.clear();
    row.Customer = CustomerValues{};

    row.Direction = text::UpperAscii(text::Trim(Text("IRANY")));
    if (row.Direction != "T" && row.Direction != "K") {
        row.Direction = "K";
        row.HeaderErrors += W1250(" Irány=?") + row.Direction;
    }

    row.Total = Dbf1_.FieldByName("TOTAL").AsFloat();
    if (!(row.Total > 0)) row.HeaderErrors += " Total=?";
    if (!(Dbf1_.FieldByName("SUMA").AsFloat() > 0)) row.LineErrors += W1250(" Ellen_összeg=?");

    const datetime::TDateTime today = datetime::Date();
    row.IssueDate = CheckedDate("KELTE", " Kelte=?", today, row.HeaderErrors);
    row.PerformanceDate =
        CheckedDate("TELJESIT", W1250(" Teljesítés=?"), row.IssueDate, row.HeaderErrors);
    row.DueDate = CheckedDate("HATARIDO", W1250(" Határidö=?"), row.IssueDate, row.HeaderErrors);
    row.VatDate = hasVatDate_ ? CheckedDate("AFATELJ", W1250(" Áfatelj=?"), row.PerformanceDate,
                                            row.HeaderErrors)
                              : row.PerformanceDate;

    CheckBookAndCharacter(row);
    CheckAccounts(row);
    vat_.ResolveVat(row);
    vat_.ResolveCurrencyAccounts(row);
}

void RowCheck::CheckBookAndCharacter(PostingRow& row) {
    row.Book = text::Trim(Text("MO_CHAR"));
    if (row.Book.empty() || std::string_view("BPSVXbpsvx").find(row.Book[0]) == std::string::npos) {
        row.Book = "X";
        row.HeaderErrors += W1250(" Könyv=?") + row.Book;
    }
    row.Book = text::UpperAscii(row.Book);
    row.Journal = journals_.JournalForBook(row.Book);

    row.Character = text::UpperAscii(text::Trim(Text("JELLEG")));
    if (row.Book == "V" && row.Character == "B") row.Character = "S";
    if (row.Character.empty() ||
        std::string_view("BJKSX").find(row.Character[0]) == std::string::npos) {
        row.HeaderErrors += " JELLEG=?" + row.Character;
        const bool debit = row.Direction == "T";
        switch (row.Book[0]) {
        case 'S':
            row.Character = debit ? "X" : "S";
            break;
        case 'V':
            row.Character = debit ? "S" : "X";
            break;
        default: // B, P, X
            row.Character = debit ? "B" : "K";
            break;
        }
    }
}

void RowCheck::CheckAccounts(PostingRow& row) {
    memory_.Open(EQ4_,
                 "select CS_KARTON,CS_ELLEN from FELCSOP where Upper(CS_CSOPORT)= :CS_CSOPORT",
                 {{"CS_CSOPORT", row.Group}});

    row.Account = text::Trim(FieldText(EQ4_, "CS_KARTON"));
    if (row.Account.size() < 3) row.Account.clear();
    if (row.Account.empty()) {
        row.Account = text::UpperAscii(text::Trim(Text("KARTON")));
        memory_.Open(EQ2_,
                     "select Count(*) C from FOKONYV where FO_KARTON=:K and Upper(FO_TYP)=:T  and "
                     "FO_COMPLET='Y' and FO_EV=:EV",
                     {{"K", row.Account}, {"T", row.Book}, {"EV", year_.Text}});
        if (FieldInteger(EQ2_, "C") < 1) {
            row.HeaderErrors = "Karton=?" + row.Account + " " + row.HeaderErrors;
            row.Account = posting_marks::Marked(row.Account, posting_marks::AccountWidth);
        }
    }

    row.CounterAccount = text::Trim(FieldText(EQ4_, "CS_ELLEN"));
    if (row.CounterAccount.size() < 3) row.CounterAccount.clear();
    if (row.CounterAccount.empty()) {
        row.CounterAccount = text::UpperAscii(text::Trim(Text("ELLEN")));
        memory_.Open(EQ2_,
                     "select Count(*) C from FOKONYV where FO_KARTON=:K and FO_COMPLET='Y' and "
                     "FO_EV=:EV",
                     {{"K", row.CounterAccount}, {"EV", year_.Text}});
        if (FieldInteger(EQ2_, "C") < 1) {
            row.LineErrors = W1250("Ellen_számla=?") + row.CounterAccount + " " + row.LineErrors;
            row.CounterAccount =
                posting_marks::Marked(row.CounterAccount, posting_marks::AccountWidth);
        }
    }
}
