#pragma once
// A named statement parameter with its value; a new parameter is null.
#include "db/DbValue.h"

#include <string>

enum class TParamType { Unknown, Input, Output };

class TParam {
public:
    explicit TParam(std::string name, TParamType type = TParamType::Unknown)
        : name_(std::move(name)), type_(type) {}

    const std::string& Name() const { return name_; }
    TParamType ParamType() const { return type_; }

    void SetAsString(const std::string& value) { value_ = DbValue::Text(value); }
    void SetAsInteger(std::int64_t value) { value_ = DbValue::Integer(value); }
    void SetAsFloat(double value) { value_ = DbValue::Float(value); }
    void SetAsDateTime(datetime::TDateTime value) { value_ = DbValue::DateTime(value); }
    void SetValue(DbValue value) { value_ = std::move(value); }
    // Makes the value null.
    void Clear() { value_ = DbValue(); }

    const DbValue& Value() const { return value_; }
    bool IsNull() const { return value_.IsNull(); }
    std::string AsString() const { return value_.AsString(); }
    int AsInteger() const { return value_.AsInteger(); }
    std::int64_t AsInt64() const { return value_.AsInt64(); }
    double AsFloat() const { return value_.AsFloat(); }
    datetime::TDateTime AsDateTime() const { return value_.AsDateTime(); }

private:
    std::string name_;
    TParamType type_;
    DbValue value_;
};
