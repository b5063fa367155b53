#pragma once
// The text rules of the edit control that need no widget: the conversion of the raw text into
// the field's value under its option set, and the small language that names the characters a
// field accepts or refuses. Text is Windows-1250 bytes throughout.
#include "platform/FormatSettings.h"

#include <bitset>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>

enum TEStrFormatOption {
    e_Trim,
    e_TrimRight,
    e_FirstChar,
    e_First2Chars,
    e_ToSpace,
    e_ToHyphen,
    e_ToDot,
    e_DelSpaces,
    e_Spaces2To1,
    e_CompareIgnoreCase,
    e_NoNational,
    e_Numeric,
    e_Integer,
    e_Date,
    e_Time,
    e_DateTime,
    e_Lower,
    e_Upper,
    e_DelSepar,
    e_OptionCount
};

class TEStrFormatOptions {
public:
    TEStrFormatOptions() = default;
    TEStrFormatOptions(std::initializer_list<TEStrFormatOption> options) {
        for (auto o : options)
            bits_.set(o);
    }
    bool Contains(TEStrFormatOption o) const { return bits_.test(o); }
    bool Empty() const { return bits_.none(); }
    void Include(TEStrFormatOption o) { bits_.set(o); }
    void Exclude(TEStrFormatOption o) { bits_.reset(o); }
    bool operator==(const TEStrFormatOptions&) const = default;

private:
    std::bitset<e_OptionCount> bits_;
};

// A set of the 256 single-byte character codes.
using TCharSet = std::bitset<256>;

inline bool InSet(const TCharSet& set, char c) {
    return set.test(static_cast<unsigned char>(c));
}

// Accented letters as they fold to plain ones; both 57 characters, position by position.
const std::string& NationalChars();
const std::string& PlainChars();

std::string FoldNational(std::string_view s);
std::string DeleteBlanks(std::string_view s);
// Runs of blanks become one blank.
std::string CollapseBlanks(std::string_view s);

// Reports a bad number in a definition; parsing goes on after it.
using TCharSetErrorHandler = std::function<void(const std::string& message)>;
TCharSet ParseCharSet(const std::string& definition, const TCharSetErrorHandler& onError);

// The option set, the flags and the character sets of one field, with the operations on them.
class EditConversion {
public:
    explicit EditConversion(const FormatSettings& settings = FormatSettings::Default())
        : settings_(&settings) {}

    TEStrFormatOptions IOTextOptions{e_Trim};
    bool InvalidFlag = false;
    bool EmptyFlag = false;
    TCharSet AllowedChars;
    TCharSet ForbiddenChars;

    // Never throws; a step that cannot read its input sets InvalidFlag.
    std::string ConvertIOText(const std::string& s);
    bool IsInvalid(const std::string& text);
    bool IsEmpty(const std::string& text);

    const std::string& CharSet() const { return charSet_; }
    const std::string& CharSetDisabled() const { return charSetDisabled_; }
    // The two definitions exclude each other: the last one set wins.
    void SetCharSet(const std::string& definition, const TCharSetErrorHandler& onError);
    void SetCharSetDisabled(const std::string& definition, const TCharSetErrorHandler& onError);

    // A typed character with a code above 27 outside a non-empty allowed set is refused.
    bool RefusesTyped(char c) const;
    // Deletes characters outside a non-empty allowed set and inside the forbidden set.
    std::string Filter(const std::string& s) const;

private:
    std::string Numeric(const std::string& s);
    std::string Integer(const std::string& s);
    std::string Time(const std::string& s);
    std::string DateTime(const std::string& s);

    const FormatSettings* settings_;
    std::string charSet_;
    std::string charSetDisabled_;
};
