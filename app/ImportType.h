#pragma once
// The import types offered in the combo box: code, item text and the mask of their input files.
#include <string>
#include <vector>

struct ImportType {
    std::string Code;
    std::string ItemText;
    std::string Mask;
    // The table its inputs are converted into before posting, or empty.
    std::string Converted;

    // The six types in the order of the combo box's items.
    static const std::vector<ImportType>& All();
    // The combo box's text before any choice (it lists the invoice files).
    static const std::string& InitialText();
    // The type whose code the text starts with (exactly, case-sensitively), or null.
    static const ImportType* ForText(const std::string& text);
    static const ImportType* ForCode(const std::string& code);
};
