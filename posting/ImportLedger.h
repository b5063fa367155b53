#pragma once
// The importer's own record of the input files it posts, kept in the accounting database beside
// the postings (tables INZ_FILE and INZ_REJECT, keyed by the SHA-256 of a file's content). A
// row's update of its file's record is part of that row's transaction, so after any stop the
// database alone says which rows of a file are in; a file posted in full is known by its content
// under whatever name it comes again.
#include "db/IBQuery.h"
#include "platform/DateTime.h"
#include "posting/FileProgress.h"

#include <optional>
#include <string>

class IBDatabase;
class IBTransaction;

class ImportLedger {
public:
    struct Entry {
        std::string Key;
        std::string Name;
        std::string Type;
        int Rows = 0;
        FileProgress Progress;
        datetime::TDateTime Started = 0;
        datetime::TDateTime Ended = 0;
        bool Finished = false;
        std::int64_t Attachment = 0;
    };

    ImportLedger(IBDatabase& db, IBTransaction& tr);

    // Makes sure the tables exist, creating them when they are missing. False, with the
    // database's reason, when they are missing and cannot be created: imports then go on
    // without a ledger and cannot be resumed.
    bool Open(std::string& why);
    bool Available() const { return available_; }

    // The committed record of a content key, with the error records of its rejected rows.
    std::optional<Entry> Find(const std::string& key);
    // Whether the voucher header exists: a record may name one that was since deleted by hand.
    bool HeaderExists(int headerId);
    // Whether a connection other than this one, still attached, last took up the file.
    bool HeldByOther(const Entry& entry);

    // Takes up a file from its first row: a new record, or a finished one posted again on
    // request. False when another connection took it up first.
    bool Begin(const Entry& entry, bool again);
    // Takes over an unfinished record, as found, to continue after its last row. False when
    // another connection took it over first.
    bool Resume(const Entry& found);
    // In the row's own transaction, which the caller commits: the row is in. Fails, reaching the
    // database, when another connection has moved the record on meanwhile.
    void RowPosted(const std::string& key, int row, const FileProgress& after);
    // After the row was rolled back, in a transaction of its own: the row was rejected.
    void RowRejected(const std::string& key, int row, const std::string& record,
                     const FileProgress& after);
    // The file was posted to its end and archived.
    void Finish(const std::string& key);

private:
    bool Exists();
    void Commit();
    // Moves the record from row - 1 to row; fails, reaching the database, when it is elsewhere.
    void Advance(const std::string& key, int row, const FileProgress& after);

    IBDatabase& db_;
    IBTransaction& tr_;
    IBQuery query_;
    bool available_ = false;
};
