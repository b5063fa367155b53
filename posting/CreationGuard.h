#pragma once
// Keeps runs of different exchange folders that post into one database at the same time from
// creating the same customer or the same day's journal twice. A row that found none takes a
// guard of what it is about to create (a record in INZ_GUARD, written in the row's own
// transaction) and then looks again: a run that created it meanwhile has committed, and its
// customer or journal is found. A guard another run holds uncommitted is a conflict at once (the
// rows' transactions do not wait); the row is then rolled back and posted again after a short
// pause, until the other run has ended its row. A committed guard record holds nothing back.
// The guard's statements are the importer's own and go to no SQL log.
#include "db/IBQuery.h"

#include <chrono>
#include <random>
#include <stdexcept>
#include <string>

class IBDatabase;
class IBTransaction;

class CreationGuard {
public:
    // Another run holds the guard: the row must be rolled back and posted again.
    class Held : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };

    CreationGuard(IBDatabase& db, IBTransaction& tr);

    // Only runs that post take guards, and only where INZ_GUARD exists. Set for each file.
    void Use(bool on);
    bool Used() const { return used_; }

    // Before a customer of the working year is created; throws Held. False when no guard is
    // used: the look-up before stands.
    bool TakeCustomer(const std::string& shortName, const std::string& account,
                      const std::string& year);
    // Before the day's journal of a book is created; throws Held.
    bool TakeJournal(char book);

    // After a Held of row `row`: pauses before the row is posted again. Once the row has waited
    // longer than Timeout, throws PostingStopped: the run ends and the file stays for the next.
    void Wait(int row, int rowsIn, const std::string& cause);

    // How long a row waits for another run at most: the database timeout.
    std::chrono::milliseconds Timeout{std::chrono::seconds(60)};
    // Off, no guard is ever taken: what a run costs without it can be measured.
    bool Wanted = true;

private:
    bool Take(const char* sql, const std::string& key, const std::string& what);

    IBQuery query_;
    bool used_ = false;
    int waitingRow_ = 0;
    std::chrono::steady_clock::time_point waitingSince_;
    std::chrono::milliseconds pause_{0};
    std::minstd_rand random_{std::random_device{}()};
};
