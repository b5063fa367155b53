#pragma once
// The fiscal year a posting run writes into, chosen by the operator at the start of each table.
#include <string>

struct WorkYear {
    // As answered: written into the year columns and given to the journal procedure.
    double Value = 0;
    // Value with exactly one decimal ("2012.0"): every fiscal-year comparison uses this form.
    std::string Text;
    // The integer part, for the date checks.
    int DateYear = 0;

    void Set(double value);
};
