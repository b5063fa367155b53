#pragma once
// What the engine works out for one row of a posting table before it writes the row.
#include "platform/DateTime.h"

#include <string>

// The partner of a voucher as the row names it. "@@@" stands for a value missing or too short to
// tell customers apart.
struct CustomerValues {
    int Id = 0; // 0: no customer
    std::string ShortName;
    std::string Account;
    std::string Company;
    std::string TaxNumber;
    std::string BankAccount;
};

struct PostingRow {
    std::string RowLabel; // AZON + "/" + SELF
    std::string Group;
    std::string Sender;
    std::string Currency;  // empty: no currency
    std::string Direction; // "T" or "K"
    double Total = 0;
    datetime::TDateTime IssueDate = 0;
    datetime::TDateTime PerformanceDate = 0;
    datetime::TDateTime DueDate = 0;
    datetime::TDateTime VatDate = 0;
    std::string Book;
    int Journal = 0;
    std::string Character;
    std::string Account;        // may be marked "? "
    std::string CounterAccount; // may be marked "? "
    std::string VatCode;        // may be marked "? "
    int VatRate = 0;
    std::string VatAccount; // may be marked "? "
    std::string HeaderErrors;
    std::string LineErrors;
    CustomerValues Customer;
    std::string VoucherNumber; // BIZONYLAT as delivered
    std::string PrintNumber;   // BIZONYLAT trimmed
    bool Duplicate = false;
};

namespace posting_marks {

// A value found wrong in the database: "? " in front, the whole cut to the column's width.
std::string Marked(const std::string& value, std::size_t width);
constexpr std::size_t AccountWidth = 16;
constexpr std::size_t VatCodeWidth = 20;

} // namespace posting_marks
