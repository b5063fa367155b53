#pragma once
// The fingerprint of a voucher as the importer wrote it: a SHA-256 chained over its header's
// values and then over each line's, with the count of its lines. Chaining lets a voucher that
// spans rows (and runs) carry its print from row to row; reading the voucher back and chaining
// the same columns tells whether it still holds what the import wrote.
#include "db/DbValue.h"

#include <string>
#include <vector>

struct VoucherPrint {
    std::string Digest; // 64 hexadecimal digits; empty before a header
    int Lines = 0;

    static VoucherPrint OfHeader(const std::vector<DbValue>& values);
    VoucherPrint WithLine(const std::vector<DbValue>& values) const;

    // The columns the importer writes, in the order of its inserts; a line's own identifier is
    // left out, as it is recorded beside the print.
    static const std::vector<std::string>& HeaderColumns();
    static const std::vector<std::string>& LineColumns();

    bool operator==(const VoucherPrint& other) const = default;
};
