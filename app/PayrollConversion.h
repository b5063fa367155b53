#pragma once
// Turns the payroll program's own table into the work posting table, one row per source
// record, and copies that table out as "feladasWBER.dbf" for posting.
#include "app/TF_INView.h"
#include "platform/DbfTable.h"

#include <string>
#include <vector>

class PayrollConversion {
public:
    // The converted table, in the exchange folder.
    static constexpr const char* Output = "feladasWBER.dbf";

    // exchangeFolder is Windows-style text ending with a backslash; Dbf1 is the window's posting
    // table object (pointed here at the work table), dbfWber the one for the payroll table.
    PayrollConversion(TF_INView& view, DbfTable& Dbf1, DbfTable& dbfWber,
                      const std::string& exchangeFolder);

    // Converts the payroll table fileName (in the exchange folder) and returns the new work
    // list. The source is moved into the archive as "OK_" + its name only once the converted
    // table has been copied out; any failure throws with the source left in place.
    std::vector<std::string> Run(const std::string& fileName);

    // Set for a check: the folder of the check's own work table, where the converted table is
    // made instead; the source then stays where it is.
    std::string CheckInto;

private:
    void AppendRecord();

    TF_INView& view_;
    DbfTable& dbf1_;
    DbfTable& dbfWber_;
    std::string exchangeFolder_;
};
