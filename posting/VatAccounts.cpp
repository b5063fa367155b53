#include "posting/VatAccounts.h"

#include "db/TEQuery.h"
#include "platform/DbfTable.h"
#include "platform/Text.h"
#include "posting/LookupMemory.h"
#include "posting/QuerySteps.h"

using namespace query_steps;

VatAccounts::VatAccounts(TEQuery& EQ2, TEQuery& EQ5, DbfTable& Dbf1, const WorkYear& year,
                         LookupMemory& memory)
    : EQ2_(EQ2), EQ5_(EQ5), Dbf1_(Dbf1), year_(year), memory_(memory) {}

void VatAccounts::ResolveVat(PostingRow& row) {
    const std::string delivered = text::Trim(Dbf1_.FieldByName("AF_NEV").AsString());
    std::string code = text::UpperWin1250(delivered);

    memory_.Open(EQ2_,
                 "select FA_AF_NEV,FA_AF_DEV from FELAFA where Upper(FA_FELADO)= :FA_FELADO and "
                 "UPPER(FA_FELAFA)=:FA_FELAFA",
                 {{"FA_FELADO", row.Sender}, {"FA_FELAFA", code}});
    if (!row.Currency.empty()) {
        code = text::Trim(FieldText(EQ2_, "FA_AF_DEV"));
        if (code.empty()) code = text::Trim(FieldText(EQ2_, "FA_AF_NEV"));
    } else {
        code = text::Trim(FieldText(EQ2_, "FA_AF_NEV"));
    }
    if (code.empty()) code = delivered;
    row.VatCode = code;
    if (code.empty()) return;

    memory_.Open(EQ2_,
                 "select AF_NEV,AF_ERTEK from AFA where UPPER(AF_NEV)=UPPER(:K)  and AF_EV=:EV",
                 {{"K", code}, {"EV", year_.Text}});
    if (FieldText(EQ2_, "AF_NEV").empty()) {
        row.LineErrors = W1250("AFA_NEV=?") + code + " " + row.LineErrors;
        row.VatCode = posting_marks::Marked(code, posting_marks::VatCodeWidth);
        row.VatRate = 0;
        return;
    }
    row.VatCode = text::Trim(FieldText(EQ2_, "AF_NEV"));
    row.VatRate = FieldInteger(EQ2_, "AF_ERTEK");

    // In book V the credit side books onto the account the other books use for the debit side.
    const bool swapped = row.Book == "V" && row.Direction == "K";
    memory_.Open(EQ5_,
                 swapped ? "select AF_VT466 T, AF_BK467 K from AFA where Upper(AF_NEV)=:AF_NEV"
                         : "select AF_VT466 K, AF_BK467 T from AFA where Upper(AF_NEV)=:AF_NEV",
                 {{"AF_NEV", text::UpperWin1250(row.VatCode)}});
    row.VatAccount = text::Trim(FieldText(EQ5_, row.Direction));
    if (row.VatAccount.size() < 2) row.VatAccount.clear();
    if (!row.VatAccount.empty()) return;

    row.VatAccount = text::UpperAscii(text::Trim(Dbf1_.FieldByName("AFASZAMLA").AsString()));
    memory_.Open(EQ2_,
                 "select Count(*) C from FOKONYV where FO_KARTON=:K and (FO_TYP='T' or FO_TYP='K') "
                 "and FO_COMPLET='Y' and FO_EV=" +
                     year_.Text,
                 {{"K", row.VatAccount}});
    if (FieldInteger(EQ2_, "C") < 1) {
        row.LineErrors = W1250("Áfa_számla=?") + row.VatAccount + " " + row.LineErrors;
        row.VatAccount = posting_marks::Marked(row.VatAccount, posting_marks::AccountWidth);
    }
}

void VatAccounts::ResolveCurrencyAccounts(PostingRow& row) {
    if (row.Currency.empty()) return;
    row.Account = CurrencyAccount(row.Account, row.Currency);
    row.CounterAccount = CurrencyAccount(row.CounterAccount, row.Currency);
}

std::string VatAccounts::CurrencyAccount(const std::string& account, const std::string& currency) {
    if (account.size() < 4 || account[0] == '?') return account;
    const std::string prefix = text::Quoted(account.substr(0, account.size() - 1) + "%");
    const std::string name = text::Quoted("%@" + currency + "%");
    const std::string siblings =
        "select FO_KARTON from FOKONYV where FO_COMPLET='Y' and FO_EV=" + year_.Text +
        " and FO_KARTON like " + prefix + " and FO_TYP<>UPPER(FO_TYP)";

    memory_.Open(EQ2_, siblings + " and FO_MEGNEV like " + name, {});
    std::string found = text::Trim(FieldText(EQ2_, "FO_KARTON"));
    if (!found.empty()) return found;
    memory_.Open(EQ2_, siblings, {});
    found = text::Trim(FieldText(EQ2_, "FO_KARTON"));
    return found.empty() ? account : found;
}
