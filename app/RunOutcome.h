#pragma once
// What a run did, file by file and in total: what the window's end message and log pane, the
// console runner and its JSON report all tell. A check fills it the same way with what posting
// would do. Text is Windows-1250 with CR LF line ends.
#include "posting/PostingCounts.h"
#include "posting/PostingNotes.h"

#include <chrono>
#include <string>
#include <vector>

struct RunOutcome {
    using Time = std::chrono::system_clock::time_point;

    struct File {
        // Held: another run holds the file and it is left alone, counted with the refused
        // ones. Unsettled: it is still being written and is left for a later run.
        enum class Result { Posted, Failed, Refused, Stopped, Held, Unsettled };
        std::string Name;
        std::string Source; // the statement or payroll table it was converted from, if any
        std::string Key;    // its content key; empty without the bookkeeping tables
        int Rows = 0;       // records of the table
        Result Outcome = Result::Failed;
        std::string Message; // why it failed, was refused or stopped
        std::string Log;     // the run log written for it (a host path); empty when none
        PostingCounts Counts;
        PostingNotes Notes;
        Time Started, Ended;
    };

    bool Check = false; // nothing was posted: a check
    std::string Type;   // the import type's code
    Time Started, Ended;
    std::vector<File> Files;

    int FilesPosted = 0;
    int FilesFailed = 0;
    int FilesRefused = 0;    // already posted, or taken up by another import
    bool Locked = false;     // another run holds the exchange folder: nothing was done
    bool Stopped = false;    // a file stopped midway and stays to be continued
    bool EndedEarly = false; // a failure outside the per-file guard ended the run
    std::string Failure;     // its text
    bool Completed = false;  // every listed file was handled and the end message shown

    void EndEarly(const std::string& failure) {
        EndedEarly = true;
        Failure = failure;
    }
    // Adds what became of a file to the run's counts; returns it as kept.
    const File& Add(File file);
    PostingCounts Totals() const;
    // The console runner's exit status for this outcome: 1 a file failed or was refused or the
    // run ended early, else 3 stopped (also when a stop was asked for), else 4 rows rejected,
    // else 0.
    int ExitStatus(bool stopRequested = false) const;

    // The lines shown under a file's log: its counts and what it created; a check names every
    // row with findings, every duplicate and every new customer as well.
    std::string FileReport(const File& file) const;
    // The lines shown under the end message: the run's counts, and the files to look at with
    // where their logs are.
    std::string Summary() const;
};
