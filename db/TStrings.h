#pragma once
// A list of text lines that tells its holder when it changed, as a query's SQL text does.
#include <functional>
#include <string>
#include <vector>

class TStrings {
public:
    // Called after every change.
    std::function<void()> OnChange;

    const std::vector<std::string>& Lines() const { return lines_; }
    int Count() const { return static_cast<int>(lines_.size()); }
    const std::string& operator[](int index) const;

    void Clear();
    void Add(const std::string& line);
    void AddStrings(const std::vector<std::string>& lines);
    // Replaces all lines in one change.
    void Assign(const std::vector<std::string>& lines);
    void SetLine(int index, const std::string& line);
    void Delete(int index);
    void Insert(int index, const std::string& line);

    // Every line followed by CR LF.
    std::string Text() const;
    // Splits at CR LF, CR or LF, in one change.
    void SetText(const std::string& text);

private:
    void Changed();
    void CheckIndex(int index) const;
    std::vector<std::string> lines_;
};
