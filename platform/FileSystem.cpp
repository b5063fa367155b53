#include "platform/FileSystem.h"

#include "platform/Text.h"

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace fs_win {
namespace {

// The entry of a folder that matches a name without regard to letter case, if any.
std::string FindEntry(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (text::SameTextAscii(entry, name)) return entry;
    }
    return {};
}

} // namespace

fs::path ToHost(const std::string& winPath) {
    std::string p = winPath;
    for (char& c : p)
        if (c == '\\') c = '/';
    fs::path result;
    size_t pos = 0;
    if (p.size() >= 2 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':') {
        result = "/";
        pos = 2;
    } else if (!p.empty() && p[0] == '/') {
        result = "/";
    } else {
        result = ".";
    }
    while (pos < p.size()) {
        size_t next = p.find('/', pos);
        if (next == std::string::npos) next = p.size();
        std::string part = p.substr(pos, next - pos);
        pos = next + 1;
        if (part.empty() || part == ".") continue;
        std::error_code ec;
        if (part != ".." && !fs::exists(fs::symlink_status(result / part, ec))) {
            std::string found = FindEntry(result, part);
            if (!found.empty()) part = found;
        }
        result /= part;
    }
    return result;
}

bool WildcardMatch(const std::string& mask, const std::string& name) {
    // Iterative matcher with one back-track point for the last "*".
    size_t m = 0, n = 0, starM = std::string::npos, starN = 0;
    auto same = [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    };
    while (n < name.size()) {
        if (m < mask.size() && (mask[m] == '?' || (mask[m] != '*' && same(mask[m], name[n])))) {
            ++m;
            ++n;
        } else if (m < mask.size() && mask[m] == '*') {
            starM = m++;
            starN = n;
        } else if (starM != std::string::npos) {
            m = starM + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mask.size() && mask[m] == '*')
        ++m;
    return m == mask.size();
}

std::vector<std::string> ListEntries(const std::string& folder, const std::string& mask) {
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(ToHost(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (WildcardMatch(mask, name)) names.push_back(name);
    }
    return names;
}

bool FileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(ToHost(path), ec);
}

bool DirectoryExists(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(ToHost(path), ec);
}

bool DeleteFile(const std::string& path) {
    std::error_code ec;
    fs::path host = ToHost(path);
    return !fs::is_directory(host, ec) && fs::remove(host, ec);
}

bool RenameFile(const std::string& from, const std::string& to) {
    fs::path src = ToHost(from), dst = ToHost(to);
    std::error_code ec;
    if (!fs::exists(src, ec)) return false;
    // link + unlink refuses an existing target atomically, unlike rename(2).
    if (::link(src.c_str(), dst.c_str()) == 0) {
        if (::unlink(src.c_str()) == 0) return true;
        ::unlink(dst.c_str());
        return false;
    }
    if (fs::exists(dst, ec)) return false;
    return ::rename(src.c_str(), dst.c_str()) == 0;
}

bool CopyFile(const std::string& from, const std::string& to) {
    std::error_code ec;
    return fs::copy_file(ToHost(from), ToHost(to), fs::copy_options::overwrite_existing, ec) && !ec;
}

bool ForceDirectories(const std::string& path) {
    std::error_code ec;
    fs::path host = ToHost(path);
    fs::create_directories(host, ec);
    return fs::is_directory(host, ec);
}

std::uintmax_t FileSize(const std::string& path) {
    std::error_code ec;
    auto size = fs::file_size(ToHost(path), ec);
    return ec ? 0 : size;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(ToHost(path), std::ios::binary);
    if (!in) throw std::runtime_error("Cannot open file " + path);
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) throw std::runtime_error("Cannot read file " + path);
    return text::SplitLines(content.str());
}

void WriteText(const std::string& path, const std::string& content) {
    std::ofstream out(ToHost(path), std::ios::binary | std::ios::trunc);
    if (!out || !out.write(content.data(), static_cast<std::streamsize>(content.size())) ||
        !out.flush())
        throw std::runtime_error("Cannot write file " + path);
}

void AppendText(const std::string& path, const std::string& content) {
    std::ofstream out(ToHost(path), std::ios::binary | std::ios::app);
    if (!out || !out.write(content.data(), static_cast<std::streamsize>(content.size())) ||
        !out.flush())
        throw std::runtime_error("Cannot append to file " + path);
}

} // namespace fs_win
