#include "app/CheckFolder.h"

#include "platform/CheckedPath.h"
#include "platform/FileSystem.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <stdlib.h>

namespace fs = std::filesystem;

CheckFolder::CheckFolder(const std::string& exchangeFolder) {
    std::string pattern = (fs::temp_directory_path() / "inzefor-check.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("Cannot create a folder for the check in " +
                                 fs::temp_directory_path().string() + ": " + std::strerror(errno));
    folder_ = pattern + "/";
    try {
        fs_win::CopyNew(CheckedPath(exchangeFolder).Find("in_arch").Find("Feladas.dbf"),
                        CheckedPath(folder_).Entry("Feladas.dbf"));
    } catch (...) {
        std::error_code ec;
        fs::remove_all(pattern, ec);
        throw;
    }
}

CheckFolder::~CheckFolder() {
    std::error_code ec;
    fs::remove_all(fs::path(folder_), ec);
}
