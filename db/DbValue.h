#pragma once
// One value of a field or parameter: null, text (Windows-1250 bytes), integer, floating-point
// number or date-time. Reading converts between the kinds; null reads as "" and 0.
#include "platform/DateTime.h"

#include <cstdint>
#include <string>

class DbValue {
public:
    enum class Kind { Null, Text, Integer, Float, DateTime };

    DbValue() = default;
    static DbValue Text(std::string value);
    static DbValue Integer(std::int64_t value);
    static DbValue Float(double value);
    static DbValue DateTime(datetime::TDateTime value);

    Kind GetKind() const { return kind_; }
    bool IsNull() const { return kind_ == Kind::Null; }

    // Numbers and dates are written with the locale's settings; a date-time without a time of
    // day shows the date only.
    std::string AsString() const;
    // Text is converted with the locale's settings; throws ConvertError naming the text.
    std::int64_t AsInt64() const;
    int AsInteger() const;
    double AsFloat() const;
    datetime::TDateTime AsDateTime() const;

    bool operator==(const DbValue& other) const = default;

private:
    Kind kind_ = Kind::Null;
    std::string text_;
    std::int64_t integer_ = 0;
    double number_ = 0; // Float and DateTime
};
