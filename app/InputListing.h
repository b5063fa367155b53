#pragma once
// The input files of a mask waiting in the exchange folder. An input is a plain file whose name
// is a Windows file name and leaves room for its archive names. Whatever else the mask matches
// is left alone and only described in a notice, and so are names that differ only by letter
// case; names starting with a full stop are skipped without a word.
#include <string>
#include <vector>

class InputListing {
public:
    // folder is Windows-style text; blanks around it and a closing backslash do not matter.
    InputListing(const std::string& folder, const std::string& mask);

    // In the order the file system gives them.
    const std::vector<std::string>& Names() const { return names_; }
    // One Windows-1250 line per entry that is not an input or shares its name with another.
    const std::vector<std::string>& Notices() const { return notices_; }

private:
    std::vector<std::string> names_;
    std::vector<std::string> notices_;
};
