#include "posting/VoucherPrint.h"

#include "platform/ContentKey.h"
#include "posting/PostingEngine.h"

#include <cmath>
#include <cstdio>

namespace {

// The same value, as written and as read back, gives the same bytes: integers and floating
// numbers alike by their number, date-times in the database's units (days and 1/10000 s).
std::string Canonical(const DbValue& value) {
    char buffer[64];
    switch (value.GetKind()) {
    case DbValue::Kind::Null:
        return "N;";
    case DbValue::Kind::Text:
        return "T" + std::to_string(value.AsString().size()) + ":" + value.AsString();
    case DbValue::Kind::Integer:
    case DbValue::Kind::Float: {
        const double number = value.AsFloat();
        if (value.GetKind() == DbValue::Kind::Integer)
            std::snprintf(buffer, sizeof buffer, "I%lld;", static_cast<long long>(value.AsInt64()));
        else if (std::trunc(number) == number && std::fabs(number) < 1e15)
            std::snprintf(buffer, sizeof buffer, "I%lld;", static_cast<long long>(number));
        else
            std::snprintf(buffer, sizeof buffer, "F%.17g;", number);
        return buffer;
    }
    case DbValue::Kind::DateTime: {
        const double dt = value.AsDateTime();
        const double day = std::floor(dt);
        std::snprintf(buffer, sizeof buffer, "D%lld.%lld;", static_cast<long long>(day),
                      static_cast<long long>(std::llround((dt - day) * 864000000.0)));
        return buffer;
    }
    }
    return "?;";
}

std::string Chained(const std::string& before, const std::vector<DbValue>& values) {
    std::string bytes = before + "|";
    for (const DbValue& value : values)
        bytes += Canonical(value);
    return ContentKey::OfText(bytes);
}

// The column list of an insert statement, without the columns named in leave.
std::vector<std::string> Columns(const std::string& insert, const std::string& leave) {
    const std::size_t open = insert.find('(');
    const std::string list = insert.substr(open + 1, insert.find(')') - open - 1);
    std::vector<std::string> columns;
    for (std::size_t start = 0; start <= list.size();) {
        std::size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        const std::string column = list.substr(start, end - start);
        if (column != leave) columns.push_back(column);
        start = end + 1;
    }
    return columns;
}

} // namespace

VoucherPrint VoucherPrint::OfHeader(const std::vector<DbValue>& values) {
    return {Chained("H", values), 0};
}

VoucherPrint VoucherPrint::WithLine(const std::vector<DbValue>& values) const {
    return {Chained(Digest, values), Lines + 1};
}

const std::vector<std::string>& VoucherPrint::HeaderColumns() {
    static const std::vector<std::string> columns = Columns(PostingEngine::HeaderSql, {});
    return columns;
}

const std::vector<std::string>& VoucherPrint::LineColumns() {
    static const std::vector<std::string> columns = Columns(PostingEngine::LineSql, "TE_ID");
    return columns;
}
