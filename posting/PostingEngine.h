#pragma once
// Posts one posting table into the accounting database: every row is checked, gets its journal
// and customer, and is written as a voucher line, under a new voucher header when it starts a
// voucher; each row is one transaction. A row that fails is rolled back and described in the
// file's report, and the next row goes on. A check runs the same rows in one transaction that is
// rolled back at the end, a savepoint per row standing in for the row's commit.
#include "posting/CustomerResolver.h"
#include "posting/FileProgress.h"
#include "posting/JournalNumbers.h"
#include "posting/JournalResolver.h"
#include "posting/LookupMemory.h"
#include "posting/PostingNotes.h"
#include "posting/PostingReport.h"
#include "posting/PostingRow.h"
#include "posting/RowCheck.h"
#include "posting/VatAccounts.h"
#include "posting/WorkYear.h"

#include <string>

class TEQuery;
class IBStoredProc;
class IBTransaction;
class DbfTable;
class ImportLedger;
class PostingQueries;
class PostingView;

class PostingEngine {
public:
    // queries: the main window's database objects; Dbf1 the posting table. JournalNumbers
    // belong to the window.
    PostingEngine(PostingQueries& queries, DbfTable& Dbf1, PostingView& view,
                  JournalNumbers& journalNumbers);

    // Posts the table Dbf1 is open on, from its current (first) record to its end. Asks the
    // operator for the working year first. Raises only for what stops the whole table: an
    // answer that is not a number, a failing look-up of the default year, the final commit; and
    // PostingStopped for a stop asked for between rows or a failure that reaches the database.
    //
    // A file taken up in the ledger under key has each row's progress committed with the row;
    // from says where an earlier run of the same file stopped, and posting goes on after it
    // exactly as that run would have gone on.
    PostingReport Run(const FileProgress& from = {}, ImportLedger* ledger = nullptr,
                      const std::string& key = {});
    // Does what Run does, and leaves the database as it was, apart from the identifier
    // generators: the whole table is one transaction, rolled back at its end however it ends.
    // Progress() and Notes() then say what posting would do. Pending work of the caller on the
    // transaction is committed first, so that the check cannot take it away.
    PostingReport Check(const FileProgress& from = {});
    // What the last run did, also when it stopped: its counts and error records include those
    // of the earlier runs it continued; its notes name only the rows it handled itself.
    PostingReport Report() const { return {progress_.Counts, notes_, progress_.Report}; }
    // Where the last run stands: rows handled, counts, the last committed voucher.
    const FileProgress& Progress() const { return progress_; }
    const PostingNotes& Notes() const { return notes_; }

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
    void Post(const FileProgress& from, ImportLedger* ledger, const std::string& key);
    void ChooseWorkYear();
    void PostRow();
    // Reads and checks the row, and resolves its customer; true when it is a new one.
    bool ReadRow();
    // Where the file stands once the row is in.
    FileProgress Advanced(int headerId, bool newVoucher, bool newCustomer) const;
    // What is remembered once the row has committed.
    void RowCommitted(FileProgress after, bool newVoucher, bool newCustomer);
    bool IsDuplicate(const PostingRow& row);
    bool ContinuesPrevious(const PostingRow& row) const;
    void InsertHeader(int headerId);
    void InsertLine(int headerId, int lineId);
    // The row's transaction, or in a check its savepoint.
    void BeginRow();
    void CommitRow();
    // Rolls the row back; a failure of the rollback reaches the database, and names the cause of
    // the rollback when given.
    void RollBackRow(const std::string& cause = {});
    std::string ErrorRecord(const std::string& message) const;
    void RejectRow(const std::string& message);

    TEQuery& EQ2_;
    TEQuery& EQ3_;
    IBStoredProc& SP1_;
    IBTransaction& TR1_;
    DbfTable& Dbf1_;
    PostingView& view_;
    JournalNumbers& journalNumbers_;

    WorkYear year_;
    LookupMemory lookups_; // for one file
    JournalResolver journals_;
    VatAccounts vat_;
    RowCheck check_;
    CustomerResolver customers_;

    int rowNumber_ = 0;
    PostingRow row_;
    FileProgress progress_; // as committed: Previous is what a continuing row is compared with
    PostingNotes notes_;
    bool checking_ = false;
    ImportLedger* ledger_ = nullptr;
    std::string key_;
};
