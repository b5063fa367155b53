#pragma once
// The database objects the posting engine works through, made and wired in one place: a query
// component over its own query for each kind of question, the identifier procedure, all on the
// one transaction. The components keep the names the main window gives them (IB1..IB5,
// EQ1..EQ5, SP1), which its messages and SQL log show.
#include "db/IBQuery.h"
#include "db/IBStoredProc.h"
#include "db/TEQuery.h"

class IBDatabase;
class IBTransaction;
class SqlLogSettings;

class PostingQueries {
public:
    // owner and log: those of the main window, so the components log as its own.
    PostingQueries(IBDatabase& database, IBTransaction& transaction, Component* owner = nullptr,
                   SqlLogSettings* log = nullptr);

    // TR1: each row is one transaction on it.
    IBTransaction& Transaction;
    // IB1..IB5: the queries the components below run on, in that order.
    IBQuery JournalQuery, LookupQuery, DuplicateQuery, GroupQuery, VatQuery;
    TEQuery Journals;         // EQ1: the journal of a book
    TEQuery Lookups;          // EQ2: the other look-ups, and the inserts of customers and vouchers
    TEQuery Duplicates;       // EQ3: the duplicate test
    TEQuery Groups;           // EQ4: the accounts of a posting group
    TEQuery VatAccount;       // EQ5: the VAT account of a rate
    IBStoredProc Identifiers; // SP1: identifiers, and journals made on demand
};
