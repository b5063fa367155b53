#pragma once
// The imports the bookkeeping records, newest first, with what each did and what became of it:
// what `inzefor-batch --history` prints and the window's list of imports shows.
#include "platform/DateTime.h"
#include "posting/PostingCounts.h"

#include <string>
#include <vector>

class IBDatabase;

class ImportHistory {
public:
    struct Import {
        int Id = 0;
        std::string Key;
        std::string Name;
        std::string Type;
        std::string State; // "posted", "stopped" (to be continued) or "undone"
        datetime::TDateTime Posted = 0;
        std::string DbUser;
        std::string Users; // the rows' user names, comma-separated
        double Year = 0;
        int Rows = 0; // of the table
        PostingCounts Counts;
        datetime::TDateTime Undone = 0;
        std::string UndoneBy;
    };

    // Every import, newest first, read in a transaction of its own.
    static std::vector<Import> Read(IBDatabase& db);
    // What an import is in one line of text (Windows-1250), and in full as a console block.
    static std::string Line(const Import& import);
    static std::string Block(const Import& import);
    // The list as JSON (UTF-8), with the exit status.
    static std::string Json(const std::vector<Import>& imports, int exitStatus);
    static std::string Stamp(datetime::TDateTime when);
};
