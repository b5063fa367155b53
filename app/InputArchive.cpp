#include "app/InputArchive.h"

#include "platform/FileSystem.h"

#include <stdexcept>

namespace fs = std::filesystem;

namespace {

const char* const kArchive = "in_arch";

} // namespace

InputArchive::InputArchive(const std::string& exchangeFolder)
    : exchangeFolder_(exchangeFolder), folder_(exchangeFolder + kArchive + "\\") {}

bool InputArchive::Fits(const std::string& name) {
    return CheckedPath::IsFileName("Err_" + name + ".log");
}

CheckedPath InputArchive::Input(const std::string& name) const {
    return CheckedPath(exchangeFolder_).Entry(name);
}

CheckedPath InputArchive::Archived(const std::string& archivedName) const {
    return CheckedPath(exchangeFolder_).Find(kArchive).Entry(archivedName);
}

void InputArchive::Create() const {
    const CheckedPath folder = CheckedPath(exchangeFolder_).Find(kArchive);
    std::error_code ec;
    fs::create_directories(folder.Host(), ec);
    if (!fs::is_directory(folder.Host(), ec))
        throw std::runtime_error("Cannot create folder " + folder_);
}

void InputArchive::StorePosted(const std::string& name) const {
    const CheckedPath target = Archived("OK_" + name);
    // A folder of that name is no older copy: it stays and keeps the input out.
    fs_win::DeleteFile(target);
    fs_win::MoveFile(Input(name), target);
}

std::string InputArchive::StoreFailed(const std::string& name) const {
    try {
        const CheckedPath target = Archived("Err_" + name);
        if (fs_win::IsFile(target)) return {};
        fs_win::MoveFile(Input(name), target);
        return {};
    } catch (const std::exception& e) {
        return e.what();
    }
}

void InputArchive::WriteLog(bool posted, const std::string& name, const std::string& text) const {
    fs_win::WriteWhole(Archived((posted ? "OK_" : "Err_") + name + ".log"), text);
}

std::string InputArchive::LogPath(bool posted, const std::string& name) const {
    return Archived((posted ? "OK_" : "Err_") + name + ".log").Host().string();
}

void InputArchive::RemoveLog(bool posted, const std::string& name) const {
    fs_win::DeleteFile(Archived((posted ? "OK_" : "Err_") + name + ".log"));
}
