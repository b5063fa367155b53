#include "db/TStrings.h"

#include "platform/Text.h"

#include <stdexcept>

const std::string& TStrings::operator[](int index) const {
    CheckIndex(index);
    return lines_[index];
}

void TStrings::Clear() {
    lines_.clear();
    Changed();
}

void TStrings::Add(const std::string& line) {
    lines_.push_back(line);
    Changed();
}

void TStrings::AddStrings(const std::vector<std::string>& lines) {
    lines_.insert(lines_.end(), lines.begin(), lines.end());
    Changed();
}

void TStrings::Assign(const std::vector<std::string>& lines) {
    lines_ = lines;
    Changed();
}

void TStrings::SetLine(int index, const std::string& line) {
    CheckIndex(index);
    lines_[index] = line;
    Changed();
}

void TStrings::Delete(int index) {
    CheckIndex(index);
    lines_.erase(lines_.begin() + index);
    Changed();
}

void TStrings::Insert(int index, const std::string& line) {
    if (index != Count()) CheckIndex(index);
    lines_.insert(lines_.begin() + index, line);
    Changed();
}

std::string TStrings::Text() const {
    return text::JoinLines(lines_);
}

void TStrings::SetText(const std::string& text) {
    lines_ = text::SplitLines(text);
    Changed();
}

void TStrings::Changed() {
    if (OnChange) OnChange();
}

void TStrings::CheckIndex(int index) const {
    if (index < 0 || index >= Count())
        throw std::out_of_range("List index out of bounds (" + std::to_string(index) + ")");
}
