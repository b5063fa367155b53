// Posting speed next to the floor that one transaction per row sets.
//
//   inzefor-bench --headers=N --rows=M [--no-ledger] [--no-guard] [--database=NAME]
//
// Creates a database (writes forced to disk), preloads N voucher headers, posts a generated
// posting table of M rows (new vouchers, continuing lines, old, new and repeated customers,
// findings, duplicates) with the bookkeeping of the file committed with each row unless
// --no-ledger, new customers and journals created under their guard unless --no-guard (or
// --no-ledger), and times a bare loop of "insert one row + commit" on the same database. The
// database is a file in a temporary folder, opened by the embedded engine, unless NAME says where
// to create it: "host:/path/x.fdb" on a server, as SYSDBA with the password in ISC_PASSWORD
// (default masterkey); it is dropped at the end. Prints one line:
//   headers=N rows=M ledger=on|off guard=on|off posting_rows_per_s=X floor_commits_per_s=Y ratio=Z
//   round_trips_per_row=R floor_round_trips=F
// R counts what the posting asked of the database per row as the network client makes them
// round trips, F the same for one insert and commit of the floor.
#include "db/IBQuery.h"
#include "fixtures/MixedInputs.h"
#include "fixtures/ScriptedView.h"
#include "fixtures/TempDir.h"
#include "fixtures/TestDatabase.h"
#include "platform/DbfTable.h"
#include "posting/ImportLedger.h"
#include "posting/JournalNumbers.h"
#include "posting/PostingEngine.h"
#include "posting/PostingQueries.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    long Headers = 0;
    long Rows = 2000;
    bool Ledger = true;
    bool Guard = true;
    std::string Database; // empty: a file of the embedded engine
};

// A rate and the round trips each unit of it cost.
struct Rate {
    double PerSecond = 0;
    double RoundTrips = 0;
};

Options ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto number = [&](const std::string& prefix) {
            const std::string value = arg.substr(prefix.size());
            std::size_t used = 0;
            long n = -1;
            try {
                n = std::stol(value, &used);
            } catch (const std::exception&) {
            }
            if (used != value.size() || n < 0)
                throw std::invalid_argument("not a count: '" + value + "' in " + arg);
            return n;
        };
        if (arg.rfind("--headers=", 0) == 0)
            options.Headers = number("--headers=");
        else if (arg.rfind("--rows=", 0) == 0)
            options.Rows = number("--rows=");
        else if (arg == "--no-ledger")
            options.Ledger = false;
        else if (arg == "--no-guard")
            options.Guard = false;
        else if (arg.rfind("--database=", 0) == 0 && arg.size() > 11)
            options.Database = arg.substr(11);
        else
            throw std::invalid_argument(
                "unknown argument '" + arg +
                "' (use --headers=N --rows=M --no-ledger --no-guard --database=host:/path/x.fdb)");
    }
    return options;
}

Rate PostingRate(TestDatabase& db, const TempDir& files, long rows, const Options& options) {
    const bool withLedger = options.Ledger;
    PostingQueries queries(db.Db(), db.Tr());
    ImportLedger ledger(db.Db(), db.Tr());
    ImportLedger::Entry file;
    file.Key = "bench";
    file.Name = "feladas.dbf";
    file.Rows = rows;
    std::string why;
    if (withLedger && !(ledger.Open(why) && ledger.Begin(file, false)))
        throw std::runtime_error("no bookkeeping: " + why);
    DbfTable dbf1("Dbf1");
    ScriptedView view;
    JournalNumbers journals;
    PostingEngine engine(queries, dbf1, view, journals);
    engine.Guard().Wanted = options.Guard;

    dbf1.FolderName = files.Folder();
    dbf1.TableName = "feladas.dbf";
    dbf1.Open();
    view.SetProgressMax(dbf1.RecordCount());
    view.SetProgress(1);
    const long tripsBefore = db.Db().RoundTrips();
    const auto start = Clock::now();
    const std::string report =
        engine.Run({}, withLedger ? &ledger : nullptr, file.Key).ErrorRecords;
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long trips = db.Db().RoundTrips() - tripsBefore;
    dbf1.Close();
    if (!report.empty()) throw std::runtime_error("rows failed while posting:\n" + report);
    return {rows / seconds, static_cast<double>(trips) / rows};
}

Rate FloorRate(TestDatabase& db, long commits) {
    IBQuery insert(db.Db(), db.Tr(), "FLOOR");
    insert.SetSQLText("insert into TETEL (TE_ID, TE_FE_ID) values (:ID, 0)");
    // Prepared before the clock starts, as the posting's statements are after their first row.
    insert.ParamByName("ID").SetAsInteger(0);
    insert.ExecSQL();
    db.Tr().Commit();
    const long tripsBefore = db.Db().RoundTrips();
    const auto start = Clock::now();
    for (long i = 1; i <= commits; ++i) {
        insert.ParamByName("ID").SetAsInteger(-i);
        insert.ExecSQL();
        db.Tr().Commit();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const long trips = db.Db().RoundTrips() - tripsBefore;
    db.Execute("delete from TETEL where TE_ID <= 0");
    return {commits / seconds, static_cast<double>(trips) / commits};
}

} // namespace

int main(int argc, char** argv) {
#ifndef NDEBUG
    std::cerr << "inzefor-bench: built without optimisation; configure with "
                 "-DCMAKE_BUILD_TYPE=Release for representative figures\n";
#endif
    try {
        const Options options = ParseOptions(argc, argv);
        // Writes forced to disk, as a real database has them: each commit costs what it costs.
        const char* password = std::getenv("ISC_PASSWORD");
        std::unique_ptr<TestDatabase> own =
            options.Database.empty()
                ? std::make_unique<TestDatabase>(true, TestDatabase::Writes::Forced)
                : std::make_unique<TestDatabase>(options.Database,
                                                 password ? password : "masterkey",
                                                 TestDatabase::Writes::Forced);
        TestDatabase& db = *own;
        MixedInputs::LoadReference(db, options.Headers, false);
        TempDir files;
        MixedInputs::WritePostingTable(files / "feladas.dbf", options.Rows);

        const long floorCommits = std::max(options.Rows, 500L);
        const Rate floorBefore = FloorRate(db, floorCommits);
        const Rate posting = PostingRate(db, files, options.Rows, options);
        const Rate floorAfter = FloorRate(db, floorCommits);
        // Measured on both sides of the posting, so that a change in the machine's load during
        // the run weighs on both figures alike.
        const double floor = (floorBefore.PerSecond + floorAfter.PerSecond) / 2;

        std::printf("headers=%ld rows=%ld ledger=%s guard=%s posting_rows_per_s=%.0f "
                    "floor_commits_per_s=%.0f ratio=%.2f round_trips_per_row=%.1f "
                    "floor_round_trips=%.0f\n",
                    options.Headers, options.Rows, options.Ledger ? "on" : "off",
                    options.Ledger && options.Guard ? "on" : "off", posting.PerSecond, floor,
                    posting.PerSecond / floor, posting.RoundTrips, floorBefore.RoundTrips);
        return 0;
    } catch (const std::exception& e) {
        std::cerr << "inzefor-bench: " << e.what() << "\n";
        return 1;
    }
}
