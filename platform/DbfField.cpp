#include "platform/DbfField.h"

#include "platform/DbfTable.h"
#include "platform/Text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>

using namespace datetime;

namespace {

// dBase keeps numbers as plain text with a full stop, whatever the locale says.
bool ParseNumber(const std::string& trimmed, double& value) {
    std::string_view t = trimmed;
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    if (t.empty()) return false;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    return ec == std::errc() && end == t.data() + t.size() && std::isfinite(value);
}

// YYYYMMDD; anything else, or a date that cannot exist, is no date.
bool ParseDate(const std::string& raw, TDateTime& value) {
    if (raw.size() != 8) return false;
    for (char c : raw)
        if (c < '0' || c > '9') return false;
    int y = std::stoi(raw.substr(0, 4)), m = std::stoi(raw.substr(4, 2)),
        d = std::stoi(raw.substr(6, 2));
    if (!IsValidDate(y, m, d)) return false;
    value = EncodeDate(y, m, d);
    return true;
}

// Logical columns: T/Y true, F/N false, anything else unknown.
int Logical(const std::string& raw) {
    std::string t = text::UpperAscii(text::Trim(raw));
    if (t.empty()) return -1;
    if (t[0] == 'T' || t[0] == 'Y') return 1;
    if (t[0] == 'F' || t[0] == 'N') return 0;
    return -1;
}

} // namespace

DbfField::DbfField(DbfTable& table, std::string name, char type, int width, int decimals,
                   int offset)
    : table_(table), name_(std::move(name)), type_(type), width_(width), decimals_(decimals),
      offset_(offset) {}

std::string DbfField::Raw() const {
    const std::string& record = table_.CurrentRecord();
    if (record.size() < static_cast<size_t>(offset_ + width_)) return {};
    return record.substr(offset_, width_);
}

void DbfField::Store(const std::string& bytes) {
    std::string& record = table_.EditRecord(name_);
    std::string value = bytes.substr(0, width_);
    value.resize(width_, ' ');
    record.replace(offset_, width_, value);
}

bool DbfField::IsNull() const {
    return text::Trim(Raw()).empty();
}

std::string DbfField::AsString() const {
    const std::string raw = Raw();
    if (IsNumeric()) {
        std::string t = text::Trim(raw);
        double v;
        return t.empty() || !ParseNumber(t, v) ? t : table_.Settings.FloatToStr(v);
    }
    if (type_ == 'D') {
        TDateTime v;
        return ParseDate(raw, v) ? table_.Settings.DateToStr(v) : std::string();
    }
    if (type_ == 'L') {
        int b = Logical(raw);
        return b < 0 ? std::string() : b ? "True" : "False";
    }
    size_t end = raw.find_last_not_of(std::string(" \0", 2));
    return end == std::string::npos ? std::string() : raw.substr(0, end + 1);
}

double DbfField::AsFloat() const {
    if (IsNumeric()) {
        std::string t = text::Trim(Raw());
        double v = 0;
        if (!t.empty() && !ParseNumber(t, v))
            throw ConvertError("'" + t + "' in field " + name_ + " is not a valid number");
        return v;
    }
    if (type_ == 'D') return AsDateTime();
    if (type_ == 'L') return Logical(Raw()) == 1 ? 1 : 0;
    std::string t = text::Trim(AsString());
    return t.empty() ? 0 : table_.Settings.StrToFloat(t);
}

TDateTime DbfField::AsDateTime() const {
    if (type_ == 'D') {
        TDateTime v = 0;
        return ParseDate(Raw(), v) ? v : 0;
    }
    return table_.Settings.StrToDate(AsString());
}

void DbfField::SetAsString(const std::string& value) {
    const bool empty = text::Trim(value).empty();
    try {
        if (IsNumeric()) {
            if (empty) return Clear();
            return SetAsFloat(table_.Settings.StrToFloat(value));
        }
        if (type_ == 'D') {
            if (empty) return Clear();
            return SetAsDateTime(table_.Settings.StrToDate(value));
        }
    } catch (const ConvertError& e) {
        throw ConvertError(std::string(e.what()) + " (field " + name_ + ")");
    }
    if (type_ == 'L') {
        if (empty) return Clear();
        int b = Logical(value);
        if (b < 0)
            throw ConvertError("'" + value + "' is not a valid boolean (field " + name_ + ")");
        return Store(b ? "T" : "F");
    }
    Store(value);
}

void DbfField::SetAsFloat(double value) {
    if (IsNumeric()) {
        if (!std::isfinite(value))
            throw std::runtime_error("Field " + name_ + " cannot hold a value that is not finite");
        if (value == 0) value = 0; // no "-0.00"
        char buf[400];
        auto [end, ec] =
            std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals_);
        std::string t(buf, ec == std::errc() ? end : buf);
        if (t.empty() || static_cast<int>(t.size()) > width_)
            throw std::runtime_error("Value " + t + " does not fit field " + name_ + " (N " +
                                     std::to_string(width_) + "." + std::to_string(decimals_) +
                                     ")");
        return Store(std::string(width_ - t.size(), ' ') + t);
    }
    if (type_ == 'D') return SetAsDateTime(value);
    if (type_ == 'L') return Store(value != 0 ? "T" : "F");
    Store(table_.Settings.FloatToStr(value));
}

void DbfField::SetAsDateTime(TDateTime value) {
    if (IsNumeric()) return SetAsFloat(value);
    if (type_ == 'L') throw ConvertError("Field " + name_ + " is logical and cannot hold a date");
    if (type_ != 'D') return Store(table_.Settings.DateToStr(value));
    int y = 0, m = 0, d = 0;
    if (std::isfinite(value) && std::fabs(value) < 3e6) DecodeDate(value, y, m, d);
    if (!IsValidDate(y, m, d))
        throw std::runtime_error("Field " + name_ + " cannot hold a date out of range");
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", y, m, d);
    Store(buf);
}

void DbfField::Clear() {
    Store({});
}
