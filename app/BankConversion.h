#pragma once
// Turns a bank statement of fixed-column text records into the work posting table, one row per
// transaction, and copies that table out as "feladasWBank.dbf" for posting.
#include "app/TF_INView.h"
#include "platform/DbfTable.h"
#include "platform/FormatSettings.h"

#include <string>
#include <vector>

class BankConversion {
public:
    // The converted table, in the exchange folder.
    static constexpr const char* Output = "feladasWBank.dbf";

    // exchangeFolder is Windows-style text ending with a backslash; Dbf1 is the window's posting
    // table object, pointed here at the work table in the archive folder.
    BankConversion(TF_INView& view, DbfTable& Dbf1, const std::string& exchangeFolder,
                   const FormatSettings& settings = FormatSettings::Default());

    // Converts the statement fileName (in the exchange folder) and returns the new work list.
    // The statement is moved into the archive as "OK_" + its name only once the converted table
    // has been copied out; any failure throws with the statement left in place.
    std::vector<std::string> Run(const std::string& fileName);

    // Set for a check: the folder of the check's own work table, where the converted table is
    // made instead; the source then stays where it is.
    std::string CheckInto;

    // The amount of a transaction: full stops are thousands separators unless the field starts
    // with one. Throws ConvertError when the rest is not a number.
    static double ReadAmount(const std::string& field, const FormatSettings& settings);

private:
    void AppendTransaction(const std::string& line, const std::string& statementNumber);

    TF_INView& view_;
    DbfTable& dbf1_;
    std::string exchangeFolder_;
    const FormatSettings& settings_;
};
