#pragma once
// Number and date formats of the user's locale. The program was made for the Hungarian
// settings; tests construct others to check the paths that depend on them.
#include "platform/DateTime.h"

#include <stdexcept>
#include <string>

class ConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct FormatSettings {
    char DecimalSeparator = ',';
    char DateSeparator = '.';
    std::string ShortDateFormat = "yyyy.mm.dd.";
    char TimeSeparator = ':';
    std::string LongTimeFormat = "hh:nn:ss";

    // The settings in force for the program (Hungarian).
    static const FormatSettings& Default();

    // yyyy yy m mm d dd h hh n nn s ss; "/" and ":" stand for the separators; "..." quoted
    // text is copied.
    std::string FormatDateTime(const std::string& format, datetime::TDateTime dt) const;
    std::string DateToStr(datetime::TDateTime dt) const;
    std::string TimeToStr(datetime::TDateTime dt) const;
    // Day, month and year in the order of the short date format; throws ConvertError.
    datetime::TDateTime StrToDate(const std::string& s) const;
    bool TryStrToDate(const std::string& s, datetime::TDateTime& dt) const;
    // Blanks around, sign, digits, decimal separator, exponent; throws ConvertError.
    double StrToFloat(const std::string& s) const;
    bool TryStrToFloat(const std::string& s, double& value) const;
    // Shortest text with up to 15 significant digits, with the decimal separator.
    std::string FloatToStr(double value) const;
};
