#pragma once
// A fresh embedded Firebird database for tests, in its own temporary folder: dialect 3, character
// set WIN1250, with the accounting schema (db/schema.sql) applied. It is dropped when the object
// goes. Creating one takes a moment, so a suite shares one (tests/support/DatabaseTest.h):
//
//     db_->Execute("insert into AFA (...) values (...)");     // reference rows, committed
//     IBQuery q(db_->Db(), db_->Tr(), "IB1");        // the connection and its transaction
//     std::string n = db_->QueryValue("select count(*) from FEJLEC");
//
// Only one process may open an embedded database file; Path() gives the file for a test that
// builds its own connection (several connections inside one process are fine).
#include "db/IBDatabase.h"
#include "db/IBTransaction.h"
#include "tests/support/TempDir.h"

#include <string>
#include <vector>

class TestDatabase {
public:
    // Creates the database and applies the schema; Db() stays connected, Tr() idle.
    // Writes are not forced to disk, as a test needs no durability against a power cut; a
    // benchmark asks for them, as a real database has them. The file goes into a folder of its
    // own unless one is given (a small file system that fills, say).
    enum class Writes { Cached, Forced };
    explicit TestDatabase(bool applySchema = true, Writes writes = Writes::Cached,
                          const std::filesystem::path& folder = {});
    // A database of the test server (TestServer), as a site with a database server has one.
    explicit TestDatabase(const std::string& serverFileName);
    // A database by its full name ("host:path" on a server), whose SYSDBA password is given.
    TestDatabase(const std::string& name, const std::string& password, Writes writes);
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    // The database file (a plain path: the embedded engine opens it in-process).
    const std::string& Path() const { return path_; }
    const TempDir& Folder() const { return dir_; }
    // The connection ("DB1") and its transaction ("TR1") for the code under test.
    IBDatabase& Db() { return db_; }
    IBTransaction& Tr() { return tr_; }

    // Runs statements separated by ";" (SET TERM changes the separator; COMMIT commits), each as
    // it is, in a transaction of the fixture's own that is committed at the end. Throws DbError.
    void Execute(const std::string& script);
    // The first column of the first row as text ("" when there is no row), read in a fresh
    // transaction of the fixture's own, so it sees what is committed.
    std::string QueryValue(const std::string& sql);

    // The statements of a script, split at the terminator in force, with SET TERM applied and
    // comments left inside the statements.
    static std::vector<std::string> SplitScript(const std::string& script);
    // The text of db/schema.sql.
    static std::string SchemaScript();

private:
    void Create(const std::string& password, Writes writes, bool applySchema);

    TempDir dir_;
    std::string path_;
    IBDatabase db_;
    IBTransaction tr_;
    IBTransaction setup_;
};
