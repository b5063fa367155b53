#pragma once
// The modal input box: a caption, a prompt and one line of text to edit. Texts are
// Windows-1250.
#include <string>

class QWidget;

class InputBox {
public:
    // Shows value as the initial text; on OK value takes the answer and true is returned, on
    // Cancel value is left as it was and false is returned.
    static bool InputQuery(const std::string& caption, const std::string& prompt,
                           std::string& value, QWidget* parent = nullptr);
    // The answer, or the default when cancelled.
    static std::string Ask(const std::string& caption, const std::string& prompt,
                           const std::string& defaultValue, QWidget* parent = nullptr);
};
