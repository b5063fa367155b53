#pragma once
// The importer's own database objects (tables, their columns, indexes, sequences), as the
// bookkeeping section of db/schema.sql defines them. A database made by an older version lacks
// what a newer one added; on first use each missing object is created, one by one, so that a
// newer table or column comes into a database that is in use without touching the rest. Where
// the database does not allow it, the objects stay missing and their users go without them.
#include "db/IBQuery.h"

#include <set>
#include <string>
#include <vector>

class IBDatabase;
class IBTransaction;

class LedgerObjects {
public:
    // The statements of the schema section; each creates one table, index or sequence whose
    // name starts with INZ_. Another kind of statement is an error of the section.
    LedgerObjects(IBDatabase& db, IBTransaction& tr, const std::string& schema);

    // Reads which objects the database has and, with create, creates the missing ones, each in
    // a transaction of its own. Throws only when the database cannot be asked at all.
    void Ensure(bool create);

    // The table exists with every column the section gives it.
    bool Has(const std::string& table) const;
    // The objects still missing after Ensure: tables, TABLE.COLUMN, indexes, sequences.
    std::vector<std::string> Missing() const;
    // The database's reason for the first object it did not create; empty when none failed.
    const std::string& Why() const { return why_; }

private:
    struct Column {
        std::string Name;
        std::string Definition;
    };
    struct Object {
        std::string Kind; // "table", "index" or "sequence"
        std::string Name;
        std::string Statement;
        std::vector<Column> Columns; // of a table
    };

    static Object Parse(const std::string& statement);
    void ReadExisting();
    // The statements that create what is missing, in the section's order.
    std::vector<std::string> Creations() const;
    bool Exists(const std::string& kind, const std::string& name) const;
    // Notes why when the database refuses it.
    void Create(const std::string& statement);

    IBTransaction& tr_;
    IBQuery query_;
    std::vector<Object> objects_;
    std::set<std::string> existing_; // "kind:NAME", columns as "column:TABLE.COLUMN"
    std::string why_;
};
