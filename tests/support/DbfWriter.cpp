#include "tests/support/DbfWriter.h"

#include <algorithm>

#include <fstream>
#include <stdexcept>

DbfWriter::DbfWriter(std::vector<DbfColumn> columns) : columns_(std::move(columns)) {
    for (const DbfColumn& c : columns_)
        if (c.Name.empty() || c.Name.size() > 10 || c.Width < 1 || c.Width > 255)
            throw std::invalid_argument("bad test column '" + c.Name + "'");
}

DbfWriter& DbfWriter::Row(const std::vector<std::string>& values, bool deleted) {
    if (values.size() > columns_.size()) throw std::invalid_argument("more values than columns");
    std::string record(1, deleted ? '*' : ' ');
    for (size_t i = 0; i < columns_.size(); ++i) {
        const DbfColumn& c = columns_[i];
        std::string v = i < values.size() ? values[i] : std::string();
        if (static_cast<int>(v.size()) > c.Width)
            throw std::invalid_argument("value '" + v + "' is wider than column " + c.Name);
        std::string pad(c.Width - v.size(), ' ');
        record += (c.Type == 'N' || c.Type == 'F') ? pad + v : v + pad;
    }
    records_.push_back(record);
    return *this;
}

DbfWriter& DbfWriter::RowByName(const std::map<std::string, std::string>& byName, bool deleted) {
    std::vector<std::string> values(columns_.size());
    for (const auto& [name, value] : byName) {
        auto column = std::find_if(columns_.begin(), columns_.end(),
                                   [&](const DbfColumn& c) { return c.Name == name; });
        if (column != columns_.end()) values[column - columns_.begin()] = value;
    }
    return Row(values, deleted);
}

void DbfWriter::Save(const std::filesystem::path& path, unsigned char version) const {
    int recordLength = 1;
    for (const DbfColumn& c : columns_)
        recordLength += c.Width;
    const int headerLength = 32 + 32 * static_cast<int>(columns_.size()) + 1;
    const size_t n = records_.size();

    std::string header(32, '\0');
    header[0] = static_cast<char>(version);
    header[1] = 112; // last update 2012-03-15
    header[2] = 3;
    header[3] = 15;
    for (int i = 0; i < 4; ++i)
        header[4 + i] = static_cast<char>((n >> (8 * i)) & 0xFF);
    header[8] = static_cast<char>(headerLength & 0xFF);
    header[9] = static_cast<char>(headerLength >> 8);
    header[10] = static_cast<char>(recordLength & 0xFF);
    header[11] = static_cast<char>(recordLength >> 8);
    for (const DbfColumn& c : columns_) {
        std::string d(32, '\0');
        d.replace(0, c.Name.size(), c.Name);
        d[11] = c.Type;
        d[16] = static_cast<char>(c.Width);
        d[17] = static_cast<char>(c.Decimals);
        header += d;
    }
    header += '\x0D';

    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << header;
    for (const std::string& r : records_)
        out << r;
    out << '\x1A';
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

std::vector<DbfColumn> DbfWriter::PostingColumns(bool withVatDate) {
    std::vector<DbfColumn> columns = {
        {"FELADO", 'C', 10},      {"AZON", 'C', 20},       {"SELF", 'C', 20},
        {"BIZONYLAT", 'C', 20},   {"HIVATKOZ", 'C', 30},   {"MO_CHAR", 'C', 1},
        {"JELLEG", 'C', 1},       {"IRANY", 'C', 1},       {"CSOPORT", 'C', 10},
        {"US_NEV", 'C', 20},      {"TOTAL", 'N', 15, 2},   {"AFATOTAL", 'N', 15, 2},
        {"SUMA", 'N', 15, 2},     {"AFASUM", 'N', 15, 2},  {"DEV", 'C', 3},
        {"DEVTOTAL", 'N', 15, 2}, {"DEVKURZ", 'N', 12, 4}, {"KARTON", 'C', 10},
        {"ELLEN", 'C', 10},       {"AF_NEV", 'C', 10},     {"AFASZAMLA", 'C', 10},
        {"KELTE", 'D', 8},        {"TELJESIT", 'D', 8},    {"HATARIDO", 'D', 8},
        {"AFATELJ", 'D', 8},      {"MIKOR", 'C', 20},      {"U_ROVID", 'C', 35},
        {"U_CEG", 'C', 50},       {"U_ADOSZAM", 'C', 15},  {"U_BANKSZAM", 'C', 30},
        {"U_KARTON", 'C', 10},    {"U_HELY", 'C', 30},     {"U_UTCA", 'C', 50},
        {"FUZMOD", 'C', 20},      {"PENZUGY", 'C', 20},    {"RENDEL", 'C', 20},
        {"GY_NEV", 'C', 20},      {"KO_NEV", 'C', 20},     {"MU_NEV", 'C', 20},
        {"MEGJEGY", 'C', 50},     {"MEGJEGY_E", 'C', 50},  {"MEGJEGY_D", 'C', 50},
    };
    if (!withVatDate)
        std::erase_if(columns, [](const DbfColumn& c) { return c.Name == "AFATELJ"; });
    return columns;
}

void DbfWriter::CreatePostingTable(const std::filesystem::path& path, bool withVatDate) {
    DbfWriter(PostingColumns(withVatDate)).Save(path);
}

std::vector<DbfColumn> DbfWriter::PayrollColumns(char dateType) {
    return {{"NAPLK", 'C', 10},
            {"TSOR", 'N', 5},
            {"BIZSZ", 'C', 15},
            {"TK", 'C', 1},
            {"ERTEK", 'N', 12, 2},
            {"SZLASZ", 'C', 10},
            {"KDAT", dateType, dateType == 'D' ? 8 : 11},
            {"ELLSZ", 'C', 10},
            {"AGKOD", 'C', 10},
            {"KOLTSN", 'C', 10},
            {"MUNKASZAM", 'C', 10},
            {"MEGNEV", 'C', 40},
            {"BIZK", 'C', 10}};
}
