#pragma once
// File operations on Windows-style paths ("c:\exchange\in_arch\x.dbf"). A path is mapped onto
// the host when a call is made: "\" becomes "/", a drive letter maps to the root, and each
// component not found with its exact spelling is matched without regard to letter case.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace fs_win {

// The host path for a Windows-style path; an absolute POSIX path is taken as it is.
std::filesystem::path ToHost(const std::string& winPath);

// "*" matches any run of characters, "?" one character, letter case ignored (ASCII).
bool WildcardMatch(const std::string& mask, const std::string& name);

// Names (without folder) of the entries of a folder that match a mask, files and sub-folders
// alike, in the order the file system gives them; empty when the folder is missing.
std::vector<std::string> ListEntries(const std::string& folder, const std::string& mask);

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
// The following report success; failing calls throw nothing.
bool DeleteFile(const std::string& path);
// Fails when the target exists.
bool RenameFile(const std::string& from, const std::string& to);
// Replaces an existing target.
bool CopyFile(const std::string& from, const std::string& to);
// Creates the folder with its parents; true when it exists afterwards.
bool ForceDirectories(const std::string& path);
std::uintmax_t FileSize(const std::string& path);

// Throw std::runtime_error naming the path.
std::vector<std::string> ReadLines(const std::string& path);
void WriteText(const std::string& path, const std::string& content);
void AppendText(const std::string& path, const std::string& content);

} // namespace fs_win
