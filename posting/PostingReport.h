#pragma once
// What posting (or checking) one file did: its counts, the rows behind them, and the error
// records of its rejected rows as the run log carries them.
#include "posting/PostingCounts.h"
#include "posting/PostingNotes.h"

#include <string>

struct PostingReport {
    PostingCounts Counts;
    PostingNotes Notes;
    std::string ErrorRecords;
};
