#pragma once
// Normalises one row of a posting table and checks it against the accounting database. Nothing
// found wrong rejects the row: each finding is noted in the row's header or line error text and
// the value in question is replaced or marked. Only a database failure or an unreadable column
// raises.
#include "posting/PostingRow.h"
#include "posting/WorkYear.h"

#include <string>

class TEQuery;
class DbfTable;
class JournalResolver;
class VatAccounts;
class LookupMemory;

class RowCheck {
public:
    // The posting group look-up runs in EQ4 (its result stays readable), the others in EQ2;
    // all are answered through memory.
    RowCheck(TEQuery& EQ2, TEQuery& EQ4, DbfTable& Dbf1, const WorkYear& year,
             JournalResolver& journals, VatAccounts& vat, LookupMemory& memory);

    // Whether the open table has the optional VAT performance date; an exact, case-sensitive
    // match of the column name.
    void DetectVatDateColumn();
    bool HasVatDateColumn() const { return hasVatDate_; }

    // Fills the row from the table's current record. RowLabel is set first, so a failure
    // further on can still name the row.
    void Check(PostingRow& row);

private:
    datetime::TDateTime CheckedDate(const char* column, const std::string& finding,
                                    datetime::TDateTime fallback, std::string& errors) const;
    std::string Text(const char* column) const;
    void CheckBookAndCharacter(PostingRow& row);
    void CheckAccounts(PostingRow& row);

    TEQuery& EQ2_;
    TEQuery& EQ4_;
    DbfTable& Dbf1_;
    const WorkYear& year_;
    JournalResolver& journals_;
    VatAccounts& vat_;
    LookupMemory& memory_;
    bool hasVatDate_ = false;
};
