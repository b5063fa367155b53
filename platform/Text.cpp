#include "platform/Text.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>
#include <stdexcept>

namespace text {
namespace {

bool IsBlank(char c) {
    return static_cast<unsigned char>(c) <= 32;
}

// Windows-1250 upper/lower pairs outside ASCII: the lower letter at index i maps to upper[i].
constexpr unsigned char kLower[] = {0x9A, 0x9C, 0x9D, 0x9E, 0x9F, 0xB3, 0xB9, 0xBE, 0xBF, 0xE0,
                                    0xE1, 0xE2, 0xE3, 0xE4, 0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA,
                                    0xEB, 0xEC, 0xED, 0xEE, 0xEF, 0xF0, 0xF1, 0xF2, 0xF3, 0xF4,
                                    0xF5, 0xF6, 0xF8, 0xF9, 0xFA, 0xFB, 0xFC, 0xFD, 0xFE};
constexpr unsigned char kUpper[] = {0x8A, 0x8C, 0x8D, 0x8E, 0x8F, 0xA3, 0xA5, 0xBC, 0xAF, 0xC0,
                                    0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA,
                                    0xCB, 0xCC, 0xCD, 0xCE, 0xCF, 0xD0, 0xD1, 0xD2, 0xD3, 0xD4,
                                    0xD5, 0xD6, 0xD8, 0xD9, 0xDA, 0xDB, 0xDC, 0xDD, 0xDE};

char MapPair(char c, const unsigned char* from, const unsigned char* to) {
    for (size_t i = 0; i < sizeof(kLower); ++i)
        if (static_cast<unsigned char>(c) == from[i]) return static_cast<char>(to[i]);
    return c;
}

std::string Convert(std::string_view s, const char* to, const char* from) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw std::runtime_error(std::string("iconv cannot convert ") + from + " to " + to);
    std::string out;
    out.resize(s.size() * 4 + 8);
    char* in = const_cast<char*>(s.data());
    size_t inLeft = s.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) break;
        if (errno == EILSEQ || errno == EINVAL) {
            // Unmappable or undefined byte: keep going with a placeholder.
            if (outLeft == 0) break;
            *outPtr++ = '?';
            --outLeft;
            ++in;
            --inLeft;
        } else {
            break;
        }
    }
    iconv_close(cd);
    out.resize(out.size() - outLeft);
    return out;
}

} // namespace

std::string Trim(std::string_view s) {
    return TrimLeft(TrimRight(s));
}

std::string TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1]))
        --n;
    return std::string(s.substr(0, n));
}

std::string UpperAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return r;
}

std::string LowerAscii(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

std::string UpperWin1250(std::string_view s) {
    std::string r = UpperAscii(s);
    for (char& c : r)
        c = MapPair(c, kLower, kUpper);
    return r;
}

std::string LowerWin1250(std::string_view s) {
    std::string r = LowerAscii(s);
    for (char& c : r)
        c = MapPair(c, kUpper, kLower);
    return r;
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    // Called for every field and parameter looked up by name: no copies.
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return upper(x) == upper(y); });
}

std::string Printable(std::string_view s) {
    static const char hex[] = "0123456789ABCDEF";
    std::string r;
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 32 || b == 127)
            r += std::string("\\x") + hex[b >> 4] + hex[b & 15];
        else
            r += c;
    }
    return r;
}

std::string ToUtf8(std::string_view win1250) {
    return Convert(win1250, "UTF-8", "WINDOWS-1250");
}

std::string FromUtf8(std::string_view utf8) {
    return Convert(utf8, "WINDOWS-1250", "UTF-8");
}

std::vector<std::string> SplitLines(std::string_view s) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '\r' && s[i] != '\n') continue;
        lines.emplace_back(s.substr(start, i - start));
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < s.size()) lines.emplace_back(s.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string r;
    for (const auto& l : lines)
        r += l + "\r\n";
    return r;
}

std::string OneLine(std::string_view s) {
    std::string line;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
        line += (s[i] == '\r' || s[i] == '\n') ? ' ' : s[i];
    }
    return line;
}

std::vector<std::string> SplitNames(std::string_view list, std::string_view separators) {
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find_first_of(separators, start);
        if (end == std::string_view::npos) end = list.size();
        std::string name = Trim(list.substr(start, end - start));
        if (!name.empty()) names.push_back(std::move(name));
        start = end + 1;
    }
    return names;
}

std::string Quoted(std::string_view s, char quote) {
    std::string quoted(1, quote);
    for (char c : s) {
        quoted += c;
        if (c == quote) quoted += quote;
    }
    return quoted + quote;
}

} // namespace text
