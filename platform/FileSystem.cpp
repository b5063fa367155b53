#include "platform/FileSystem.h"

#include "platform/CheckedPath.h"
#include "platform/Text.h"
#include "platform/WriteError.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace fs_win {
namespace {

std::string Reason(int error) {
    return std::strerror(error);
}

std::vector<std::string> ReadLines(const fs::path& host, const std::string& shown) {
    std::ifstream in(host, std::ios::binary);
    if (!in) throw std::runtime_error("Cannot open file " + shown);
    std::ostringstream content;
    content << in.rdbuf();
    if (in.bad()) throw std::runtime_error("Cannot read file " + shown);
    return text::SplitLines(content.str());
}

// rename(2) that refuses an existing target, as renames do on the original platform.
int RenameNoReplace(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
    // A file system without the flag: there the check and the rename are two steps.
    struct stat st;
    if (::lstat(to.c_str(), &st) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.c_str(), to.c_str());
}

// An open file descriptor, closed once.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int Get() const { return fd_; }
    // False (errno set) when the close reports that an earlier write failed.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

// Creates a new file in folder under a name of its own, given back in path; -1 and errno when
// it cannot.
const char* const kPendingPrefix = ".inzefor-";

int CreateHidden(const fs::path& folder, fs::path& path) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        path = folder / (kPendingPrefix + std::to_string(random()));
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// A new file beside its target under a name no listing takes (it starts with a full stop). It
// is put in place only once it is whole and on disk; until then it is removed when it goes.
class PendingFile {
public:
    explicit PendingFile(const CheckedPath& target)
        : target_(target), fd_(CreateHidden(target.Host().parent_path(), path_)) {
        if (fd_.Get() < 0) Fail(errno);
    }
    ~PendingFile() {
        if (!placed_) ::unlink(path_.c_str());
    }
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    void Write(const char* data, size_t size) {
        while (size > 0) {
            const ssize_t n = ::write(fd_.Get(), data, size);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) Fail(errno);
            data += n;
            size -= static_cast<size_t>(n);
        }
    }
    // Flushes to disk and puts the file in place, replacing an older one or refusing to.
    void Place(bool replace) {
        if (::fsync(fd_.Get()) != 0 || !fd_.Close()) Fail(errno);
        const int moved = replace ? ::rename(path_.c_str(), target_.Host().c_str())
                                  : RenameNoReplace(path_, target_.Host());
        if (moved != 0 && errno == EEXIST)
            throw std::runtime_error(target_.Text() + " already exists");
        if (moved != 0) Fail(errno);
        placed_ = true;
        Descriptor folder(::open(target_.Host().parent_path().c_str(), O_RDONLY | O_DIRECTORY));
        if (folder.Get() >= 0) ::fsync(folder.Get());
    }

private:
    [[noreturn]] void Fail(int error) const {
        throw WriteError("Cannot write " + target_.Text() + ": " + Reason(error));
    }

    const CheckedPath& target_;
    fs::path path_;
    Descriptor fd_;
    bool placed_ = false;
};

} // namespace

std::string EntryLike(const fs::path& folder, const std::string& name) {
    std::string found;
    int matches = 0;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (text::SameTextAscii(entry, name) && ++matches == 1) found = entry;
    }
    return matches == 1 ? found : std::string();
}

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
            std::string found = EntryLike(result, part);
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

std::vector<FolderEntry> ListFolder(const std::string& folder, const std::string& mask) {
    std::vector<FolderEntry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(ToHost(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        if (!WildcardMatch(mask, name)) continue;
        const fs::file_type type = it->symlink_status(ec).type();
        const EntryKind kind = type == fs::file_type::regular     ? EntryKind::File
                               : type == fs::file_type::directory ? EntryKind::Folder
                               : type == fs::file_type::symlink   ? EntryKind::Link
                                                                  : EntryKind::Other;
        entries.push_back({std::move(name), kind});
    }
    return entries;
}

std::vector<std::string> ListEntries(const std::string& folder, const std::string& mask) {
    std::vector<std::string> names;
    for (FolderEntry& entry : ListFolder(folder, mask))
        names.push_back(std::move(entry.Name));
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
    fs::path src = ToHost(from);
    std::error_code ec;
    return fs::exists(src, ec) && RenameNoReplace(src, ToHost(to)) == 0;
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
    return ReadLines(ToHost(path), path);
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

bool IsFile(const CheckedPath& file) {
    struct stat st;
    return ::lstat(file.Host().c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteFile(const CheckedPath& file) {
    struct stat st;
    if (::lstat(file.Host().c_str(), &st) != 0) return errno == ENOENT;
    return !S_ISDIR(st.st_mode) && ::unlink(file.Host().c_str()) == 0;
}

void MoveFile(const CheckedPath& from, const CheckedPath& to) {
    if (!IsFile(from)) throw std::runtime_error("Cannot move " + from.Text() + ": not a file");
    if (RenameNoReplace(from.Host(), to.Host()) == 0) return;
    if (errno != EXDEV)
        throw std::runtime_error("Cannot move " + from.Text() + " to " + to.Text() + ": " +
                                 Reason(errno));
    CopyNew(from, to);
    if (::unlink(from.Host().c_str()) != 0) {
        const int error = errno;
        ::unlink(to.Host().c_str());
        throw WriteError("Cannot delete " + from.Text() + " once copied to " + to.Text() + ": " +
                         Reason(error));
    }
}

void CopyNew(const CheckedPath& from, const CheckedPath& to) {
    Descriptor in(::open(from.Host().c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (in.Get() < 0) throw std::runtime_error("Cannot open " + from.Text() + ": " + Reason(errno));
    PendingFile out(to);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in.Get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw std::runtime_error("Cannot read " + from.Text() + ": " + Reason(errno));
        if (n == 0) break;
        out.Write(buffer, static_cast<size_t>(n));
    }
    out.Place(false);
}

void WriteWhole(const CheckedPath& file, const std::string& content) {
    PendingFile out(file);
    out.Write(content.data(), content.size());
    out.Place(true);
}

std::vector<std::string> ReadLines(const CheckedPath& file) {
    return ReadLines(file.Host(), file.Text());
}

void RemoveUnfinishedWrites(const CheckedPath& folder) {
    std::error_code ec;
    for (fs::directory_iterator it(folder.Host(), ec), end; !ec && it != end; it.increment(ec))
        if (it->path().filename().string().starts_with(kPendingPrefix) && it->is_regular_file(ec) &&
            !it->is_symlink(ec))
            fs::remove(it->path(), ec);
}

} // namespace fs_win
