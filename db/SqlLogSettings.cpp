#include "db/SqlLogSettings.h"

#include <filesystem>

SqlLogSettings::SqlLogSettings(Component* application)
    : Application(application), InstalledFolder(INZEFOR_SQL_LOG_FOLDER) {
    std::error_code ec;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) ExeFolder = exe.parent_path().string();
}

std::string SqlLogSettings::LogFolderFor(const Component* owner) const {
    const Component* c = owner;
    while (c && c != Application)
        c = c->Owner;
    if (!c) return {};
    if (!InstalledFolder.empty())
        return InstalledFolder.back() == '/' ? InstalledFolder : InstalledFolder + '/';
    std::string folder = ExeFolder;
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder + "Logs\\ExecSql\\";
}
