#pragma once
// The key of a file's content: its SHA-256 as 64 lower-case hexadecimal digits. Two files with
// the same key hold the same bytes, whatever their names.
#include <string>

class ContentKey {
public:
    // Reads the file at a Windows-style path; throws std::runtime_error naming it when it cannot.
    static std::string OfFile(const std::string& path);
    // The same for bytes in memory.
    static std::string OfText(const std::string& bytes);
};
