#pragma once
// File operations on Windows-style paths ("c:\exchange\in_arch\x.dbf"). A path is mapped onto
// the host when a call is made: "\" becomes "/", a drive letter maps to the root, and each
// component not found with its exact spelling is matched without regard to letter case.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

class CheckedPath;

namespace fs_win {

// The host path for a Windows-style path; an absolute POSIX path is taken as it is.
std::filesystem::path ToHost(const std::string& winPath);
// The one entry of a host folder whose name matches name without regard to letter case; empty
// when none or several do.
std::string EntryLike(const std::filesystem::path& folder, const std::string& name);

// "*" matches any run of characters, "?" one character, letter case ignored (ASCII).
bool WildcardMatch(const std::string& mask, const std::string& name);

enum class EntryKind { File, Folder, Link, Other };
struct FolderEntry {
    std::string Name;
    EntryKind Kind; // a symbolic link is a Link whatever it points at
};
// The entries of a folder that match a mask, in the order the file system gives them; empty
// when the folder is missing.
std::vector<FolderEntry> ListFolder(const std::string& folder, const std::string& mask);
// Their names alone, files and sub-folders alike.
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

// Files reached by checked paths. A file is written whole or not at all: a failed write removes
// what it wrote and throws WriteError; a refusal (the target exists, the source is missing)
// throws std::runtime_error. Both name the files.

// A plain file; a symbolic link or a folder is none.
bool IsFile(const CheckedPath& file);
// Never a folder; true when the file is gone.
bool DeleteFile(const CheckedPath& file);
// Moves a file, replacing nothing. When a rename cannot cross file systems, the file is copied,
// flushed to disk, and only then deleted.
void MoveFile(const CheckedPath& from, const CheckedPath& to);
// Copies a file into a new one, flushed to disk; an existing target is refused.
void CopyNew(const CheckedPath& from, const CheckedPath& to);
// Writes the whole file; an older file of the name is replaced only once the new one is on disk.
void WriteWhole(const CheckedPath& file, const std::string& content);
std::vector<std::string> ReadLines(const CheckedPath& file);
// Removes the files that writes of a process ended midway left half-made in a folder. Only for
// a folder no other process writes into meanwhile.
void RemoveUnfinishedWrites(const CheckedPath& folder);

} // namespace fs_win
