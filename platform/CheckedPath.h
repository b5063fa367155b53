#pragma once
// A folder or file the program reaches from a folder the operator named, by plain names only.
// A name is never read as a path: it may hold none of \ / : * ? " < > | or a control character,
// may not be only full stops, keeps its exact spelling, and the entry it names may not be a
// symbolic link. So nothing derived from a name found in a folder leaves that folder, and no
// name picks another file whose name differs only by letter case.
#include <filesystem>
#include <string>

class CheckedPath {
public:
    // The operator's folder, Windows-style or an absolute host path, mapped as ToHost maps it.
    explicit CheckedPath(const std::string& winFolder);

    // The entry of this folder with exactly this name. Throws std::runtime_error when the name is
    // no file name or the entry is a symbolic link.
    CheckedPath Entry(const std::string& name) const;
    // The same, except that a name missing with this spelling takes the spelling of the one entry
    // that matches it without regard to letter case, if exactly one does.
    CheckedPath Find(const std::string& name) const;

    // Whether a name can name a file both in a Windows folder and here (at most NAME_MAX bytes).
    static bool IsFileName(const std::string& name);

    const std::filesystem::path& Host() const { return host_; }
    // Windows-style, for messages.
    const std::string& Text() const { return text_; }

private:
    CheckedPath(std::filesystem::path host, std::string text);

    std::filesystem::path host_;
    std::string text_;
};
