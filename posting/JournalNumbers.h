#pragma once
// The journal of each book letter that this program's postings go into, resolved once and kept
// for as long as the program runs, so that every table of one book lands in one journal.
#include <array>
#include <string_view>

class JournalNumbers {
public:
    // The five book letters in the order the cache keeps them.
    static constexpr std::string_view Letters = "VSBPX";

    // Whether the letter is one of the book letters (upper case only).
    static bool IsBookLetter(char letter);
    // 0 when the letter is not resolved yet, or is no book letter.
    int Get(char letter) const;
    // Ignored for a letter that is no book letter.
    void Set(char letter, int number);

private:
    std::array<int, Letters.size()> numbers_{};
};
