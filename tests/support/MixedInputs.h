#pragma once
// Large inputs of every kind with the mix a real day brings: vouchers of one to three lines,
// old, new and repeated customers, findings, duplicates, currency rows, and rows the database
// refuses. Everything is dated 2012, the year of the reference data.
#include "posting/PostingCounts.h"

#include <filesystem>

class TestDatabase;

class MixedInputs {
public:
    // Chart of accounts, VAT codes, a posting group and a translation for 2012, 1000 customers
    // the tables name again, `headers` voucher headers spread over them, and, with refusals, a
    // trigger that refuses every voucher number starting with "REJ".
    static void LoadReference(TestDatabase& db, long headers = 0, bool refusals = true);
    static void WritePostingTable(const std::filesystem::path& path, long rows);
    // A bank statement of two statement headers and `transactions` transactions.
    static void WriteStatement(const std::filesystem::path& path, long transactions);
    static void WritePayroll(const std::filesystem::path& path, long records);

    // What the database holds after tables of `rows` rows in all were posted into a database
    // loaded as above without headers, counted there: a row is posted when its line is in, has
    // findings when its line (or, for the row that opened the voucher, its header) is marked,
    // and was rejected when its line is missing.
    static PostingCounts Stored(TestDatabase& db, long rows);
};
