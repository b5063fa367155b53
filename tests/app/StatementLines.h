#pragma once
// Lines of a bank statement of fixed-column text records, as the bank delivers them.
#include <string>
#include <utility>
#include <vector>

namespace statement {

// A line: the kind, then texts placed at their 1-based positions.
inline std::string Line(const std::string& kind,
                        const std::vector<std::pair<size_t, std::string>>& at,
                        size_t length = 320) {
    std::string line(length, ' ');
    line.replace(0, kind.size(), kind);
    for (const auto& [position, text] : at)
        line.replace(position - 1, text.size(), text);
    return line;
}

inline std::string Header(const std::string& number) {
    return Line("PCAA", {{193, number}});
}

inline std::string Transaction(const std::string& amount,
                               const std::string& partner = "Partner Kft",
                               const std::string& remark = "Remark") {
    return Line("PCDA", {{15, "2012"},
                         {19, "03"},
                         {21, "15"},
                         {89, amount},
                         {201, partner},
                         {236, "12345678-87654321"},
                         {271, remark}});
}

} // namespace statement
