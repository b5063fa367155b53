#include "ui/edit/EditConversion.h"

#include "platform/DateTime.h"
#include "platform/Text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The part of T before its first delimiter, after trimming.
std::string CutAt(const std::string& s, char delimiter) {
    std::string t = text::Trim(s);
    return t.substr(0, t.find(delimiter));
}

// Sign, digits, decimal point, exponent; returns how many characters form a number (0: none).
// from_chars keeps the reading independent of the process locale, which Qt sets.
size_t ReadLeadingNumber(const std::string& s, double& value) {
    size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i]))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && IsDigit(s[i]))
            ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        if (j < s.size() && IsDigit(s[j])) {
            while (j < s.size() && IsDigit(s[j]))
                ++j;
            i = j;
        }
    }
    size_t start = s[0] == '+' ? 1 : 0;
    auto [end, ec] = std::from_chars(s.data() + start, s.data() + i, value);
    if (ec != std::errc() || end != s.data() + i || !std::isfinite(value)) {
        value = 0;
        return 0;
    }
    return i;
}

// Blanks out, the first comma as the decimal point, then the number; false unless the whole
// text is one.
bool ReadNumber(const std::string& s, double& value) {
    std::string t = DeleteBlanks(s);
    size_t comma = t.find(',');
    if (comma != std::string::npos) t[comma] = '.';
    value = 0;
    size_t used = ReadLeadingNumber(t, value);
    return used > 0 && used == t.size();
}

bool ReadSmallNumber(const std::string& s, size_t& i, int& value) {
    size_t start = i;
    value = 0;
    while (i < s.size() && IsDigit(s[i]) && i - start < 4)
        value = value * 10 + (s[i++] - '0');
    return i > start && (i == s.size() || !IsDigit(s[i]));
}

// Hours with optional minutes and seconds, joined by the time separator.
bool TryReadTime(const std::string& s, const FormatSettings& fs, datetime::TDateTime& time) {
    int parts[3] = {0, 0, 0};
    size_t i = 0;
    int count = 0;
    while (true) {
        if (count == 3 || !ReadSmallNumber(s, i, parts[count])) return false;
        ++count;
        if (i == s.size()) break;
        if (s[i] != fs.TimeSeparator) return false;
        ++i;
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return false;
    time = datetime::EncodeTime(parts[0], parts[1], parts[2]);
    return true;
}

bool TryReadDateTime(const std::string& s, const FormatSettings& fs, datetime::TDateTime& dt) {
    size_t blank = s.find(' ');
    datetime::TDateTime date = 0, time = 0;
    if (blank == std::string::npos) {
        if (fs.TryStrToDate(s, date)) {
            dt = date;
            return true;
        }
        // A time alone stands on day 0, as the platform's reader has it.
        if (!TryReadTime(s, fs, time)) return false;
        dt = time;
        return true;
    }
    if (!fs.TryStrToDate(s.substr(0, blank), date)) return false;
    if (!TryReadTime(text::Trim(s.substr(blank + 1)), fs, time)) return false;
    dt = date + time;
    return true;
}

} // namespace

const std::string& NationalChars() {
    static const std::string chars =
        W1250("ŠŤŽŹšťžźńňďĽĹľĺÁÄČĆÉĚÍĎŇŃÓÔÖŘŮÚÜÝáäčćéěíďňóôöőřŕůúüűýőűŐŰ");
    return chars;
}

const std::string& PlainChars() {
    static const std::string chars = "STZZstzznndLLllAACCEEIDNNOOORUUUYaacceeidnoooorruuuuyouOU";
    return chars;
}

std::string FoldNational(std::string_view s) {
    const std::string& from = NationalChars();
    const std::string& to = PlainChars();
    std::string r(s);
    for (char& c : r) {
        size_t at = from.find(c);
        if (at != std::string::npos) c = to[at];
    }
    return r;
}

std::string DeleteBlanks(std::string_view s) {
    std::string r;
    for (char c : s)
        if (c != ' ') r += c;
    return r;
}

std::string CollapseBlanks(std::string_view s) {
    std::string r;
    for (char c : s)
        if (c != ' ' || r.empty() || r.back() != ' ') r += c;
    return r;
}

TCharSet ParseCharSet(const std::string& definition, const TCharSetErrorHandler& onError) {
    TCharSet r;
    if (text::Trim(definition).empty()) return r;
    // Positions count from 1, as the error message gives them.
    const size_t n = definition.size();
    auto at = [&](size_t p) { return static_cast<unsigned char>(definition[p - 1]); };
    bool inNumber = false;
    bool pendingRange = false;
    int rangeStart = '#';
    size_t numberStart = 0;
    int last = -1; // none yet: a range without a start covers only its end
    auto addRange = [&](int from, int to) {
        if (from < 0) from = to;
        for (int c = from; c <= to && c < 256; ++c)
            r.set(c);
    };
    auto finishNumber = [&](size_t endExclusive) {
        inNumber = false;
        std::string token = definition.substr(numberStart - 1, endExclusive - numberStart);
        if (token.empty()) {
            r.set('#');
            last = '#';
        } else if (IsDigit(token[0])) {
            if (!std::all_of(token.begin(), token.end(), IsDigit)) {
                if (onError) onError("Error char set on position:" + std::to_string(numberStart));
                return;
            }
            // Leading zeros aside, more than three digits is 256 or more: nothing to add.
            size_t first = token.find_first_not_of('0');
            std::string digits = first == std::string::npos ? "0" : token.substr(first);
            int v = digits.size() > 3 ? 256 : std::stoi(digits);
            if (v < 256) {
                r.set(static_cast<size_t>(v));
                last = v;
            }
        } else if (pendingRange) {
            if (onError) onError("Error char set on position:" + std::to_string(numberStart));
        } else if (token[0] == '+') {
            for (char c : NationalChars())
                r.set(static_cast<unsigned char>(c));
        } else if (token[0] == 'P' || token[0] == 'p') {
            addRange('A', 'z');
        }
    };

    // "#" starts a code or a class, ".." a range; blanks only separate.
    size_t p = 1;
    while (p <= n) {
        unsigned char c = at(p);
        if (c == '#' && inNumber) finishNumber(p);
        if (c == '#') {
            inNumber = true;
            numberStart = p + 1;
        }
        if (inNumber && (c == ' ' || c == ',' || c == ';')) {
            finishNumber(p);
            if (pendingRange) {
                addRange(rangeStart, last);
                pendingRange = false;
            }
            ++p;
            continue;
        }
        if (inNumber && c == '.') finishNumber(p);
        if (c == '.' && p < n && at(p + 1) == '.') {
            p += 2;
            int d = p <= n ? at(p) : 0;
            if (d == '#') {
                inNumber = true;
                numberStart = p + 1;
                rangeStart = last;
                pendingRange = true;
            } else if (last >= 0 || d != 0) {
                addRange(last, d);
            }
            ++p;
            continue;
        }
        if (inNumber) {
            ++p;
            continue;
        }
        if (c != ' ') r.set(c);
        last = c;
        ++p;
    }
    if (inNumber) {
        finishNumber(n + 1);
        if (pendingRange) addRange(rangeStart, last);
    }
    return r;
}

std::string EditConversion::ConvertIOText(const std::string& s) {
    const TEStrFormatOptions& o = IOTextOptions;
    if (o.Empty()) return s;
    std::string t = s;
    if (o.Contains(e_ToSpace)) t = CutAt(t, ' ');
    if (o.Contains(e_ToHyphen)) t = CutAt(t, '-');
    if (o.Contains(e_ToDot)) t = CutAt(t, '.');
    if (o.Contains(e_Trim)) t = text::Trim(t);
    if (o.Contains(e_TrimRight)) t = text::TrimRight(t);
    if (o.Contains(e_Spaces2To1)) t = CollapseBlanks(t);
    if (o.Contains(e_NoNational)) t = FoldNational(t);
    if (o.Contains(e_Numeric)) t = Numeric(t);
    if (o.Contains(e_Integer)) t = Integer(t);
    if (o.Contains(e_Date)) {
        if (DeleteBlanks(t).size() < 4) {
            t.clear();
            InvalidFlag = true;
        } else {
            t = text::Trim(t);
        }
    }
    if (o.Contains(e_Time)) t = Time(t);
    if (o.Contains(e_DateTime)) t = DateTime(t);
    if (o.Contains(e_DelSpaces)) t = DeleteBlanks(t);
    if (o.Contains(e_DelSepar)) {
        for (char sep : std::string_view("; ,|\t\r\n", 7))
            std::erase(t, sep);
    }
    if (o.Contains(e_Lower)) t = text::LowerWin1250(t);
    if (o.Contains(e_Upper)) t = text::UpperWin1250(t);
    if (o.Contains(e_FirstChar)) t = t.substr(0, 1);
    if (o.Contains(e_First2Chars)) t = t.substr(0, 2);
    return t;
}

std::string EditConversion::Numeric(const std::string& s) {
    double value = 0;
    if (!ReadNumber(s, value)) InvalidFlag = true;
    value += 0.0; // no "-0.00000000"
    char buf[400];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 8);
    if (ec != std::errc()) {
        InvalidFlag = true;
        return "0.00000000";
    }
    return std::string(buf, end);
}

std::string EditConversion::Integer(const std::string& s) {
    double value = 0;
    if (!ReadNumber(s, value)) InvalidFlag = true;
    double rounded = value >= 0 ? std::trunc(value + 0.5) : std::trunc(value - 0.5);
    // Beyond the 64-bit range the value cannot be written: zero, without marking the text.
    if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0)) return "0";
    return std::to_string(static_cast<std::int64_t>(rounded));
}

std::string EditConversion::Time(const std::string& s) {
    datetime::TDateTime time = 0;
    std::string t;
    if (TryReadTime(text::Trim(s), *settings_, time)) {
        t = settings_->TimeToStr(time);
    } else {
        InvalidFlag = true;
    }
    std::erase(t, settings_->TimeSeparator);
    return text::Trim(t);
}

std::string EditConversion::DateTime(const std::string& s) {
    datetime::TDateTime dt = 0;
    if (!TryReadDateTime(text::Trim(s), *settings_, dt)) {
        InvalidFlag = true;
        return {};
    }
    std::string r = settings_->DateToStr(dt);
    int h, mi, sec, ms;
    datetime::DecodeTime(dt, h, mi, sec, ms);
    if (h != 0 || mi != 0 || sec != 0 || ms != 0) r += " " + settings_->TimeToStr(dt);
    return r;
}

bool EditConversion::IsInvalid(const std::string& text) {
    InvalidFlag = false;
    ConvertIOText(text);
    return InvalidFlag;
}

bool EditConversion::IsEmpty(const std::string& text) {
    EmptyFlag = false;
    try {
        EmptyFlag = text::Trim(ConvertIOText(text)).empty();
    } catch (...) {
        EmptyFlag = false;
    }
    return EmptyFlag;
}

void EditConversion::SetCharSet(const std::string& definition,
                                const TCharSetErrorHandler& onError) {
    charSet_ = definition;
    ForbiddenChars.reset();
    charSetDisabled_.clear();
    AllowedChars = ParseCharSet(definition, onError);
}

void EditConversion::SetCharSetDisabled(const std::string& definition,
                                        const TCharSetErrorHandler& onError) {
    charSetDisabled_ = definition;
    AllowedChars.reset();
    charSet_.clear();
    ForbiddenChars = ParseCharSet(definition, onError);
}

bool EditConversion::RefusesTyped(char c) const {
    return AllowedChars.any() && static_cast<unsigned char>(c) > 27 && !InSet(AllowedChars, c);
}

std::string EditConversion::Filter(const std::string& s) const {
    std::string r;
    for (char c : s) {
        if (AllowedChars.any() && !InSet(AllowedChars, c)) continue;
        if (InSet(ForbiddenChars, c)) continue;
        r += c;
    }
    return r;
}
