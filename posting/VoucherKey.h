#pragma once
// What a continuing row is compared with: the last committed row's voucher number, customer,
// total, account, direction and issue date, and the header its voucher went under.
#include "platform/DateTime.h"

#include <string>

struct VoucherKey {
    std::string VoucherNumber;
    int CustomerId = 0;
    double Total = 0;
    std::string Account;
    std::string Direction;
    datetime::TDateTime IssueDate = 0;
    int HeaderId = 0;
};
