#include "platform/DbfExtent.h"

#include <fstream>

std::optional<DbfExtent> DbfExtent::Read(const std::filesystem::path& host) {
    std::error_code ec;
    DbfExtent e;
    e.Size = std::filesystem::file_size(host, ec);
    std::ifstream in(host, std::ios::binary);
    unsigned char h[12];
    if (ec || !in.read(reinterpret_cast<char*>(h), sizeof h)) return std::nullopt;
    e.Announced = h[4] | h[5] << 8 | h[6] << 16 | std::uint32_t(h[7]) << 24;
    e.HeaderLength = h[8] | h[9] << 8;
    e.RecordLength = h[10] | h[11] << 8;
    if (e.HeaderLength < 65 || e.RecordLength < 2) return std::nullopt;
    char mark = 0;
    in.seekg(static_cast<std::streamoff>(e.Needed()));
    e.EndMark = e.Size > e.Needed() && in.get(mark) && mark == '\x1A';
    return e;
}

std::uintmax_t DbfExtent::Needed() const {
    return std::uintmax_t(HeaderLength) + std::uintmax_t(Announced) * std::uintmax_t(RecordLength);
}

std::uintmax_t DbfExtent::WholeRecords() const {
    if (Size <= std::uintmax_t(HeaderLength) || RecordLength <= 0) return 0;
    return (Size - HeaderLength) / RecordLength;
}

bool DbfExtent::Disagrees() const {
    return Size < Needed() || WholeRecords() > Announced;
}

bool DbfExtent::Loose() const {
    return Disagrees() || Size > Needed() + (EndMark ? 1 : 0);
}

std::string DbfExtent::Describe(const std::string& shown) const {
    const std::string announces = "its header announces " + std::to_string(Announced) +
                                  " records of " + std::to_string(RecordLength) + " bytes";
    const std::string holds =
        std::to_string(WholeRecords()) + " whole records (" + std::to_string(Size) + " bytes)";
    if (Size < Needed())
        return shown + " is truncated: " + announces + ", but the file holds only " + holds;
    return shown + " is longer than its header says: " + announces + ", but the file holds " +
           holds;
}
