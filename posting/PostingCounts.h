#pragma once
// What posting one file did, counted as it goes. Only committed work counts, except the rows
// rejected, which are rolled back by definition. A run's totals are the sum of its files'.
struct PostingCounts {
    int RowsPosted = 0;
    int RowsFlagged = 0; // posted with findings
    int RowsRejected = 0;
    int VouchersCreated = 0;
    int CustomersCreated = 0;
    int JournalsCreated = 0;

    // Every row read is either posted or rejected.
    int RowsRead() const { return RowsPosted + RowsRejected; }

    PostingCounts& operator+=(const PostingCounts& other) {
        RowsPosted += other.RowsPosted;
        RowsFlagged += other.RowsFlagged;
        RowsRejected += other.RowsRejected;
        VouchersCreated += other.VouchersCreated;
        CustomersCreated += other.CustomersCreated;
        JournalsCreated += other.JournalsCreated;
        return *this;
    }
};
