#pragma once
// Where the posting of one file stands after its last handled row: what a run that continues
// the file needs to go on exactly as an uninterrupted run would.
#include "posting/PostingCounts.h"
#include "posting/PostingRow.h"
#include "posting/VoucherKey.h"
#include "posting/VoucherPrint.h"

#include <optional>
#include <string>

struct FileProgress {
    int RowsDone = 0; // rows handled: committed or rejected
    VoucherKey Previous;
    VoucherPrint Print;              // of Previous's voucher, as far as it was written
    CustomerValues PreviousCustomer; // the customer the next row may reuse
    PostingCounts Counts;
    std::string Report;         // the error records of the rows rejected so far
    std::optional<double> Year; // the working year the file was started with
};
