#include "platform/CheckedPath.h"

#include "platform/FileSystem.h"
#include "platform/Text.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <string_view>

namespace fs = std::filesystem;

CheckedPath::CheckedPath(const std::string& winFolder)
    : host_(fs_win::ToHost(winFolder)), text_(winFolder) {}

CheckedPath::CheckedPath(fs::path host, std::string text)
    : host_(std::move(host)), text_(std::move(text)) {}

bool CheckedPath::IsFileName(const std::string& name) {
    if (name.empty() || name.size() > NAME_MAX) return false;
    if (std::all_of(name.begin(), name.end(), [](char c) { return c == '.'; })) return false;
    return std::none_of(name.begin(), name.end(), [](char c) {
        return static_cast<unsigned char>(c) < 32 ||
               std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos;
    });
}

CheckedPath CheckedPath::Entry(const std::string& name) const {
    const bool separated = !text_.empty() && (text_.back() == '\\' || text_.back() == '/');
    std::string text = text_ + (separated ? "" : "\\") + text::Printable(name);
    if (!IsFileName(name)) throw std::runtime_error("Not a file name: " + text);
    fs::path host = host_ / name;
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(host, ec)))
        throw std::runtime_error(text + " is a symbolic link");
    return CheckedPath(std::move(host), std::move(text));
}

CheckedPath CheckedPath::Find(const std::string& name) const {
    std::error_code ec;
    if (!IsFileName(name) || fs::exists(fs::symlink_status(host_ / name, ec))) return Entry(name);
    const std::string found = fs_win::EntryLike(host_, name);
    return Entry(found.empty() ? name : found);
}
