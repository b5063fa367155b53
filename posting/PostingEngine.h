#pragma once
// Posts one posting table into the accounting database: every row is checked, gets its journal
// and customer, and is written as a voucher line, under a new voucher header when it starts a
// voucher; each row is one transaction. A row that fails is rolled back and described in the
// run report, and the next row goes on.
#include "posting/CustomerResolver.h"
#include "posting/JournalNumbers.h"
#include "posting/JournalResolver.h"
#include "posting/PostingRow.h"
#include "posting/RowCheck.h"
#include "posting/VatAccounts.h"
#include "posting/WorkYear.h"

#include <string>

class TEQuery;
class IBStoredProc;
class IBTransaction;
class DbfTable;
class PostingQueries;
class PostingView;

class PostingEngine {
public:
    // queries: the main window's database objects; Dbf1 the posting table. RunReport and
    // JournalNumbers belong to the window.
    PostingEngine(PostingQueries& queries, DbfTable& Dbf1, PostingView& view,
                  std::string& RunReport, JournalNumbers& journalNumbers);

    // Posts the table Dbf1 is open on, from its current (first) record to its end. Asks the
    // operator for the working year first. Raises only for what stops the whole table: an
    // answer that is not a number, a failing look-up of the default year, the final commit, a
    // rollback that fails.
    void Run();

    // The working year of the last run; kept after it.
    double WorkYearValue() const { return year_.Value; }
    const std::string& WorkYearText() const { return year_.Text; }

    int JournalForBook(const std::string& book) { return journals_.JournalForBook(book); }
    std::string CurrencyAccount(const std::string& account, const std::string& currency) {
        return vat_.CurrencyAccount(account, currency);
    }

    static const char* const HeaderSql;
    static const char* const LineSql;

private:
    // What a continuing row is compared with: the last committed row, and the header its
    // voucher went under.
    struct VoucherKey {
        std::string VoucherNumber;
        int CustomerId = 0;
        double Total = 0;
        std::string Account;
        std::string Direction;
        datetime::TDateTime IssueDate = 0;
        int HeaderId = 0;
    };

    void ChooseWorkYear();
    void PostRow();
    bool IsDuplicate(const PostingRow& row);
    bool ContinuesPrevious(const PostingRow& row) const;
    void InsertHeader(int headerId);
    void InsertLine(int headerId);
    void ReportFailure(const std::string& message);

    TEQuery& EQ2_;
    TEQuery& EQ3_;
    IBStoredProc& SP1_;
    IBTransaction& TR1_;
    DbfTable& Dbf1_;
    PostingView& view_;
    std::string& runReport_;

    WorkYear year_;
    JournalResolver journals_;
    VatAccounts vat_;
    RowCheck check_;
    CustomerResolver customers_;

    int rowNumber_ = 0;
    PostingRow row_;
    VoucherKey previous_;
};
