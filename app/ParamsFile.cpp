#include "app/ParamsFile.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <cctype>
#include <filesystem>
#include <stdexcept>

namespace {

const std::size_t kConnectionLines = 4;

} // namespace

std::string ParamsFile::PathFor(const std::string& arg) {
    // The rule for drive paths would cut the first three characters off any other argument.
    const bool drivePath = arg.size() >= 3 && std::isalpha(static_cast<unsigned char>(arg[0])) &&
                           arg[1] == ':' && (arg[2] == '\\' || arg[2] == '/');
    if (drivePath) return "c:\\" + arg.substr(3);
    if (!arg.empty() && arg[0] == '/') return arg;
    std::error_code noFolder;
    const std::string here = std::filesystem::current_path(noFolder).string();
    return here.empty() ? arg : here + "/" + arg;
}

ParamsFile::ParamsFile(const std::string& path) : path_(path), lines_(fs_win::ReadLines(path)) {}

const std::string& ParamsFile::Line(std::size_t index) const {
    if (index >= lines_.size())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
    return lines_[index];
}

std::vector<std::string> ParamsFile::ConnectionLines() const {
    if (lines_.size() <= kConnectionLines) return {};
    return {lines_.begin() + kConnectionLines, lines_.end()};
}

void ParamsFile::DeleteIfRead(const std::string& exePath) const {
    if (lines_.size() <= kConnectionLines) return;
    std::string exe = exePath;
    for (char& c : exe)
        if (c == '/') c = '\\';
    if (text::LowerWin1250(exe).find("\\d_projects\\_zefor") == std::string::npos)
        fs_win::DeleteFile(path_);
}
