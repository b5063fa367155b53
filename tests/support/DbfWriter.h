#pragma once
// Writes small dBase tables for tests, byte by byte, so the table layer is checked against
// files it did not write itself.
//
//   DbfWriter w({{"NAME", 'C', 10}, {"AMOUNT", 'N', 12, 2}, {"DAY", 'D', 8}});
//   w.Row({"  left", "1234.50", "20120315"});
//   w.Row({"gone", "1", ""}, /*deleted=*/true);
//   w.Save(dir / "x.dbf");
//
// A value is the text stored in the file: C left-aligned, N and F right-aligned (full stop as
// decimal point), D as YYYYMMDD, L as T or F; a missing or empty value is blank. Text is taken
// as bytes (use W1250 for accented letters). A value wider than its column throws.
#include <filesystem>
#include <map>
#include <string>
#include <vector>

struct DbfColumn {
    std::string Name; // up to 10 characters
    char Type;        // C, N, F, D or L
    int Width;
    int Decimals = 0;
};

class DbfWriter {
public:
    explicit DbfWriter(std::vector<DbfColumn> columns);

    DbfWriter& Row(const std::vector<std::string>& values, bool deleted = false);
    // The same with values by column name; other columns stay blank, and values for columns the
    // table lacks are left out (so one row serves tables with and without a column).
    DbfWriter& RowByName(const std::map<std::string, std::string>& byName, bool deleted = false);
    // version is the first header byte: 0x03 dBase III/IV without memo, 0x8B dBase IV with memo.
    void Save(const std::filesystem::path& path, unsigned char version = 0x03) const;

    // The columns of the common posting table, in a layout like the one the sending programs
    // deliver; withVatDate false leaves out the optional AFATELJ column.
    static std::vector<DbfColumn> PostingColumns(bool withVatDate = true);
    // Writes an empty common posting table (creating its folder).
    static void CreatePostingTable(const std::filesystem::path& path, bool withVatDate = true);
    // The columns of the payroll program's source table; KDAT of the type given (D, or C to
    // carry a date as text).
    static std::vector<DbfColumn> PayrollColumns(char dateType = 'D');

private:
    std::vector<DbfColumn> columns_;
    std::vector<std::string> records_;
};
