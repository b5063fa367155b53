#pragma once
// Finds the customer a posting row names: the previous row's when the two evidently name the
// same partner, otherwise the customer of the working year with that short name and account,
// otherwise a new one, provided the voucher's account exists in the chart.
#include "posting/PostingRow.h"
#include "posting/WorkYear.h"

#include <string>

class TEQuery;
class IBStoredProc;
class DbfTable;
class LookupMemory;
class CreationGuard;

class CustomerResolver {
public:
    // Look-ups and the insert run in EQ2, the identifier comes from SP1. The account's check in
    // the chart is answered through memory; the customers are always asked. A new customer is
    // created under the guard, when one is given.
    CustomerResolver(TEQuery& EQ2, IBStoredProc& SP1, DbfTable& Dbf1, const WorkYear& year,
                     LookupMemory& memory, CreationGuard* guard = nullptr);

    // Sets row.Customer (Id 0 for none); may add a finding to row.HeaderErrors. A new customer
    // is inserted in the row's transaction; a failing insert leaves the row without a customer,
    // unless the failure reaches the whole database. True when a customer was inserted. Throws
    // CreationGuard::Held when another run is creating the same customer.
    bool Resolve(PostingRow& row);

    // The customer of the last row that was posted, which the next row may reuse.
    void Remember(const CustomerValues& customer) { previous_ = customer; }
    void Forget() { previous_ = CustomerValues{}; }
    const CustomerValues& Previous() const { return previous_; }

    static const std::string Missing; // "@@@"

private:
    bool SameAsPrevious(const CustomerValues& c) const;
    // The customer of the working year with c's short name and account; 0 for none.
    int Find(const CustomerValues& c);
    // Prepares the insert of a new customer in EQ2 and draws its identifier.
    void InsertCustomer(PostingRow& row, const std::string& accountType);
    std::string Text(const char* column) const;

    TEQuery& EQ2_;
    IBStoredProc& SP1_;
    DbfTable& Dbf1_;
    const WorkYear& year_;
    LookupMemory& memory_;
    CustomerValues previous_;
    CreationGuard* guard_;
};
