#pragma once
// Finds the journal this program posts a book's vouchers into today, creating it through the
// database when there is none, and keeps the answer for as long as the program runs.
#include "posting/JournalNumbers.h"
#include "posting/WorkYear.h"

#include <string>
#include <utility>
#include <vector>

class TEQuery;
class IBStoredProc;
class CreationGuard;

class JournalResolver {
public:
    // A journal is created under the guard, when one is given.
    JournalResolver(TEQuery& EQ1, IBStoredProc& SP1, JournalNumbers& numbers, const WorkYear& year,
                    CreationGuard* guard = nullptr);

    // The journal of the book's first letter; 0 for an empty book or a letter that is no book.
    // Throws CreationGuard::Held when another run is creating the same journal.
    int JournalForBook(const std::string& book);

    // A journal created by a row exists only once that row committed: until then it is not
    // cached, so a rolled-back row cannot leave a number behind that no longer exists.
    void RowCommitted();
    void RowRolledBack();
    // Journals created by the row in hand, not yet committed: book letter and number.
    const std::vector<std::pair<char, int>>& Creating() const { return created_; }

    static std::string LookupSql(char letter);

private:
    TEQuery& EQ1_;
    IBStoredProc& SP1_;
    JournalNumbers& numbers_;
    const WorkYear& year_;
    CreationGuard* guard_;
    std::vector<std::pair<char, int>> created_;
};
