#include "posting/JournalNumbers.h"

namespace {

int IndexOf(char letter) {
    if (letter == '\0') return -1;
    std::size_t pos = JournalNumbers::Letters.find(letter);
    return pos == std::string_view::npos ? -1 : static_cast<int>(pos);
}

} // namespace

bool JournalNumbers::IsBookLetter(char letter) {
    return IndexOf(letter) >= 0;
}

int JournalNumbers::Get(char letter) const {
    int index = IndexOf(letter);
    return index < 0 ? 0 : numbers_[index];
}

void JournalNumbers::Set(char letter, int number) {
    int index = IndexOf(letter);
    if (index >= 0) numbers_[index] = number;
}
