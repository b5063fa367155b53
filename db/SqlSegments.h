#pragma once
// Clause editor for the text of a SELECT statement. The text is cut into segments, each starting
// at one of the clause keywords; a caller reads one segment, replaces, inserts or deletes a whole
// segment, adds or removes WHERE conditions, then takes the edited text back.
//
// The editor works on its own copy of the text and never touches a query by itself. A query
// holds one SqlSegments and forwards to it:
//
//     segments.Parse(query.SQL);              // the query's SQL lines
//     segments.AddToWhere("A > 1");
//     query.SQL = segments.ParsedLines();     // or the text: segments.Parsed()
//
// To count a query's rows, run CountStatement(query.SQL) (when not empty) in a temporary query
// on the same connection and transaction, with the parameter values copied by name, and read
// its column xSelCnt.
//
// The held text reads back with CR LF after every line; positions are 1-based character
// positions in that text. They are 16-bit, so a text that would be held with more than 65,535
// characters is refused with std::length_error before anything is read or changed.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class SqlSegments {
public:
    // Start and Stop: 1-based positions in the held text, 0 when the segment is not there.
    struct SegmentEntry {
        std::uint16_t Start = 0;
        std::uint16_t Stop = 0;
        std::string Keyword;
    };
    static constexpr std::size_t kSegmentCount = 20;
    static constexpr std::size_t kMaxTextLength = 65535;
    // Longer segments are stored in several lines.
    static constexpr std::size_t kMaxSegmentLine = 240;

    SqlSegments();

    // Makes the lines (each taken as ended by CR LF) the held text and finds the segments.
    void Parse(const std::vector<std::string>& sqlLines);
    // The same for a text with its own line breaks.
    void ParseText(std::string_view text);

    // The segment of a keyword (any letter case) as one line with single blanks, or empty.
    std::string GetSegment(std::string_view keyword) const;
    // Replaces the segment of the text's keyword, inserts it after the nearest earlier segment,
    // or, given the bare keyword, deletes it; then parses the result again.
    void ChangeSegment(std::string_view segment);
    void AddToWhere(std::string_view condition);
    void AddOrToWhere(std::string_view condition);
    // Removes a condition given earlier; only the last one added comes out cleanly.
    void DeleteFromWhere(std::string_view condition);

    // Turns the query's statement into one that counts its rows (the select list becomes
    // "Count(*) as xSelCnt", the ORDER clause goes) and returns it; the count statement stays
    // held. Returns no lines when the statement does not begin with a query, so that a statement
    // changing data is never run to count it.
    std::vector<std::string> CountStatement(const std::vector<std::string>& sqlLines);

    // The held text, every line ended by CR LF.
    std::string Parsed() const;
    const std::vector<std::string>& ParsedLines() const { return parsedLines_; }

    const std::vector<std::string>& KeywordList() const { return keywordList_; }
    const std::array<SegmentEntry, kSegmentCount>& SegmentTable() const { return segmentTable_; }
    const std::string& LastParsedText() const { return lastParsedText_; }

private:
    void ClearPositions();
    void FindSegments(const std::string& held);
    // Index of the entry whose keyword equals the key, or kSegmentCount.
    std::size_t FindEntry(const std::string& key) const;
    void AddCondition(std::string_view condition, bool joinWithOr);

    std::vector<std::string> keywordList_;
    std::vector<std::string> parsedLines_;
    std::array<SegmentEntry, kSegmentCount> segmentTable_;
    std::string lastParsedText_;
};
