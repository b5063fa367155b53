#include "db/SqlSegments.h"

#include "platform/Text.h"

#include <algorithm>
#include <stdexcept>

namespace {

const std::string kCrLf = "\r\n";

// Parenthesis depth and quote state while walking a statement; keywords count only at the
// outer level, outside both kinds of quotes.
class ScanState {
public:
    void Step(char c) {
        const bool quoted = inDouble_ || inSingle_;
        if (c == '(' && !quoted) ++depth_;
        if (c == ')' && !quoted) --depth_;
        if (c == '"' && !inSingle_) inDouble_ = !inDouble_;
        if (c == '\'' && !inDouble_) inSingle_ = !inSingle_;
    }
    bool AtOuterLevel() const { return depth_ == 0 && !inDouble_ && !inSingle_; }

private:
    long depth_ = 0;
    bool inDouble_ = false;
    bool inSingle_ = false;
};

// Collapses every run of empty lines: CR LF CR LF becomes CR LF until none is left.
std::string RemoveEmptyLines(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const bool pair = s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n';
        if (pair && out.size() >= 2 && out.compare(out.size() - 2, 2, kCrLf) == 0) {
            ++i;
            continue;
        }
        out += s[i];
    }
    return out;
}

// Collapses every run of CRs into one.
std::string RemoveDoubledCr(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char c : s)
        if (!(c == '\r' && !out.empty() && out.back() == '\r')) out += c;
    return out;
}

// The keyword stands at index i and is followed by a blank or a CR; what precedes it is not
// looked at, so a keyword ending a longer word counts.
bool KeywordAt(const std::string& upper, std::size_t i, const std::string& keyword) {
    const std::size_t after = i + keyword.size();
    if (after >= upper.size() || upper.compare(i, keyword.size(), keyword) != 0) return false;
    return upper[after] == ' ' || upper[after] == '\r';
}

std::string ReplaceAll(std::string s, std::string_view from, std::string_view to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

std::string CollapseBlanks(std::string_view s) {
    std::string out;
    for (char c : s)
        if (!(c == ' ' && !out.empty() && out.back() == ' ')) out += c;
    return out;
}

// Breaks a long segment after blanks and commas at the outer level, then packs the pieces
// greedily into lines of at most kMaxSegmentLine characters, each ended by CR LF.
std::string Reflow(std::string_view segment) {
    std::string broken;
    ScanState scan;
    std::size_t sinceBreak = 0;
    for (char c : segment) {
        scan.Step(c);
        ++sinceBreak;
        broken += c;
        // Not after very short pieces, so a keyword and its first word stay together.
        if ((c == ' ' || c == ',') && scan.AtOuterLevel() && sinceBreak > 5) {
            broken += kCrLf;
            sinceBreak = 0;
        }
    }
    std::string out;
    std::string line;
    for (const std::string& piece : text::SplitLines(broken)) {
        if (line.size() + piece.size() <= SqlSegments::kMaxSegmentLine) {
            line += piece;
        } else {
            out += line + kCrLf;
            line = piece;
        }
    }
    out += line + kCrLf;
    return out;
}

std::string TextAfter(const std::string& s, std::size_t stop) {
    return stop < s.size() ? s.substr(stop) : std::string();
}

std::string HeldForm(std::string_view text) {
    return text::JoinLines(text::SplitLines(text));
}

void CheckLength(std::size_t length) {
    if (length > SqlSegments::kMaxTextLength)
        throw std::length_error("SQL text of " + std::to_string(length) +
                                " characters is too long for clause editing (at most " +
                                std::to_string(SqlSegments::kMaxTextLength) + ")");
}

} // namespace

SqlSegments::SqlSegments()
    : keywordList_{"SELECT", "FROM", "WHERE", "GROUP", "HAVING", "UNION", "ORDER"} {}

void SqlSegments::Parse(const std::vector<std::string>& sqlLines) {
    ParseText(text::JoinLines(sqlLines));
}

void SqlSegments::ParseText(std::string_view text) {
    const std::string cleaned = RemoveDoubledCr(RemoveEmptyLines(text));
    if (text::Trim(cleaned).empty()) {
        lastParsedText_.clear();
        ClearPositions();
        return;
    }
    if (cleaned == lastParsedText_ && !parsedLines_.empty()) return;

    // Positions are taken in the text as it is held (lines re-joined with CR LF), so they stay
    // valid for texts with other line breaks or none at the end.
    std::vector<std::string> lines = text::SplitLines(cleaned);
    const std::string held = text::JoinLines(lines);
    CheckLength(held.size());

    parsedLines_ = std::move(lines);
    lastParsedText_ = cleaned;
    for (std::size_t k = 0; k < kSegmentCount; ++k)
        segmentTable_[k].Keyword = k < keywordList_.size() ? keywordList_[k] : std::string();
    ClearPositions();
    FindSegments(held);
}

void SqlSegments::ClearPositions() {
    for (SegmentEntry& entry : segmentTable_)
        entry.Start = entry.Stop = 0;
}

void SqlSegments::FindSegments(const std::string& held) {
    const std::string upper = text::UpperWin1250(held);
    const std::size_t used = std::min(keywordList_.size(), kSegmentCount);
    ScanState scan;
    bool selectFound = false;
    for (std::size_t i = 0; i + 1 < upper.size(); ++i) {
        scan.Step(upper[i]);
        if (!scan.AtOuterLevel()) continue;
        const auto position = static_cast<std::uint16_t>(i + 1);
        if (!selectFound) {
            if (KeywordAt(upper, i, keywordList_[0])) {
                segmentTable_[0].Start = position;
                selectFound = true;
            }
            continue;
        }
        for (std::size_t k = 1; k < used; ++k) {
            if (segmentTable_[k].Start != 0 || !KeywordAt(upper, i, keywordList_[k])) continue;
            segmentTable_[k].Start = position;
            for (std::size_t j = 0; j < k; ++j) {
                SegmentEntry& earlier = segmentTable_[j];
                if (earlier.Start != 0 && earlier.Start < position && earlier.Stop == 0)
                    earlier.Stop = static_cast<std::uint16_t>(position - 1);
            }
            break;
        }
    }
    for (SegmentEntry& entry : segmentTable_)
        if (entry.Start != 0 && entry.Start < held.size() && entry.Stop == 0)
            entry.Stop = static_cast<std::uint16_t>(held.size());
}

std::size_t SqlSegments::FindEntry(const std::string& key) const {
    for (std::size_t k = 0; k < kSegmentCount; ++k)
        if (text::Trim(segmentTable_[k].Keyword) == key) return k;
    return kSegmentCount;
}

std::string SqlSegments::Parsed() const {
    return text::JoinLines(parsedLines_);
}

std::string SqlSegments::GetSegment(std::string_view keyword) const {
    const std::size_t k = FindEntry(text::Trim(text::UpperWin1250(keyword)));
    if (k == kSegmentCount || segmentTable_[k].Start == 0) return {};
    const std::string held = Parsed();
    const std::size_t start = segmentTable_[k].Start;
    const std::size_t stop = std::min<std::size_t>(segmentTable_[k].Stop, held.size());
    if (stop < start || start >= held.size()) return {};
    const std::string part = text::Trim(held.substr(start - 1, stop - start + 1));
    return CollapseBlanks(ReplaceAll(part, kCrLf, " "));
}

void SqlSegments::ChangeSegment(std::string_view segment) {
    if (segmentTable_[0].Keyword.empty()) Parse(parsedLines_);
    lastParsedText_.clear();

    std::string seg = text::Trim(segment);
    if (seg.size() > kMaxSegmentLine) seg = Reflow(seg);

    // The keyword ends at the first blank (or CR) within the first ten characters; without one,
    // the whole text is the keyword and the segment is to be deleted.
    std::size_t keyEnd = seg.find(' ');
    if (keyEnd == std::string::npos) keyEnd = seg.find('\r');
    if (keyEnd != std::string::npos && keyEnd + 1 > 10) keyEnd = std::string::npos;
    const bool hasBody = keyEnd != std::string::npos;
    const std::string key =
        text::Trim(text::UpperWin1250(hasBody ? seg.substr(0, keyEnd + 1) : seg));
    const std::size_t k = FindEntry(key);
    if (k == kSegmentCount) return;

    const std::string held = Parsed();
    const SegmentEntry& entry = segmentTable_[k];
    std::string changed = held;
    if (hasBody && entry.Start != 0) {
        const std::string before = entry.Start >= 3 ? held.substr(0, entry.Start - 1) : "";
        changed =
            before + (before.empty() ? "" : kCrLf) + seg + kCrLf + TextAfter(held, entry.Stop);
    } else if (hasBody) {
        for (std::size_t j = k; j-- > 0;) {
            const std::size_t stop = std::min<std::size_t>(segmentTable_[j].Stop, held.size());
            if (segmentTable_[j].Start == 0) continue;
            changed = held.substr(0, stop) + kCrLf + seg + kCrLf + TextAfter(held, stop);
            break;
        }
    } else if (entry.Start != 0) {
        const std::size_t stop = std::min<std::size_t>(entry.Stop, held.size());
        if (stop >= entry.Start) changed.erase(entry.Start - 1, stop - entry.Start + 1);
    }

    changed = RemoveEmptyLines(changed);
    CheckLength(HeldForm(changed).size());
    parsedLines_ = text::SplitLines(changed);
    ParseText(changed);
}

void SqlSegments::AddToWhere(std::string_view condition) {
    AddCondition(condition, false);
}

void SqlSegments::AddOrToWhere(std::string_view condition) {
    AddCondition(condition, true);
}

void SqlSegments::AddCondition(std::string_view condition, bool joinWithOr) {
    if (text::Trim(condition).empty()) return;
    std::string where = text::TrimLeft(GetSegment("where"));
    std::string segment;
    if (!where.empty()) {
        // The existing conditions go into parentheses right after the keyword.
        std::size_t at = where.find(' ');
        at = at == std::string::npos || at + 1 > 6 ? 6 : at + 1;
        where.insert(std::min(at, where.size()), "(");
        segment = joinWithOr ? where + ") or (" + std::string(condition) + ")"
                             : where + ") and " + std::string(condition);
    } else {
        segment = joinWithOr ? "where (" + std::string(condition) + ")"
                             : "where " + std::string(condition);
    }
    ChangeSegment(segment);
}

void SqlSegments::DeleteFromWhere(std::string_view condition) {
    if (text::Trim(condition).empty()) return;
    std::string rest = text::Trim(GetSegment("where"));
    rest = text::Trim(rest.erase(0, std::min<std::size_t>(5, rest.size())));
    const std::string wanted = text::Trim(condition);
    const std::size_t at = rest.find(wanted);
    if (at == std::string::npos) return;

    rest = text::Trim(rest.erase(at, wanted.size()));
    if (rest.size() > 3 && text::UpperWin1250(rest.substr(rest.size() - 3)) == "AND") {
        rest = text::Trim(rest.substr(0, rest.size() - 3));
        if (rest.size() > 1 && rest.front() == '(' && rest.back() == ')')
            rest = text::Trim(rest.substr(1, rest.size() - 2));
    }
    ChangeSegment(text::Trim("where " + rest));
}

std::vector<std::string> SqlSegments::CountStatement(const std::vector<std::string>& sqlLines) {
    Parse(sqlLines);
    ChangeSegment("select Count(*) as xSelCnt");
    ChangeSegment("order");
    const SegmentEntry& select = segmentTable_[0];
    if (select.Start == 0) return {};
    // Only a common table expression may stand before the outer SELECT.
    const std::string before = text::Trim(text::UpperAscii(Parsed().substr(0, select.Start - 1)));
    const bool withClause = before.size() > 4 && before.compare(0, 4, "WITH") == 0 &&
                            static_cast<unsigned char>(before[4]) <= 32;
    if (!before.empty() && !withClause) return {};
    return parsedLines_;
}
