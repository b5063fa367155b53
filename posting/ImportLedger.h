#pragma once
// The importer's own record of the input files it posts, kept in the accounting database beside
// the postings: INZ_FILE, one record per file keyed by the SHA-256 of its content, and INZ_ROW,
// one record per handled row, inserted in that row's own transaction and kept, and INZ_IMPORT,
// one record per posting of a file (an import), which the rows name. After any stop the
// database alone says which rows of a file are in; a file posted in full is known by its content
// under whatever name it comes again. While a run works on a file it keeps the file's record
// locked, so that no other run, on this machine or another, can take the file up meanwhile.
#include "db/IBQuery.h"
#include "db/IBTransaction.h"
#include "platform/DateTime.h"
#include "posting/FileProgress.h"
#include "posting/LedgerObjects.h"

#include <optional>
#include <string>

class IBDatabase;

class ImportLedger {
public:
    struct Entry {
        std::string Key;
        std::string Name;
        std::string Type;
        int Rows = 0;
        bool Finished = false;
        int Import = 0; // the import that last took the content up
        datetime::TDateTime Started = 0;
        FileProgress Progress; // where an unfinished file stands
    };

    ImportLedger(IBDatabase& db, IBTransaction& tr);

    // Makes sure the importer's objects exist, creating those that are missing. False, with the
    // database's reason, when the ledger's tables are missing and cannot be created: imports
    // then go on without a ledger and cannot be resumed. A check (create false) only looks.
    bool Open(std::string& why, bool create = true);
    bool Available() const { return available_; }
    const LedgerObjects& Objects() const { return objects_; }
    // After Open: what the run must be told about newer objects that could not be created (with
    // whether the ledger goes on without them); empty when nothing is missing, or when its first
    // tables are.
    std::string Shortfall() const;

    // The committed record of a content key (none for an undone one); for an unfinished file,
    // where it stands. Throws
    // when its rows do not follow each other from the first (a record changed by hand).
    std::optional<Entry> Find(const std::string& key);
    // Whether the voucher header exists: a record may name one that was since deleted by hand.
    bool HeaderExists(int headerId);

    // Takes up a file from its first row as a new import: a new record, an undone one, or a
    // finished one posted again on request. False when another run holds it or took it up first.
    bool Begin(const Entry& entry, bool again);
    // Takes up an unfinished file to continue after its last row. False when another run holds
    // it.
    bool Resume(const Entry& found);
    // In the row's own transaction, which the caller commits: the row is in. Draws and returns
    // the identifier of the row's voucher line from TE_NEXT in the same call. user: the row's
    // user name.
    int RowPosted(const std::string& key, int row, const FileProgress& after,
                  const std::string& user);
    // After the row was rolled back, in a transaction of its own: the row was rejected.
    void RowRejected(const std::string& key, int row, const std::string& record,
                     const FileProgress& after);
    // The file was posted to its end and archived; its import is finished.
    void Finish(const std::string& key, const PostingCounts& counts);
    // Lets go of the file this run holds, whatever became of it.
    void Release();

private:
    void Commit();
    // Locks the file's record for this run, in the claim transaction that stays open.
    bool Hold(const std::string& key, const char* condition);
    // The parameters of a row's record on query_; record: the text of a rejected row.
    void SetRowValues(const std::string& key, int row, const std::string* record,
                      const FileProgress& after, const std::string* user);
    void SetFileValues(const Entry& entry);
    // A new import record of entry, on tr_; its identifier.
    int NewImport(const Entry& entry);

    IBDatabase& db_;
    IBTransaction& tr_;
    IBTransaction claim_;
    IBQuery query_;
    IBQuery held_;
    LedgerObjects objects_;
    bool available_ = false;
    int import_ = 0; // of the file this run holds
};
