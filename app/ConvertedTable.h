#pragma once
// The work posting table a conversion fills ("in_arch\Feladas.dbf" in the exchange folder), and
// its hand-over to the run: copied out under its own name, and only then the source archived.
// A check works in a folder of its own instead (checkFolder, see CheckFolder): it fills the copy
// of the work table there, hands the table over into that folder and leaves the source alone.
#include <string>
#include <vector>

class DbfTable;
class TF_INView;

class ConvertedTable {
public:
    // Points Dbf1 at the work posting table and opens it without records (structure kept).
    static void OpenEmptied(DbfTable& Dbf1, const std::string& exchangeFolder,
                            const std::string& checkFolder = {});
    // Copies exchangeFolder + "in_arch\feladas.dbf" to a new exchangeFolder + output, moves the
    // source (a name in exchangeFolder) into the archive as "OK_" + its name, and returns the new
    // work list {output}. Any failure throws with the source in place and no output left; an
    // output that exists already is not written over.
    static std::vector<std::string> HandOver(TF_INView& view, const std::string& exchangeFolder,
                                             const std::string& output, const std::string& source,
                                             const std::string& checkFolder = {});
};
