#include "app/ConversionPlan.h"

#include "app/BankConversion.h"
#include "app/PayrollConversion.h"
#include "platform/CheckedPath.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <stdexcept>

ConversionPlan::ConversionPlan(const std::string& exchangeFolder, const std::string& typeText,
                               const std::vector<std::string>& workList)
    : exchangeFolder_(exchangeFolder), workList_(workList) {
    if (typeText.compare(0, 5, "BANK1") == 0) {
        output_ = BankConversion::Output;
        return;
    }
    for (const std::string& name : workList_)
        if (name != PayrollConversion::Output) {
            if (text::UpperWin1250(name) == "FKBER.DBF") output_ = PayrollConversion::Output;
            return;
        }
}

std::vector<std::string> ConversionPlan::Files() const {
    if (output_.empty()) return workList_;
    std::vector<std::string> names;
    if (TableLeft(exchangeFolder_, output_)) names.push_back(output_);
    for (const std::string& name : workList_)
        if (name != output_) {
            names.push_back(name);
            break;
        }
    return names;
}

bool ConversionPlan::TableLeft(const std::string& exchangeFolder, const std::string& output) {
    if (text::Trim(exchangeFolder).empty()) return false;
    try {
        return fs_win::IsFile(CheckedPath(exchangeFolder).Entry(output));
    } catch (const std::runtime_error&) {
        return false; // a link of that name is none of ours; nothing is written over it either
    }
}
