#pragma once
// The parameters file a calling program hands over: where the program's argument says it is,
// and its lines. Reading a line it does not have stops the start-up.
#include <string>
#include <vector>

class ParamsFile {
public:
    // A drive path is read from c:\ whatever the drive; an absolute host path is taken as it is;
    // anything else is relative to the working folder.
    static std::string PathFor(const std::string& arg);

    // Reads the file at a path PathFor gave.
    explicit ParamsFile(const std::string& path);

    // Throws "List index out of bounds (index)" for a line the file does not have.
    const std::string& Line(std::size_t index) const;
    // The connection parameters: line 5 and on.
    std::vector<std::string> ConnectionLines() const;
    // A file that carries connection parameters is deleted once read, except for a program run
    // from the development folder.
    void DeleteIfRead(const std::string& exePath) const;

private:
    std::string path_;
    std::vector<std::string> lines_;
};
