#pragma once
// Windows-1250 text helpers. Domain text is kept as Windows-1250 bytes in std::string;
// UTF-8 appears only where a person reads it.
#include <string>
#include <string_view>
#include <vector>

namespace text {

// Removes every character with a code from 0 to 32 at both ends (or one end).
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

// Touches a-z only.
std::string UpperAscii(std::string_view s);
std::string LowerAscii(std::string_view s);
// Follows the Windows-1250 letter pairs, accented letters included.
std::string UpperWin1250(std::string_view s);
std::string LowerWin1250(std::string_view s);
bool SameTextAscii(std::string_view a, std::string_view b);
// Control characters written as \xHH, so a name found on disk cannot steer a terminal.
std::string Printable(std::string_view s);

std::string ToUtf8(std::string_view win1250);
// Characters without a Windows-1250 form become '?'.
std::string FromUtf8(std::string_view utf8);

// Splits at CR LF, lone CR or lone LF; a final line break does not make an empty line.
std::vector<std::string> SplitLines(std::string_view s);
// Joins with CR LF after every line, as a memo's text does.
std::string JoinLines(const std::vector<std::string>& lines);
// Every line break (CR LF, lone CR or lone LF) becomes one blank, so the text keeps to one line.
std::string OneLine(std::string_view s);

// Splits a list of names at any of the separators; names are trimmed, empty ones skipped.
std::vector<std::string> SplitNames(std::string_view list, std::string_view separators);
// Encloses s in the quote character, doubling the quote characters inside (an SQL string
// literal with '\'', a quoted identifier with '"').
std::string Quoted(std::string_view s, char quote = '\'');

} // namespace text

// Writes a UTF-8 literal as Windows-1250 bytes, so accented literals stay readable in source.
#define W1250(literal) (::text::FromUtf8(literal))
