#include "db/DbValue.h"

#include "platform/FormatSettings.h"
#include "platform/Text.h"

#include <charconv>
#include <climits>
#include <cmath>

DbValue DbValue::Text(std::string value) {
    DbValue v;
    v.kind_ = Kind::Text;
    v.text_ = std::move(value);
    return v;
}

DbValue DbValue::Integer(std::int64_t value) {
    DbValue v;
    v.kind_ = Kind::Integer;
    v.integer_ = value;
    return v;
}

DbValue DbValue::Float(double value) {
    DbValue v;
    v.kind_ = Kind::Float;
    v.number_ = value;
    return v;
}

DbValue DbValue::DateTime(datetime::TDateTime value) {
    DbValue v;
    v.kind_ = Kind::DateTime;
    v.number_ = value;
    return v;
}

std::string DbValue::AsString() const {
    const FormatSettings& fs = FormatSettings::Default();
    switch (kind_) {
    case Kind::Null:
        return {};
    case Kind::Text:
        return text_;
    case Kind::Integer:
        return std::to_string(integer_);
    case Kind::Float:
        return fs.FloatToStr(number_);
    case Kind::DateTime:
        if (number_ == std::floor(number_)) return fs.DateToStr(number_);
        return fs.DateToStr(number_) + " " + fs.TimeToStr(number_);
    }
    return {};
}

std::int64_t DbValue::AsInt64() const {
    switch (kind_) {
    case Kind::Null:
        return 0;
    case Kind::Text: {
        std::string t = text::Trim(text_);
        std::int64_t value = 0;
        const char* first = t.data();
        if (!t.empty() && t[0] == '+') ++first;
        auto [end, ec] = std::from_chars(first, t.data() + t.size(), value);
        if (t.empty() || ec != std::errc() || end != t.data() + t.size())
            throw ConvertError("'" + text_ + "' is not a valid integer value");
        return value;
    }
    case Kind::Integer:
        return integer_;
    case Kind::Float:
        if (!std::isfinite(number_) || std::fabs(number_) > 9.2e18)
            throw ConvertError("'" + AsString() + "' is not a valid integer value");
        return std::llround(number_);
    case Kind::DateTime:
        return static_cast<std::int64_t>(std::trunc(number_));
    }
    return 0;
}

int DbValue::AsInteger() const {
    std::int64_t v = AsInt64();
    if (v < INT_MIN || v > INT_MAX)
        throw ConvertError("'" + AsString() + "' is not a valid integer value");
    return static_cast<int>(v);
}

double DbValue::AsFloat() const {
    switch (kind_) {
    case Kind::Null:
        return 0;
    case Kind::Text:
        return FormatSettings::Default().StrToFloat(text_);
    case Kind::Integer:
        return static_cast<double>(integer_);
    case Kind::Float:
    case Kind::DateTime:
        return number_;
    }
    return 0;
}

datetime::TDateTime DbValue::AsDateTime() const {
    switch (kind_) {
    case Kind::Null:
        return 0;
    case Kind::Text:
        return FormatSettings::Default().StrToDate(text::Trim(text_));
    case Kind::Integer:
        return static_cast<double>(integer_);
    case Kind::Float:
    case Kind::DateTime:
        return number_;
    }
    return 0;
}
