#include "platform/DbfTable.h"

#include "platform/CheckedPath.h"
#include "platform/DbfExtent.h"
#include "platform/Text.h"
#include "platform/WriteError.h"

#include <shapefil.h>

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// shapelib replaces any extension with ".dbf" before it opens a table. We hand it the resolved
// path with this suffix, and the open hook takes it off again, so a table keeps whatever name
// and extension it really has.
constexpr std::string_view kOpenSuffix = ".dbf";

// What the hooks hand shapelib as a file: the stream, and the first failure of a write, flush,
// seek or close on it, since shapelib drops those results. The table owns it once open.
struct HookFile {
    FILE* Stream;
    int Error = 0;
    bool Owned = false;

    bool Check(bool ok) {
        if (!ok && Error == 0) Error = errno ? errno : EIO;
        return ok;
    }
};

HookFile* File(SAFile f) {
    return reinterpret_cast<HookFile*>(f);
}

SAFile HookOpen(const char* name, const char* access) {
    std::string_view n(name);
    // Companion files shapelib probes for (".DBF" retry, ".cpg") are not ours to open.
    if (n.size() <= kOpenSuffix.size() || !n.ends_with(kOpenSuffix)) return nullptr;
    std::string real(n.substr(0, n.size() - kOpenSuffix.size()));
    const bool update = std::string_view(access).find('+') != std::string_view::npos;
    // A table is never reached through a symbolic link.
    const int fd = ::open(real.c_str(), (update ? O_RDWR : O_RDONLY) | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return nullptr;
    FILE* stream = ::fdopen(fd, access);
    if (!stream) {
        ::close(fd);
        return nullptr;
    }
    return reinterpret_cast<SAFile>(new HookFile{stream});
}
SAOffset HookRead(void* p, SAOffset size, SAOffset count, SAFile f) {
    return std::fread(p, size, count, File(f)->Stream);
}
SAOffset HookWrite(void* p, SAOffset size, SAOffset count, SAFile f) {
    const SAOffset written = std::fwrite(p, size, count, File(f)->Stream);
    File(f)->Check(written == count);
    return written;
}
SAOffset HookSeek(SAFile f, SAOffset offset, int whence) {
    // A seek writes out what is buffered, so it can fail like a write.
    const int r = fseeko(File(f)->Stream, static_cast<off_t>(offset), whence);
    File(f)->Check(r == 0);
    return static_cast<SAOffset>(r);
}
SAOffset HookTell(SAFile f) {
    return static_cast<SAOffset>(ftello(File(f)->Stream));
}
int HookFlush(SAFile f) {
    const int r = std::fflush(File(f)->Stream);
    File(f)->Check(r == 0);
    return r;
}
int HookClose(SAFile f) {
    HookFile* file = File(f);
    const int r = std::fclose(file->Stream);
    file->Stream = nullptr;
    file->Check(r == 0);
    // One shapelib gave up on while opening is not the table's to free.
    if (!file->Owned) delete file;
    return r;
}
int HookRemove(const char* name) {
    return std::remove(name);
}
// Failures show in return values, which the table turns into exceptions.
void HookError(const char*) {}
double HookAtof(const char* s) {
    double v = 0;
    std::string_view t(s);
    std::from_chars(t.data(), t.data() + t.size(), v);
    return v;
}

SAHooks Hooks() {
    SAHooks h{};
    h.FOpen = HookOpen;
    h.FRead = HookRead;
    h.FWrite = HookWrite;
    h.FSeek = HookSeek;
    h.FTell = HookTell;
    h.FFlush = HookFlush;
    h.FClose = HookClose;
    h.Remove = HookRemove;
    h.Error = HookError;
    h.Atof = HookAtof;
    return h;
}

DBFHandle Handle(void* p) {
    return static_cast<DBFHandle>(p);
}

// Closes a table; the first write failure seen on its file, or 0.
int CloseHandle(void* handle) {
    HookFile* file = File(Handle(handle)->fp);
    DBFClose(Handle(handle));
    const int error = file->Error;
    delete file;
    return error;
}

struct Column {
    std::string Name;
    char Type;
    int Width;
    int Decimals;
    int Offset;
};

struct Layout {
    std::string Head; // the first 32 bytes as read
    std::uint32_t Records = 0;
    int HeaderLength = 0;
    int RecordLength = 0;
    std::vector<Column> Columns;
};

bool KnownVersion(unsigned char v) {
    // dBase III/IV and the FoxPro family, with and without memo.
    for (unsigned char known :
         {0x02, 0x03, 0x04, 0x05, 0x30, 0x31, 0x32, 0x43, 0x63, 0x83, 0x8B, 0x8E, 0xCB, 0xF5, 0xFB})
        if (v == known) return true;
    return false;
}

// Reads and checks the header before shapelib trusts it: shapelib believes every length it
// finds, and a foreign or cut-off file must give an error, not a wild read.
Layout ReadLayout(const std::string& shown, const fs::path& host) {
    const std::runtime_error notTable(shown + " is not a dBase table");
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(host, ec);
    std::ifstream in(host, std::ios::binary);
    if (ec || !in) throw std::runtime_error("Cannot open table " + shown);
    unsigned char head[32];
    if (size < sizeof head || !in.read(reinterpret_cast<char*>(head), sizeof head)) throw notTable;
    if (!KnownVersion(head[0])) throw notTable;

    Layout l;
    l.Head.assign(reinterpret_cast<const char*>(head), sizeof head);
    l.Records = head[4] | head[5] << 8 | head[6] << 16 | std::uint32_t(head[7]) << 24;
    l.HeaderLength = head[8] | head[9] << 8;
    l.RecordLength = head[10] | head[11] << 8;
    if (l.HeaderLength < 32 + 32 + 1 || l.RecordLength < 2 || l.Records > 0x7FFFFFFF)
        throw notTable;
    if (size < static_cast<std::uintmax_t>(l.HeaderLength))
        throw std::runtime_error(shown + " is truncated: its header is cut off");

    std::string descriptors(l.HeaderLength - 32, '\0');
    if (!in.read(descriptors.data(), static_cast<std::streamsize>(descriptors.size())))
        throw notTable;
    bool terminated = false;
    for (size_t at = 0; at < descriptors.size(); at += 32) {
        if (descriptors[at] == '\x0D') {
            terminated = true;
            break;
        }
        if (at + 32 > descriptors.size()) break;
        const auto* d = reinterpret_cast<const unsigned char*>(descriptors.data() + at);
        Column c;
        for (int i = 0; i < 11 && d[i] != 0; ++i) {
            if (d[i] <= 32 || d[i] >= 127) throw notTable;
            c.Name += static_cast<char>(d[i]);
        }
        c.Type = static_cast<char>(d[11]);
        c.Width = d[16];
        c.Decimals = d[17];
        if (c.Name.empty() || c.Width == 0 || !std::isalpha(d[11])) throw notTable;
        l.Columns.push_back(c);
    }
    if (!terminated || l.Columns.empty()) throw notTable;

    auto total = [&](bool wideText) {
        int sum = 1; // the deletion flag
        for (Column& c : l.Columns) {
            // Clipper and FoxPro keep the high byte of a wide text column in "decimals".
            if (wideText && c.Type == 'C') c.Width += c.Decimals * 256, c.Decimals = 0;
            c.Offset = sum;
            sum += c.Width;
        }
        return sum;
    };
    if (total(false) != l.RecordLength) {
        std::vector<Column> narrow = l.Columns;
        if (total(true) != l.RecordLength) {
            l.Columns = narrow;
            if (total(false) > l.RecordLength) throw notTable;
        }
    }

    // A table that holds more records than it announces is as unfinished as one cut short: a
    // header saying 0 over a file full of records must not pass as an empty table.
    const DbfExtent extent{size, l.Records, l.HeaderLength, l.RecordLength, false};
    if (extent.Disagrees()) throw std::runtime_error(extent.Describe(shown));
    return l;
}

} // namespace

void DbfTable::Closer::operator()(void* handle) const {
    CloseHandle(handle);
}

DbfTable::DbfTable(std::string name, Component* owner) : Component(std::move(name), owner) {}

DbfTable::~DbfTable() = default;

std::string DbfTable::FullName() const {
    std::string folder = FolderName;
    if (!folder.empty() && folder.back() != '\\' && folder.back() != '/') folder += '\\';
    return folder + TableName;
}

void DbfTable::Open() {
    if (Active()) return;
    shownName_ = FullName();
    const CheckedPath table = CheckedPath(FolderName).Find(TableName);
    std::error_code ec;
    if (!fs::is_regular_file(table.Host(), ec))
        throw std::runtime_error("Table not found: " + shownName_);
    hostPath_ = table.Host().string();
    OpenResolved();
}

void DbfTable::OpenResolved() {
    const Layout layout = ReadLayout(shownName_, hostPath_);
    SAHooks hooks = Hooks();
    const std::string name = hostPath_ + std::string(kOpenSuffix);
    readOnly_ = false;
    DBFHandle h = DBFOpenLL(name.c_str(), "rb+", &hooks);
    if (!h) {
        readOnly_ = true;
        h = DBFOpenLL(name.c_str(), "rb", &hooks);
    }
    if (!h) throw std::runtime_error("Cannot open table " + shownName_);
    File(h->fp)->Owned = true;
    handle_.reset(h);
    if (h->nRecordLength != layout.RecordLength || h->nRecords != int(layout.Records)) {
        handle_.reset();
        throw std::runtime_error(shownName_ + " is not a dBase table");
    }
    head_ = layout.Head;
    headerLength_ = layout.HeaderLength;
    recordLength_ = layout.RecordLength;
    physicalCount_ = int(layout.Records);
    fields_.clear();
    fieldNames_.clear();
    for (const Column& c : layout.Columns) {
        fields_.push_back(
            std::make_unique<DbfField>(*this, c.Name, c.Type, c.Width, c.Decimals, c.Offset));
        fieldNames_.push_back(c.Name);
    }
    try {
        recordCount_ = 0;
        for (int i = 0; i < physicalCount_; ++i) {
            Load(i);
            if (record_[0] != '*') ++recordCount_;
        }
        position_ = -1;
        First();
    } catch (...) {
        Close();
        throw;
    }
}

void DbfTable::Close() {
    appending_ = false;
    void* handle = handle_.release();
    fields_.clear();
    fieldNames_.clear();
    record_.clear();
    physicalCount_ = recordCount_ = 0;
    position_ = -1;
    eof_ = true;
    if (!handle) return;
    if (const int error = CloseHandle(handle))
        throw WriteError("Cannot write " + shownName_ + ": " + std::strerror(error));
}

void DbfTable::CutBack() {
    const std::uint32_t records = static_cast<std::uint32_t>(physicalCount_);
    // shapelib rewrites the header from what it reads back, which a failed seek makes garbage:
    // the header goes back as it was read, with the count of whole records.
    std::string head = head_;
    for (int i = 0; i < 4; ++i)
        head[4 + i] = static_cast<char>(records >> (8 * i));
    handle_.reset(); // quietly: its failure is the one being thrown
    Close();
    std::fstream f(hostPath_, std::ios::in | std::ios::out | std::ios::binary);
    f.write(head.data(), static_cast<std::streamsize>(head.size()));
    f.close();
    std::error_code ec;
    fs::resize_file(hostPath_,
                    std::uintmax_t(headerLength_) + std::uintmax_t(records) * recordLength_, ec);
}

DbfField& DbfTable::FieldByName(const std::string& name) {
    if (DbfField* f = FindField(name)) return *f;
    throw std::runtime_error("Field '" + name + "' not found");
}

DbfField* DbfTable::FindField(const std::string& name) {
    for (auto& f : fields_)
        if (text::SameTextAscii(f->Name(), name)) return f.get();
    return nullptr;
}

void DbfTable::RequireActive(const char* operation) const {
    if (!Active())
        throw std::runtime_error(std::string(operation) + ": table " + FullName() + " is not open");
}

void DbfTable::RequireWritable(const char* operation) const {
    RequireActive(operation);
    if (readOnly_)
        throw std::runtime_error(std::string(operation) + ": table " + shownName_ +
                                 " is read-only");
}

void DbfTable::Load(int physical) {
    const char* tuple = DBFReadTuple(Handle(handle_.get()), physical);
    if (!tuple)
        throw std::runtime_error("Cannot read record " + std::to_string(physical + 1) + " of " +
                                 shownName_);
    record_.assign(tuple, recordLength_);
}

void DbfTable::Seek(int fromPhysical) {
    const int previous = position_;
    for (int i = fromPhysical; i < physicalCount_; ++i) {
        Load(i);
        if (record_[0] != '*') {
            position_ = i;
            eof_ = false;
            return;
        }
    }
    // Past the end the last record stays readable, as the cursor stays on it.
    eof_ = true;
    position_ = previous;
    if (previous >= 0)
        Load(previous);
    else
        record_.assign(recordLength_, ' ');
}

void DbfTable::First() {
    RequireActive("First");
    if (appending_) Post();
    position_ = -1;
    Seek(0);
}

void DbfTable::Next() {
    RequireActive("Next");
    if (appending_) Post();
    if (!eof_) Seek(position_ + 1);
}

void DbfTable::Zap() {
    RequireWritable("Zap");
    handle_.reset();
    appending_ = false;
    {
        std::fstream f(hostPath_, std::ios::in | std::ios::out | std::ios::binary);
        const char zeros[4] = {0, 0, 0, 0};
        f.seekp(4);
        f.write(zeros, sizeof zeros);
        f.seekp(headerLength_);
        f.put('\x1A');
        if (!f.flush()) throw WriteError("Cannot empty table " + shownName_);
    }
    std::error_code ec;
    fs::resize_file(hostPath_, std::uintmax_t(headerLength_) + 1, ec);
    if (ec) throw WriteError("Cannot empty table " + shownName_ + ": " + ec.message());
    OpenResolved();
}

void DbfTable::Append() {
    RequireWritable("Append");
    if (appending_) Post();
    record_.assign(recordLength_, ' ');
    appending_ = true;
}

void DbfTable::Post() {
    RequireWritable("Post");
    if (!appending_) throw std::runtime_error("Post: table " + shownName_ + " has no new record");
    DBFHandle h = Handle(handle_.get());
    int year, month, day;
    datetime::DecodeDate(datetime::Date(), year, month, day);
    DBFSetLastModifiedDate(h, year - 1900, month, day);
    const bool stored = DBFWriteTuple(h, physicalCount_, record_.data());
    // Writes the record and the record count now, so the file is whole after every row.
    if (stored) DBFUpdateHeader(h);
    int error = File(h->fp)->Error;
    if (!stored && error == 0) error = EIO;
    if (error != 0) {
        CutBack();
        throw WriteError("Cannot write a record to " + shownName_ + ": " + std::strerror(error));
    }
    appending_ = false;
    position_ = physicalCount_++;
    ++recordCount_;
    eof_ = false;
}

void DbfTable::Cancel() {
    if (!appending_) return;
    appending_ = false;
    if (position_ >= 0)
        Load(position_);
    else
        record_.assign(recordLength_, ' ');
}

std::string& DbfTable::EditRecord(const std::string& fieldName) {
    if (!appending_)
        throw std::runtime_error("Field '" + fieldName + "' of " + shownName_ +
                                 " can be set only on a new record");
    return record_;
}
