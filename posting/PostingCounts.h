#pragma once
// What posting one file did, counted as it goes. Only committed work counts, except the rows
// rejected, which are rolled back by definition.
struct PostingCounts {
    int RowsPosted = 0;
    int RowsFlagged = 0; // posted with findings
    int RowsRejected = 0;
    int VouchersCreated = 0;
    int CustomersCreated = 0;
    int JournalsCreated = 0;
};
