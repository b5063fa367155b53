#include "db/ParamMarkers.h"

#include "platform/Text.h"

namespace {

bool IsNameChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || (u >= '0' && u <= '9') || u == '_' ||
           u == '$' || u >= 0x80;
}

} // namespace

ParamMarkers::ParamMarkers(const std::string& sql) {
    statement_.reserve(sql.size());
    size_t i = 0;
    const size_t n = sql.size();
    while (i < n) {
        char c = sql[i];
        if (c == '\'' || c == '"') {
            // A doubled quote inside closes and reopens, which copies it unchanged.
            size_t end = sql.find(c, i + 1);
            end = (end == std::string::npos) ? n : end + 1;
            statement_.append(sql, i, end - i);
            i = end;
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            size_t end = sql.find_first_of("\r\n", i);
            if (end == std::string::npos) end = n;
            statement_.append(sql, i, end - i);
            i = end;
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            size_t end = sql.find("*/", i + 2);
            end = (end == std::string::npos) ? n : end + 2;
            statement_.append(sql, i, end - i);
            i = end;
        } else if (c == ':' && i + 1 < n && IsNameChar(sql[i + 1])) {
            size_t end = i + 1;
            while (end < n && IsNameChar(sql[end]))
                ++end;
            names_.push_back(sql.substr(i + 1, end - i - 1));
            statement_ += '?';
            i = end;
        } else {
            statement_ += c;
            ++i;
        }
    }
}

std::vector<std::string> ParamMarkers::DistinctNames() const {
    std::vector<std::string> result;
    for (const std::string& name : names_) {
        bool seen = false;
        for (const std::string& r : result)
            seen = seen || text::SameTextAscii(r, name);
        if (!seen) result.push_back(name);
    }
    return result;
}
