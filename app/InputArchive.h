#pragma once
// The archive folder "in_arch" of the exchange folder: each handled input is moved there as
// "OK_" or "Err_" + its name, and its run log is written beside it as that name + ".log".
#include "platform/CheckedPath.h"

#include <string>

class InputArchive {
public:
    // exchangeFolder is Windows-style text ending with a backslash.
    explicit InputArchive(const std::string& exchangeFolder);

    // Windows-style, ending with a backslash.
    const std::string& Folder() const { return folder_; }
    // Whether a name leaves room for the longest archive name made of it.
    static bool Fits(const std::string& name);

    // Creates the folder with its parents; throws when it cannot or when it is a symbolic link.
    void Create() const;
    // Moves the input into the archive as "OK_" + name, replacing an older file of that name.
    // Throws when it cannot; the input then stays.
    void StorePosted(const std::string& name) const;
    // Moves the input into the archive as "Err_" + name. An older file of that name keeps it in
    // the exchange folder, as for a second failure of one name; any other reason why it stays
    // is returned (empty when it was moved or kept by an older file). Never throws.
    std::string StoreFailed(const std::string& name) const;
    // Writes the run log of an input whole, replacing an older one; throws WriteError.
    void WriteLog(bool posted, const std::string& name, const std::string& text) const;
    // Where the run log of an input is written, as a host path for the operator.
    std::string LogPath(bool posted, const std::string& name) const;
    // Removes a run log written for a file that then could not be moved after it.
    void RemoveLog(bool posted, const std::string& name) const;

private:
    CheckedPath Input(const std::string& name) const;
    CheckedPath Archived(const std::string& archivedName) const;

    std::string exchangeFolder_;
    std::string folder_;
};
