#pragma once
// One column of an open DbfTable, read and written on the table's current record. Text is
// Windows-1250 bytes, never converted; numbers and dates meet text through the table's
// FormatSettings.
#include "platform/DateTime.h"

#include <string>

class DbfTable;

class DbfField {
public:
    DbfField(DbfTable& table, std::string name, char type, int width, int decimals, int offset);
    DbfField(const DbfField&) = delete;
    DbfField& operator=(const DbfField&) = delete;

    const std::string& Name() const { return name_; }
    // The dBase type letter: C, N, F, D, L (others are treated as text).
    char DataType() const { return type_; }
    int Width() const { return width_; }
    int Decimals() const { return decimals_; }

    // True when the stored bytes are all blank.
    bool IsNull() const;
    // Text columns: the bytes without their right padding, leading blanks kept. Numbers and
    // dates in the table's formats; a blank or impossible value reads as empty.
    std::string AsString() const;
    // An empty value reads as 0; text that is not a number raises ConvertError.
    double AsFloat() const;
    // Date columns: blank or impossible reads as day 0. Other columns read their text with the
    // short date format; text that is not a date raises ConvertError.
    datetime::TDateTime AsDateTime() const;

    // Setters work on the record being appended. Empty text clears a number, date or logical
    // column; other text is converted and raises ConvertError when it cannot be. Text longer
    // than a text column is cut, a number too wide for its column raises an error.
    void SetAsString(const std::string& value);
    void SetAsFloat(double value);
    void SetAsDateTime(datetime::TDateTime value);
    void Clear();

private:
    std::string Raw() const;
    void Store(const std::string& bytes);
    bool IsNumeric() const { return type_ == 'N' || type_ == 'F'; }

    DbfTable& table_;
    std::string name_;
    char type_;
    int width_;
    int decimals_;
    int offset_; // in the record, whose byte 0 is the deletion flag
};
