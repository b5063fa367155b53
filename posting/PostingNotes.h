#pragma once
// The rows behind the counts of one file, named for the operator: which rows carry findings,
// which vouchers were marked as duplicates, which rows were rejected, and what was created on
// the way. Only the rows handled by this run: a file taken up after a stop counts its earlier
// rows too (PostingCounts), but names only these.
#include <string>
#include <vector>

struct PostingNotes {
    struct Row {
        int Number = 0;      // in the table, from 1
        std::string Voucher; // BIZONYLAT, trimmed
        std::string Text;    // the findings, or why the row was rejected
    };
    std::vector<Row> Findings;
    std::vector<Row> Duplicates; // vouchers whose header is marked "?Dupla?"
    std::vector<Row> Rejected;
    std::vector<std::string> Customers; // short names of the customers created
    std::vector<std::string> Journals;  // "S 17": book letter and number (a check: the letter)
};
