#pragma once
// The VAT side of a posting row (the sender's VAT code translated, its rate and, by direction,
// its VAT account) and the currency variants of the row's accounts.
#include "posting/PostingRow.h"
#include "posting/WorkYear.h"

#include <string>

class TEQuery;
class DbfTable;
class LookupMemory;

class VatAccounts {
public:
    // Look-ups run in EQ2, the VAT account by direction in EQ5; all are answered through memory.
    VatAccounts(TEQuery& EQ2, TEQuery& EQ5, DbfTable& Dbf1, const WorkYear& year,
                LookupMemory& memory);

    // Sets the row's VAT code, rate and account from AF_NEV and AFASZAMLA; needs the row's
    // sender, currency, book and direction.
    void ResolveVat(PostingRow& row);
    // Moves the account and the counter account of a currency row to their currency variants.
    void ResolveCurrencyAccounts(PostingRow& row);

    // An account of the working year that differs from the given one only in its last
    // character, is typed in lower case (a currency account) and preferably names the currency
    // ("@EUR"); the account itself when there is none, or it is marked or shorter than 4.
    std::string CurrencyAccount(const std::string& account, const std::string& currency);

private:
    TEQuery& EQ2_;
    TEQuery& EQ5_;
    DbfTable& Dbf1_;
    const WorkYear& year_;
    LookupMemory& memory_;
};
