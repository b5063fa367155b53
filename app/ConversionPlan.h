#pragma once
// What a run of a converting import type (a bank statement, the payroll source) handles: the
// table its source becomes, and the files in their order. A converted table that an earlier run
// left in the exchange folder comes first and is never converted over.
#include <string>
#include <vector>

class ConversionPlan {
public:
    // typeText: the chosen import type's item text; workList: the listed files.
    ConversionPlan(const std::string& exchangeFolder, const std::string& typeText,
                   const std::vector<std::string>& workList);

    // The converted table this run's source becomes (BANK1, or a payroll source heading the
    // list); empty when the run converts nothing.
    const std::string& Output() const { return output_; }
    // What the run handles: such a table left behind first, then the first source listed; the
    // work list when it converts nothing.
    std::vector<std::string> Files() const;

    // Whether a converted table of an earlier run still waits in the exchange folder.
    static bool TableLeft(const std::string& exchangeFolder, const std::string& output);

private:
    std::string exchangeFolder_;
    std::vector<std::string> workList_;
    std::string output_;
};
