#pragma once
// A result column of a dataset, holding the value of the current row. A field read when there is
// no current row (an empty result) reads as null: "", 0, 0.0.
#include "db/DbValue.h"

#include <string>

class TField {
public:
    explicit TField(std::string name) : name_(std::move(name)) {}

    const std::string& Name() const { return name_; }
    const std::string& FieldName() const { return name_; }

    const DbValue& Value() const { return value_; }
    bool IsNull() const { return value_.IsNull(); }
    std::string AsString() const { return value_.AsString(); }
    int AsInteger() const { return value_.AsInteger(); }
    std::int64_t AsInt64() const { return value_.AsInt64(); }
    double AsFloat() const { return value_.AsFloat(); }
    datetime::TDateTime AsDateTime() const { return value_.AsDateTime(); }

    // Set by the dataset when its current row changes.
    void SetValue(DbValue value) { value_ = std::move(value); }

private:
    std::string name_;
    DbValue value_;
};
