#pragma once
// The answers to the reference look-ups of one file (the chart of accounts, VAT codes and their
// translations, posting groups), kept by statement and parameter values: a file asks about a
// handful of accounts and codes again and again, and over a network every question costs a round
// trip. The database gives every answer the first time, by the same statement as always; the
// memory is emptied when a file starts, so a reference row changed meanwhile is seen from the
// next file on. What a run writes or must see current (customers, journals, vouchers,
// identifiers) is never asked through it.
#include "db/IBQuery.h"
#include "posting/QuerySteps.h"

#include <initializer_list>
#include <string>

class TEQuery;

class LookupMemory {
public:
    // As query_steps::OpenLookup; the query shows the answer of the first time this file asked
    // the same statement with the same values.
    void Open(TEQuery& query, const std::string& sql,
              std::initializer_list<query_steps::TextParam> params);
    void Forget() { answers_.clear(); }

private:
    IBQuery::Answers answers_;
};
