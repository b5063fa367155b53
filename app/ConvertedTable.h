#pragma once
// Hands a converted work posting table over to the run: the table is copied out of the archive
// folder under its own name, and only then is the source it came from deleted.
#include <string>
#include <vector>

class TF_INView;

class ConvertedTable {
public:
    // Copies exchangeFolder + "in_arch\feladas.dbf" to exchangeFolder + output, deletes source
    // and returns the new work list (output, as listed). A failed copy throws and keeps source.
    static std::vector<std::string> HandOver(TF_INView& view, const std::string& exchangeFolder,
                                             const std::string& output, const std::string& source);
};
