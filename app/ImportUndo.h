#pragma once
// Takes back what one import wrote: its voucher lines and headers, deleted in one transaction,
// one voucher at a time, only while every voucher still holds what the import wrote (the print
// recorded with its rows). Customers and journals the import created stay; they are named. The
// deletes go through a query component, so they reach the SQL log like any other insert or
// delete; the bookkeeping's own statements stay out of it.
#include "app/ImportHistory.h"

#include <string>
#include <vector>

class Component;
class IBDatabase;
class SqlLogSettings;

class ImportUndo {
public:
    struct Result {
        bool Done = false; // undone; in a check: would be
        int Import = 0;
        std::string Name;
        int Vouchers = 0, Lines = 0;
        std::vector<std::string> Changed;   // voucher numbers of the vouchers changed since
        std::vector<std::string> Customers; // created by the import, kept
        std::vector<std::string> Journals;  // created by the import, kept
        std::string Refusal;                // why nothing was undone
        // What happened, or would, in the words the operator reads (Windows-1250).
        std::string Text(bool check) const;
    };

    // owner, log: the window's, whose SQL log the deletes go to.
    ImportUndo(IBDatabase& db, Component* owner, SqlLogSettings* log);

    // The import name stands for: an id, or an archive or file name or a content key naming
    // exactly one import not yet undone; 0 with why (the candidates listed) otherwise.
    int Resolve(const std::string& name, std::string& why);
    // Undoes the import (a check: says what would go and deletes nothing) while holding the
    // lock of the exchange folder.
    Result Undo(int import, const std::string& exchangeFolder, bool check);

private:
    Result Run(const ImportHistory::Import& import, bool check);

    IBDatabase& db_;
    Component* owner_;
    SqlLogSettings* log_;
};
