#pragma once
// The work posting table a conversion fills ("in_arch\Feladas.dbf" in the exchange folder), and
// its hand-over to the run: copied out under its own name, and only then the source deleted.
#include <string>
#include <vector>

class DbfTable;
class TF_INView;

class ConvertedTable {
public:
    // Points Dbf1 at the work posting table and opens it without records (structure kept).
    static void OpenEmptied(DbfTable& Dbf1, const std::string& exchangeFolder);
    // Copies exchangeFolder + "in_arch\feladas.dbf" to exchangeFolder + output, deletes source
    // and returns the new work list (output, as listed). A failed copy throws and keeps source.
    static std::vector<std::string> HandOver(TF_INView& view, const std::string& exchangeFolder,
                                             const std::string& output, const std::string& source);
};
