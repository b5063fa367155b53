#pragma once
// What a dBase table's header announces of its size against what the file holds. A writer at
// work leaves the two apart: a copy writes the final header first and the records after it, an
// appending writer sets the record count only when it closes the table.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

struct DbfExtent {
    std::uintmax_t Size = 0;     // bytes in the file
    std::uint32_t Announced = 0; // records the header announces
    int HeaderLength = 0;
    int RecordLength = 0;
    bool EndMark = false; // the byte after the announced records is the end-of-file mark 0x1A

    // Reads the first 12 bytes of the file; nothing when they are no dBase table's header yet.
    static std::optional<DbfExtent> Read(const std::filesystem::path& host);

    std::uintmax_t Needed() const;
    std::uintmax_t WholeRecords() const;
    // Fewer bytes than the header announces, or whole records beyond them.
    bool Disagrees() const;
    // Anything but the announced records and an end-of-file mark: a writer may be mid-record.
    bool Loose() const;
    // What the header announces and what the file holds, naming the table as shown.
    std::string Describe(const std::string& shown) const;
};
