#include "posting/CreationGuard.h"

#include "db/DbError.h"
#include "posting/PostingStopped.h"

#include <algorithm>
#include <thread>

namespace {

// Update or insert: a record that an earlier run committed is simply taken again.
const char* const kCustomerSql = "update or insert into INZ_GUARD (IG_KEY, IG_TAKEN) values "
                                 "(:K, current_timestamp) matching (IG_KEY)";
// The day is the server's, as in the journal's look-up.
const char* const kJournalSql =
    "update or insert into INZ_GUARD (IG_KEY, IG_TAKEN) values "
    "(cast(:K as varchar(8)) || current_date, current_timestamp) matching (IG_KEY)";

// The width of IG_KEY. A longer key is cut: two customers that share a cut key only wait for
// each other.
constexpr std::size_t kKeyWidth = 250;

constexpr std::chrono::milliseconds kFirstPause{10}, kLongestPause{200};

} // namespace

CreationGuard::CreationGuard(IBDatabase& db, IBTransaction& tr) : query_(db, tr, "IBGuard") {}

void CreationGuard::Use(bool on) {
    used_ = on && Wanted;
    waitingRow_ = 0;
}

bool CreationGuard::TakeCustomer(const std::string& shortName, const std::string& account,
                                 const std::string& year) {
    return Take(kCustomerSql, ("U|" + year + "|" + account + "|" + shortName).substr(0, kKeyWidth),
                "the customer " + shortName + " (" + account + ", " + year + ")");
}

bool CreationGuard::TakeJournal(char book) {
    return Take(kJournalSql, "N|" + std::string(1, book) + "|",
                "today's journal of book " + std::string(1, book));
}

bool CreationGuard::Take(const char* sql, const std::string& key, const std::string& what) {
    if (!used_) return false;
    try {
        query_.SetSQLText(sql);
        query_.ParamByName("K").SetAsString(key);
        query_.ExecSQL();
    } catch (const DbError& e) {
        if (!e.Conflict()) throw;
        throw Held("another import is creating " + what);
    }
    return true;
}

void CreationGuard::Wait(int row, int rowsIn, const std::string& cause) {
    const auto now = std::chrono::steady_clock::now();
    if (row != waitingRow_) {
        waitingRow_ = row;
        waitingSince_ = now;
        pause_ = kFirstPause;
    }
    if (now - waitingSince_ >= Timeout)
        throw PostingStopped(
            "Row " + std::to_string(row) + " waited " +
                std::to_string(std::chrono::duration_cast<std::chrono::seconds>(Timeout).count()) +
                " s in vain: " + cause + " and does not finish.",
            rowsIn, true);
    // Runs that meet each other pause for different times, so that they do not meet again.
    std::this_thread::sleep_for(
        std::uniform_int_distribution<long>(pause_.count() / 2, pause_.count())(random_) *
        std::chrono::milliseconds(1));
    pause_ = std::min(pause_ * 2, kLongestPause);
}
