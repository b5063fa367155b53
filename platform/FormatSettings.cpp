#include "platform/FormatSettings.h"

#include "platform/Text.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace datetime;

const FormatSettings& FormatSettings::Default() {
    static const FormatSettings settings;
    return settings;
}

std::string FormatSettings::FormatDateTime(const std::string& format, TDateTime dt) const {
    int y, mo, d, h, mi, s, ms;
    DecodeDate(dt, y, mo, d);
    DecodeTime(dt, h, mi, s, ms);
    std::string out;
    bool lastWasHour = false;
    auto count = [&](size_t i, char c) {
        size_t n = 0;
        while (i + n < format.size() &&
               std::tolower(static_cast<unsigned char>(format[i + n])) == c)
            ++n;
        return n;
    };
    auto num = [](int v, size_t width) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%0*d", static_cast<int>(width), v);
        return std::string(buf);
    };
    for (size_t i = 0; i < format.size();) {
        char c = static_cast<char>(std::tolower(static_cast<unsigned char>(format[i])));
        size_t n = count(i, c);
        switch (c) {
        case 'y':
            out += n <= 2 ? num(y % 100, 2) : num(y, 4);
            break;
        case 'm':
            // After an hour, "m" means minutes as in the original format strings.
            if (lastWasHour)
                out += num(mi, n >= 2 ? 2 : 1);
            else
                out += num(mo, n >= 2 ? 2 : 1);
            break;
        case 'd':
            out += num(d, n >= 2 ? 2 : 1);
            break;
        case 'h':
            out += num(h, n >= 2 ? 2 : 1);
            break;
        case 'n':
            out += num(mi, n >= 2 ? 2 : 1);
            break;
        case 's':
            out += num(s, n >= 2 ? 2 : 1);
            break;
        case '/':
            out += DateSeparator;
            n = 1;
            break;
        case ':':
            out += TimeSeparator;
            n = 1;
            break;
        case '"':
        case '\'': {
            size_t end = format.find(format[i], i + 1);
            if (end == std::string::npos) end = format.size();
            out += format.substr(i + 1, end - i - 1);
            n = end - i + 1;
            break;
        }
        default:
            out += format[i];
            n = 1;
        }
        if (c != ' ' && c != ':' && c != '/') lastWasHour = (c == 'h');
        i += n;
    }
    return out;
}

std::string FormatSettings::DateToStr(TDateTime dt) const {
    return FormatDateTime(ShortDateFormat, dt);
}

std::string FormatSettings::TimeToStr(TDateTime dt) const {
    return FormatDateTime(LongTimeFormat, dt);
}

bool FormatSettings::TryStrToDate(const std::string& s, TDateTime& dt) const {
    // Order of year, month and day as the short date format gives them.
    std::string order;
    for (char c : ShortDateFormat) {
        char l = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((l == 'y' || l == 'm' || l == 'd') && order.find(l) == std::string::npos) order += l;
    }
    if (order.size() != 3) order = "ymd";
    std::string t = text::Trim(s);
    std::vector<std::string> parts;
    size_t i = 0;
    while (i < t.size()) {
        size_t j = i;
        while (j < t.size() && std::isdigit(static_cast<unsigned char>(t[j])))
            ++j;
        if (j == i) return false;
        parts.push_back(t.substr(i, j - i));
        i = j;
        if (i < t.size()) {
            if (t[i] != DateSeparator) return false;
            ++i;
        }
    }
    if (parts.size() != 3) return false;
    int y = 0, m = 0, d = 0;
    for (size_t k = 0; k < 3; ++k) {
        if (parts[k].size() > 4) return false;
        int v = std::atoi(parts[k].c_str());
        if (order[k] == 'y') {
            y = v;
            if (parts[k].size() <= 2) y += 2000; // two-digit years are this century
        } else if (order[k] == 'm') {
            m = v;
        } else {
            d = v;
        }
    }
    if (!IsValidDate(y, m, d)) return false;
    dt = EncodeDate(y, m, d);
    return true;
}

TDateTime FormatSettings::StrToDate(const std::string& s) const {
    TDateTime dt;
    if (!TryStrToDate(s, dt)) throw ConvertError("'" + s + "' is not a valid date");
    return dt;
}

bool FormatSettings::TryStrToFloat(const std::string& s, double& value) const {
    std::string t = text::Trim(s);
    if (t.empty()) return false;
    std::string c;
    size_t i = 0;
    if (t[i] == '+' || t[i] == '-') {
        if (t[i] == '-') c += '-';
        ++i;
    }
    bool digits = false;
    while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
        c += t[i++], digits = true;
    if (i < t.size() && t[i] == DecimalSeparator) {
        c += '.';
        ++i;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            c += t[i++], digits = true;
    }
    if (!digits) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        c += 'e';
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) c += t[i++];
        bool expDigits = false;
        while (i < t.size() && std::isdigit(static_cast<unsigned char>(t[i])))
            c += t[i++], expDigits = true;
        if (!expDigits) return false;
    }
    if (i != t.size()) return false;
    // from_chars ignores the process locale, which a desktop toolkit may have changed.
    auto [end, ec] = std::from_chars(c.data(), c.data() + c.size(), value);
    return ec == std::errc() && end == c.data() + c.size() && std::isfinite(value);
}

double FormatSettings::StrToFloat(const std::string& s) const {
    double v;
    if (!TryStrToFloat(s, v)) throw ConvertError("'" + s + "' is not a valid floating point value");
    return v;
}

std::string FormatSettings::FloatToStr(double value) const {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    std::string r(buf, ec == std::errc() ? end : buf);
    for (char& ch : r)
        if (ch == '.') ch = DecimalSeparator;
    return r;
}
